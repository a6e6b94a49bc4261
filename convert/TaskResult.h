#pragma once

#include <string>

enum class TaskEnd {
  NotStarted,  // the run was stopped before it
  Converted,
  Failed,
  Stopped,     // interrupted by STOP or by closing the window
};

// How one task of a run ended: for the closing report, and for the batch
// front end's summary.
struct TaskResult {
  std::string sourcePath;
  std::string outputPath;  // where its sound goes
  TaskEnd end = TaskEnd::NotStarted;
  std::string failure;     // why it failed, in words for the user
};
