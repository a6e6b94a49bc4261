#include "CClipDlg.h"

#include "CRangeSlider.h"
#include "ClipWindowTexts.h"
#include "platform/DialogTemplate.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <string>
#include <utility>

namespace {

// Template 132, positions in dialog units.
constexpr int kWidth = 231;
constexpr int kHeight = 113;
constexpr TemplateControl kOkButton{1, "okButton", 128, 94, 44, 17};
constexpr TemplateControl kCancelButton{2, "cancelButton", 178, 94, 40, 17};
constexpr TemplateControl kClipSlider{1013, "clipSlider", 15, 19, 203, 12};
constexpr TemplateControl kStartText{1014, "startText", 22, 69, 47, 11};
constexpr TemplateControl kEndText{1015, "endText", 92, 69, 47, 11};
constexpr TemplateControl kTitleLine{1017, "titleLine", 18, 37, 199, 10};
constexpr TemplateControl kClipText{1018, "clipText", 162, 69, 47, 11};
constexpr TemplateControl kSliderGroup{-1, "sliderGroup", 11, 6, 211, 47};
constexpr TemplateControl kStartGroup{-1, "startGroup", 17, 57, 58, 29};
constexpr TemplateControl kEndGroup{-1, "endGroup", 86, 57, 58, 29};
constexpr TemplateControl kClipGroup{-1, "clipGroup", 157, 57, 58, 29};

QLabel* AddTimeText(QWidget* parent, const TemplateControl& place, const DialogUnits& units,
                    const QString& accessibleName) {
  auto* label = PlaceText(parent, {}, place, units);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label->setAccessibleName(accessibleName);
  return label;
}

}  // namespace

CClipDlg::CClipDlg(Task& task, const QString& titleCellText, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      task_(task) {
  CreateControls();
  // Direct, so the texts follow before the slider's call returns; the
  // slider's setters in OnInitDialog already report.
  connect(slider_, &CRangeSlider::rangeChanged, this, &CClipDlg::OnRangeChanged, Qt::DirectConnection);
  OnInitDialog(titleCellText);
}

void CClipDlg::CreateControls() {
  setWindowTitle(QStringLiteral("Select the Movie Clip"));
  SetTemplateFont(*this, "Verdana", 8);
  const DialogUnits units(font());
  setFixedSize(units.ToPixels(kWidth, kHeight));

  // The group boxes come first: later siblings are drawn over them.
  PlaceControl(new QGroupBox(QStringLiteral("Please use the slide bar below to change the times"), this),
        kSliderGroup, units);
  PlaceControl(new QGroupBox(QStringLiteral("Start Point"), this), kStartGroup, units);
  PlaceControl(new QGroupBox(QStringLiteral("End Point"), this), kEndGroup, units);
  PlaceControl(new QGroupBox(QStringLiteral("Clip Time"), this), kClipGroup, units);

  // Created in the template's order, which is also the Tab order.
  auto* ok = PlaceControl(new QPushButton(QStringLiteral("OK"), this), kOkButton, units);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &CClipDlg::OnOK);
  auto* cancel = PlaceControl(new QPushButton(QStringLiteral("Cancel"), this), kCancelButton, units);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  slider_ = PlaceControl(new CRangeSlider(this), kClipSlider, units);
  slider_->setAccessibleName(QStringLiteral("Clip range"));

  startText_ = AddTimeText(this, kStartText, units, QStringLiteral("Start Point"));
  endText_ = AddTimeText(this, kEndText, units, QStringLiteral("End Point"));
  clipText_ = AddTimeText(this, kClipText, units, QStringLiteral("Clip Time"));
  titleLine_ = PlaceText(this, {}, kTitleLine, units);
  titleLine_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CClipDlg::OnInitDialog(const QString& titleCellText) {
  slider_->SetBounds(0, task_.duration);
  slider_->SetSelection(task_.clipStart, task_.clipStart + task_.clipLength);
  slider_->SetVisibleSpan(0, task_.duration);
  slider_->ShowVisibleSpan(false);
  // From the stored clip, not from the slider: a clamp reported above has
  // already written the slider's texts, and these replace them.
  ShowTexts(ClipWindowTexts::FromTask(task_));
  titleLine_->setText(QString::fromStdString(
      ClipWindowTexts::TitleLine(titleCellText.toStdString(), task_.duration)));
}

void CClipDlg::OnRangeChanged() {
  double left = 0;
  double right = 0;
  slider_->GetSelection(left, right);
  ShowTexts(ClipWindowTexts::FromSelection(left, right));
}

void CClipDlg::OnOK() {
  double left = 0;
  double right = 0;
  slider_->GetSelection(left, right);
  // The slider's own values, not rounded to whole seconds.
  task_.clipStart = left;
  task_.clipLength = right - left;
  const ClipWindowTexts texts = ClipWindowTexts::FromSelection(left, right);
  startCellText_ = QString::fromStdString(texts.start);
  endCellText_ = QString::fromStdString(texts.end);
  accept();
}

void CClipDlg::ShowTexts(const ClipWindowTexts& texts) {
  const std::pair<QLabel*, const std::string&> shown[] = {
      {startText_, texts.start}, {endText_, texts.end}, {clipText_, texts.clip}};
  for (const auto& [label, text] : shown) {
    label->setText(QString::fromStdString(text));
    // The name says which time it is; the description reads it.
    label->setAccessibleDescription(label->text());
  }
}
