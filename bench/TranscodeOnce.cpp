// One in-process conversion, in a process of its own so that its time and
// peak memory are measured the way the ffmpeg tool's are.
// usage: transcode_once SOURCE OUTPUT SAMPLE_RATE CHANNELS BIT_RATE
#include "media/CMediaTranscoder.h"
#include "media/DecoderRegistration.h"

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace {

class FinishWaiter : public ITranscodeNotify {
 public:
  void PostProgress(int) override {}
  void PostFinished(const TranscodeOutcome& outcome) override {
    std::lock_guard lock(mutex_);
    outcome_ = outcome;
    finished_ = true;
    changed_.notify_all();
  }
  TranscodeOutcome Wait() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return finished_; });
    return outcome_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  TranscodeOutcome outcome_;
  bool finished_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: transcode_once SOURCE OUTPUT SAMPLE_RATE CHANNELS BIT_RATE\n");
    return 2;
  }
  InitMediaLibraries();
  FinishWaiter waiter;
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  if (media.OpenInput(argv[1]) != 0) return 1;
  media.SetNotifyWindow(&waiter);
  media.SetOutputParameters(std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  if (media.OpenOutput(argv[2]) != 0 || media.Start() != 0) return 1;
  const TranscodeOutcome outcome = waiter.Wait();
  media.Join();
  if (!outcome.converted) std::fprintf(stderr, "%s\n", outcome.failure.c_str());
  return outcome.converted ? 0 : 1;
}
