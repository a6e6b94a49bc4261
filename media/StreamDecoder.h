#pragma once

#include <functional>
#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// An opened decoder for one stream of a source: FFmpeg's own, or one of the
// program's registered wrappers (see DecoderLookup). Callers never see which.
class StreamDecoder {
 public:
  // Receives each decoded picture or block of samples; the frame is only
  // valid during the call.
  using FrameSink = std::function<void(const AVFrame& frame)>;

  virtual ~StreamDecoder() = default;

  // The registered name of the decoder, e.g. "h264" or "wmv3dmo".
  virtual const char* Name() const = 0;

  // Decodes one packet, or drains the decoder when `packet` is null, handing
  // every frame that comes out to `sink`. Returns 0, or a negative AVERROR
  // when the packet was refused; a refused packet leaves the decoder usable.
  virtual int Decode(const AVPacket* packet, const FrameSink& sink) = 0;

  // Forgets buffered data, for a jump in the source.
  virtual void Flush() = 0;

  // Stream parameters as the opened decoder sees them.
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual AVRational SampleAspectRatio() const = 0;
  virtual AVRational TimeBase() const = 0;
};
