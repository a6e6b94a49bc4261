#include "BatchExtraction.h"

#include "BatchProgress.h"
#include "ClipChoice.h"
#include "FrontEndNotice.h"
#include "ProgressDisplay.h"
#include "ResultLine.h"
#include "StopSignals.h"
#include "convert/CConversionRun.h"
#include "convert/TimeText.h"
#include "media/Language.h"
#include "shell/CTaskList.h"
#include "convert/FileNameParts.h"
#include "platform/ProcessorCount.h"
#include "shell/SettingsStore.h"

#include <QEventLoop>

#include <algorithm>

namespace {

const std::string kNotStarted = "Not started: the run was stopped.";

std::string StoppedReason(const std::string& outputPath) {
  return "Stopped before its end: " + outputPath + " holds at most the part converted until then.";
}

// The line of one task's result; nullptr for a task the run never took.
std::string ResultLineOf(const std::string& source, const TaskResult* result) {
  if (!result) return FailedLine(source, kNotStarted);
  switch (result->end) {
    case TaskEnd::Converted:
      return ConvertedLine(source, result->outputPath);
    case TaskEnd::Failed:
      return FailedLine(source, result->failure);
    case TaskEnd::Stopped:
      return FailedLine(source, StoppedReason(result->outputPath));
    case TaskEnd::NotStarted:
      break;
  }
  return FailedLine(source, kNotStarted);
}

}  // namespace

int BatchExtraction::Run(std::FILE* results) {
  const SettingsControls controls = OverrideControls(LoadSettings(), options_);
  ConversionRunInput input;
  AddFiles(controls, input);
  std::vector<TaskResult> taskResults;
  if (!input.tasks.empty() && stopSignal_ == 0) {
    input.enhancedEngine = options_.enhancedEngine;
    // The run takes no more lanes than it has tasks.
    input.parallelTasks = options_.jobs.value_or(UsableProcessorCount());
    // No window to show first: the first tasks start at once.
    input.firstTaskDelay = std::chrono::milliseconds(0);
    input.saveSettings = [controls] { return SettingsFromControls(controls); };
    taskResults = RunTasks(std::move(input));
  }
  return PrintResults(taskResults, results);
}

void BatchExtraction::AddFiles(const SettingsControls& controls, ConversionRunInput& input) {
  CTaskList list(CTaskList::kUnlimited);
  list.CheckOutputFormat(controls.checkedFormat);
  const bool clipAsked = options_.clipStart || options_.clipEnd;
  for (const std::string& path : options_.files) {
    FileEntry& entry = entries_.emplace_back(FileEntry{path, {}, {}});
    // Probing a long list takes a while; Ctrl+C meanwhile starts no run.
    if (stopSignal_ == 0) stopSignal_ = stopSignals_.Take().value_or(0);
    if (stopSignal_ != 0) {
      entry.refusal = kNotStarted;
      continue;
    }
    if (!list.AddSourceFile(path)) {
      entry.refusal = notice_.LastText();
      continue;
    }
    const int row = list.GetTaskCount() - 1;
    if (clipAsked) {
      const ClipChoice clip = ClipChoice::For(list.Tasks()[row].duration, options_.clipStart, options_.clipEnd);
      if (!clip.failure.empty()) {
        entry.refusal = clip.failure;
        continue;
      }
      list.StoreClip(row, clip.start, clip.length, FormatTimeText(static_cast<int>(clip.start)),
                     FormatTimeText(static_cast<int>(clip.start + clip.length)));
    }
    entry.refusal = ChooseTrack(list, row);
    if (!entry.refusal.empty()) continue;
    std::vector<std::pair<Task, OutputName>> tasks;
    if (options_.allTracks) tasks = TasksOfEveryTrack(list, row);
    // A file without a track with sound fails in the run as it does
    // without --all-tracks.
    if (tasks.empty()) tasks.push_back({list.Tasks()[row], {"", list.OutputExtensionOf(row)}});
    for (auto& [task, name] : tasks) {
      entry.tasks.push_back(input.tasks.size());
      input.tasks.push_back(std::move(task));
      input.rowTitles.push_back(list.Rows()[row][kTitleColumn]);
      input.outputNames.push_back(std::move(name));
    }
  }
}

