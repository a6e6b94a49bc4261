#include "PreviewPictureConverter.h"

extern "C" {
#include <libswscale/swscale.h>
}

PreviewPictureConverter::PreviewPictureConverter(int width, int height)
    : width_(width), height_(height), converted_(av_frame_alloc()) {}

PreviewPictureConverter::~PreviewPictureConverter() {
  av_frame_free(&converted_);
  sws_freeContext(scaler_);
}

AVFrame* PreviewPictureConverter::Convert(const AVFrame& picture) {
  if (!converted_ || picture.width <= 0 || picture.height <= 0) return nullptr;
  av_frame_unref(converted_);
  const bool sameSize = picture.width == width_ && picture.height == height_;
  if (sameSize && picture.format == kPixelFormat) {
    if (av_frame_ref(converted_, &picture) < 0) return nullptr;
    lastStep_ = Step::None;
    return converted_;
  }
  if (!Scale(picture)) return nullptr;
  lastStep_ = sameSize ? Step::ConvertFormat : Step::Scale;
  return converted_;
}

// One swscale context does both jobs: at equal sizes it only converts the
// pixel format, and it stretches rather than keeping the aspect ratio.
bool PreviewPictureConverter::Scale(const AVFrame& picture) {
  const auto format = static_cast<AVPixelFormat>(picture.format);
  scaler_ = sws_getCachedContext(scaler_, picture.width, picture.height, format, width_, height_, kPixelFormat,
                                 SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!scaler_) return false;

  // A decoder may hand out full-range pictures in a format that swscale
  // takes for limited range; without this their blacks turn grey.
  int* inverseTable = nullptr;
  int* table = nullptr;
  int sourceFullRange = 0, fullRange = 0, brightness = 0, contrast = 0, saturation = 0;
  if (sws_getColorspaceDetails(scaler_, &inverseTable, &sourceFullRange, &table, &fullRange, &brightness, &contrast,
                               &saturation) >= 0) {
    sourceFullRange = sourceFullRange || picture.color_range == AVCOL_RANGE_JPEG;
    sws_setColorspaceDetails(scaler_, inverseTable, sourceFullRange, table, fullRange, brightness, contrast,
                             saturation);
  }

  converted_->format = kPixelFormat;
  converted_->width = width_;
  converted_->height = height_;
  if (av_frame_get_buffer(converted_, 0) < 0) return false;
  return sws_scale(scaler_, picture.data, picture.linesize, 0, picture.height, converted_->data,
                   converted_->linesize) == height_;
}
