#pragma once

#include "CodecWrapper.h"

#include <vector>

// The program's own decoders, which the decoder lookup offers ahead of
// FFmpeg's. Entries are never removed; the records must live for the whole
// run.
class DecoderRegistry {
 public:
  // Appends the record after those registered before it.
  static void Register(const CodecWrapper& codec);
  // The first registered decoder for the codec id, or null.
  static const CodecWrapper* Find(AVCodecID codecId);
  // Every registered record, in registration order.
  static std::vector<const CodecWrapper*> Entries();
};
