#include "ProgramFolder.h"

#include <mutex>
#include <unistd.h>

namespace {

std::mutex overrideMutex;
std::string folderOverride;

std::string WithTrailingSlash(std::string folder) {
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

}  // namespace

std::string GetProgramFolder() {
  {
    std::lock_guard lock(overrideMutex);
    if (!folderOverride.empty()) return folderOverride;
  }
  std::string path(4096, '\0');
  const ssize_t length = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (length <= 0) return {};
  path.resize(static_cast<size_t>(length));
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void SetProgramFolderOverride(const std::string& folder) {
  std::lock_guard lock(overrideMutex);
  folderOverride = WithTrailingSlash(folder);
}
