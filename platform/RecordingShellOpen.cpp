#include "RecordingShellOpen.h"

RecordingShellOpen::RecordingShellOpen() : previous_(&IShellOpen::Current()) {
  IShellOpen::SetCurrent(this);
}

RecordingShellOpen::~RecordingShellOpen() { IShellOpen::SetCurrent(previous_); }

bool RecordingShellOpen::Open(const std::string& target) {
  std::lock_guard lock(mutex_);
  targets_.push_back(target);
  return true;
}

std::vector<std::string> RecordingShellOpen::Targets() const {
  std::lock_guard lock(mutex_);
  return targets_;
}
