// The library's exported entry points; everything else in it is hidden.

#include "AvcoreEntryPoints.h"
#include "SkinDecoration.h"

int InitDecoration(int interfaceVersion) { return SkinDecoration::Instance().Init(interfaceVersion); }

int LoadSkinFromResource(const unsigned char* skinFile, std::size_t size) {
  return SkinDecoration::Instance().Load(skinFile, size);
}

int ApplySkin() { return SkinDecoration::Instance().Apply(); }

int SetCustomSkinWnd(QWidget* window, const char16_t* name, int) {
  if (!name) return 0;
  return SkinDecoration::Instance().Customise(window, QString::fromUtf16(name));
}

void DeInitDecoration() { SkinDecoration::Instance().DeInit(); }
