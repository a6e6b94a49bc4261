#pragma once

#include "StreamDecoder.h"

// One of FFmpeg's own decoders, driven by the send/receive calls.
class FfmpegStreamDecoder : public StreamDecoder {
 public:
  // Opens `codec` on the stream's parameters; null when it cannot be opened.
  // `options` holds decoder options (e.g. "downmix"); entries the decoder
  // does not know are ignored.
  static std::unique_ptr<FfmpegStreamDecoder> Open(const AVCodec& codec, const AVStream& stream,
                                                   const AVDictionary* options = nullptr);
  ~FfmpegStreamDecoder() override;

  const char* Name() const override;
  int Decode(const AVPacket* packet, const FrameSink& sink) override;
  void Flush() override;
  int Width() const override { return context_->width; }
  int Height() const override { return context_->height; }
  AVRational SampleAspectRatio() const override { return context_->sample_aspect_ratio; }
  AVRational TimeBase() const override { return context_->time_base; }

 private:
  explicit FfmpegStreamDecoder(AVCodecContext* context);

  AVCodecContext* context_;
  AVFrame* frame_;
};
