#pragma once

#include "support/TempFolder.h"

#include <string>

// A program folder of the test's own, in which the built WMV decoder library
// is present only under the names a test installs. The program's folder
// points here while the object lives.
class WmvDecoderFolder {
 public:
  WmvDecoderFolder();
  ~WmvDecoderFolder();
  WmvDecoderFolder(const WmvDecoderFolder&) = delete;
  WmvDecoderFolder& operator=(const WmvDecoderFolder&) = delete;

  // Copies the built libwmvdecod.so in under `fileName`.
  void Install(const std::string& fileName = "libwmvdecod.so") const;
  // Copies any other library in under `fileName`.
  void InstallCopyOf(const std::string& library, const std::string& fileName) const;
  // Whether a library from this folder is mapped into the process.
  bool HoldsLoadedLibrary() const;

 private:
  TempFolder folder_;
};
