#include "CStdioRunner.h"

#include "CommandLineArguments.h"

#include <QPointer>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

constexpr size_t kChunkSize = 256;

void CloseDescriptor(int& descriptor) {
  if (descriptor >= 0) close(descriptor);
  descriptor = -1;
}

int ExitCodeOf(int waitStatus) {
  if (WIFEXITED(waitStatus)) return WEXITSTATUS(waitStatus);
  if (WIFSIGNALED(waitStatus)) return 128 + WTERMSIG(waitStatus);
  return -1;
}

size_t BytesWaiting(int pipeEnd) {
  int count = 0;
  return ioctl(pipeEnd, FIONREAD, &count) == 0 && count > 0 ? static_cast<size_t>(count) : 0;
}

}  // namespace

CStdioRunner::CStdioRunner(QObject* parent) : QObject(parent), reportsQueued_([this] { DeliverPendingReports(); }) {}

CStdioRunner::~CStdioRunner() { EndPreviousStart(); }

bool CStdioRunner::Start(const std::string& commandLine) {
  EndPreviousStart();
  lastStartError_.clear();

  const std::vector<std::string> arguments = SplitCommandLine(commandLine);
  int input[2] = {-1, -1};
  int output[2] = {-1, -1};
  int errors[2] = {-1, -1};
  const bool started = !arguments.empty() && pipe2(input, O_CLOEXEC) == 0 &&
                       pipe2(output, O_CLOEXEC) == 0 && pipe2(errors, O_CLOEXEC) == 0 &&
                       (wakeUp_ = eventfd(0, EFD_CLOEXEC)) >= 0 &&
                       Spawn(arguments, input[0], output[1], errors[1]);
  // The child has its own copies. Ours of its write ends would keep the
  // readers from ever seeing the end of its output.
  CloseDescriptor(input[0]);
  CloseDescriptor(output[1]);
  CloseDescriptor(errors[1]);
  if (!started) {
    CloseDescriptor(input[1]);
    CloseDescriptor(output[0]);
    CloseDescriptor(errors[0]);
    CloseDescriptor(wakeUp_);
    lastStartError_ = "Unable to start " + commandLine + "\n";
    return false;
  }
  stdinWriteEnd_ = input[1];
  stdoutReadEnd_ = output[0];
  stderrReadEnd_ = errors[0];
  // The program's thread writes here; a child that reads nothing must not
  // freeze it.
  fcntl(stdinWriteEnd_, F_SETFL, fcntl(stdinWriteEnd_, F_GETFL) | O_NONBLOCK);

  running_ = true;
  {
    std::lock_guard lock(mutex_);
    stopping_ = false;
    readersRunning_ = 2;
  }
  stdoutReader_ = std::thread(&CStdioRunner::ReadOutput, this, stdoutReadEnd_, wakeUp_);
  stderrReader_ = std::thread(&CStdioRunner::ReadOutput, this, stderrReadEnd_, wakeUp_);
  watcher_ = std::thread(&CStdioRunner::WatchChild, this, childPid_, wakeUp_);
  emit Reported({kStdioStarted, {}, 0, 0});
  return true;
}

bool CStdioRunner::Spawn(const std::vector<std::string>& arguments, int input, int output,
                         int errors) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errors, STDERR_FILENO);

  // A session of its own: no terminal, and a process group that a kill
  // reaches with everything the child starts. Signals start as in a fresh
  // program, whatever this one blocks or ignores.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes,
                           POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  sigset_t noSignals;
  sigemptyset(&noSignals);
  posix_spawnattr_setsigmask(&attributes, &noSignals);
  sigset_t allSignals;
  sigfillset(&allSignals);
  posix_spawnattr_setsigdefault(&attributes, &allSignals);

  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t child = 0;
  const int result = posix_spawnp(&child, argv[0], &actions, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (result != 0) return false;
  std::lock_guard lock(mutex_);
  childPid_ = child;
  return true;
}

void CStdioRunner::WriteToStdin(const std::string& text) {
  if (stdinWriteEnd_ < 0 || text.empty()) return;
  // A child that has gone must not take the program down with SIGPIPE: the
  // signal is held back for this thread, and the one this write raised is
  // taken off again.
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  sigset_t previousMask;
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previousMask);
  sigset_t pendingBefore;
  sigpending(&pendingBefore);

  size_t written = 0;
  while (written < text.size()) {
    const ssize_t count = write(stdinWriteEnd_, text.data() + written, text.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno == EPIPE && !sigismember(&pendingBefore, SIGPIPE)) {
      const timespec noWait{};
      sigtimedwait(&pipeSignal, nullptr, &noWait);
    }
    if (count <= 0) break;
    written += static_cast<size_t>(count);
  }
  pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
}

