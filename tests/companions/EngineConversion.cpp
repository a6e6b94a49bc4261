#include "EngineConversion.h"

#include "media/CMediaTranscoder.h"
#include "platform/RecordingNotice.h"
#include "support/TranscodeEndWaiter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

namespace {

std::string Decimal(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%f", seconds);
  return text;
}

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

std::optional<TranscodeOutcome> ConvertInProcess(const EngineConversion& conversion) {
  RecordingNotice notice;
  TranscodeEndWaiter waiter;
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  if (media.OpenInput(conversion.source, conversion.audioTrack) != 0) return std::nullopt;
  media.SetNotifyWindow(&waiter);
  if (conversion.original) {
    std::optional<CMediaTranscoder::PacketClip> clip;
    if (conversion.clip) clip = {conversion.clip->first, conversion.clip->second - conversion.clip->first};
    media.SetOriginal(clip);
  } else {
    if (conversion.clip) {
      media.SetClip(static_cast<float>(conversion.clip->first), static_cast<float>(conversion.clip->second));
    }
    media.SetOutputParameters(conversion.sampleRate, conversion.channels, conversion.bitRate);
  }
  if (media.OpenOutput(conversion.output) != 0 || media.Start() != 0) {
    // The reason the run records, else the box the user was shown.
    if (!media.OutputFailure().empty()) return TranscodeOutcome{false, media.OutputFailure()};
    return TranscodeOutcome{false, notice.Texts().empty() ? "" : notice.Texts().back()};
  }
  const auto outcome = waiter.Wait(std::chrono::minutes(2));
  if (!outcome) ADD_FAILURE() << "the worker never finished";
  return outcome.value_or(TranscodeOutcome{false, "the worker never finished"});
}

CommandResult ConvertThroughTae(const EngineConversion& conversion) {
  std::vector<std::string> command = {TOLVAR_TAE_PROGRAM, "-i", conversion.source};
  if (conversion.clip) {
    command.insert(command.end(), {"-ss", Decimal(conversion.clip->first), "-t",
                                   Decimal(conversion.clip->second - conversion.clip->first)});
  }
  if (conversion.audioTrack != 0) {
    command.insert(command.end(), {"-map", "0:a:" + std::to_string(conversion.audioTrack - 1)});
  }
  command.push_back("-y");
  if (conversion.original) {
    command.insert(command.end(), {"-acodec", "copy", conversion.output});
    return RunCommand(command);
  }
  if (EndsWith(conversion.output, ".mp3")) command.insert(command.end(), {"-acodec", "libmp3lame"});
  if (EndsWith(conversion.output, ".wav")) command.push_back("-vn");
  if (EndsWith(conversion.output, ".ac3")) command.insert(command.end(), {"-acodec", "ac3"});
  if (EndsWith(conversion.output, ".m4a")) command.insert(command.end(), {"-acodec", "aac"});
  if (EndsWith(conversion.output, ".flac")) command.insert(command.end(), {"-acodec", "flac"});
  if (EndsWith(conversion.output, ".opus")) command.insert(command.end(), {"-acodec", "libopus"});
  command.insert(command.end(), {"-ab", std::to_string(conversion.bitRate / 1000) + "k", "-ac",
                                 std::to_string(conversion.channels), "-ar", std::to_string(conversion.sampleRate),
                                 conversion.output});
  return RunCommand(command);
}

std::optional<TranscodeOutcome> Convert(const EngineConversion& conversion, bool throughTae) {
  if (!throughTae) return ConvertInProcess(conversion);
  const CommandResult result = ConvertThroughTae(conversion);
  return TranscodeOutcome{result.exitCode == 0, result.errors};
}
