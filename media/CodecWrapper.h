#pragma once

#include <cstdint>

extern "C" {
#include <libavcodec/avcodec.h>
}

struct WrapperCodecContext;

// A decoder of the program's own that the decoder lookup offers ahead of
// FFmpeg's decoder for the same codec id. FFmpeg has no public way to
// register outside codecs, so the record and its context are ours; the
// entry points keep the old codec-library contract.
struct CodecWrapper {
  const char* name;
  AVMediaType mediaType;
  AVCodecID codecId;
  // Bytes of private state, allocated zero-filled for each opened decoder.
  int privateDataSize;
  // 0 when opened, negative when not; a failed open leaves nothing to close.
  int (*init)(WrapperCodecContext* context);
  int (*close)(WrapperCodecContext* context);
  // Decodes the packet's bytes and lays at most one picture into `picture`;
  // `pictureSize` is the picture's byte count, 0 when there is none.
  // Returns the bytes used, or negative.
  int (*decode)(WrapperCodecContext* context, AVFrame* picture, int* pictureSize, const uint8_t* data, int size);
  // AV_CODEC_CAP_* bits; AV_CODEC_CAP_DR1: pictures come from the context's
  // get_buffer/release_buffer.
  int capabilities;
};
