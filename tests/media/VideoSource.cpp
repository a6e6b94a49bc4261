#include "VideoSource.h"

VideoSource::VideoSource(const std::string& path) : packet_(av_packet_alloc()) {
  if (avformat_open_input(&input_, path.c_str(), nullptr, nullptr) < 0) return;
  if (avformat_find_stream_info(input_, nullptr) < 0) return;
  const int index = av_find_best_stream(input_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
  if (index >= 0) stream_ = input_->streams[index];
}

VideoSource::~VideoSource() {
  av_packet_free(&packet_);
  avformat_close_input(&input_);
}

const AVPacket* VideoSource::NextPacket() {
  if (!stream_) return nullptr;
  av_packet_unref(packet_);
  while (av_read_frame(input_, packet_) >= 0) {
    if (packet_->stream_index == stream_->index) return packet_;
    av_packet_unref(packet_);
  }
  return nullptr;
}
