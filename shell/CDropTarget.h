#pragma once

#include "DropOptions.h"

#include <cstdint>
#include <string>
#include <vector>

// The rules of a list that takes files and folders dropped from the desktop.
// The list widget turns a drop into local paths and hands them to
// OnDropFiles; each is resolved (shortcuts), checked against the options and
// given to the callback or, without DL_USE_CALLBACK, inserted into Items().
class CDropTarget {
 public:
  // 0, changing nothing, for DL_USE_CALLBACK without a callback; else 1.
  int SetDropOptions(const DropOptions& options);
  const DropOptions& GetDropOptions() const { return options_; }

  // True when the options accept the path; kind is then DL_FOLDER_TYPE or
  // DL_FILE_TYPE. A path the file system cannot report on is refused.
  bool ValidateDroppedPath(const std::string& path, uint32_t& kind) const;

  // The dropped paths, in the order they were dropped.
  void OnDropFiles(const std::vector<std::string>& paths);

  // The rows the default insertion made, first row first.
  const std::vector<std::string>& Items() const { return items_; }

 private:
  // A new first row, unless an equal row exists and duplicates are not allowed.
  void InsertPathItem(const std::string& path);

  DropOptions options_;
  std::vector<std::string> items_;
};
