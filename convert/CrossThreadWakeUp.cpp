#include "CrossThreadWakeUp.h"

#include <sys/eventfd.h>
#include <unistd.h>

CrossThreadWakeUp::CrossThreadWakeUp(std::function<void()> onWoken)
    : counter_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)), notifier_(counter_, QSocketNotifier::Read) {
  QObject::connect(&notifier_, &QSocketNotifier::activated, [this, onWoken = std::move(onWoken)] {
    eventfd_t count = 0;
    eventfd_read(counter_, &count);
    onWoken();
  });
}

CrossThreadWakeUp::~CrossThreadWakeUp() {
  notifier_.setEnabled(false);
  close(counter_);
}

// Fails only when the counter is full, and the owning thread is woken then anyway.
void CrossThreadWakeUp::Wake() { eventfd_write(counter_, 1); }
