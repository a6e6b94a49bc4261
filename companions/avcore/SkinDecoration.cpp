#include "SkinDecoration.h"

#include <QApplication>

SkinDecoration& SkinDecoration::Instance() {
  static SkinDecoration decoration;
  return decoration;
}

bool SkinDecoration::Init(int interfaceVersion) {
  initialised_ = interfaceVersion == 1 && qobject_cast<QApplication*>(QCoreApplication::instance());
  return initialised_;
}

bool SkinDecoration::Load(const unsigned char* skinFile, std::size_t size) {
  if (!initialised_ || applied_) return false;
  skin_.reset();
  skin_ = SkinFile::Open(skinFile, size);
  return skin_ != nullptr;
}

bool SkinDecoration::Apply() {
  if (!initialised_ || !skin_ || applied_) return false;
  previousStyleSheet_ = qApp->styleSheet();
  qApp->setStyleSheet(skin_->StyleSheet());
  applied_ = true;
  return true;
}

bool SkinDecoration::Customise(QWidget* window, const QString& name) {
  if (!applied_ || !window) return false;
  const std::optional<QString> styleSheet = skin_->CustomStyleSheet(name);
  if (!styleSheet) return false;
  customised_.push_back({window, window->styleSheet()});
  window->setStyleSheet(*styleSheet);
  return true;
}

void SkinDecoration::DeInit() {
  // Newest first, so a window dressed twice ends with its own style sheet.
  for (auto it = customised_.rbegin(); it != customised_.rend(); ++it) {
    if (it->window) it->window->setStyleSheet(it->previousStyleSheet);
  }
  customised_.clear();
  if (applied_) qApp->setStyleSheet(previousStyleSheet_);
  applied_ = false;
  previousStyleSheet_.clear();
  skin_.reset();
  initialised_ = false;
}
