#include "PrivateTempFolder.h"

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::mutex baseMutex;
std::string baseOverride;

std::string TempBase() {
  {
    std::lock_guard lock(baseMutex);
    if (!baseOverride.empty()) return baseOverride;
  }
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string base = fromEnvironment && *fromEnvironment ? fromEnvironment : "/tmp";
  if (base.back() != '/') base += '/';
  return base;
}

bool IsPrivateDirectory(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return false;
  return S_ISDIR(status.st_mode) && status.st_uid == geteuid() &&
         (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

std::optional<std::string> PrivateTempFolder() {
  const std::string folder = TempBase() + "tolvar-" + std::to_string(geteuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return std::nullopt;
  if (!IsPrivateDirectory(folder)) return std::nullopt;
  return folder + "/";
}

void SetTempBaseOverride(const std::string& base) {
  std::lock_guard lock(baseMutex);
  baseOverride = base;
  if (!baseOverride.empty() && baseOverride.back() != '/') baseOverride += '/';
}
