#include "ConverterUnpacking.h"

#include "platform/PrivateTempFolder.h"
#include "platform/ProgramFolder.h"
#include "platform/WriteAll.h"

#include <minizip/unzip.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr char kConverterName[] = "tae";
constexpr char kArchiveName[] = "zivirad.dat";
constexpr unsigned kMadeOnUnix = 3;  // high byte of "version made by"

bool IsOlder(const timespec& time, const timespec& than) {
  return time.tv_sec < than.tv_sec || (time.tv_sec == than.tv_sec && time.tv_nsec < than.tv_nsec);
}

bool StaysInsideTheFolder(const fs::path& itemName) {
  if (itemName.empty() || itemName.is_absolute()) return false;
  for (const fs::path& part : itemName) {
    if (part == "..") return false;
  }
  return true;
}

bool IsMadeOnUnix(const unz_file_info64& info) { return (info.version >> 8) == kMadeOnUnix; }

bool IsFolderItem(const std::string& name, const unz_file_info64& info) {
  return name.back() == '/' || (IsMadeOnUnix(info) && S_ISDIR(info.external_fa >> 16));
}

mode_t ModeOf(const unz_file_info64& info) {
  const auto stored = static_cast<mode_t>(info.external_fa >> 16);
  if (IsMadeOnUnix(info) && (stored & 0777) != 0) return stored & 0755;
  return 0644;
}

// False when the item could not be read whole, its check sum failed or the
// file could not be written.
bool CopyCurrentItem(unzFile archive, int file) {
  if (unzOpenCurrentFile(archive) != UNZ_OK) return false;
  bool copied = true;
  char buffer[65536];
  int count = 0;
  while ((count = unzReadCurrentFile(archive, buffer, sizeof buffer)) > 0) {
    if (!WriteAll(file, std::string_view(buffer, static_cast<size_t>(count)))) {
      copied = false;
      break;
    }
  }
  if (count < 0) copied = false;
  // Reports a check sum error once the item was read to its end.
  if (unzCloseCurrentFile(archive) != UNZ_OK) copied = false;
  return copied;
}

void ExtractCurrentItem(unzFile archive, const fs::path& target, mode_t mode) {
  std::string temporary = (target.parent_path() / ".unpacking-XXXXXX").string();
  const int file = mkostemp(temporary.data(), O_CLOEXEC);
  if (file < 0) return;
  bool written = CopyCurrentItem(archive, file) && fchmod(file, mode) == 0 && fsync(file) == 0;
  written = close(file) == 0 && written;
  if (!written || rename(temporary.c_str(), target.c_str()) != 0) unlink(temporary.c_str());
}

void UnpackCurrentItem(unzFile archive, const fs::path& folder) {
  unz_file_info64 info{};
  char storedName[4096] = {};
  if (unzGetCurrentFileInfo64(archive, &info, storedName, sizeof storedName, nullptr, 0, nullptr,
                              0) != UNZ_OK) {
    return;
  }
  // A name cut short is not the item's name.
  if (info.size_filename >= sizeof storedName) return;
  const std::string name(storedName, strnlen(storedName, info.size_filename));
  if (!StaysInsideTheFolder(name)) return;

  const fs::path target = folder / name;
  std::error_code error;
  if (IsFolderItem(name, info)) {
    fs::create_directories(target, error);
    return;
  }
  fs::create_directories(target.parent_path(), error);
  if (!error) ExtractCurrentItem(archive, target, ModeOf(info));
}

void UnpackArchive(const std::string& archivePath, const fs::path& folder) {
  const unzFile archive = unzOpen64(archivePath.c_str());
  if (!archive) return;
  for (int status = unzGoToFirstFile(archive); status == UNZ_OK;
       status = unzGoToNextFile(archive)) {
    UnpackCurrentItem(archive, folder);
  }
  unzClose(archive);
}

}  // namespace

std::optional<std::string> ConverterPath() {
  const auto folder = PrivateTempFolder();
  if (!folder) return std::nullopt;
  return *folder + kConverterName;
}

UnpackResult EnsureConverter() {
  const auto converter = ConverterPath();
  if (!converter) return kUnpackArchiveMissing;
  const std::string archive = GetProgramFolder() + kArchiveName;

  struct stat converterStatus {};
  struct stat archiveStatus {};
  const bool haveConverter = stat(converter->c_str(), &converterStatus) == 0;
  const bool haveArchive = stat(archive.c_str(), &archiveStatus) == 0;
  if (haveConverter && !(haveArchive && IsOlder(converterStatus.st_mtim, archiveStatus.st_mtim))) {
    return kUnpackDone;
  }
  if (!haveArchive) return kUnpackArchiveMissing;
  UnpackArchive(archive, fs::path(*converter).parent_path());
  return kUnpackDone;
}
