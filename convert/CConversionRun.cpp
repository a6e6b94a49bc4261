#include "CConversionRun.h"

#include "ConversionRunTexts.h"
#include "ConverterCommandLine.h"
#include "ConverterProgress.h"
#include "ConverterUnpacking.h"
#include "OutputPaths.h"
#include "media/AudioOutput.h"
#include "media/CMediaTranscoder.h"
#include "media/TranscodeNotify.h"
#include "platform/Notice.h"
#include "platform/ShellOpen.h"

#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kFirstTaskDelayMs = 500;
constexpr int kStopWaitMs = 2000;

// What a converter task left behind: nothing when the output holds sound.
std::optional<std::string> OutputFailure(const std::string& outputPath) {
  struct stat status {};
  if (stat(outputPath.c_str(), &status) != 0) return "The converter wrote no output file.";
  CMediaTranscoder probe(nullptr, nullptr, nullptr);
  if (probe.OpenInput(outputPath) != 0 || probe.AudioStreamIndex() < 0) return "The output file holds no sound.";
  return std::nullopt;
}

}  // namespace

// Hands the worker's reports to the run's thread; the worker never waits.
// Each task has its own, so a report always names the task it belongs to.
class CConversionRun::TaskNotify : public ITranscodeNotify {
 public:
  TaskNotify(CConversionRun* run, int task) : run_(run), task_(task) {}

  void PostProgress(int percent) override { run_->PostTranscodeReport({task_, percent, std::nullopt}); }
  void PostFinished(const TranscodeOutcome& outcome) override {
    run_->PostTranscodeReport({task_, 100, outcome});
  }

 private:
  CConversionRun* run_;  // outlives the worker: the run joins it before it goes
  int task_;
};

CConversionRun::CConversionRun(ConversionRunInput input, QObject* parent)
    : QObject(parent), input_(std::move(input)), transcodeReportsQueued_([this] { DeliverTranscodeReports(); }) {
  // A row without a title shows none.
  input_.rowTitles.resize(input_.tasks.size());
  input_.outputNames.resize(input_.tasks.size());
  const size_t laneCount = std::clamp<size_t>(input_.parallelTasks, 1, std::max<size_t>(input_.tasks.size(), 1));
  lanes_.resize(laneCount);
  for (size_t lane = 0; lane < laneCount; ++lane) {
    lanes_[lane].runner = std::make_unique<CStdioRunner>();
    connect(lanes_[lane].runner.get(), &CStdioRunner::Reported, this,
            [this, lane](const StdioReport& report) { OnRunnerReport(lane, report); });
  }
  firstTaskTimer_.setSingleShot(true);
  stopTimer_.setSingleShot(true);
  connect(&firstTaskTimer_, &QTimer::timeout, this, [this] {
    phase_ = Phase::Running;
    for (size_t lane = 0; lane < lanes_.size() && phase_ == Phase::Running; ++lane) StartTask(lane, nextTask_++);
  });
  connect(&stopTimer_, &QTimer::timeout, this, &CConversionRun::FinishStopping);
}

CConversionRun::~CConversionRun() {
  StopWorkers();
  for (Lane& lane : lanes_) ReleaseMedia(lane);
}

bool CConversionRun::Prepare() {
  if (input_.tasks.empty()) {
    ShowNotice("No source file is ready! Please add a source file.", "WARNING", NoticeIcon::Warning);
    return false;
  }
  settings_ = input_.saveSettings();
  // One level, as the settings store makes it; a folder that cannot be
  // made is told below, before any task.
  mkdir(settings_.outputFolder.c_str(), 0777);
  EnsureConverter();

  std::vector<std::vector<OutputName>> outputNames;
  for (const OutputName& name : input_.outputNames) outputNames.push_back({name});
  const auto outputs = OutputPathsOfRun(input_.tasks, settings_.outputFolder, outputNames);
  results_.clear();
  for (size_t i = 0; i < input_.tasks.size(); ++i) {
    results_.push_back({input_.tasks[i].sourcePath, outputs[i].front(), TaskEnd::NotStarted, {}});
  }
  taskCount_ = static_cast<int>(input_.tasks.size());
  if (const std::optional<NoticeRequest> refusal = RefusalOfEveryTask()) {
    for (TaskResult& result : results_) {
      result.end = TaskEnd::Failed;
      result.failure = refusal->text;
    }
    phase_ = Phase::Over;
    ShowNotice(refusal->text, refusal->caption, refusal->icon);
    return false;
  }
  phase_ = Phase::Prepared;
  return true;
}

