#pragma once

#include "ExtractOptions.h"
#include "convert/ConversionRunInput.h"
#include "convert/OutputPaths.h"
#include "convert/TaskResult.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

class CConversionRun;
class CTaskList;
class FrontEndNotice;
class ProgressDisplay;
class StopSignals;

// What tolvar-extract does once its command line is read. The settings are
// option.ini's as the main window loads them, with the command line's on
// top; option.ini itself is never written. The files are added as the main
// window adds them (CTaskList), each gets the asked clip, and the progress
// window's conversion run (CConversionRun) converts them, as many at once as
// asked, starting at once and with no limit on the number of files. A signal
// stops the run as STOP does, without the question. When it is over, one line per
// file goes to the results stream, in the order given (ResultLine).
class BatchExtraction {
 public:
  BatchExtraction(ExtractOptions options, ProgressDisplay& progress, const FrontEndNotice& notice,
                  StopSignals& stopSignals)
      : options_(std::move(options)), progress_(progress), notice_(notice), stopSignals_(stopSignals) {}

  // Needs the application object. The exit status: 0 when every file was
  // converted, 1 when any was refused or failed, 128 + the signal's number
  // when a signal stopped the run.
  int Run(std::FILE* results);

 private:
  // One file of the command line, and the tasks it became: one, or with
  // --all-tracks one per track.
  struct FileEntry {
    std::string path;
    std::vector<size_t> tasks;
    std::string refusal;  // why it became none
  };
  static constexpr size_t kNoTask = static_cast<size_t>(-1);

  void AddFiles(const SettingsControls& controls, ConversionRunInput& input);
  // Chooses the row's track as the options ask; the reason when the file
  // cannot give it.
  std::string ChooseTrack(CTaskList& list, int row) const;
  // The row's task once per track with sound, each with its name's mark.
  static std::vector<std::pair<Task, OutputName>> TasksOfEveryTrack(CTaskList& list, int row);
  std::vector<TaskResult> RunTasks(ConversionRunInput input);
  void ShowProgress(const CConversionRun& run);
  int PrintResults(const std::vector<TaskResult>& results, std::FILE* stream) const;

  ExtractOptions options_;
  ProgressDisplay& progress_;
  const FrontEndNotice& notice_;
  StopSignals& stopSignals_;
  std::vector<FileEntry> entries_;
  size_t taskWithOwnBar_ = kNoTask;     // the task the current bar has shown below 100 for
  int stopSignal_ = 0;                  // the signal that stopped the run, 0 for none
  std::chrono::steady_clock::time_point runBegan_;
};
