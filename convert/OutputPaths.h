#pragma once

#include "Task.h"

#include <string>
#include <vector>

// Where a task's sound is written: the output folder as typed, "/", the
// task's title without its leading white space, ".", the extension. A folder
// typed with a trailing '/' gives "//", which names the same file.
std::string OutputPathOf(const std::string& outputFolder, const std::string& title,
                         const std::string& extension);

// The output path of every task of one run, in task order. A path is taken
// when an earlier task of the run writes it (the same file added twice,
// clip.avi beside clip.mp4), or when it names a source of the run, under any
// name or link (talk.wav converted to WAV into its own folder): writing it
// would destroy that source. A taken path gets " (2)", " (3)", ... before its
// extension. Other files left by earlier runs are not looked at: a new run
// overwrites them.
std::vector<std::string> OutputPathsOfRun(const std::vector<Task>& tasks, const std::string& outputFolder,
                                          const std::string& extension);
