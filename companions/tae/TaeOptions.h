#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

// What a tae command line asks for. The syntax is the ffmpeg tool's, as far
// as an audio extraction needs it; options may come in any order before the
// output, which is the last argument.
struct TaeOptions {
  std::string input;
  std::string output;
  int64_t start = 0;                 // microseconds (-ss)
  std::optional<int64_t> length;     // microseconds (-t)
  bool overwrite = false;            // -y
  std::string encoder;               // -acodec; empty: chosen by the output's extension; "copy": Original
  int bitRate = 128000;              // -ab, bits per second
  int channels = 2;                  // -ac
  int sampleRate = 44100;            // -ar
  int audioTrack = 0;                // -map 0:a:N gives track N + 1 (see AudioTrack); 0: the default one
};

// The options, or a one-line reason why the arguments are not usable.
std::variant<TaeOptions, std::string> ParseTaeArguments(const std::vector<std::string>& arguments);
