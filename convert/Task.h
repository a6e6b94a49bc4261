#pragma once

#include <cmath>
#include <string>

// One extraction task: a source file and the part of it to extract. Task i
// is row i of the main window's task list.
struct Task {
  double duration = 0;    // seconds, whole as probed; -1 when the container states none
  double clipStart = 0;   // seconds from the beginning
  double clipLength = 0;  // seconds; the duration when the task was added
  std::string sourcePath;  // as the user chose or dropped it, kept whole
  std::string title;       // the row's title text (leading blank kept) up to its last dot
  int audioTrack = 0;      // the source's audio track the user chose, numbered from 1; 0: the default one
};

// Whether the task keeps less than its whole file: its clip is shorter than
// the file by a whole second or more. The converter is given a clip then,
// and both engines cut Original's packets by this rule alike.
inline bool ClipsItsFile(const Task& task) { return std::fabs(std::trunc(task.duration - task.clipLength)) > 0.1; }

// Where the clip starts: a start past the file's duration counts as 0.
inline double ClipStartWithinFile(const Task& task) { return task.duration >= task.clipStart ? task.clipStart : 0; }

// The task list holds at most this many tasks.
constexpr int kMaxTasks = 100;
