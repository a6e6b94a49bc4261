#pragma once

#include "platform/WaitCursor.h"

#include <QDialog>

#include <optional>

class CConversionRun;
class QLabel;
class QProgressBar;
class QPushButton;

// The progress window of a conversion run (template 133): the current task's
// line and bar, the whole run's line and bar, and STOP. A thin view: the run
// decides everything, the window shows its texts and forwards STOP and
// closing. The template's hidden OK, Cancel and picture frame have no use
// here and are left out.
//
// The main window prepares the run (CConversionRun::Prepare), then runs this
// window modally; it begins the run as it opens and closes with OK when the
// run asks it to. Escape and the close box end the run without a question:
// the worker is stopped and joined and the converter told to quit (killed if
// it has not within two seconds) before the window goes.
class CConvertDlg : public QDialog {
  Q_OBJECT

 public:
  // The run must outlive the window.
  explicit CConvertDlg(CConversionRun& run, QWidget* parent = nullptr);

  void reject() override;
  void done(int result) override;

 private:
  void CreateControls();
  void FollowRun();

  CConversionRun& run_;
  QLabel* currentLine_ = nullptr;
  QProgressBar* currentBar_ = nullptr;
  QLabel* totalLine_ = nullptr;
  QProgressBar* totalBar_ = nullptr;
  QPushButton* stopButton_ = nullptr;
  std::optional<WaitCursor> waitCursor_;  // from a confirmed STOP to the end
};
