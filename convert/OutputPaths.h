#pragma once

#include "Task.h"

#include <string>
#include <vector>

// Where a task's sound is written: the output folder as typed, "/", the
// task's title without its leading white space, ".", the extension. A folder
// typed with a trailing '/' gives "//", which names the same file.
std::string OutputPathOf(const std::string& outputFolder, const std::string& title,
                         const std::string& extension);

// One file a task writes: what its name gets after the task's title (empty
// for a task's only output) and its extension, without the dot.
struct OutputName {
  std::string suffix;
  std::string extension;
};

// The paths of every output of one run, fixed before its first task starts:
// entry i holds the paths of task i's outputs, in the order outputsOfTask[i]
// names them. A path is taken when an earlier output of the run writes it
// (the same file added twice, clip.avi beside clip.mp4), or when it names a
// source of the run, under any name or link (talk.wav converted to WAV into
// its own folder): writing it would destroy that source. A taken path gets
// " (2)", " (3)", ... before its extension. Other files left by earlier runs
// are not looked at: a new run overwrites them.
std::vector<std::vector<std::string>> OutputPathsOfRun(const std::vector<Task>& tasks,
                                                       const std::string& outputFolder,
                                                       const std::vector<std::vector<OutputName>>& outputsOfTask);
