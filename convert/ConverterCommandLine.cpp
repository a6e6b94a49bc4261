#include "ConverterCommandLine.h"

#include "CommandLineArguments.h"

#include <charconv>
#include <cmath>

namespace {

// "%f" without the locale: a decimal comma would cut the wrong range.
std::string SixDecimals(double value) {
  char text[400];  // the largest double has 309 digits before the point
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
  return std::string(text, result.ptr);
}

std::string ClipArgument(const Task& task) {
  if (!ClipsItsFile(task)) return {};
  return "-ss " + SixDecimals(ClipStartWithinFile(task)) + " -t " + SixDecimals(task.clipLength);
}

std::string TrackArgument(const Task& task) {
  return task.audioTrack > 0 ? " -map 0:a:" + std::to_string(task.audioTrack - 1) : "";
}

const char* EncoderOptions(int formatCode) {
  switch (formatCode) {
    case kFormatMp3:
      return " -y -acodec libmp3lame -ab ";
    case kFormatWav:
      return " -y -vn -ab ";
    case kFormatAc3:
      return " -y -acodec ac3 -ab ";
    case kFormatM4a:
      return " -y -acodec aac -ab ";
    case kFormatFlac:
      return " -y -acodec flac -ab ";
    case kFormatOpus:
      return " -y -acodec libopus -ab ";
    default:
      return nullptr;
  }
}

}  // namespace

std::string BuildConverterCommandLine(const std::string& converterPath, const Task& task,
                                      const Settings& settings, const std::string& outputPath) {
  const std::string start = QuoteArgument(converterPath) + " -i " + QuoteArgument(task.sourcePath) + " " +
                            ClipArgument(task) + TrackArgument(task);
  if (settings.formatCode == kFormatOriginal) return start + " -y -acodec copy " + QuoteArgument(outputPath);
  const char* encoderOptions = EncoderOptions(settings.formatCode);
  if (!encoderOptions) return {};
  const std::string channels = settings.channelCount == 1 ? "1" : "2";
  return start + encoderOptions + std::to_string(settings.bitRate / 1000) + "k -ac " + channels + " -ar " +
         std::to_string(settings.sampleRate) + " " + QuoteArgument(outputPath);
}
