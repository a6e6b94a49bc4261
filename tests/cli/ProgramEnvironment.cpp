#include "ProgramEnvironment.h"

#include <cstdlib>
#include <filesystem>

ProgramEnvironment::ProgramEnvironment() {
  const std::pair<const char*, std::string> folders[] = {
      {"HOME", root_ / "home"},
      {"XDG_CONFIG_HOME", root_ / "config"},
      {"XDG_CACHE_HOME", root_ / "cache"},
      {"TMPDIR", root_ / "tmp"},
  };
  for (const auto& [variable, folder] : folders) {
    std::filesystem::create_directory(folder);
    const char* value = std::getenv(variable);
    saved_.emplace_back(variable, value ? std::optional<std::string>(value) : std::nullopt);
    setenv(variable, folder.c_str(), 1);
  }
}

ProgramEnvironment::~ProgramEnvironment() {
  for (const auto& [variable, value] : saved_) {
    if (value) {
      setenv(variable.c_str(), value->c_str(), 1);
    } else {
      unsetenv(variable.c_str());
    }
  }
}
