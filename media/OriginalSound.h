#pragma once

#include <optional>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

// How the Original format keeps a source's audio stream: its packets copied
// as they are into the container that takes its codec unchanged, or, for PCM
// that the WAV format does not take as it is (big-endian, DVD, Blu-ray),
// every sample repacked unchanged as little-endian PCM into WAV.
struct OriginalSound {
  std::string extension;      // of the output, without the dot: "m4a", "ac3", "mka", ...
  std::string repackEncoder;  // "pcm_s24le" and the like for PCM to repack; empty: copied
};

// The Original output of an audio stream as the source's demuxer describes
// it, once its stream info is read (which gives a PCM stream's sample format).
OriginalSound OriginalSoundOf(const AVCodecParameters& audio);

// The same for a source file's audio track `audioTrack` as the engines
// choose it (0: the default one); nullopt when the file does not open or
// holds no such track.
std::optional<OriginalSound> ProbeOriginalSound(const std::string& sourcePath, int audioTrack = 0);

// Reads a copied output back: nullopt when its audio stream opens and its
// first packets decode, else why not, in words for the user. A muxer can take
// a stream and still write a file that nothing plays.
std::optional<std::string> ReadBackFailure(const std::string& outputPath);
