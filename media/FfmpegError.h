#pragma once

#include <string>

extern "C" {
#include <libavutil/error.h>
}

// A source that exists but is no regular file (OpenSourceFile).
constexpr int kNotARegularFile = FFERRTAG('N', 'R', 'E', 'G');

// FFmpeg's description of an AVERROR code (av_err2str does not compile as
// C++), and ours of kNotARegularFile.
inline std::string FfmpegErrorText(int error) {
  if (error == kNotARegularFile) return "Not a regular file";
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}
