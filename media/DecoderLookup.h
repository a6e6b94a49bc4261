#pragma once

#include "StreamDecoder.h"

#include <memory>

// Which decoders a lookup may return.
enum class DecoderSource {
  // The program's registered wrappers first, then FFmpeg's own.
  Registered,
  // FFmpeg's own decoders only.
  FfmpegOnly,
};

// The one place where the program finds a decoder for a codec id: every user
// of decoders (the probe, the transcoder, the preview) opens through it.
// Returns null when no decoder exists for the stream's codec or it does not
// open. `options` are decoder options for FFmpeg's decoders.
std::unique_ptr<StreamDecoder> OpenStreamDecoder(const AVStream& stream, DecoderSource source,
                                                 const AVDictionary* options = nullptr);

// The name of the decoder the lookup would choose for a codec id, or null.
const char* FindDecoderName(AVCodecID id, DecoderSource source = DecoderSource::Registered);
