#pragma once

#include "CStdioRunner.h"
#include "ConversionRunInput.h"
#include "ConverterMessage.h"
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
// output folder, without a window. The progress window (CConvertDlg) and the
// batch front end show what it tells and forward the user's STOP and close.
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
  // The window has opened: the first texts, and the first task half a second
  // later. Only after a successful Prepare, once.
  void Begin();
  // STOP: asks first, then stops as Stop does. A STOP answered after the
  // run ended does nothing.
  void OnStop();
  // STOP already decided (the batch front end's Ctrl+C): the converter is
  // told to quit, the worker stopped and joined, nothing more starts, and
  // two seconds later CloseRequested comes, without a closing report. The
  // converter closes its file as it quits; one still running when the two
  // seconds are up is killed then. Does nothing once the run is stopping or
  // over.
  void Stop();
  // The window closes (Escape, close box): ends without a question, a
  // report or CloseRequested. The converter is told to quit as by Stop and
  // waited for, up to two seconds, before it is killed, so this can block
  // that long; it usually ends within tens of milliseconds. No worker
  // thread and no converter is left when this returns.
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

  bool IsGoing() const { return phase_ == Phase::Waiting || phase_ == Phase::Running; }

  std::optional<NoticeRequest> RefusalOfEveryTask() const;
  void StartTask(int index);
  void StartInProcess(int index);
  void StartConverter(int index);
  void FailTaskAtStart(int index, Engine engine, const std::string& reason);
  void OnRunnerReport(const StdioReport& report);
  void OnConverterEnded(const StdioReport& end);
  // Any thread: queues the report and asks the run's thread to deliver it.
  void PostTranscodeReport(TranscodeReport report);
  // One report per call, in the order they were posted.
  Q_INVOKABLE void DeliverTranscodeReport();
  void OnTranscodeProgress(int index, int percent);
  void OnTranscodeFinished(int index, const TranscodeOutcome& outcome);
  void EndTask(int index, Engine engine, TaskEnd end, const std::string& failure);
  void CompleteRun(Engine lastEngine);
  void FinishStopping();
  void MarkUnderwayTaskStopped();
  void StopWorker();
  void ReleaseMedia();
  std::string ConverterFailure(const StdioReport& end) const;

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
  int currentTask_ = 0;
  bool taskUnderway_ = false;
  bool toldMissingVideo_ = false;  // once a run
  ConverterMessage converterMessage_;  // of the current converter

  QString caption_ = QStringLiteral("Converting ...");
  QString currentLine_ = QStringLiteral("Current");
  QString totalLine_ = QStringLiteral("Total");
  int currentBar_ = 0;
  int totalBar_ = 0;

  QTimer firstTaskTimer_;
  QTimer stopTimer_;
  std::unique_ptr<CStdioRunner> runner_;  // none once the run was cancelled
  // The worker's reports on their way to the run's thread.
  std::mutex transcodeReportsMutex_;
  std::deque<TranscodeReport> transcodeReports_;
  // The worker reports through notify_: media_, declared after it, goes first.
  std::unique_ptr<TaskNotify> notify_;
  std::unique_ptr<CMediaTranscoder> media_;
};
