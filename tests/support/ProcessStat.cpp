#include "support/ProcessStat.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

std::optional<ProcessStat> ReadProcessStat(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  std::string text;
  if (!std::getline(file, text)) return std::nullopt;
  // The name in parentheses may hold blanks and parentheses of its own.
  const auto nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos) return std::nullopt;
  std::istringstream fields(text.substr(nameEnd + 1));
  ProcessStat process;
  fields >> process.state >> process.parent >> process.group;
  return process;
}

std::vector<std::pair<pid_t, ProcessStat>> AllProcesses() {
  std::vector<std::pair<pid_t, ProcessStat>> processes;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    const pid_t pid = std::stoi(name);
    if (const auto process = ReadProcessStat(pid)) processes.emplace_back(pid, *process);
  }
  return processes;
}