std::optional<NoticeRequest> CConversionRun::RefusalOfEveryTask() const {
  const std::string& folder = settings_.outputFolder;
  std::string probe = folder + (folder.ends_with('/') ? "" : "/") + ".tolvar-write-test-XXXXXX";
  const int descriptor = mkstemp(probe.data());
  if (descriptor < 0) {
    return NoticeRequest{"Cannot write to the output folder " + folder + ": " + std::strerror(errno), "Error",
                         NoticeIcon::Error};
  }
  close(descriptor);
  unlink(probe.c_str());

  // Original opens no encoder.
  const char* extension = FormatExtension(settings_.formatCode);
  const AudioOutput::AudioSettings audio{"", settings_.bitRate, settings_.sampleRate, settings_.channelCount};
  if (extension && AudioOutput::EncoderRefusal(extension, audio)) {
    return NoticeRequest{"The audio parameters are wrong,will be fixed in next major version", "Failure"};
  }
  return std::nullopt;
}

void CConversionRun::Begin() {
  if (phase_ != Phase::Prepared) return;
  phase_ = Phase::Waiting;
  SetCurrentBar(0);
  SetTotalBar(0);
  SetCurrentLine("Current Task: Initializing...");
  SetTotalLine("Total Progress: 0 Task Completed / Total " + std::to_string(taskCount_) + " Task(s)");
  firstTaskTimer_.start(input_.firstTaskDelay);
}

void CConversionRun::StartTask(size_t laneIndex, int index) {
  Lane& lane = lanes_[laneIndex];
  ReleaseMedia(lane);
  lane.task = index;
  lane.underway = true;
  lane.caption = "Converting ...";
  lane.currentLine = "Current Task: Initializing...";
  lane.currentBar = 0;
  if (SeveralLanes() && IsShown(lane)) {
    SetCaption(lane.caption);
    SetCurrentLine(lane.currentLine);
    SetCurrentBar(0);
  }
  if (!input_.enhancedEngine) {
    lane.media = std::make_unique<CMediaTranscoder>(nullptr, nullptr, nullptr);
    const Task& task = input_.tasks[index];
    if (lane.media->OpenInput(task.sourcePath, task.audioTrack) == 0) {
      lane.engine = Engine::InProcess;
      StartInProcess(laneIndex);
      return;
    }
    ReleaseMedia(lane);
  }
  lane.engine = Engine::Converter;
  // Deferred, so that the runner's thread that reported the previous end is
  // let go before the runner starts again.
  QMetaObject::invokeMethod(this, [this, laneIndex] { StartConverter(laneIndex); }, Qt::QueuedConnection);
}

void CConversionRun::StartInProcess(size_t laneIndex) {
  Lane& lane = lanes_[laneIndex];
  const Task& task = input_.tasks[lane.task];
  CMediaTranscoder& media = *lane.media;
  lane.notify = std::make_unique<TaskNotify>(this, lane.task);
  media.SetNotifyWindow(lane.notify.get());
  if (settings_.formatCode == kFormatOriginal) {
    // Cut as the converter cuts it, to the packet.
    std::optional<CMediaTranscoder::PacketClip> clip;
    if (ClipsItsFile(task)) clip = CMediaTranscoder::PacketClip{ClipStartWithinFile(task), task.clipLength};
    media.SetOriginal(clip);
  } else {
    // The transcoder cuts only from a difference of two whole seconds on.
    if (std::fabs(std::trunc(task.duration - task.clipLength)) > 1) {
      const double end = std::min(task.clipStart + task.clipLength, task.duration);
      media.SetClip(static_cast<float>(ClipStartWithinFile(task)), static_cast<float>(end));
    }
    media.SetOutputParameters(settings_.sampleRate, settings_.channelCount, settings_.bitRate);
  }
  // Told for the first source without video only: one box, not one a file.
  media.SetTellsMissingVideo(!toldMissingVideo_);
  const bool opened = media.OpenOutput(results_[lane.task].outputPath) == 0;
  toldMissingVideo_ = toldMissingVideo_ || (opened && media.VideoStreamIndex() < 0);
  // Either step has told the user why it failed.
  if (opened && media.Start() == 0) return;
  ShowNotice("Failed to create Output File !", "Error");
  FailTaskAtStart(laneIndex, media.OutputFailure());
}

