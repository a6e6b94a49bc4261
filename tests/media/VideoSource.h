#pragma once

#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

// A file opened with FFmpeg to read the packets of its best video stream in
// file order, as a decoder's caller reads them.
class VideoSource {
 public:
  explicit VideoSource(const std::string& path);
  ~VideoSource();
  VideoSource(const VideoSource&) = delete;
  VideoSource& operator=(const VideoSource&) = delete;

  bool IsOpen() const { return stream_ != nullptr; }
  const AVStream& Stream() const { return *stream_; }
  // The next packet of the video stream, valid until the next call; null
  // at the end.
  const AVPacket* NextPacket();

 private:
  AVFormatContext* input_ = nullptr;
  const AVStream* stream_ = nullptr;
  AVPacket* packet_;
};
