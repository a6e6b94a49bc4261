#include "WmvDecoderFolder.h"

#include "platform/ProgramFolder.h"

#include <filesystem>
#include <fstream>

WmvDecoderFolder::WmvDecoderFolder() { SetProgramFolderOverride(folder_.Path()); }

WmvDecoderFolder::~WmvDecoderFolder() { SetProgramFolderOverride(""); }

void WmvDecoderFolder::Install(const std::string& fileName) const {
  InstallCopyOf(TOLVAR_WMV_DECODER_LIBRARY, fileName);
}

void WmvDecoderFolder::InstallCopyOf(const std::string& library, const std::string& fileName) const {
  std::filesystem::copy_file(library, folder_ / fileName, std::filesystem::copy_options::overwrite_existing);
}

bool WmvDecoderFolder::HoldsLoadedLibrary() const {
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);) {
    if (line.find(folder_.Path()) != std::string::npos) return true;
  }
  return false;
}
