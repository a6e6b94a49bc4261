#include "OutputPaths.h"

#include <unordered_set>

namespace {

std::string WithoutLeadingWhiteSpace(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\n\v\f\r");
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string PathWithoutExtension(const std::string& outputFolder, const std::string& title) {
  return outputFolder + "/" + WithoutLeadingWhiteSpace(title);
}

}  // namespace

std::string OutputPathOf(const std::string& outputFolder, const std::string& title,
                         const std::string& extension) {
  return PathWithoutExtension(outputFolder, title) + "." + extension;
}

std::vector<std::string> OutputPathsOfRun(const std::vector<Task>& tasks, const std::string& outputFolder,
                                          const std::string& extension) {
  std::vector<std::string> paths;
  std::unordered_set<std::string> taken;
  for (const Task& task : tasks) {
    const std::string stem = PathWithoutExtension(outputFolder, task.title);
    std::string path = stem + "." + extension;
    for (int copy = 2; taken.contains(path); ++copy) {
      path = stem + " (" + std::to_string(copy) + ")." + extension;
    }
    taken.insert(path);
    paths.push_back(std::move(path));
  }
  return paths;
}
