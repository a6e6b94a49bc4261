#pragma once

#include "Settings.h"
#include "Task.h"

#include <functional>
#include <string>
#include <vector>

// What the main window (or the batch front end) hands a conversion run at
// Start. The run keeps its own copy: the list may change while it runs.
struct ConversionRunInput {
  std::vector<Task> tasks;             // in list order
  std::vector<std::string> rowTitles;  // each task's title cell, " name.ext"
  // Each task's output extension, as its row shows it: the chosen format's,
  // or for Original the one its source's codec gets.
  std::vector<std::string> outputExtensions;
  bool enhancedEngine = false;         // every task through the converter
  // Reads the output settings from the controls and stores them (and makes
  // the output folder); called once, when the run is prepared.
  std::function<Settings()> saveSettings;
};