void CStdioRunner::Terminate() {
  std::lock_guard lock(mutex_);
  KillChildWhileLocked();
}

bool CStdioRunner::WaitUntilEnded(std::chrono::milliseconds patience) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, patience, [this] { return childPid_ == 0; });
}

void CStdioRunner::KillChildWhileLocked() {
  // Only while the child is not reaped: until then its process ID, which
  // names its group, cannot belong to anyone else.
  if (childPid_ <= 0) return;
  killpg(childPid_, SIGKILL);
  kill(childPid_, SIGKILL);  // in case it left its group
}

void CStdioRunner::EndPreviousStart() {
  {
    std::lock_guard lock(mutex_);
    KillChildWhileLocked();
    stopping_ = true;
  }
  changed_.notify_all();
  if (wakeUp_ >= 0) eventfd_write(wakeUp_, 1);
  for (std::thread* thread : {&stdoutReader_, &stderrReader_, &watcher_}) {
    if (thread->joinable()) thread->join();
  }
  CloseDescriptor(stdinWriteEnd_);
  CloseDescriptor(stdoutReadEnd_);
  CloseDescriptor(stderrReadEnd_);
  CloseDescriptor(wakeUp_);
  std::lock_guard lock(mutex_);
  pending_.clear();
  running_ = false;
}

bool CStdioRunner::IsStopping() {
  std::lock_guard lock(mutex_);
  return stopping_;
}

void CStdioRunner::ReadOutput(int pipeEnd, int wakeUp) {
  pollfd watched[] = {{pipeEnd, POLLIN, 0}, {wakeUp, POLLIN, 0}};
  // Once the child has ended, what it left in the pipe is read and no more:
  // a grandchild may hold the pipe open for ever.
  bool childEnded = false;
  size_t leftByChild = 0;
  while (true) {
    if (!childEnded) {
      if (poll(watched, 2, -1) < 0) {
        if (errno == EINTR) continue;
        break;
      }
      if (watched[1].revents != 0) {
        if (IsStopping()) break;
        childEnded = true;
        leftByChild = BytesWaiting(pipeEnd);
      }
    }
    if (childEnded && leftByChild == 0) break;

    char buffer[kChunkSize];
    const size_t most = childEnded ? std::min(kChunkSize, leftByChild) : kChunkSize;
    const ssize_t count = read(pipeEnd, buffer, most);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) break;
    if (childEnded) leftByChild -= static_cast<size_t>(count);
    const size_t textLength = strnlen(buffer, static_cast<size_t>(count));
    if (!Report({kStdioOutput, std::string(buffer, textLength), 0, 0})) break;
  }
  std::lock_guard lock(mutex_);
  --readersRunning_;
  changed_.notify_all();
}

void CStdioRunner::WatchChild(pid_t child, int wakeUp) {
  // Waits without reaping, so Terminate can still reach the group meanwhile.
  siginfo_t ignored{};
  while (waitid(P_PID, static_cast<id_t>(child), &ignored, WEXITED | WNOWAIT) != 0 &&
         errno == EINTR) {
  }
  int exitCode = -1;
  int signalNumber = 0;
  {
    std::lock_guard lock(mutex_);
    int status = 0;
    if (waitpid(child, &status, 0) == child) {
      exitCode = ExitCodeOf(status);
      if (WIFSIGNALED(status)) signalNumber = WTERMSIG(status);
    }
    childPid_ = 0;
    running_ = false;
  }
  changed_.notify_all();

  // The end is reported after the child's last output, so that output is
  // still taken as this child's.
  eventfd_write(wakeUp, 1);
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return readersRunning_ == 0 || stopping_; });
  }
  Report({kStdioEnded, {}, exitCode, signalNumber});
}

bool CStdioRunner::Report(StdioReport report) {
  std::unique_lock lock(mutex_);
  if (stopping_) return false;
  const uint64_t ticket = ++lastQueuedTicket_;
  pending_.emplace_back(ticket, std::move(report));
  // Not through Qt's event queue, where several runners' threads and the
  // runner's thread itself would meet under locks ThreadSanitizer cannot see.
  reportsQueued_.Wake();
  changed_.wait(lock, [&] { return lastHandledTicket_ >= ticket || stopping_; });
  return !stopping_;
}

void CStdioRunner::DeliverPendingReports() {
  const QPointer<CStdioRunner> alive(this);
  std::unique_lock lock(mutex_);
  while (!pending_.empty()) {
    auto [ticket, report] = std::move(pending_.front());
    pending_.pop_front();
    lock.unlock();
    emit Reported(report);
    // The receiver may have destroyed the runner while it handled the report.
    if (!alive) return;
    lock.lock();
    lastHandledTicket_ = std::max(lastHandledTicket_, ticket);
    changed_.notify_all();
  }
}
