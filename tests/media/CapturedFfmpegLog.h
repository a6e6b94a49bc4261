#pragma once

#include <mutex>
#include <string>
#include <vector>

// Collects FFmpeg's log down to information level while the object lives;
// afterwards the log goes back to standard error at error level.
class CapturedFfmpegLog {
 public:
  struct Line {
    int level;
    std::string text;  // without the "[source @ address] " prefix
    bool operator==(const Line&) const = default;
  };

  CapturedFfmpegLog();
  ~CapturedFfmpegLog();
  CapturedFfmpegLog(const CapturedFfmpegLog&) = delete;
  CapturedFfmpegLog& operator=(const CapturedFfmpegLog&) = delete;

  // The lines logged with a source of that name, in order.
  std::vector<Line> From(const std::string& sourceName) const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::pair<int, std::string>> lines_;
};
