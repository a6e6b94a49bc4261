#pragma once

#include "AudioOutput.h"
#include "EncoderFeeder.h"
#include "StreamDecoder.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

// The road of a source's sound into an output file, shared by the
// in-process transcoder and the tae converter: read, decode, resample, frame
// to the encoder's size, encode, mux. What differs between the two engines
// is spelled out in Options rather than copied.
class AudioPipeline {
 public:
  // How the clip is cut out of the source.
  enum class ClipCut {
    // Every packet is read from the start of the source; a packet whose time
    // (counted from the source's start) lies before the clip is dropped
    // undecoded, one past it ends the audio.
    WholePackets,
    // Decoded samples are trimmed to the clip exactly, after a seek close
    // to its start.
    ExactSamples,
    // Every packet whose span meets the clip is kept whole, none other: the
    // cut of a stream copied as it is, exact to a packet. The packets are
    // written as they are when the output copies them, else decoded (PCM
    // repacked sample for sample). Their time stamps start at 0.
    CoveringPackets,
  };

  struct Options {
    ClipCut cut = ClipCut::WholePackets;
    int64_t clipStart = 0;                // microseconds from the source's start
    std::optional<int64_t> clipLength;    // microseconds; none: to the end
    // Encode the resampler's and the FIFO's last part-frame too, rather
    // than end with the last whole frame.
    bool encodeTail = false;
  };

  struct Source {
    AVFormatContext* input = nullptr;
    int audioStreamIndex = -1;
    StreamDecoder* decoder = nullptr;
    bool hasVideo = false;
  };

  struct Result {
    bool converted = false;
    std::string failure;  // why not, in words for the user
  };

  // Seconds into the clip reached so far (the time of the packet in hand for
  // whole packets, of the output for exact samples) and the output's size.
  using ProgressSink = std::function<void(double seconds, int64_t outputBytes)>;
  using StopQuery = std::function<bool()>;

  // `buffer` is where converted samples pass on their way to the encoder.
  AudioPipeline(const Source& source, AudioOutput& output, const Options& options, uint8_t* buffer,
                int bufferSize);

  // Converts until the clip or the source ends, or `shouldStop` says so
  // (polled once per packet), then closes the output through the same steps
  // whatever happened. An output that holds no sound in the end (no packet
  // written, or none of them reached the disk) is removed; one that a
  // failure cut short keeps what it holds. The output must have its header
  // written.
  Result Run(const StopQuery& shouldStop, const ProgressSink& onProgress);

 private:
  bool ReadNextPacket(AVPacket* packet);
  bool HandleWholePacket(const AVPacket* packet);
  bool HandleExactPacket(const AVPacket* packet);
  bool HandleCoveringPacket(AVPacket* packet);
  // Hands a packet's frames to the encoder (null drains the decoder).
  bool DecodeIntoEncoder(const AVPacket* packet);
  bool HandlePacket(AVPacket* packet);
  void Fail(const std::string& what, int error);
  // A failure on the way through the encoder, which may have been the
  // writing of its packets.
  void FailEncoding(int error);

  Source source_;
  AudioOutput& output_;
  Options options_;
  std::optional<EncoderFeeder> feeder_;  // none when the output copies packets
  const AVStream* audioStream_;

  // Whole-packet cutting.
  int64_t startOffset_ = 0;  // the source's start time, in stream units
  double packetTime_ = 0;    // seconds into the clip of the last audio packet
  bool audioDone_ = false;

  // Covering packets.
  std::optional<int64_t> nextStamp_;   // where a packet without time stamp starts, in stream units
  std::optional<int64_t> firstStamp_;  // of the first packet kept, which becomes 0

  // Exact cutting.
  double origin_ = 0;        // seconds: the source's start time
  double nextFrameTime_ = 0;  // where a frame without time stamp starts
  bool pastClipEnd_ = false;

  std::string failure_;
};
