#include "TaeOptions.h"

#include <cstdlib>

extern "C" {
#include <libavutil/parseutils.h>
}

namespace {

std::optional<int64_t> ParseTime(const std::string& text) {
  int64_t microseconds = 0;
  if (av_parse_time(&microseconds, text.c_str(), 1) < 0 || microseconds < 0) return std::nullopt;
  return microseconds;
}

// "128k", "128000" or "1.5M".
std::optional<int> ParseBitRate(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (end == text.c_str() || value <= 0) return std::nullopt;
  double scale = 1;
  if (*end == 'k' || *end == 'K') {
    scale = 1e3;
    ++end;
  } else if (*end == 'M') {
    scale = 1e6;
    ++end;
  }
  if (*end != '\0' || value * scale > 10e6) return std::nullopt;
  return static_cast<int>(value * scale);
}

std::optional<int> ParseCount(const std::string& text, int low, int high) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || value < low || value > high) return std::nullopt;
  return static_cast<int>(value);
}

// "0:a:N", the input's audio stream N counted from 0: the one stream map an
// extraction of one track needs.
std::optional<int> ParseAudioMap(const std::string& text) {
  const std::string prefix = "0:a:";
  if (!text.starts_with(prefix)) return std::nullopt;
  const auto index = ParseCount(text.substr(prefix.size()), 0, 9999);
  if (!index) return std::nullopt;
  return *index + 1;
}

}  // namespace

std::variant<TaeOptions, std::string> ParseTaeArguments(const std::vector<std::string>& arguments) {
  TaeOptions options;
  if (arguments.empty()) return std::string("No output file given");
  options.output = arguments.back();
  if (options.output.empty() || options.output[0] == '-') return std::string("No output file given");

  const size_t optionCount = arguments.size() - 1;
  for (size_t i = 0; i < optionCount; ++i) {
    const std::string& name = arguments[i];
    if (name == "-y") {
      options.overwrite = true;
      continue;
    }
    if (name == "-vn") continue;  // audio is all tae ever writes
    if (i + 1 >= optionCount) return "Option " + name + " needs a value";
    const std::string& value = arguments[++i];
    if (name == "-i") {
      options.input = value;
    } else if (name == "-ss") {
      const auto start = ParseTime(value);
      if (!start) return "Invalid start time " + value;
      options.start = *start;
    } else if (name == "-t") {
      const auto length = ParseTime(value);
      if (!length) return "Invalid length " + value;
      options.length = *length;
    } else if (name == "-map") {
      const auto track = ParseAudioMap(value);
      if (!track) return "Unsupported stream map " + value + " (tae maps one audio stream: 0:a:N)";
      options.audioTrack = *track;
    } else if (name == "-acodec") {
      options.encoder = value;
    } else if (name == "-ab") {
      const auto bitRate = ParseBitRate(value);
      if (!bitRate) return "Invalid bit rate " + value;
      options.bitRate = *bitRate;
    } else if (name == "-ac") {
      const auto channels = ParseCount(value, 1, 8);
      if (!channels) return "Invalid channel count " + value;
      options.channels = *channels;
    } else if (name == "-ar") {
      const auto rate = ParseCount(value, 1000, 384000);
      if (!rate) return "Invalid sample rate " + value;
      options.sampleRate = *rate;
    } else {
      return "Unknown option " + name;
    }
  }
  if (options.input.empty()) return std::string("No input file given (-i)");
  return options;
}
