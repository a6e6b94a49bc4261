#include "DecoderLookup.h"

#include "DecoderRegistry.h"
#include "FfmpegStreamDecoder.h"
#include "WrapperStreamDecoder.h"

#include <cstring>

namespace {

const CodecWrapper* FindWrapper(AVCodecID id, DecoderSource source) {
  return source == DecoderSource::Registered ? DecoderRegistry::Find(id) : nullptr;
}

}  // namespace

// A wrapper that fails to open is not replaced by FFmpeg's decoder: the
// lookup has chosen, and the caller treats the stream as undecodable.
std::unique_ptr<StreamDecoder> OpenStreamDecoder(const AVStream& stream, DecoderSource source,
                                                 const AVDictionary* options) {
  if (const CodecWrapper* wrapper = FindWrapper(stream.codecpar->codec_id, source)) {
    return WrapperStreamDecoder::Open(*wrapper, stream);
  }
  const AVCodec* codec = avcodec_find_decoder(stream.codecpar->codec_id);
  if (!codec) return nullptr;
  return FfmpegStreamDecoder::Open(*codec, stream, options);
}

std::unique_ptr<StreamDecoder> OpenAudioDecoder(const AVStream& stream, DecoderSource source, int outputChannels) {
  const char* name = FindDecoderName(stream.codecpar->codec_id, source);
  const bool mixesDownItself =
      name && (std::strcmp(name, "ac3") == 0 || std::strcmp(name, "eac3") == 0 || std::strcmp(name, "dca") == 0);
  if (!mixesDownItself || outputChannels >= stream.codecpar->ch_layout.nb_channels) {
    return OpenStreamDecoder(stream, source);
  }
  AVDictionary* options = nullptr;
  av_dict_set(&options, "downmix", outputChannels == 1 ? "mono" : "stereo", 0);
  auto decoder = OpenStreamDecoder(stream, source, options);
  av_dict_free(&options);
  return decoder;
}

const char* FindDecoderName(AVCodecID id, DecoderSource source) {
  if (const CodecWrapper* wrapper = FindWrapper(id, source)) return wrapper->name;
  const AVCodec* codec = avcodec_find_decoder(id);
  return codec ? codec->name : nullptr;
}
