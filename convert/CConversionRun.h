#pragma once

#include "CStdioRunner.h"
#include "ConversionRunInput.h"
#include "ConverterMessage.h"
#include "CrossThreadWakeUp.h"
#include "Settings.h"
#include "TaskResult.h"
#include "media/TranscodeNotify.h"
#include "platform/Notice.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

class CMediaTranscoder;

// One conversion run: every task, in list order, into one audio file in the
// output folder, without a window. Tasks are converted one after another,
// or several at once when the input asks for it (parallelTasks): each in a
// lane of its own, with its own worker or converter child, the next task in
// list order taking the first lane that is free. The progress window
// (CConvertDlg) and the batch front end show what it tells and forward the
// user's STOP and close.
//
// Per task, the engine is the in-process transcoder when it can open the
// source and the enhanced engine is off, else the converter (tae) as a
// child process. Each task ends converted or failed: the transcoder's worker
// says which; a converter task failed when it exits with a non-zero status,
// writes no output, or an output without sound. A task that cannot start
// fails too, and the run goes on. When every task converted, the closing
// "Congratulations!" box names the output folder, which is then opened;
// otherwise a "Failure" box lists each failed file with its reason.
//
// With several lanes the caption and the current line and bar follow the
// first task not yet finished, and the total line and bar count every
// task's part done over the number of tasks; the closing report's wording
// follows the engine of the list's last task.
//
// Everything runs on the thread the object lives on, which needs an event
// loop. Message boxes go through INotice, the folder opens through
// IShellOpen.
class CConversionRun : public QObject {
  Q_OBJECT

 public:
  explicit CConversionRun(ConversionRunInput input, QObject* parent = nullptr);
  // Stops and joins a worker that still runs and kills the converter.
  ~CConversionRun() override;
  CConversionRun(const CConversionRun&) = delete;
  CConversionRun& operator=(const CConversionRun&) = delete;

  // The Start command, before the window opens; once. Without tasks: the
  // warning, and false. Otherwise the settings are stored (saveSettings),
  // the output folder is made and the converter unpacked if needed; true.
  // What would fail every task alike (an output folder that cannot be
  // written, settings the encoder refuses) is told once here instead, every
  // task ends Failed with that reason, and it is false.
  bool Prepare();
  // The window has opened: the first texts, and the first tasks after the
  // input's first-task delay. Only after a successful Prepare, once.
  void Begin();
  // STOP: asks first, then stops as Stop does. A STOP answered after the
  // run ended does nothing.
  void OnStop();
  // STOP already decided (the batch front end's Ctrl+C): every converter is
  // told to quit, every worker stopped and joined, nothing more starts, and
  // two seconds later CloseRequested comes, without a closing report. A
  // converter closes its file as it quits; one still running when the two
  // seconds are up is killed then. Does nothing once the run is stopping or
  // over.
  void Stop();
  // The window closes (Escape, close box): ends without a question, a
  // report or CloseRequested. The converters are told to quit as by Stop
  // and waited for, up to two seconds in all, before they are killed, so
  // this can block that long; they usually end within tens of milliseconds.
  // No worker thread and no converter is left when this returns.
  void Cancel();

  // What the window shows now.
  const QString& Caption() const { return caption_; }
  const QString& CurrentLine() const { return currentLine_; }
  const QString& TotalLine() const { return totalLine_; }
  int CurrentBar() const { return currentBar_; }
  int TotalBar() const { return totalBar_; }

  // The settings stored by Prepare.
  const Settings& RunSettings() const { return settings_; }
  // One per task, in task order, from Prepare on.
  const std::vector<TaskResult>& Results() const { return results_; }
  // Completed, stopped or cancelled.
  bool IsOver() const { return phase_ == Phase::Over; }
  // The first task not yet ended, whose texts the window shows; the task
  // count once every task has ended.
  int FirstUnfinishedTask() const { return firstUnfinishedTask_; }
  int EndedTaskCount() const { return endedTasks_; }

 signals:
  void CaptionChanged(const QString& caption);
  void CurrentLineChanged(const QString& text);  // control 1058
  void TotalLineChanged(const QString& text);    // control 1059
  void CurrentBarChanged(int percent);           // control 1020, 0 to 100
  void TotalBarChanged(int percent);             // control 1021, 0 to 100
  // STOP was confirmed: the run winds down (the window shows the wait cursor).
  void Stopping();
  // The window's part is over: it closes (with OK). Any closing report
  // follows at once.
  void CloseRequested();

