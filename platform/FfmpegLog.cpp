#include "FfmpegLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>

extern "C" {
#include <libavutil/log.h>
}

namespace {

std::mutex sinkMutex;
FfmpegLog::Sink sink;
std::atomic<int> maxLevel{AV_LOG_ERROR};

void Callback(void* source, int level, const char* format, va_list arguments) {
  if (level > maxLevel.load(std::memory_order_relaxed)) return;
  char line[1024];
  int printPrefix = 1;
  av_log_format_line2(source, level, format, arguments, line, sizeof line, &printPrefix);
  std::lock_guard lock(sinkMutex);
  if (sink) {
    sink(level, line);
  } else {
    std::fputs(line, stderr);
  }
}

}  // namespace

void FfmpegLog::Route(int level) {
  maxLevel.store(level);
  av_log_set_callback(Callback);
}

void FfmpegLog::SetSink(Sink newSink) {
  std::lock_guard lock(sinkMutex);
  sink = std::move(newSink);
}
