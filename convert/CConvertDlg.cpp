#include "CConvertDlg.h"

#include "CConversionRun.h"
#include "platform/DialogTemplate.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

namespace {

// Template 133, positions in dialog units.
constexpr int kWidth = 309;
constexpr int kHeight = 105;
constexpr TemplateControl kCurrentLine{1058, "currentLine", 10, 8, 289, 10};
constexpr TemplateControl kCurrentBar{1020, "currentBar", 10, 20, 289, 12};
constexpr TemplateControl kTotalLine{1059, "totalLine", 10, 42, 289, 10};
constexpr TemplateControl kTotalBar{1021, "totalBar", 10, 54, 289, 12};
constexpr TemplateControl kStopButton{1036, "stopButton", 129, 80, 50, 16};

QProgressBar* AddBar(QWidget* parent, const QString& accessibleName, const TemplateControl& place,
                     const DialogUnits& units) {
  auto* bar = PlaceControl(new QProgressBar(parent), place, units);
  bar->setRange(0, 100);
  bar->setValue(0);
  bar->setTextVisible(false);
  bar->setAccessibleName(accessibleName);
  return bar;
}

}  // namespace

CConvertDlg::CConvertDlg(CConversionRun& run, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      run_(run) {
  CreateControls();
  FollowRun();
  run_.Begin();
}

void CConvertDlg::CreateControls() {
  setWindowTitle(run_.Caption());
  SetTemplateFont(*this, "MS Sans Serif", 8);
  const DialogUnits units(font());
  setFixedSize(units.ToPixels(kWidth, kHeight));

  currentLine_ = PlaceText(this, run_.CurrentLine(), kCurrentLine, units);
  currentBar_ = AddBar(this, QStringLiteral("Current task progress"), kCurrentBar, units);
  totalLine_ = PlaceText(this, run_.TotalLine(), kTotalLine, units);
  totalBar_ = AddBar(this, QStringLiteral("Total progress"), kTotalBar, units);
  stopButton_ = PlaceControl(new QPushButton(QStringLiteral("STOP"), this), kStopButton, units);
  stopButton_->setAutoDefault(false);
}

void CConvertDlg::FollowRun() {
  connect(&run_, &CConversionRun::CaptionChanged, this, &QWidget::setWindowTitle);
  connect(&run_, &CConversionRun::CurrentLineChanged, currentLine_, &QLabel::setText);
  connect(&run_, &CConversionRun::TotalLineChanged, totalLine_, &QLabel::setText);
  connect(&run_, &CConversionRun::CurrentBarChanged, currentBar_, &QProgressBar::setValue);
  connect(&run_, &CConversionRun::TotalBarChanged, totalBar_, &QProgressBar::setValue);
  connect(&run_, &CConversionRun::Stopping, this, [this] {
    if (!waitCursor_) waitCursor_.emplace();
  });
  connect(&run_, &CConversionRun::CloseRequested, this, &QDialog::accept);
  connect(stopButton_, &QPushButton::clicked, &run_, &CConversionRun::OnStop);
}

void CConvertDlg::reject() {
  run_.Cancel();
  QDialog::reject();
}

void CConvertDlg::done(int result) {
  waitCursor_.reset();
  QDialog::done(result);
}
