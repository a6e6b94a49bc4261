#include "UserFileFolders.h"

#include "ProgramFolder.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace {

constexpr const char* kProgramName = "tolvar-audio-extractor";

std::string UserFolder(const char* variable, const char* underHome) {
  std::filesystem::path base;
  if (const char* value = std::getenv(variable); value && *value == '/') {
    base = value;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::filesystem::path(home) / underHome;
  } else {
    base = std::filesystem::temp_directory_path();
  }
  const std::filesystem::path folder = base / kProgramName;
  std::error_code ignored;
  std::filesystem::create_directories(folder, ignored);
  return folder.string() + "/";
}

bool ProgramFolderIsWritable() {
  const std::string folder = GetProgramFolder();
  return !folder.empty() && access(folder.c_str(), W_OK) == 0;
}

}  // namespace

std::string SettingsFolder() {
  return ProgramFolderIsWritable() ? GetProgramFolder() : UserFolder("XDG_CONFIG_HOME", ".config");
}

std::string CacheFolder() {
  return ProgramFolderIsWritable() ? GetProgramFolder() : UserFolder("XDG_CACHE_HOME", ".cache");
}
