#include "FfmpegStreamDecoder.h"

FfmpegStreamDecoder::FfmpegStreamDecoder(AVCodecContext* context)
    : context_(context), frame_(av_frame_alloc()) {}

FfmpegStreamDecoder::~FfmpegStreamDecoder() {
  av_frame_free(&frame_);
  avcodec_free_context(&context_);
}

std::unique_ptr<FfmpegStreamDecoder> FfmpegStreamDecoder::Open(const AVCodec& codec,
                                                               const AVStream& stream,
                                                               const AVDictionary* options) {
  AVCodecContext* context = avcodec_alloc_context3(&codec);
  if (!context) return nullptr;
  std::unique_ptr<FfmpegStreamDecoder> decoder(new FfmpegStreamDecoder(context));
  if (!decoder->frame_ || avcodec_parameters_to_context(context, stream.codecpar) < 0) return nullptr;
  context->pkt_timebase = stream.time_base;
  AVDictionary* openOptions = nullptr;
  av_dict_copy(&openOptions, options, 0);
  const int opened = avcodec_open2(context, &codec, &openOptions);
  av_dict_free(&openOptions);
  if (opened < 0) return nullptr;
  return decoder;
}

const char* FfmpegStreamDecoder::Name() const { return context_->codec->name; }

int FfmpegStreamDecoder::Decode(const AVPacket* packet, const FrameSink& sink) {
  int sent = avcodec_send_packet(context_, packet);
  // A drained decoder answers EOF to a second drain; nothing is lost.
  if (sent == AVERROR_EOF) sent = 0;
  if (sent < 0) return sent;
  for (;;) {
    const int received = avcodec_receive_frame(context_, frame_);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return 0;
    if (received < 0) return received;
    sink(*frame_);
    av_frame_unref(frame_);
  }
}

void FfmpegStreamDecoder::Flush() { avcodec_flush_buffers(context_); }
