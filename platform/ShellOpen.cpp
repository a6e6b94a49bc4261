#include "ShellOpen.h"

#include <atomic>

namespace {

// Without a desktop (the batch front end) there is nothing to open with.
class NoShellOpen : public IShellOpen {
 public:
  bool Open(const std::string&) override { return false; }
};

std::atomic<IShellOpen*> current{nullptr};

}  // namespace

IShellOpen& IShellOpen::Current() {
  static NoShellOpen none;
  IShellOpen* shellOpen = current.load();
  return shellOpen ? *shellOpen : none;
}

void IShellOpen::SetCurrent(IShellOpen* shellOpen) { current.store(shellOpen); }
