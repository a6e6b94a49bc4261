#include "WrapperStreamDecoder.h"

extern "C" {
#include <libavutil/mem.h>
}

#include <cstring>

namespace {

int GetPictureBuffer(WrapperCodecContext* context, AVFrame* picture) {
  picture->format = context->pixelFormat;
  picture->width = context->width;
  picture->height = context->height;
  return av_frame_get_buffer(picture, 0);
}

void ReleasePictureBuffer(WrapperCodecContext*, AVFrame* picture) { av_frame_unref(picture); }

}  // namespace

WrapperStreamDecoder::WrapperStreamDecoder(const CodecWrapper& codec, const AVStream& stream)
    : codec_(codec), sampleAspectRatio_(stream.codecpar->sample_aspect_ratio), picture_(av_frame_alloc()) {
  const AVCodecParameters& parameters = *stream.codecpar;
  context_.codec = &codec;
  context_.privateData = av_mallocz(codec.privateDataSize);
  context_.width = parameters.width;
  context_.height = parameters.height;
  context_.codecId = parameters.codec_id;
  if (parameters.extradata_size > 0) {
    context_.extradata =
        static_cast<uint8_t*>(av_mallocz(static_cast<size_t>(parameters.extradata_size) + AV_INPUT_BUFFER_PADDING_SIZE));
    if (context_.extradata) {
      std::memcpy(context_.extradata, parameters.extradata, parameters.extradata_size);
      context_.extradataSize = parameters.extradata_size;
    }
  }
  if (codec.capabilities & AV_CODEC_CAP_DR1) {
    context_.get_buffer = GetPictureBuffer;
    context_.release_buffer = ReleasePictureBuffer;
  }
}

WrapperStreamDecoder::~WrapperStreamDecoder() {
  if (opened_) codec_.close(&context_);
  av_frame_free(&picture_);
  av_freep(&context_.extradata);
  av_freep(&context_.privateData);
}

std::unique_ptr<WrapperStreamDecoder> WrapperStreamDecoder::Open(const CodecWrapper& codec,
                                                                 const AVStream& stream) {
  if (stream.codecpar->codec_type != codec.mediaType) return nullptr;
  std::unique_ptr<WrapperStreamDecoder> decoder(new WrapperStreamDecoder(codec, stream));
  const bool extradataCopied = stream.codecpar->extradata_size <= 0 || decoder->context_.extradata;
  if (!decoder->picture_ || !decoder->context_.privateData || !extradataCopied) return nullptr;
  if (codec.init(&decoder->context_) < 0) return nullptr;
  decoder->opened_ = true;
  return decoder;
}

int WrapperStreamDecoder::Decode(const AVPacket* packet, const FrameSink& sink) {
  if (!packet) return 0;
  int pictureSize = 0;
  const int used = codec_.decode(&context_, picture_, &pictureSize, packet->data, packet->size);
  if (pictureSize > 0) sink(*picture_);
  return used < 0 ? AVERROR_INVALIDDATA : 0;
}
