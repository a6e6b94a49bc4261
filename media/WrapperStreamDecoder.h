#pragma once

#include "CodecWrapper.h"
#include "StreamDecoder.h"
#include "WrapperCodecContext.h"

#include <memory>

// One of the program's registered wrapper decoders (CodecWrapper), opened for
// one stream and driven through its old-style entry points.
class WrapperStreamDecoder final : public StreamDecoder {
 public:
  // Null when the stream is not of the wrapper's media type or the
  // wrapper's init fails; nothing is held then.
  static std::unique_ptr<WrapperStreamDecoder> Open(const CodecWrapper& codec, const AVStream& stream);
  ~WrapperStreamDecoder() override;
  WrapperStreamDecoder(const WrapperStreamDecoder&) = delete;
  WrapperStreamDecoder& operator=(const WrapperStreamDecoder&) = delete;

  const char* Name() const override { return codec_.name; }
  // A wrapper answers the same failure for a refused packet and for a
  // packet after which no picture is ready yet (decoder delay); both come
  // back as AVERROR_INVALIDDATA, and the decoder stays usable. The picture
  // handed to the sink is a view of the wrapper's memory. Draining gives
  // nothing: a wrapper hands out its pictures packet by packet.
  int Decode(const AVPacket* packet, const FrameSink& sink) override;
  // The wrappers have no flush entry; their decoder resynchronises on the
  // next key frame by itself.
  void Flush() override {}
  int Width() const override { return context_.width; }
  int Height() const override { return context_.height; }
  AVRational SampleAspectRatio() const override { return sampleAspectRatio_; }
  // Wrappers know nothing of frame timing: 0/1, as FFmpeg's own WMV
  // decoders report it.
  AVRational TimeBase() const override { return AVRational{0, 1}; }

 private:
  WrapperStreamDecoder(const CodecWrapper& codec, const AVStream& stream);

  const CodecWrapper& codec_;
  WrapperCodecContext context_;
  AVRational sampleAspectRatio_;
  AVFrame* picture_;
  bool opened_ = false;
};
