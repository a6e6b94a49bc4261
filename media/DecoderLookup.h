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

// The decoder of an audio stream whose sound goes out with `outputChannels`.
// The AC-3, E-AC-3 and DTS decoders mix down by the mix levels their streams
// carry, which no resampler knows, so they are asked to when there are fewer
// channels out than in; they read that wish only when they open.
std::unique_ptr<StreamDecoder> OpenAudioDecoder(const AVStream& stream, DecoderSource source, int outputChannels);

// The name of the decoder the lookup would choose for a codec id, or null.
const char* FindDecoderName(AVCodecID id, DecoderSource source = DecoderSource::Registered);
