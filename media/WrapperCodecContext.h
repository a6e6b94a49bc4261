#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

struct CodecWrapper;

// Logs with a wrapper's context as the source under the wrapper's name.
extern const AVClass kWrapperCodecContextClass;

// What an opened wrapper decoder sees of its stream and its caller.
struct WrapperCodecContext {
  // First, so that av_log takes the context as its source.
  const AVClass* avClass = &kWrapperCodecContextClass;
  const CodecWrapper* codec = nullptr;
  void* privateData = nullptr;
  int width = 0;
  int height = 0;
  AVCodecID codecId = AV_CODEC_ID_NONE;
  // Set-up bytes the container carries for the stream, padded as FFmpeg's.
  uint8_t* extradata = nullptr;
  int extradataSize = 0;
  // Chosen by the decoder when it opens.
  AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
  // The caller's picture allocator: fills `picture` with a buffer for the
  // context's pixel format, width and height (0, or negative on failure),
  // and gives such a buffer back.
  int (*get_buffer)(WrapperCodecContext* context, AVFrame* picture) = nullptr;
  void (*release_buffer)(WrapperCodecContext* context, AVFrame* picture) = nullptr;
};
