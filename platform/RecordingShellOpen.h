#pragma once

#include "ShellOpen.h"

#include <mutex>
#include <vector>

// Keeps every open request instead of starting a program; installs itself as
// the current shell-open for its lifetime.
class RecordingShellOpen : public IShellOpen {
 public:
  RecordingShellOpen();
  ~RecordingShellOpen() override;

  bool Open(const std::string& target) override;
  std::vector<std::string> Targets() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> targets_;
  IShellOpen* previous_;
};
