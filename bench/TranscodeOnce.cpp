// One in-process conversion, in a process of its own so that its time and
// peak memory are measured the way the ffmpeg tool's are.
// usage: transcode_once SOURCE OUTPUT SAMPLE_RATE CHANNELS BIT_RATE
//        transcode_once SOURCE OUTPUT original
#include "media/CMediaTranscoder.h"
#include "media/DecoderRegistration.h"
#include "support/TranscodeEndWaiter.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  const bool original = argc == 4 && std::string(argv[3]) == "original";
  if (argc != 6 && !original) {
    std::fprintf(stderr, "usage: transcode_once SOURCE OUTPUT (SAMPLE_RATE CHANNELS BIT_RATE | original)\n");
    return 2;
  }
  InitMediaLibraries();
  TranscodeEndWaiter waiter;
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  if (media.OpenInput(argv[1]) != 0) return 1;
  media.SetNotifyWindow(&waiter);
  if (original) {
    media.SetOriginal(std::nullopt);
  } else {
    media.SetOutputParameters(std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
  }
  if (media.OpenOutput(argv[2]) != 0 || media.Start() != 0) return 1;
  // No bound worth having here: the benchmark times whatever it takes.
  const TranscodeOutcome outcome = waiter.Wait(std::chrono::hours(24)).value_or(TranscodeOutcome{});
  media.Join();
  if (!outcome.converted) std::fprintf(stderr, "%s\n", outcome.failure.c_str());
  return outcome.converted ? 0 : 1;
}