 private:
  enum class Phase { Ready, Prepared, Waiting, Running, Stopping, Over };
  enum class Engine { InProcess, Converter };
  class TaskNotify;
  // What the worker posted: a percent, or the end when `outcome` is set.
  struct TranscodeReport {
    int task = 0;
    int percent = 0;
    std::optional<TranscodeOutcome> outcome;
  };

  // Where one task at a time is converted, with its own converter runner
  // and transcoder, and what the window would show of that task.
  struct Lane {
    int task = -1;  // the task it converts or last converted
    bool underway = false;
    Engine engine = Engine::InProcess;
    ConverterMessage converterMessage;  // of its converter
    std::string caption;
    std::string currentLine;
    int currentBar = 0;  // also its part of the total of several lanes
    std::unique_ptr<CStdioRunner> runner;  // none once the run was cancelled
    // The worker reports through notify: media, declared after it, goes first.
    std::unique_ptr<TaskNotify> notify;
    std::unique_ptr<CMediaTranscoder> media;
  };

  bool IsGoing() const { return phase_ == Phase::Waiting || phase_ == Phase::Running; }
  bool SeveralLanes() const { return lanes_.size() > 1; }

  std::optional<NoticeRequest> RefusalOfEveryTask() const;
  void StartTask(size_t lane, int index);
  void StartInProcess(size_t lane);
  void StartConverter(size_t lane);
  void FailTaskAtStart(size_t lane, const std::string& reason);
  void OnRunnerReport(size_t lane, const StdioReport& report);
  void OnConverterEnded(size_t lane, const StdioReport& end);
  // Any thread: queues the report and wakes the run's thread to deliver it.
  void PostTranscodeReport(TranscodeReport report);
  // Every report queued, in the order they were posted.
  void DeliverTranscodeReports();
  // The lane converting that task, if any.
  Lane* LaneOfTask(int index);
  void OnTranscodeProgress(int index, int percent);
  void OnTranscodeFinished(int index, const TranscodeOutcome& outcome);
  void EndTask(size_t lane, TaskEnd end, const std::string& failure);
  void ShowTextsOfOneLane(const Lane& lane, bool last);
  void ShowTotalOfSeveralLanes();
  void CompleteRun(Engine lastEngine);
  void FinishStopping();
  void MarkUnderwayTasksStopped();
  void StopWorkers();
  void ReleaseMedia(Lane& lane);
  std::string ConverterFailure(const Lane& lane, const StdioReport& end) const;

  // The current task's texts, kept by its lane and shown while its task is
  // the first not yet finished.
  void SetTaskCaption(Lane& lane, const std::string& caption);
  void SetTaskLine(Lane& lane, const std::string& text);
  void SetTaskBar(Lane& lane, int percent);
  bool IsShown(const Lane& lane) const { return lane.task == firstUnfinishedTask_; }
  void SetCaption(const std::string& caption);
  void SetCurrentLine(const std::string& text);
  void SetTotalLine(const std::string& text);
  void SetCurrentBar(int percent);
  void SetTotalBar(int percent);

  ConversionRunInput input_;
  Settings settings_;
  std::vector<TaskResult> results_;
  Phase phase_ = Phase::Ready;
  int taskCount_ = 0;
  int nextTask_ = 0;             // the first task no lane has taken
  int endedTasks_ = 0;
  int firstUnfinishedTask_ = 0;  // the task whose texts the window shows
  bool toldMissingVideo_ = false;  // once a run

  QString caption_ = QStringLiteral("Converting ...");
  QString currentLine_ = QStringLiteral("Current");
  QString totalLine_ = QStringLiteral("Total");
  int currentBar_ = 0;
  int totalBar_ = 0;

  QTimer firstTaskTimer_;
  QTimer stopTimer_;
  // The workers' reports on their way to the run's thread.
  std::mutex transcodeReportsMutex_;
  std::deque<TranscodeReport> transcodeReports_;
  CrossThreadWakeUp transcodeReportsQueued_;
  std::vector<Lane> lanes_;  // declared last: the workers go before what they report to
};
