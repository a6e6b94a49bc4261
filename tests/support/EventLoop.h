#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <chrono>
#include <functional>

// Turns this thread's event loop until `done`, with `patience` as a guard
// against a hang rather than a speed goal. What `done` says at the end.
inline bool ProcessEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds patience) {
  const QDeadlineTimer deadline(patience);
  while (!done() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return done();
}
