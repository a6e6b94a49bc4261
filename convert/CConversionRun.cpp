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
    : QObject(parent), input_(std::move(input)), runner_(std::make_unique<CStdioRunner>()) {
  // A row without a title shows none.
  input_.rowTitles.resize(input_.tasks.size());
  input_.outputNames.resize(input_.tasks.size());
  firstTaskTimer_.setSingleShot(true);
  stopTimer_.setSingleShot(true);
  connect(&firstTaskTimer_, &QTimer::timeout, this, [this] {
    phase_ = Phase::Running;
    StartTask(0);
  });
  connect(&stopTimer_, &QTimer::timeout, this, &CConversionRun::FinishStopping);
  connect(runner_.get(), &CStdioRunner::Reported, this, &CConversionRun::OnRunnerReport);
}

CConversionRun::~CConversionRun() { ReleaseMedia(); }

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
  currentTask_ = 0;
  SetCurrentLine("Current Task: Initializing...");
  SetTotalLine("Total Progress: 0 Task Completed / Total " + std::to_string(taskCount_) + " Task(s)");
  firstTaskTimer_.start(kFirstTaskDelayMs);
}

void CConversionRun::StartTask(int index) {
  ReleaseMedia();
  taskUnderway_ = true;
  if (!input_.enhancedEngine) {
    media_ = std::make_unique<CMediaTranscoder>(nullptr, nullptr, nullptr);
    const Task& task = input_.tasks[index];
    if (media_->OpenInput(task.sourcePath, task.audioTrack) == 0) {
      StartInProcess(index);
      return;
    }
    ReleaseMedia();
  }
  // Deferred, so that the runner's thread that reported the previous end is
  // let go before the runner starts again.
  QMetaObject::invokeMethod(this, [this, index] { StartConverter(index); }, Qt::QueuedConnection);
}

void CConversionRun::StartInProcess(int index) {
  const Task& task = input_.tasks[index];
  notify_ = std::make_unique<TaskNotify>(this, index);
  media_->SetNotifyWindow(notify_.get());
  if (settings_.formatCode == kFormatOriginal) {
    // Cut as the converter cuts it, to the packet.
    std::optional<CMediaTranscoder::PacketClip> clip;
    if (ClipsItsFile(task)) clip = CMediaTranscoder::PacketClip{ClipStartWithinFile(task), task.clipLength};
    media_->SetOriginal(clip);
  } else {
    // The transcoder cuts only from a difference of two whole seconds on.
    if (std::fabs(std::trunc(task.duration - task.clipLength)) > 1) {
      const double end = std::min(task.clipStart + task.clipLength, task.duration);
      media_->SetClip(static_cast<float>(ClipStartWithinFile(task)), static_cast<float>(end));
    }
    media_->SetOutputParameters(settings_.sampleRate, settings_.channelCount, settings_.bitRate);
  }
  // Told for the first source without video only: one box, not one a file.
  media_->SetTellsMissingVideo(!toldMissingVideo_);
  const bool opened = media_->OpenOutput(results_[index].outputPath) == 0;
  toldMissingVideo_ = toldMissingVideo_ || (opened && media_->VideoStreamIndex() < 0);
  // Either step has told the user why it failed.
  if (opened && media_->Start() == 0) return;
  ShowNotice("Failed to create Output File !", "Error");
  FailTaskAtStart(index, Engine::InProcess, media_->OutputFailure());
}

void CConversionRun::StartConverter(int index) {
  if (phase_ != Phase::Running) return;
  converterMessage_ = ConverterMessage();
  const std::string commandLine = BuildConverterCommandLine(
      ConverterPath().value_or(""), input_.tasks[index], settings_, results_[index].outputPath);
  if (runner_->Start(commandLine)) return;
  std::string unableToStart = runner_->LastStartError();
  if (unableToStart.ends_with('\n')) unableToStart.pop_back();
  SetCurrentLine(unableToStart);
  FailTaskAtStart(index, Engine::Converter, "The converter could not be started.");
}

void CConversionRun::FailTaskAtStart(int index, Engine engine, const std::string& reason) {
  // Queued, so a run of tasks that all fail does not nest one start in the
  // other.
  QMetaObject::invokeMethod(
      this,
      [this, index, engine, reason] {
        if (phase_ == Phase::Running) EndTask(index, engine, TaskEnd::Failed, reason);
      },
      Qt::QueuedConnection);
}

void CConversionRun::OnRunnerReport(const StdioReport& report) {
  if (phase_ != Phase::Running) return;
  switch (report.code) {
    case kStdioStarted:
      SetCurrentBar(0);
      SetCurrentLine("Initializing...");
      SetCaption("Converting  " + input_.rowTitles[currentTask_] + " ...");
      break;
    case kStdioOutput: {
      converterMessage_.Take(report.text);
      const auto progress = ParseConverterOutput(report.text, currentTask_, taskCount_,
                                                 input_.tasks[currentTask_].clipLength);
      if (!progress) break;
      SetCurrentBar(progress->CurrentBar());
      SetCurrentLine(progress->currentLine);
      SetTotalBar(progress->TotalBar());
      SetTotalLine(progress->totalLine);
      break;
    }
    case kStdioEnded:
      OnConverterEnded(report);
      break;
  }
}

