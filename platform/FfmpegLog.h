#pragma once

#include <functional>
#include <string>

// Routes FFmpeg's log into the program: lines up to `maxLevel` (an AV_LOG_*
// value) go to standard error, or to a sink installed with SetSink (tests
// read the WMV adapter's diagnostics that way). Lines above the level are
// dropped before they are formatted. FFmpeg may log from any thread.
class FfmpegLog {
 public:
  using Sink = std::function<void(int level, const std::string& line)>;

  static void Route(int maxLevel);
  // An empty sink restores standard error.
  static void SetSink(Sink sink);
};
