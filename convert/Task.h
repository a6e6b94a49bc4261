#pragma once

#include <string>

// One extraction task: a source file and the part of it to extract. Task i
// is row i of the main window's task list.
struct Task {
  double duration = 0;    // seconds, whole as probed; -1 when the container states none
  double clipStart = 0;   // seconds from the beginning
  double clipLength = 0;  // seconds; the duration when the task was added
  std::string sourcePath;  // as the user chose or dropped it, kept whole
  std::string title;       // the row's title text (leading blank kept) up to its last dot
};

// The task list holds at most this many tasks.
constexpr int kMaxTasks = 100;