void CConversionRun::StartConverter(size_t laneIndex) {
  if (phase_ != Phase::Running) return;
  Lane& lane = lanes_[laneIndex];
  lane.converterMessage = ConverterMessage();
  const std::string commandLine = BuildConverterCommandLine(
      ConverterPath().value_or(""), input_.tasks[lane.task], settings_, results_[lane.task].outputPath);
  if (lane.runner->Start(commandLine)) return;
  std::string unableToStart = lane.runner->LastStartError();
  if (unableToStart.ends_with('\n')) unableToStart.pop_back();
  SetTaskLine(lane, unableToStart);
  FailTaskAtStart(laneIndex, "The converter could not be started.");
}

void CConversionRun::FailTaskAtStart(size_t laneIndex, const std::string& reason) {
  // Queued, so a run of tasks that all fail does not nest one start in the
  // other.
  QMetaObject::invokeMethod(
      this,
      [this, laneIndex, reason] {
        if (phase_ == Phase::Running) EndTask(laneIndex, TaskEnd::Failed, reason);
      },
      Qt::QueuedConnection);
}

void CConversionRun::OnRunnerReport(size_t laneIndex, const StdioReport& report) {
  if (phase_ != Phase::Running) return;
  Lane& lane = lanes_[laneIndex];
  switch (report.code) {
    case kStdioStarted:
      SetTaskBar(lane, 0);
      SetTaskLine(lane, "Initializing...");
      SetTaskCaption(lane, "Converting  " + input_.rowTitles[lane.task] + " ...");
      break;
    case kStdioOutput: {
      lane.converterMessage.Take(report.text);
      const auto progress =
          ParseConverterOutput(report.text, lane.task, taskCount_, input_.tasks[lane.task].clipLength);
      if (!progress) break;
      SetTaskBar(lane, progress->CurrentBar());
      SetTaskLine(lane, progress->currentLine);
      if (SeveralLanes()) {
        ShowTotalOfSeveralLanes();
      } else {
        SetTotalBar(progress->TotalBar());
        SetTotalLine(progress->totalLine);
      }
      break;
    }
    case kStdioEnded:
      OnConverterEnded(laneIndex, report);
      break;
  }
}

void CConversionRun::OnConverterEnded(size_t laneIndex, const StdioReport& end) {
  const Lane& lane = lanes_[laneIndex];
  std::string failure = end.exitCode != 0 ? ConverterFailure(lane, end) : "";
  if (failure.empty()) failure = OutputFailure(results_[lane.task].outputPath).value_or("");
  EndTask(laneIndex, failure.empty() ? TaskEnd::Converted : TaskEnd::Failed, failure);
}

std::string CConversionRun::ConverterFailure(const Lane& lane, const StdioReport& end) const {
  const std::string reason = lane.converterMessage.LastReason();
  if (!reason.empty()) return reason;
  // Ended from outside (or crashed) before it could say why.
  if (end.signalNumber != 0) {
    return "The converter was ended by signal " + std::to_string(end.signalNumber) + " (" +
           strsignal(end.signalNumber) + ").";
  }
  return "The converter failed (exit status " + std::to_string(end.exitCode) + ").";
}

// The workers never touch Qt: several of them post at once, while the run's
// thread posts events of its own, and Qt's event queue is guarded by locks
// ThreadSanitizer cannot see.
void CConversionRun::PostTranscodeReport(TranscodeReport report) {
  {
    std::lock_guard lock(transcodeReportsMutex_);
    transcodeReports_.push_back(std::move(report));
  }
  transcodeReportsQueued_.Wake();
}

void CConversionRun::DeliverTranscodeReports() {
  for (;;) {
    TranscodeReport report;
    {
      std::lock_guard lock(transcodeReportsMutex_);
      if (transcodeReports_.empty()) return;
      report = std::move(transcodeReports_.front());
      transcodeReports_.pop_front();
    }
    if (report.outcome) {
      OnTranscodeFinished(report.task, *report.outcome);
    } else {
      OnTranscodeProgress(report.task, report.percent);
    }
  }
}

CConversionRun::Lane* CConversionRun::LaneOfTask(int index) {
  const auto found =
      std::find_if(lanes_.begin(), lanes_.end(), [index](const Lane& lane) { return lane.underway && lane.task == index; });
  return found != lanes_.end() ? &*found : nullptr;
}

