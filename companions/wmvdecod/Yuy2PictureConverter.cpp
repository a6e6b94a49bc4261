#include "Yuy2PictureConverter.h"

extern "C" {
#include <libavutil/imgutils.h>
}

Yuy2PictureConverter::~Yuy2PictureConverter() {
  sws_freeContext(scaler_);
  av_frame_free(&packed_);
}

int Yuy2PictureConverter::RowBytes(int width) { return av_image_get_linesize(AV_PIX_FMT_YUYV422, width, 0); }

int Yuy2PictureConverter::PictureBytes(int width, int height) { return RowBytes(width) * height; }

bool Yuy2PictureConverter::Convert(const AVFrame& picture, int width, int height, uint8_t* target) {
  scaler_ = sws_getCachedContext(scaler_, picture.width, picture.height, static_cast<AVPixelFormat>(picture.format),
                                 width, height, AV_PIX_FMT_YUYV422, SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!scaler_) return false;
  if (!packed_ || packed_->width != width || packed_->height != height) {
    av_frame_free(&packed_);
    packed_ = av_frame_alloc();
    if (!packed_) return false;
    packed_->format = AV_PIX_FMT_YUYV422;
    packed_->width = width;
    packed_->height = height;
    if (av_frame_get_buffer(packed_, 0) < 0) {
      av_frame_free(&packed_);
      return false;
    }
  }
  if (sws_scale(scaler_, picture.data, picture.linesize, 0, picture.height, packed_->data, packed_->linesize) <= 0) {
    return false;
  }
  av_image_copy_plane(target, RowBytes(width), packed_->data[0], packed_->linesize[0], RowBytes(width), height);
  return true;
}
