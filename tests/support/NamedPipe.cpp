#include "NamedPipe.h"

#include <chrono>
#include <fcntl.h>
#include <future>
#include <stdexcept>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr auto kBound = std::chrono::seconds(30);

}  // namespace

NamedPipe::NamedPipe(std::string path) : path_(std::move(path)) {
  if (mkfifo(path_.c_str(), 0600) != 0) throw std::runtime_error("mkfifo failed: " + path_);
}

NamedPipe::~NamedPipe() { unlink(path_.c_str()); }

bool NamedPipe::ReturnsWithoutAWriter(const std::function<void()>& reader) const {
  std::packaged_task<void()> task(reader);
  std::future<void> returned = task.get_future();
  std::thread thread(std::move(task));
  const bool inTime = returned.wait_for(kBound) == std::future_status::ready;
  // Without a reader waiting this open fails, and there is nothing to end.
  while (returned.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
    const int writer = open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer >= 0) close(writer);
  }
  thread.join();
  return inTime;
}
