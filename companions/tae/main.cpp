// tae: the companion converter. It writes the sound of one media file into an
// MP3, WAV or AC3 file, takes the ffmpeg tool's command-line syntax and
// prints the ffmpeg tool's progress lines, so that the program can run it as
// a child process and follow it.
#include "TaeConversion.h"
#include "TaeOptions.h"
#include "platform/FfmpegLog.h"

#include <csignal>
#include <cstdio>

extern "C" {
#include <libavutil/log.h>
}

int main(int argc, char** argv) {
  // A parent that stops reading must not kill the conversion halfway.
  std::signal(SIGPIPE, SIG_IGN);
  FfmpegLog::Route(AV_LOG_FATAL);

  const auto parsed = ParseTaeArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (const auto* reason = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "tae: %s\n", reason->c_str());
    std::fprintf(stderr,
                 "usage: tae -i INPUT [-ss START] [-t LENGTH] [-y] [-vn] "
                 "[-acodec libmp3lame|ac3|aac|flac|libopus|copy] [-ab RATEk] [-ac CHANNELS] [-ar HZ] OUTPUT\n");
    return 2;
  }
  TaeConversion conversion(std::get<TaeOptions>(parsed), stderr);
  if (const auto failure = conversion.Run()) {
    std::fprintf(stderr, "tae: %s\n", failure->c_str());
    return 1;
  }
  return 0;
}
