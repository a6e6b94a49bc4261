#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Where the default output folder goes: the root with the most free space.
// Linux has no drive letters; the roots are the user's home folder, then the
// mounted volumes under the volume folders below, in mount-table order.

inline const std::vector<std::string> kVolumeFolders = {"/media/", "/run/media/", "/mnt/"};

// homeFolder first (always), then every volume of the mount table (a file in
// the format of /proc/self/mounts) mounted below one of volumeFolders that
// the user may write to; optical file systems (iso9660, udf) and a mount
// point met twice are skipped. Each root ends with '/'.
std::vector<std::string> ListOutputRoots(const std::string& homeFolder, const std::string& mountTable,
                                         const std::vector<std::string>& volumeFolders = kVolumeFolders);

// The free bytes of the whole volume holding path (statvfs: f_bfree times
// f_frsize, root's reserve included); 0 when it cannot be asked.
uint64_t VolumeFreeBytes(const std::string& path);

using FreeBytesQuery = std::function<uint64_t(const std::string& root)>;

// The root with the most free bytes; an earlier root wins a tie, and the
// first root is the answer when none has a free byte ("/" for no roots).
// The result ends with '/'.
std::string ChooseOutputDrive(const std::vector<std::string>& roots, const FreeBytesQuery& freeBytes);

// The same over this system's roots and free space.
std::string ChooseOutputDrive();
