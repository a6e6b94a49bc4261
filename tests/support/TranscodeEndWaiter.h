#pragma once

#include "media/TranscodeNotify.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

// Takes the transcoder's reports on its worker thread and lets the caller's
// thread wait for the end. Progress is dropped unless a subclass wants it.
class TranscodeEndWaiter : public ITranscodeNotify {
 public:
  void PostProgress(int) override {}
  void PostFinished(const TranscodeOutcome& outcome) override {
    std::lock_guard lock(mutex_);
    outcome_ = outcome;
    finished_.notify_all();
  }
  // The outcome, or nullopt when the worker did not finish within `limit`.
  std::optional<TranscodeOutcome> Wait(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    finished_.wait_for(lock, limit, [this] { return outcome_.has_value(); });
    return outcome_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable finished_;
  std::optional<TranscodeOutcome> outcome_;
};
