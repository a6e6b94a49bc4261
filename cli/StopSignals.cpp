#include "StopSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

StopSignals::StopSignals(std::initializer_list<int> signalNumbers) {
  sigset_t watched;
  sigemptyset(&watched);
  for (const int signalNumber : signalNumbers) {
    struct sigaction current {};
    // A blocked signal is queued even when ignored, so an ignored one must
    // stay out of the set.
    if (sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
      sigaddset(&watched, signalNumber);
    }
  }
  pthread_sigmask(SIG_BLOCK, &watched, nullptr);
  descriptor_ = signalfd(-1, &watched, SFD_NONBLOCK | SFD_CLOEXEC);
}

StopSignals::~StopSignals() {
  notifier_.reset();
  if (descriptor_ >= 0) close(descriptor_);
}

void StopSignals::Listen() {
  if (descriptor_ < 0 || notifier_) return;
  notifier_ = std::make_unique<QSocketNotifier>(descriptor_, QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    while (const auto signalNumber = Take()) emit Received(*signalNumber);
  });
}

std::optional<int> StopSignals::Take() {
  if (descriptor_ < 0) return std::nullopt;
  signalfd_siginfo information{};
  ssize_t count = 0;
  do {
    count = read(descriptor_, &information, sizeof information);
  } while (count < 0 && errno == EINTR);
  if (count != static_cast<ssize_t>(sizeof information)) return std::nullopt;
  return static_cast<int>(information.ssi_signo);
}
