#include "Ffprobe.h"

#include "Command.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <vector>

namespace {

// Audio track `audioTrack` (the first by default) decoded to raw samples in
// `outputOptions`' form.
std::optional<std::string> Decode(const std::string& path, const std::vector<std::string>& outputOptions,
                                  int audioTrack = 1) {
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-v", "error"};
  // Raw AC-3 has no header to recognise it by; a file of two frames is too
  // short for the tool's guess, though players go by the extension.
  if (path.size() > 4 && path.compare(path.size() - 4, 4, ".ac3") == 0) command.insert(command.end(), {"-f", "ac3"});
  command.insert(command.end(), {"-i", path, "-map", "0:a:" + std::to_string(audioTrack - 1)});
  command.insert(command.end(), outputOptions.begin(), outputOptions.end());
  command.push_back("-");
  const CommandResult result = RunCommand(command);
  if (result.exitCode != 0 || result.output.empty()) return std::nullopt;
  return result.output;
}

std::optional<std::string> DecodeMono(const std::string& path, int sampleRate, int audioTrack = 1) {
  return Decode(path, {"-f", "s16le", "-ac", "1", "-ar", std::to_string(sampleRate)}, audioTrack);
}

// "30000/1001" as a number; 0 for an unknown rate ("0/0").
double RationalValue(const std::string& text) {
  const auto slash = text.find('/');
  const double denominator = slash == std::string::npos ? 1 : std::atof(text.c_str() + slash + 1);
  return denominator != 0 ? std::atof(text.c_str()) / denominator : 0;
}

double ZeroCrossingFrequency(const int16_t* samples, size_t count, int sampleRate) {
  if (count < 2) return 0;
  int crossings = 0;
  for (size_t i = 1; i < count; ++i) {
    if ((samples[i - 1] < 0) != (samples[i] < 0)) ++crossings;
  }
  return crossings / 2.0 / (static_cast<double>(count) / sampleRate);
}

}  // namespace

std::optional<ProbedFile> Ffprobe(const std::string& path) {
  const CommandResult result =
      RunCommand({"ffprobe", "-v", "error", "-show_entries",
                  "format=duration:stream=codec_type,codec_name,sample_rate,channels,avg_frame_rate:"
                  "stream_disposition=attached_pic",
                  "-of",
                  "default=nw=0", path});
  if (result.exitCode != 0) return std::nullopt;
  ProbedFile file;
  std::istringstream lines(result.output);
  std::string line, codecName, codecType, averageFrameRate;
  int sampleRate = 0, channels = 0;
  bool coverPicture = false;
  for (; std::getline(lines, line);) {
    const auto equals = line.find('=');
    const std::string key = line.substr(0, equals);
    const std::string value = equals == std::string::npos ? "" : line.substr(equals + 1);
    if (key == "codec_name") codecName = value;
    if (key == "codec_type") codecType = value;
    if (key == "sample_rate") sampleRate = std::atoi(value.c_str());
    if (key == "channels") channels = std::atoi(value.c_str());
    if (key == "duration" && value != "N/A") file.duration = std::atof(value.c_str());
    if (key == "avg_frame_rate") averageFrameRate = value;
    if (key == "DISPOSITION:attached_pic") coverPicture = value == "1";
    if (line == "[/STREAM]") {
      if (codecType == "video" && !coverPicture) file.averageFrameRates.push_back(RationalValue(averageFrameRate));
      if (codecType == "audio" && file.audioStreams++ == 0) {
        file.audioCodec = codecName;
        file.sampleRate = sampleRate;
        file.channels = channels;
      }
      codecName.clear();
      codecType.clear();
      coverPicture = false;
    }
  }
  return file;
}

std::optional<double> LastPacketEndSeconds(const std::string& path) {
  const CommandResult result = RunCommand({"ffprobe", "-v", "error", "-show_entries",
                                           "format=start_time:packet=pts_time,dts_time,duration_time", "-of",
                                           "default=nw=1", path});
  if (result.exitCode != 0) return std::nullopt;
  std::optional<double> end;
  double start = 0, stamp = NAN, length = 0;
  std::istringstream lines(result.output);
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    const bool known = value != "N/A";
    if (key == "pts_time") stamp = known ? std::atof(value.c_str()) : NAN;
    if (key == "dts_time" && std::isnan(stamp) && known) stamp = std::atof(value.c_str());
    if (key == "duration_time") {
      length = known ? std::atof(value.c_str()) : 0;
      if (!std::isnan(stamp)) end = std::max(end.value_or(stamp + length), stamp + length);
      stamp = NAN;
    }
    if (key == "start_time" && known) start = std::atof(value.c_str());
  }
  if (!end) return std::nullopt;
  return *end - start;
}

