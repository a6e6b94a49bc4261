#pragma once

#include "Task.h"

#include <string>
#include <vector>

// Where a task's sound is written: the output folder as typed, "/", the
// task's title without its leading white space, ".", the extension. A folder
// typed with a trailing '/' gives "//", which names the same file.
std::string OutputPathOf(const std::string& outputFolder, const std::string& title,
                         const std::string& extension);

// The output path of every task of one run, in task order. Two tasks with the
// same title (the same file added twice, clip.avi beside clip.mp4) would
// write the same file, so a path already taken by an earlier task of the run
// gets " (2)", " (3)", ... before its extension. Files left by earlier runs
// are not looked at: a new run overwrites them.
std::vector<std::string> OutputPathsOfRun(const std::vector<Task>& tasks, const std::string& outputFolder,
                                          const std::string& extension);
