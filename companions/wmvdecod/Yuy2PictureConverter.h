#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

// Turns decoded pictures of any format and size into packed YUY2 of one size,
// written row after row without gaps.
class Yuy2PictureConverter {
 public:
  Yuy2PictureConverter() = default;
  ~Yuy2PictureConverter();
  Yuy2PictureConverter(const Yuy2PictureConverter&) = delete;
  Yuy2PictureConverter& operator=(const Yuy2PictureConverter&) = delete;

  // The bytes of one row and of a whole picture of that size.
  static int RowBytes(int width);
  static int PictureBytes(int width, int height);

  // Writes PictureBytes(width, height) bytes to `target`; false when the
  // scaler or its memory cannot be had.
  bool Convert(const AVFrame& picture, int width, int height, uint8_t* target);

 private:
  SwsContext* scaler_ = nullptr;
  // The scaler may write past a row's end, so it writes here first.
  AVFrame* packed_ = nullptr;
};
