#include "DecoderLookup.h"

#include "FfmpegStreamDecoder.h"

std::unique_ptr<StreamDecoder> OpenStreamDecoder(const AVStream& stream, DecoderSource,
                                                 const AVDictionary* options) {
  const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
  if (!codec) return nullptr;
  return FfmpegStreamDecoder::Open(*codec, stream, options);
}

const char* FindDecoderName(AVCodecID id, DecoderSource) {
  const AVCodec* codec = avcodec_find_decoder(id);
  return codec ? codec->name : nullptr;
}
