#pragma once

#include "support/TempFolder.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

// The folders the program takes from its environment, each test its own: a
// home (and so the default output folder's root), the XDG configuration and
// cache folders, and the temporary folder the converter is unpacked under.
// They are set in this process's environment, so every child started from
// the test gets them, and restored when the object goes.
class ProgramEnvironment {
 public:
  ProgramEnvironment();
  ~ProgramEnvironment();
  ProgramEnvironment(const ProgramEnvironment&) = delete;
  ProgramEnvironment& operator=(const ProgramEnvironment&) = delete;

  // Each ends with '/'.
  std::string Home() const { return root_ / "home/"; }
  std::string TemporaryFolder() const { return root_ / "tmp/"; }
  // Where a program whose folder is not writable keeps option.ini.
  std::string UserSettingsFolder() const { return root_ / "config/tolvar-audio-extractor/"; }

 private:
  TempFolder root_;
  std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
