#include "SkinBinding.h"

#include "platform/RuntimeLibrary.h"

#include <QByteArray>
#include <QFile>

namespace {

// The skin file as the program carries it; empty when it was not linked in.
QByteArray ReadSkinResource() {
  QFile resource(QStringLiteral(":/CUM/149"));
  return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

}  // namespace

SkinBinding::SkinBinding() = default;

SkinBinding::~SkinBinding() { Unload(); }

bool SkinBinding::Load() {
  if (library_) return true;
  library_ = RuntimeLibrary::Load("avcore.dll");
  if (!library_) return false;
  initDecoration_ = library_->Entry<InitDecorationFunction>("InitDecoration");
  loadSkinFromResource_ = library_->Entry<LoadSkinFromResourceFunction>("LoadSkinFromResource");
  applySkin_ = library_->Entry<ApplySkinFunction>("ApplySkin");
  setCustomSkinWnd_ = library_->Entry<SetCustomSkinWndFunction>("SetCustomSkinWnd");
  deInitDecoration_ = library_->Entry<DeInitDecorationFunction>("DeInitDecoration");

  // A library without one of the entry points skips that call rather than
  // jumping through a null pointer.
  if (initDecoration_) initDecoration_(1);
  const QByteArray skin = ReadSkinResource();
  if (loadSkinFromResource_) {
    loadSkinFromResource_(reinterpret_cast<const unsigned char*>(skin.constData()),
                          static_cast<std::size_t>(skin.size()));
  }
  if (applySkin_) applySkin_();
  return true;
}

void SkinBinding::SetCustomSkinWnd(QWidget* window, const char16_t* name, int flags) {
  if (setCustomSkinWnd_) setCustomSkinWnd_(window, name, flags);
}

void SkinBinding::DeInitDecoration() {
  if (deInitDecoration_) deInitDecoration_();
}

void SkinBinding::Unload() {
  if (!library_) return;
  DeInitDecoration();
  initDecoration_ = nullptr;
  loadSkinFromResource_ = nullptr;
  applySkin_ = nullptr;
  setCustomSkinWnd_ = nullptr;
  deInitDecoration_ = nullptr;
  library_.reset();
}