void CConversionRun::OnConverterEnded(const StdioReport& end) {
  std::string failure = end.exitCode != 0 ? ConverterFailure(end) : "";
  if (failure.empty()) failure = OutputFailure(results_[currentTask_].outputPath).value_or("");
  EndTask(currentTask_, Engine::Converter, failure.empty() ? TaskEnd::Converted : TaskEnd::Failed, failure);
}

std::string CConversionRun::ConverterFailure(const StdioReport& end) const {
  const std::string reason = converterMessage_.LastReason();
  if (!reason.empty()) return reason;
  // Ended from outside (or crashed) before it could say why.
  if (end.signalNumber != 0) {
    return "The converter was ended by signal " + std::to_string(end.signalNumber) + " (" +
           strsignal(end.signalNumber) + ").";
  }
  return "The converter failed (exit status " + std::to_string(end.exitCode) + ").";
}

void CConversionRun::PostTranscodeReport(TranscodeReport report) {
  // By name rather than with a lambda holding the report, so that Qt packs
  // the call inside its own library and the report crosses through the
  // queue alone, under a lock ThreadSanitizer sees; it cannot see the locks
  // of Qt's event queue. Posted under the lock the delivery takes, so the
  // tool sees Qt's event itself handed over too.
  std::lock_guard lock(transcodeReportsMutex_);
  transcodeReports_.push_back(std::move(report));
  QMetaObject::invokeMethod(this, "DeliverTranscodeReport", Qt::QueuedConnection);
}

void CConversionRun::DeliverTranscodeReport() {
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

void CConversionRun::OnTranscodeProgress(int index, int percent) {
  if (phase_ != Phase::Running || index != currentTask_) return;
  SetCurrentLine(ExtractingAudioLine(input_.rowTitles[index], percent));
  SetCurrentBar(std::clamp(percent, 0, 100));
}

void CConversionRun::OnTranscodeFinished(int index, const TranscodeOutcome& outcome) {
  if (phase_ != Phase::Running || index != currentTask_) return;
  std::string failure = outcome.failure;
  if (!outcome.converted && failure.empty()) failure = "The conversion failed.";
  EndTask(index, Engine::InProcess, outcome.converted ? TaskEnd::Converted : TaskEnd::Failed, failure);
}

void CConversionRun::EndTask(int index, Engine engine, TaskEnd end, const std::string& failure) {
  results_[index].end = end;
  results_[index].failure = failure;
  taskUnderway_ = false;
  const bool last = index + 1 >= taskCount_;
  if (engine == Engine::InProcess) {
    SetTotalLine("Total Progress: " + std::to_string(index + 1) + " Task Completed / Total " +
                 std::to_string(taskCount_) + " Task(s)");
    SetTotalBar((index * 100 + 100) / taskCount_);
  } else if (!last) {
    SetCurrentBar(100);
    SetCurrentLine("Finished");
    SetCaption("The current task is " + std::to_string(index + 1));
  }
  if (last) {
    CompleteRun(engine);
    return;
  }
  currentTask_ = index + 1;
  StartTask(currentTask_);
}

void CConversionRun::CompleteRun(Engine lastEngine) {
  phase_ = Phase::Over;
  ReleaseMedia();
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
  MarkUnderwayTaskStopped();
  // The converter closes its file as it quits; it is killed only if it has
  // not when the wait is over.
  runner_->WriteToStdin("q\r\n");
  StopWorker();
  stopTimer_.start(kStopWaitMs);
}

void CConversionRun::FinishStopping() {
  runner_->Terminate();
  ReleaseMedia();
  phase_ = Phase::Over;
  emit CloseRequested();
}

void CConversionRun::Cancel() {
  firstTaskTimer_.stop();
  stopTimer_.stop();
  if (phase_ != Phase::Over) MarkUnderwayTaskStopped();
  phase_ = Phase::Over;
  StopWorker();
  // A converter still at work is let to close its file, as after a STOP.
  if (runner_ && runner_->IsRunning()) {
    runner_->WriteToStdin("q\r\n");
    if (!runner_->WaitUntilEnded(std::chrono::milliseconds(kStopWaitMs))) runner_->Terminate();
  }
  // Ends the runner's threads and kills its child now, not when the run goes.
  // Nothing uses the runner once the run is over.
  runner_.reset();
}

void CConversionRun::MarkUnderwayTaskStopped() {
  if (taskUnderway_) results_[currentTask_].end = TaskEnd::Stopped;
  taskUnderway_ = false;
}

// The media object itself stays: this may run while one of its own calls
// waits for the user to close a message box.
void CConversionRun::StopWorker() {
  if (!media_) return;
  media_->Stop();
  media_->Join();
}

void CConversionRun::ReleaseMedia() {
  media_.reset();
  notify_.reset();
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