void CConversionRun::OnTranscodeProgress(int index, int percent) {
  Lane* lane = LaneOfTask(index);
  if (phase_ != Phase::Running || !lane) return;
  SetTaskLine(*lane, ExtractingAudioLine(input_.rowTitles[index], percent));
  SetTaskBar(*lane, std::clamp(percent, 0, 100));
  if (SeveralLanes()) ShowTotalOfSeveralLanes();
}

void CConversionRun::OnTranscodeFinished(int index, const TranscodeOutcome& outcome) {
  Lane* lane = LaneOfTask(index);
  if (phase_ != Phase::Running || !lane) return;
  std::string failure = outcome.failure;
  if (!outcome.converted && failure.empty()) failure = "The conversion failed.";
  EndTask(static_cast<size_t>(lane - lanes_.data()), outcome.converted ? TaskEnd::Converted : TaskEnd::Failed,
          failure);
}

void CConversionRun::EndTask(size_t laneIndex, TaskEnd end, const std::string& failure) {
  Lane& lane = lanes_[laneIndex];
  const int index = lane.task;
  results_[index].end = end;
  results_[index].failure = failure;
  lane.underway = false;
  ++endedTasks_;
  const bool last = endedTasks_ >= taskCount_;
  while (firstUnfinishedTask_ < taskCount_ && results_[firstUnfinishedTask_].end != TaskEnd::NotStarted) {
    ++firstUnfinishedTask_;
  }
  if (SeveralLanes()) {
    // The window turns to the next task not yet finished, as far as it got.
    if (const Lane* shown = LaneOfTask(firstUnfinishedTask_)) {
      SetCaption(shown->caption);
      SetCurrentLine(shown->currentLine);
      SetCurrentBar(shown->currentBar);
    }
    ShowTotalOfSeveralLanes();
  } else {
    ShowTextsOfOneLane(lane, last);
  }
  if (last) {
    // Worded by the engine of the list's last task, as one lane ends with it.
    const auto lastTask = std::find_if(lanes_.begin(), lanes_.end(),
                                       [this](const Lane& each) { return each.task == taskCount_ - 1; });
    CompleteRun(lastTask->engine);
    return;
  }
  if (nextTask_ < taskCount_) StartTask(laneIndex, nextTask_++);
}

// The texts of a run that converts one task after another, as a task ends.
void CConversionRun::ShowTextsOfOneLane(const Lane& lane, bool last) {
  if (lane.engine == Engine::InProcess) {
    SetTotalLine("Total Progress: " + std::to_string(lane.task + 1) + " Task Completed / Total " +
                 std::to_string(taskCount_) + " Task(s)");
    SetTotalBar((lane.task * 100 + 100) / taskCount_);
  } else if (!last) {
    SetCurrentBar(100);
    SetCurrentLine("Finished");
    SetCaption("The current task is " + std::to_string(lane.task + 1));
  }
}

// Every task's part done, over the number of tasks.
void CConversionRun::ShowTotalOfSeveralLanes() {
  int parts = endedTasks_ * 100;
  for (const Lane& lane : lanes_) {
    if (lane.underway) parts += lane.currentBar;
  }
  const int percent = parts / taskCount_;
  SetTotalLine("Total Progress: " + std::to_string(endedTasks_) + " Task Completed / Total " +
               std::to_string(taskCount_) + " Task(s) ---  " + std::to_string(percent) + "% Finished");
  SetTotalBar(percent);
}

void CConversionRun::CompleteRun(Engine lastEngine) {
  phase_ = Phase::Over;
  for (Lane& lane : lanes_) ReleaseMedia(lane);
  SetCurrentBar(100);
  SetTotalBar(100);
  if (lastEngine == Engine::Converter) {
    SetCaption("Finished");
    SetCurrentLine("Finished");
    SetTotalLine("All Tasks Finished");
  } else {
    SetCurrentLine("All Done");
    SetTotalLine("All Done");
  }
  emit CloseRequested();

  const auto converted = std::count_if(results_.begin(), results_.end(),
                                       [](const TaskResult& result) { return result.end == TaskEnd::Converted; });
  if (converted == taskCount_) {
    const std::string text = lastEngine == Engine::Converter ? "Successfully Converting Files and Save to "
                                                             : "Successfully Extract Audio and Save to ";
    ShowNotice(text + settings_.outputFolder, "Congratulations!", NoticeIcon::Information);
  } else {
    ShowNotice(FailureReportText(results_, settings_.outputFolder), "Failure", NoticeIcon::Error);
  }
  // Nothing to look at in a folder that got no file.
  if (converted > 0) IShellOpen::Current().Open(settings_.outputFolder);
}

