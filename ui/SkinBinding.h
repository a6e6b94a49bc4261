#pragma once

#include "companions/avcore/AvcoreEntryPoints.h"

#include <memory>

class QWidget;
class RuntimeLibrary;

// Binds the skin library avcore.dll (libavcore.so) and hands it the skin
// the program carries as its resource "CUM" 149 (":/CUM/149"; link the
// tolvar_skin_resource target into the program). Held by the application
// object: Load at start-up, once a QApplication exists and before the main
// window is built; DeInitDecoration in the application's exit step; Unload
// (or the destructor) at the very end. Without the library every call is a
// no-op and the windows keep the standard look.
class SkinBinding {
 public:
  SkinBinding();
  ~SkinBinding();
  SkinBinding(const SkinBinding&) = delete;
  SkinBinding& operator=(const SkinBinding&) = delete;

  // Loads the library, starts it, hands it the skin and applies it. False
  // when the library cannot be loaded.
  bool Load();
  bool IsLoaded() const { return library_ != nullptr; }

  // Hands one window to the library for the skin part of that name, e.g.
  // SetCustomSkinWnd(startButton, u"StartButton", 0). Only when loaded.
  void SetCustomSkinWnd(QWidget* window, const char16_t* name, int flags);

  // Takes the skin off; only when loaded.
  void DeInitDecoration();

  // DeInitDecoration once more, then frees the library.
  void Unload();

 private:
  std::unique_ptr<RuntimeLibrary> library_;
  InitDecorationFunction initDecoration_ = nullptr;
  LoadSkinFromResourceFunction loadSkinFromResource_ = nullptr;
  ApplySkinFunction applySkin_ = nullptr;
  SetCustomSkinWndFunction setCustomSkinWnd_ = nullptr;
  DeInitDecorationFunction deInitDecoration_ = nullptr;
};
