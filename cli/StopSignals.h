#pragma once

#include <QObject>

#include <initializer_list>
#include <memory>
#include <optional>

class QSocketNotifier;

// Ctrl+C and its kin, turned from signals into an event of the main thread:
// the signals are blocked and read from a signalfd, so no handler runs in
// whatever thread they hit, and no system call of the run's threads is
// interrupted. A signal ignored from the start (a shell's background job,
// nohup) stays ignored. Children started by the run get a fresh signal mask
// from the runner.
class StopSignals : public QObject {
  Q_OBJECT

 public:
  // Blocks the signals in the calling thread, and so in every thread it
  // starts later: construct it first in main(), before any thread exists.
  // They stay blocked to the end of the process, so that a Ctrl+C that
  // comes after the run has ended cannot kill the program while it writes
  // its last result lines: it is dropped when the process exits.
  explicit StopSignals(std::initializer_list<int> signalNumbers);
  ~StopSignals() override;
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // From now on an arriving signal emits Received in the event loop; needs
  // the application object.
  void Listen();
  // A signal that has arrived and was not yet taken, without the event loop.
  std::optional<int> Take();

 signals:
  void Received(int signalNumber);

 private:
  int descriptor_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
};
