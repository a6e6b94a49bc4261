#include "CapturedFfmpegLog.h"

#include "platform/FfmpegLog.h"

extern "C" {
#include <libavutil/log.h>
}

CapturedFfmpegLog::CapturedFfmpegLog() {
  FfmpegLog::SetSink([this](int level, const std::string& line) {
    std::lock_guard lock(mutex_);
    lines_.emplace_back(level, line);
  });
  FfmpegLog::Route(AV_LOG_INFO);
}

CapturedFfmpegLog::~CapturedFfmpegLog() {
  FfmpegLog::Route(AV_LOG_ERROR);
  FfmpegLog::SetSink({});
}

std::vector<CapturedFfmpegLog::Line> CapturedFfmpegLog::From(const std::string& sourceName) const {
  const std::string prefix = "[" + sourceName + " @ ";
  std::vector<Line> found;
  std::lock_guard lock(mutex_);
  for (const auto& [level, line] : lines_) {
    if (line.rfind(prefix, 0) != 0) continue;
    const size_t end = line.find("] ");
    found.push_back({level, end == std::string::npos ? line : line.substr(end + 2)});
  }
  return found;
}
