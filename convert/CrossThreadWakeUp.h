#pragma once

#include <QSocketNotifier>

#include <functional>

// Wakes the thread that made it from any other thread, without a call into
// Qt from that thread: an eventfd counter that a socket notifier of the
// owning thread watches. Threads that post through Qt's event queue beside
// the owning thread's own posts meet under Qt's locks, which
// ThreadSanitizer cannot see; a write to the counter it sees as the
// handover. What the waker hands over goes under a lock of the caller's.
class CrossThreadWakeUp {
 public:
  // onWoken runs on the owning thread, once for any number of Wake calls
  // before it; it may destroy this object.
  explicit CrossThreadWakeUp(std::function<void()> onWoken);
  ~CrossThreadWakeUp();
  CrossThreadWakeUp(const CrossThreadWakeUp&) = delete;
  CrossThreadWakeUp& operator=(const CrossThreadWakeUp&) = delete;

  // Any thread; never blocks.
  void Wake();

 private:
  int counter_;
  QSocketNotifier notifier_;
};