void CConversionRun::OnStop() {
  if (!IsGoing()) return;
  const NoticeAnswer answer = ShowNotice("Do you want to stop the conversion?", "Question", NoticeIcon::Question,
                                         NoticeButtons::YesNo);
  // Reports were handled while the question was open: the run may have
  // ended meanwhile, which Stop sees.
  if (answer == NoticeAnswer::Yes) Stop();
}

void CConversionRun::Stop() {
  if (!IsGoing()) return;
  phase_ = Phase::Stopping;
  emit Stopping();
  firstTaskTimer_.stop();
  MarkUnderwayTasksStopped();
  // A converter closes its file as it quits; it is killed only if it has
  // not when the wait is over.
  for (Lane& lane : lanes_) lane.runner->WriteToStdin("q\r\n");
  StopWorkers();
  stopTimer_.start(kStopWaitMs);
}

void CConversionRun::FinishStopping() {
  for (Lane& lane : lanes_) {
    lane.runner->Terminate();
    ReleaseMedia(lane);
  }
  phase_ = Phase::Over;
  emit CloseRequested();
}

void CConversionRun::Cancel() {
  firstTaskTimer_.stop();
  stopTimer_.stop();
  if (phase_ != Phase::Over) MarkUnderwayTasksStopped();
  phase_ = Phase::Over;
  StopWorkers();
  // A converter still at work is let to close its file, as after a STOP.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
  for (Lane& lane : lanes_) {
    if (lane.runner && lane.runner->IsRunning()) lane.runner->WriteToStdin("q\r\n");
  }
  for (Lane& lane : lanes_) {
    if (!lane.runner || !lane.runner->IsRunning()) continue;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (!lane.runner->WaitUntilEnded(std::max(left, std::chrono::milliseconds(0)))) lane.runner->Terminate();
  }
  // Ends the runners' threads and kills their children now, not when the
  // run goes. Nothing uses a runner once the run is over.
  for (Lane& lane : lanes_) lane.runner.reset();
}

void CConversionRun::MarkUnderwayTasksStopped() {
  for (Lane& lane : lanes_) {
    if (lane.underway) results_[lane.task].end = TaskEnd::Stopped;
    lane.underway = false;
  }
}

// The media objects themselves stay: this may run while one of their own
// calls waits for the user to close a message box. Every worker is told
// first, so that they wind down together.
void CConversionRun::StopWorkers() {
  for (Lane& lane : lanes_) {
    if (lane.media) lane.media->Stop();
  }
  for (Lane& lane : lanes_) {
    if (lane.media) lane.media->Join();
  }
}

void CConversionRun::ReleaseMedia(Lane& lane) {
  lane.media.reset();
  lane.notify.reset();
}

void CConversionRun::SetTaskCaption(Lane& lane, const std::string& caption) {
  lane.caption = caption;
  if (IsShown(lane)) SetCaption(caption);
}

void CConversionRun::SetTaskLine(Lane& lane, const std::string& text) {
  lane.currentLine = text;
  if (IsShown(lane)) SetCurrentLine(text);
}

void CConversionRun::SetTaskBar(Lane& lane, int percent) {
  lane.currentBar = percent;
  if (IsShown(lane)) SetCurrentBar(percent);
}

void CConversionRun::SetCaption(const std::string& caption) {
  caption_ = QString::fromStdString(caption);
  emit CaptionChanged(caption_);
}

void CConversionRun::SetCurrentLine(const std::string& text) {
  currentLine_ = QString::fromStdString(text);
  emit CurrentLineChanged(currentLine_);
}

void CConversionRun::SetTotalLine(const std::string& text) {
  totalLine_ = QString::fromStdString(text);
  emit TotalLineChanged(totalLine_);
}

void CConversionRun::SetCurrentBar(int percent) {
  currentBar_ = percent;
  emit CurrentBarChanged(currentBar_);
}

void CConversionRun::SetTotalBar(int percent) {
  totalBar_ = percent;
  emit TotalBarChanged(totalBar_);
}
