#pragma once

#include <chrono>
#include <string>

// Where a run of the batch front end stands, for its progress line.
struct BatchProgress {
  size_t shownTask = 0;  // 0-based: the first task not yet finished
  size_t taskCount = 0;
  std::string shownFileName;
  int shownPercent = 0;
  int totalPercent = 0;
  size_t tasksDone = 0;
  std::chrono::seconds elapsed{0};
};

// "[2/3] holiday.avi: 45%, all files: 33%, 1/3 done, 00:00:12 elapsed,
// about 00:00:24 left". The time left is the elapsed time drawn out over
// the part still to do, once some part is done.
std::string BatchProgressText(const BatchProgress& progress);
