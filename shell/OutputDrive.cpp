#include "OutputDrive.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <mntent.h>
#include <pwd.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::string WithTrailingSlash(std::string folder) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  return folder;
}

bool IsOpticalFileSystem(const std::string& type) { return type == "iso9660" || type == "udf"; }

bool IsBelowAnyOf(const std::string& path, const std::vector<std::string>& folders) {
  return std::any_of(folders.begin(), folders.end(), [&](const std::string& folder) {
    const std::string prefix = WithTrailingSlash(folder);
    return path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0;
  });
}

// The effective user decides, as for the folder creation that follows.
bool UserMayWrite(const std::string& folder) {
  return faccessat(AT_FDCWD, folder.c_str(), W_OK, AT_EACCESS) == 0;
}

// $HOME, else the password database, else "/".
std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  passwd entry{};
  passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
      *found->pw_dir) {
    return found->pw_dir;
  }
  return "/";
}

}  // namespace

std::vector<std::string> ListOutputRoots(const std::string& homeFolder, const std::string& mountTable,
                                         const std::vector<std::string>& volumeFolders) {
  std::vector<std::string> roots = {WithTrailingSlash(homeFolder)};
  FILE* table = setmntent(mountTable.c_str(), "r");
  if (!table) return roots;
  mntent entry{};
  std::vector<char> buffer(16384);
  while (getmntent_r(table, &entry, buffer.data(), static_cast<int>(buffer.size()))) {
    const std::string mountPoint = entry.mnt_dir;
    const std::string root = WithTrailingSlash(mountPoint);
    if (IsOpticalFileSystem(entry.mnt_type) || !IsBelowAnyOf(mountPoint, volumeFolders) ||
        std::find(roots.begin(), roots.end(), root) != roots.end() || !UserMayWrite(mountPoint)) {
      continue;
    }
    roots.push_back(root);
  }
  endmntent(table);
  return roots;
}

uint64_t VolumeFreeBytes(const std::string& path) {
  struct statvfs volume {};
  if (statvfs(path.c_str(), &volume) != 0) return 0;
  return static_cast<uint64_t>(volume.f_bfree) * volume.f_frsize;
}

std::string ChooseOutputDrive(const std::vector<std::string>& roots, const FreeBytesQuery& freeBytes) {
  if (roots.empty()) return "/";
  std::string best = roots.front();
  uint64_t bestFreeBytes = 0;
  for (const auto& root : roots) {
    const uint64_t free = freeBytes(root);
    if (free > bestFreeBytes) {
      bestFreeBytes = free;
      best = root;
    }
  }
  return WithTrailingSlash(best);
}

std::string ChooseOutputDrive() {
  return ChooseOutputDrive(ListOutputRoots(HomeFolder(), "/proc/self/mounts"), VolumeFreeBytes);
}
