#pragma once

#include "TaeOptions.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>

// One run of the converter: the source's last audio stream, decoded by
// FFmpeg's own decoders, into the output file; with "-acodec copy", its
// packets as they are (the Original format). Progress lines go to
// `progress`; a "q" on standard input ends the run early with a properly
// closed file.
class TaeConversion {
 public:
  TaeConversion(const TaeOptions& options, std::FILE* progress);

  // Nothing when the output was written, else the reason in one line.
  std::optional<std::string> Run();

 private:
  bool QuitRequested();
  void ReportProgress(double seconds, int64_t bytes, bool final);

  TaeOptions options_;
  std::FILE* progress_;
  bool stdinOpen_ = true;
  std::chrono::steady_clock::time_point lastQuitCheck_{};
  std::chrono::steady_clock::time_point lastReport_{};
  bool reportedOnce_ = false;
};
