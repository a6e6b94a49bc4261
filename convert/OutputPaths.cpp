#include "OutputPaths.h"

#include <set>
#include <sys/stat.h>
#include <unordered_set>
#include <utility>

namespace {

// A file as the system knows it, whatever names and links lead to it.
using FileIdentity = std::pair<dev_t, ino_t>;

std::string WithoutLeadingWhiteSpace(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\n\v\f\r");
  return first == std::string::npos ? std::string() : text.substr(first);
}

std::string PathWithoutExtension(const std::string& outputFolder, const std::string& title) {
  return outputFolder + "/" + WithoutLeadingWhiteSpace(title);
}

std::set<FileIdentity> SourcesOf(const std::vector<Task>& tasks) {
  std::set<FileIdentity> sources;
  for (const Task& task : tasks) {
    struct stat status {};
    if (stat(task.sourcePath.c_str(), &status) == 0) sources.insert({status.st_dev, status.st_ino});
  }
  return sources;
}

bool NamesOneOf(const std::string& path, const std::set<FileIdentity>& files) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && files.contains({status.st_dev, status.st_ino});
}

}  // namespace

std::string OutputPathOf(const std::string& outputFolder, const std::string& title,
                         const std::string& extension) {
  return PathWithoutExtension(outputFolder, title) + "." + extension;
}

std::vector<std::vector<std::string>> OutputPathsOfRun(const std::vector<Task>& tasks,
                                                       const std::string& outputFolder,
                                                       const std::vector<std::vector<OutputName>>& outputsOfTask) {
  const std::set<FileIdentity> sources = SourcesOf(tasks);
  std::vector<std::vector<std::string>> paths(tasks.size());
  std::unordered_set<std::string> taken;
  for (size_t task = 0; task < tasks.size() && task < outputsOfTask.size(); ++task) {
    for (const OutputName& name : outputsOfTask[task]) {
      const std::string stem = PathWithoutExtension(outputFolder, tasks[task].title) + name.suffix;
      std::string path = stem + "." + name.extension;
      for (int copy = 2; taken.contains(path) || NamesOneOf(path, sources); ++copy) {
        path = stem + " (" + std::to_string(copy) + ")." + name.extension;
      }
      taken.insert(path);
      paths[task].push_back(std::move(path));
    }
  }
  return paths;
}
