#pragma once

#include "CrossThreadWakeUp.h"
#include "StdioReport.h"

#include <QObject>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>
#include <sys/types.h>

// Runs one console program (the converter) as a child with its standard
// input, output and error on pipes, and reports what happens to it through
// the Reported signal:
//
// - kStdioStarted, emitted from within Start, before it returns;
// - kStdioOutput, for each chunk of at most 256 bytes the child wrote on
//   standard output or standard error;
// - kStdioEnded, once the child has ended, after the output it left behind.
//
// Reports are emitted on the thread the runner lives on, one at a time and in
// order; that thread needs a running event loop. A thread of the runner that
// has a report waits until the report was handled (or the runner stops), so
// it never reads ahead of its receiver. Connect receivers before Start; a
// receiver that is destroyed is disconnected, so its reports are dropped. A
// receiver may call any member, and may destroy the runner, from its handler.
//
// The child runs in a session of its own, leading its own process group,
// without a terminal, with the program's environment and current folder.
// Start, WriteToStdin, Terminate and destruction belong to the runner's
// thread; WaitUntilEnded and IsRunning may be called from any thread. One
// runner runs one child at a time and can be started again for the next one.
class CStdioRunner : public QObject {
  Q_OBJECT

 public:
  explicit CStdioRunner(QObject* parent = nullptr);
  // Kills a child that still runs and ends the runner's threads, also while
  // a grandchild keeps the child's pipes open.
  ~CStdioRunner() override;
  CStdioRunner(const CStdioRunner&) = delete;
  CStdioRunner& operator=(const CStdioRunner&) = delete;

  // Splits the command line into arguments (SplitCommandLine) and starts the
  // child; the first argument names the program, searched on PATH when it
  // holds no '/'. What is left of the previous start is ended first (its
  // child killed if it still runs, its reports dropped). On failure nothing
  // is reported and LastStartError() tells why.
  bool Start(const std::string& commandLine);

  // "Unable to start <command line>\n" after a failed Start; empty after a
  // successful one.
  const std::string& LastStartError() const { return lastStartError_; }

  // Writes the text to the child's standard input. Does nothing without a
  // child or with an empty text. Never blocks and never fails loudly: what
  // the pipe cannot take at once, or a child that has gone, is ignored.
  void WriteToStdin(const std::string& text);

  // Kills the child and its process group at once; its end is then reported
  // as any end (exit code 137). Harmless when no child runs.
  void Terminate();

  // Blocks for at most `patience` until the child has ended, without the
  // event loop; true once it has, or when none runs. Its end is still
  // reported as any end. Lets a quit request be given time before a kill.
  bool WaitUntilEnded(std::chrono::milliseconds patience);

  // From a successful Start until the child has ended.
  bool IsRunning() const { return running_; }

 signals:
  void Reported(const StdioReport& report);

 private:
  void EndPreviousStart();
  bool Spawn(const std::vector<std::string>& arguments, int input, int output, int errors);
  void KillChildWhileLocked();
  bool IsStopping();

  void ReadOutput(int pipeEnd, int wakeUp);
  void WatchChild(pid_t child, int wakeUp);
  bool Report(StdioReport report);
  void DeliverPendingReports();

  std::string lastStartError_;
  std::atomic<bool> running_ = false;

  // Parent ends of the child's pipes, and the descriptor that wakes the
  // readers; opened by Start, closed when the next start or the runner
  // ends them. Used on the runner's thread only.
  int stdinWriteEnd_ = -1;
  int stdoutReadEnd_ = -1;
  int stderrReadEnd_ = -1;
  int wakeUp_ = -1;
  std::thread stdoutReader_;
  std::thread stderrReader_;
  std::thread watcher_;

  // Guards what follows: the child until it is reaped, and the handover of
  // reports from the runner's threads to the runner's own thread. changed_
  // also tells WaitUntilEnded that the child was reaped.
  std::mutex mutex_;
  std::condition_variable changed_;
  pid_t childPid_ = 0;  // 0 once reaped
  bool stopping_ = false;
  int readersRunning_ = 0;
  std::deque<std::pair<uint64_t, StdioReport>> pending_;
  uint64_t lastQueuedTicket_ = 0;
  uint64_t lastHandledTicket_ = 0;

  // Wakes the runner's thread to deliver what pending_ holds.
  CrossThreadWakeUp reportsQueued_;
};
