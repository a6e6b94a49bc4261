#pragma once

#include "SkinFile.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <cstddef>
#include <memory>
#include <vector>

// The library's one state: the skin it was handed, whether it is on, and
// the windows it dressed, so that everything can be taken off again.
class SkinDecoration {
 public:
  static SkinDecoration& Instance();

  bool Init(int interfaceVersion);
  bool Load(const unsigned char* skinFile, std::size_t size);
  bool Apply();
  bool Customise(QWidget* window, const QString& name);
  void DeInit();

 private:
  struct CustomisedWindow {
    QPointer<QWidget> window;
    QString previousStyleSheet;
  };

  bool initialised_ = false;
  bool applied_ = false;
  QString previousStyleSheet_;
  std::vector<CustomisedWindow> customised_;
  // Last: the windows give back their pictures before the skin goes.
  std::unique_ptr<SkinFile> skin_;
};
