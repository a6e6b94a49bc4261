#pragma once

#include "OutputPaths.h"
#include "Settings.h"
#include "Task.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

// What the main window (or the batch front end) hands a conversion run at
// Start. The run keeps its own copy: the list may change while it runs.
struct ConversionRunInput {
  std::vector<Task> tasks;             // in list order
  std::vector<std::string> rowTitles;  // each task's title cell, " name.ext"
  // Each task's output name: its extension as its row shows it (the chosen
  // format's, or for Original the one its source's codec gets), and what
  // the name gets after the title: nothing, or the batch front end's track
  // mark, " (eng)", when it writes every track of a file.
  std::vector<OutputName> outputNames;
  bool enhancedEngine = false;         // every task through the converter
  // How many tasks are converted at once; 1 converts them one after another.
  int parallelTasks = 1;
  // The progress window's pause between showing itself and the first task;
  // the batch front end has nothing to show first.
  std::chrono::milliseconds firstTaskDelay{500};
  // Reads the output settings from the controls and stores them (and makes
  // the output folder); called once, when the run is prepared.
  std::function<Settings()> saveSettings;
};
