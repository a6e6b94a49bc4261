#pragma once

#include <QDialog>

class QMenu;
class QPushButton;

// One of each kind of control the program's windows use, laid out like the
// main window and the progress window, to see a skin on all of them at once.
class SkinSampleWindow : public QDialog {
 public:
  SkinSampleWindow();

  QPushButton* StartButton() const { return start_; }
  QMenu* OtherToolsMenu() const { return otherTools_; }

 private:
  QPushButton* start_ = nullptr;
  QMenu* otherTools_ = nullptr;
};