std::optional<double> DecodedAudioSeconds(const std::string& path) {
  constexpr int kRate = 48000;
  const auto samples = DecodeMono(path, kRate);
  if (!samples) return std::nullopt;
  return static_cast<double>(samples->size() / 2) / kRate;
}

std::optional<std::string> DecodedSamples(const std::string& path) { return Decode(path, {"-f", "s16le"}); }

std::map<std::string, std::string> ProbedTags(const std::string& path) {
  // One "key=value" line each: the file's tags first, then the stream's.
  const CommandResult result =
      RunCommand({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", "format_tags:stream_tags",
                  "-of", "default=noprint_wrappers=1:nokey=0", path});
  std::map<std::string, std::string> tags;
  std::istringstream lines(result.output);
  for (std::string line; std::getline(lines, line);) {
    const auto equals = line.find('=');
    if (!line.starts_with("TAG:") || equals == std::string::npos) continue;
    std::string key = line.substr(4, equals - 4);
    std::transform(key.begin(), key.end(), key.begin(), [](unsigned char c) { return std::tolower(c); });
    tags[key] = line.substr(equals + 1);
  }
  return tags;
}

std::vector<double> LoudnessWindows(const std::string& path, double windowSeconds, int audioTrack) {
  constexpr int kRate = 48000;
  std::vector<double> windows;
  const auto bytes = DecodeMono(path, kRate, audioTrack);
  if (!bytes) return windows;
  const size_t count = bytes->size() / 2;
  const size_t window = static_cast<size_t>(windowSeconds * kRate);
  for (size_t begin = 0; begin + window <= count; begin += window) {
    double sum = 0;
    for (size_t i = begin; i < begin + window; ++i) {
      int16_t sample;
      std::memcpy(&sample, bytes->data() + 2 * i, 2);
      sum += static_cast<double>(sample) * sample;
    }
    windows.push_back(std::sqrt(sum / static_cast<double>(window)) / 32768.0);
  }
  return windows;
}

double DominantFrequency(const std::string& path) {
  constexpr int kRate = 48000;
  const auto bytes = DecodeMono(path, kRate);
  if (!bytes) return 0;
  std::vector<int16_t> samples(bytes->size() / 2);
  std::memcpy(samples.data(), bytes->data(), samples.size() * 2);
  // The edges may hold encoder padding or a fade; the middle is the tone.
  const size_t begin = samples.size() / 10;
  const size_t end = samples.size() - samples.size() / 10;
  if (end <= begin + 2) return 0;
  return ZeroCrossingFrequency(samples.data() + begin, end - begin, kRate);
}

std::vector<double> FrequencyWindows(const std::string& path, double windowSeconds) {
  constexpr int kRate = 48000;
  std::vector<double> windows;
  const auto bytes = DecodeMono(path, kRate);
  if (!bytes) return windows;
  std::vector<int16_t> samples(bytes->size() / 2);
  std::memcpy(samples.data(), bytes->data(), samples.size() * 2);
  const size_t window = static_cast<size_t>(windowSeconds * kRate);
  // The middle of each window, clear of a change of tone at its edges.
  const size_t margin = window / 5;
  for (size_t begin = 0; begin + window <= samples.size(); begin += window) {
    windows.push_back(ZeroCrossingFrequency(samples.data() + begin + margin, window - 2 * margin, kRate));
  }
  return windows;
}

std::optional<AudioLevels> MeasureAudioLevels(const std::string& path) {
  const auto bytes = Decode(path, {"-f", "f32le"});
  if (!bytes) return std::nullopt;
  std::vector<float> samples(bytes->size() / sizeof(float));
  std::memcpy(samples.data(), bytes->data(), samples.size() * sizeof(float));
  AudioLevels levels;
  double sum = 0;
  for (const float sample : samples) {
    levels.peak = std::max(levels.peak, static_cast<double>(std::fabs(sample)));
    sum += static_cast<double>(sample) * sample;
  }
  levels.rms = std::sqrt(sum / static_cast<double>(samples.size()));
  return levels;
}
