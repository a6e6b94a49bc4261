#include "CDropTarget.h"

#include "Shortcut.h"
#include "convert/FileNameParts.h"
#include "platform/AsciiText.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

// The extension as the desktop shell finds it: from the last dot of the
// name, dot included; none when the name has no dot.
std::string ShellExtension(const std::string& path) {
  const std::string name = GetFileName(path);
  const auto dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot);
}

}  // namespace

int CDropTarget::SetDropOptions(const DropOptions& options) {
  if ((options.options & DL_USE_CALLBACK) && !options.callback) return 0;
  options_ = options;
  return 1;
}

bool CDropTarget::ValidateDroppedPath(const std::string& path, uint32_t& kind) const {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return false;
  if ((options_.options & DL_ACCEPT_FOLDERS) && S_ISDIR(info.st_mode)) {
    kind = DL_FOLDER_TYPE;
    return true;
  }
  if ((options_.options & DL_ACCEPT_FILES) && S_ISREG(info.st_mode)) {
    kind = DL_FILE_TYPE;
    return !(options_.options & DL_FILTER_EXTENSION) || EqualsIgnoringCase(ShellExtension(path), options_.filter);
  }
  return false;
}

void CDropTarget::OnDropFiles(const std::vector<std::string>& paths) {
  for (const auto& dropped : paths) {
    const std::string target = ResolveShortcut(dropped);
    const std::string& path = target.empty() ? dropped : target;
    uint32_t kind = 0;
    if (!ValidateDroppedPath(path, kind)) continue;
    if (options_.options & DL_USE_CALLBACK) {
      if (options_.callback) options_.callback(path, kind);
    } else {
      InsertPathItem(path);
    }
  }
}

void CDropTarget::InsertPathItem(const std::string& path) {
  if (!(options_.options & DL_ALLOW_DUPLICATES) && std::find(items_.begin(), items_.end(), path) != items_.end()) {
    return;
  }
  items_.insert(items_.begin(), path);
}
