#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Options word of a drop list.
inline constexpr uint32_t DL_ACCEPT_FILES = 1;       // dropped regular files are accepted
inline constexpr uint32_t DL_ACCEPT_FOLDERS = 2;     // dropped folders are accepted
inline constexpr uint32_t DL_ALLOW_DUPLICATES = 4;   // the default insertion does not look for an equal row
inline constexpr uint32_t DL_FILTER_EXTENSION = 16;  // only files with the filter's extension (".avi")
inline constexpr uint32_t DL_USE_CALLBACK = 32;      // accepted items go to the callback

// The kind of an accepted item, as the callback gets it.
inline constexpr uint32_t DL_FOLDER_TYPE = 64;
inline constexpr uint32_t DL_FILE_TYPE = 128;

// Gets each accepted dropped path with its kind; its answer is not used.
using DropCallback = std::function<int(const std::string& path, uint32_t kind)>;

struct DropOptions {
  uint32_t options = DL_ACCEPT_FILES | DL_ACCEPT_FOLDERS;
  std::string filter;  // an extension with its dot, compared without regard to case
  DropCallback callback;
};
