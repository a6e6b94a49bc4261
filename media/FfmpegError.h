#pragma once

#include <string>

extern "C" {
#include <libavutil/error.h>
}

// FFmpeg's description of an AVERROR code (av_err2str does not compile as C++).
inline std::string FfmpegErrorText(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(error, text, sizeof text);
  return text;
}