std::string BatchExtraction::ChooseTrack(CTaskList& list, int row) const {
  const AudioTracks& tracks = list.AudioTracksOf(row);
  if (options_.audioTrack) {
    const std::string refusal = TrackRefusal(tracks, *options_.audioTrack);
    if (refusal.empty()) list.ChooseTrack(row, *options_.audioTrack);
    return refusal;
  }
  for (const std::string& language : options_.languages) {
    const int track = TrackOfLanguage(tracks, language);
    if (track != 0) {
      list.ChooseTrack(row, track);
      break;
    }
  }
  return {};
}

// " (eng)" for a track whose language is the only one of its file, else
// " (eng, track 2)", and " (track 2)" without a language.
std::vector<std::pair<Task, OutputName>> BatchExtraction::TasksOfEveryTrack(CTaskList& list, int row) {
  const AudioTracks tracks = list.AudioTracksOf(row);
  std::vector<std::pair<Task, OutputName>> tasks;
  for (const AudioTrack& track : tracks) {
    if (!track.hasSound) continue;
    const bool languageOfItsOwn =
        HasLanguageTag(track) && std::none_of(tracks.begin(), tracks.end(), [&](const AudioTrack& other) {
          return other.number != track.number && other.hasSound && IsSameLanguage(other.language, track.language);
        });
    const std::string trackNumber = "track " + std::to_string(track.number);
    std::string mark = HasLanguageTag(track) ? track.language : trackNumber;
    if (HasLanguageTag(track) && !languageOfItsOwn) mark += ", " + trackNumber;
    list.ChooseTrack(row, track.number);
    Task task = list.Tasks()[row];
    // Named, so that each output keeps its track whatever the default is.
    task.audioTrack = track.number;
    tasks.push_back({std::move(task), {" (" + mark + ")", list.OutputExtensionOf(row)}});
  }
  return tasks;
}

std::vector<TaskResult> BatchExtraction::RunTasks(ConversionRunInput input) {
  CConversionRun run(std::move(input));
  if (!run.Prepare()) return run.Results();

  QEventLoop loop;
  QObject::connect(&run, &CConversionRun::CloseRequested, &loop, &QEventLoop::quit);
  QObject::connect(&run, &CConversionRun::CurrentBarChanged, &loop, [this, &run] { ShowProgress(run); });
  QObject::connect(&run, &CConversionRun::TotalBarChanged, &loop, [this, &run] { ShowProgress(run); });
  QObject::connect(&stopSignals_, &StopSignals::Received, &loop, [this, &run](int signalNumber) {
    if (stopSignal_ != 0 || run.IsOver()) return;
    stopSignal_ = signalNumber;
    progress_.PrintMessage("Stopping...");
    run.Stop();
  });
  runBegan_ = std::chrono::steady_clock::now();
  run.Begin();
  loop.exec();
  progress_.Finish();
  return run.Results();
}

// The shown task is the first that has not ended, whose bar the run shows.
// That bar keeps the previous task's 100 until the new task reports, which
// would read as done.
void BatchExtraction::ShowProgress(const CConversionRun& run) {
  const std::vector<TaskResult>& results = run.Results();
  const size_t shown = std::min(static_cast<size_t>(run.FirstUnfinishedTask()), results.size() - 1);
  if (run.CurrentBar() < 100) taskWithOwnBar_ = shown;
  BatchProgress progress;
  progress.shownTask = shown;
  progress.taskCount = results.size();
  progress.shownFileName = GetFileName(results[shown].sourcePath);
  progress.shownPercent = taskWithOwnBar_ == shown ? run.CurrentBar() : 0;
  progress.totalPercent = run.TotalBar();
  progress.tasksDone = static_cast<size_t>(run.EndedTaskCount());
  progress.elapsed = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - runBegan_);
  progress_.Show(BatchProgressText(progress));
}

int BatchExtraction::PrintResults(const std::vector<TaskResult>& results, std::FILE* stream) const {
  bool everyFileConverted = true;
  for (const FileEntry& entry : entries_) {
    if (entry.tasks.empty()) {
      std::fputs(FailedLine(entry.path, entry.refusal).c_str(), stream);
      everyFileConverted = false;
    }
    for (const size_t task : entry.tasks) {
      const TaskResult* result = task < results.size() ? &results[task] : nullptr;
      std::fputs(ResultLineOf(entry.path, result).c_str(), stream);
      everyFileConverted = everyFileConverted && result && result->end == TaskEnd::Converted;
    }
  }
  std::fflush(stream);
  if (stopSignal_ != 0) return 128 + stopSignal_;
  return everyFileConverted ? 0 : 1;
}
