#pragma once

#include "ShellOpen.h"

// Opens folders, documents and web pages with the desktop's own handlers.
class DesktopShellOpen : public IShellOpen {
 public:
  bool Open(const std::string& target) override;
};
