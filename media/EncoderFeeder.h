#pragma once

#include "AudioOutput.h"

#include <cstdint>

struct SwrContext;
struct AVAudioFifo;

// Brings decoded samples to the encoder's format, rate and channel layout
// and hands them to the encoder: cut to its frame size through a FIFO, or in
// whole chunks to encoders without a fixed frame size (PCM). The resampler
// is set up from the first decoded block, never from the decoder, whose
// reported format may differ from what it actually produces.
class EncoderFeeder {
 public:
  // `buffer` receives the converted samples on their way to the encoder.
  EncoderFeeder(AudioOutput& output, uint8_t* buffer, int bufferSize);
  ~EncoderFeeder();
  EncoderFeeder(const EncoderFeeder&) = delete;
  EncoderFeeder& operator=(const EncoderFeeder&) = delete;

  // Converts `count` samples of `frame` from sample `offset` on and encodes
  // every whole frame they complete. 0 or a negative AVERROR.
  int Push(const AVFrame& frame, int offset, int count);

  // The end of the input: the encoder is drained. With `encodeTail`, what
  // the resampler and the FIFO still hold is encoded first (a short last
  // frame padded with silence when the encoder needs whole frames); without
  // it, that part-frame is dropped. 0 or a negative AVERROR.
  int Finish(bool encodeTail);

  // Samples handed to the encoder so far, at the output rate.
  int64_t SamplesEncoded() const { return samplesEncoded_; }

 private:
  int ConfigureResampler(const AVFrame& frame);
  int Convert(const uint8_t** input, int inputSamples);
  int EncodeConverted(int samples);
  int EncodeWholeFrames(bool includeShortTail);
  int EncodeFrame(AVFrame* frame);

  AudioOutput& output_;
  const AVCodecContext& encoder_;
  uint8_t* buffer_;
  int bufferSamples_;
  uint8_t* planes_[AV_NUM_DATA_POINTERS] = {};
  SwrContext* resampler_ = nullptr;
  AVChannelLayout inputLayout_{};
  int inputFormat_ = -1;
  int inputRate_ = 0;
  AVAudioFifo* fifo_ = nullptr;
  AVFrame* frame_ = nullptr;
  int64_t samplesEncoded_ = 0;
};
