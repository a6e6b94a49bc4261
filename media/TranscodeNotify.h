#pragma once

#include <string>

// How one transcoding ended.
struct TranscodeOutcome {
  bool converted = false;
  std::string failure;  // why not, in words for the user
};

// Where the transcoder's worker reports. Both calls come on the worker
// thread: an implementation hands the value over to its own thread (a queued
// call) and returns at once, so the worker never waits for a window.
class ITranscodeNotify {
 public:
  virtual ~ITranscodeNotify() = default;
  // Percent of the clip done, 0 to 100; at most once per percent, then 100.
  virtual void PostProgress(int percent) = 0;
  // The worker has closed the source and the output file.
  virtual void PostFinished(const TranscodeOutcome& outcome) = 0;
};
