#pragma once

#include <string>

// Opens a folder, a document or a web address in the desktop ("open" verb).
// The windows use the desktop's own handler; tests record the requests so no
// browser or file manager starts. Failures are not reported to the user.
class IShellOpen {
 public:
  virtual ~IShellOpen() = default;
  // target: a local path or a URL. Returns whether the desktop took it.
  virtual bool Open(const std::string& target) = 0;

  static IShellOpen& Current();
  // Null restores the default, which opens nothing.
  static void SetCurrent(IShellOpen* shellOpen);
};
