#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

// What the ffprobe tool reports of a file, for checking results the way a
// user's own player would see them.
struct ProbedFile {
  std::optional<double> duration;  // the container's, seconds
  std::string audioCodec;          // of the first audio stream, empty if none
  int sampleRate = 0;
  int channels = 0;
  int audioStreams = 0;
  std::vector<double> averageFrameRates;  // of each video stream but cover pictures; 0 when unknown
};

std::optional<ProbedFile> Ffprobe(const std::string& path);

// Where the file's last packet ends, over all streams, counted from the
// file's start time (seconds); nullopt when no packet has a time stamp.
std::optional<double> LastPacketEndSeconds(const std::string& path);

// Seconds of audio the ffmpeg tool decodes from the file's first audio
// stream; nullopt when nothing decodes.
std::optional<double> DecodedAudioSeconds(const std::string& path);

// The tags ffprobe reads from the file and from its first audio stream
// (Ogg keeps them there), by lower-case key.
std::map<std::string, std::string> ProbedTags(const std::string& path);

// The first audio stream's samples as the ffmpeg tool decodes them, at the
// stream's own rate and channels, 16 bits little-endian; nullopt when
// nothing decodes.
std::optional<std::string> DecodedSamples(const std::string& path);

// The loudness (root mean square, 0 to 1) of audio track `audioTrack`
// (numbered from 1; the first audio stream by default), mixed to mono, in
// consecutive windows of `windowSeconds`.
std::vector<double> LoudnessWindows(const std::string& path, double windowSeconds, int audioTrack = 1);

// The strongest frequency of the first audio stream (mixed to mono), found
// by counting zero crossings of the decoded samples; 0 when nothing decodes.
double DominantFrequency(const std::string& path);

// The strongest frequency (mixed to mono, by zero crossings) in each
// consecutive window of `windowSeconds`, measured clear of its edges.
std::vector<double> FrequencyWindows(const std::string& path, double windowSeconds);

// The first audio stream over every sample of every channel, decoded to
// floating point, where a sound that reached full scale shows as 1.0.
struct AudioLevels {
  double peak = 0;  // the largest magnitude
  double rms = 0;   // root mean square
};
std::optional<AudioLevels> MeasureAudioLevels(const std::string& path);
