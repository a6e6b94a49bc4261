#pragma once

#include "convert/Task.h"

#include <QDialog>
#include <QString>

class CRangeSlider;
class QLabel;
struct ClipWindowTexts;

// The clip selection window: a range slider over the task's whole duration
// with the start point, end point and clip time as time texts. OK stores the
// chosen clip into the task; Cancel, Esc and the close button change nothing.
// The main window hands in the selected row's task and title cell, runs the
// window modally and, after OK, writes the Start and End cell texts into
// that row.
class CClipDlg : public QDialog {
  Q_OBJECT

 public:
  CClipDlg(Task& task, const QString& titleCellText, QWidget* parent = nullptr);

  // The row's new Start and End cells; empty until OK.
  const QString& StartCellText() const { return startCellText_; }
  const QString& EndCellText() const { return endCellText_; }

 private:
  void CreateControls();
  void OnInitDialog(const QString& titleCellText);
  void OnRangeChanged();
  void OnOK();
  void ShowTexts(const ClipWindowTexts& texts);

  Task& task_;
  CRangeSlider* slider_ = nullptr;
  QLabel* titleLine_ = nullptr;
  QLabel* startText_ = nullptr;
  QLabel* endText_ = nullptr;
  QLabel* clipText_ = nullptr;
  QString startCellText_;
  QString endCellText_;
};
