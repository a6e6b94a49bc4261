#include "CAboutDlg.h"

#include "CLinkStatic.h"
#include "MakerLinks.h"
#include "platform/DialogTemplate.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace {

// Template 100, positions in dialog units.
constexpr int kWidth = 270;
constexpr int kHeight = 113;
constexpr TemplateControl kProductLine{-1, "productLine", 39, 14, 118, 8};
constexpr TemplateControl kVersionLine{-1, "versionLine", 187, 14, 74, 10};
constexpr TemplateControl kCopyrightLine{-1, "copyrightLine", 38, 34, 136, 10};
constexpr TemplateControl kSeparator{-1, "separator", 7, 51, 256, 1};
constexpr TemplateControl kSeeAlsoGroup{-1, "seeAlsoGroup", 11, 57, 165, 34};
constexpr TemplateControl kFirstLink{1037, "firstLink", 18, 72, 70, 8};
constexpr TemplateControl kSecondLink{1038, "secondLink", 97, 71, 70, 10};
constexpr TemplateControl kOkButton{1, "okButton", 199, 68, 56, 27};
constexpr TemplateControl kNoticeLine{-1, "noticeLine", 14, 98, 169, 8};

// The two products under "See also", by their "Other Tools" commands.
constexpr int kFirstLinkProduct = 32793;
constexpr int kSecondLinkProduct = 32795;

QLabel* AddLine(QWidget* parent, const QString& text, const TemplateControl& place, const DialogUnits& units) {
  auto* label = PlaceText(parent, text, place, units);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

void ShowProduct(CLinkStatic* link, int commandId) {
  const MakerLink* product = MakerLinks::FindOtherTool(commandId);
  link->setText(QString::fromUtf8(product->name));
  link->SetLinkUrl(QString::fromUtf8(product->address));
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  CreateControls();
  OnInitDialog();
}

void CAboutDlg::CreateControls() {
  setWindowTitle(QStringLiteral("About ") + QString::fromLatin1(kProductName));
  SetTemplateFont(*this, "MS Sans Serif", 8);
  const DialogUnits units(font());
  setFixedSize(units.ToPixels(kWidth, kHeight));

  AddLine(this, QString::fromLatin1(kProductName), kProductLine, units);
  AddLine(this, QStringLiteral("Version: 3.0"), kVersionLine, units);
  AddLine(this, QStringLiteral("Copyright \u00a9 2024 Tolvar Software"), kCopyrightLine, units);

  auto* separator = PlaceControl(new QFrame(this), kSeparator, units);
  separator->setFrameShape(QFrame::HLine);
  separator->setFrameShadow(QFrame::Sunken);
  separator->setAccessibleName(QStringLiteral("Separator"));

  PlaceControl(new QGroupBox(QStringLiteral("See also"), this), kSeeAlsoGroup, units);
  firstLink_ = PlaceControl(new CLinkStatic(this), kFirstLink, units);
  secondLink_ = PlaceControl(new CLinkStatic(this), kSecondLink, units);
  for (CLinkStatic* link : {firstLink_, secondLink_}) link->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

  auto* ok = PlaceControl(new QPushButton(QStringLiteral("OK"), this), kOkButton, units);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);

  AddLine(this, QStringLiteral("More tools at www.tolvar-software.example"), kNoticeLine, units);
}

void CAboutDlg::OnInitDialog() {
  ShowProduct(firstLink_, kFirstLinkProduct);
  ShowProduct(secondLink_, kSecondLinkProduct);
}
