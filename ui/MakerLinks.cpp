#include "MakerLinks.h"

#include "platform/ShellOpen.h"

std::string MakerLink::MenuText() const {
  std::string text = name;
  if (*description) text.append(" - ").append(description);
  return text;
}

namespace MakerLinks {

const MakerLink* FindOtherTool(int commandId) {
  for (const MakerLink& tool : kOtherTools) {
    if (tool.commandId == commandId) return &tool;
  }
  return nullptr;
}

void OnOtherTool(int commandId) {
  if (const MakerLink* tool = FindOtherTool(commandId)) IShellOpen::Current().Open(tool->address);
}

}  // namespace MakerLinks
