#include "PreviewPictureConverter.h"

extern "C" {
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

// swscale warns about the full-range "J" formats: it wants their plain twins
// with the range given separately.
AVPixelFormat PlainTwin(AVPixelFormat format) {
  switch (format) {
    case AV_PIX_FMT_YUVJ420P: return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P: return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P: return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P: return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P: return AV_PIX_FMT_YUV411P;
    default: return format;
  }
}

}  // namespace

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
// pixel format, and it stretches rather than keeping the aspect ratio. The
// ranges are set before it is initialised: set later, they do not reach the
// copy it uses between equal formats and sizes.
bool PreviewPictureConverter::Scale(const AVFrame& picture) {
  const auto format = static_cast<AVPixelFormat>(picture.format);
  const AVPixelFormat plainFormat = PlainTwin(format);
  // Decoders also mark full-range pictures of a plain format; widening
  // their levels once more would clip shadows and highlights.
  const ScalerInput input{picture.width, picture.height, plainFormat,
                          plainFormat != format || picture.color_range == AVCOL_RANGE_JPEG};
  if (!scaler_ || input != scalerInput_) {
    sws_freeContext(scaler_);
    scaler_ = sws_alloc_context();
    if (!scaler_) return false;
    av_opt_set_int(scaler_, "srcw", input.width, 0);
    av_opt_set_int(scaler_, "srch", input.height, 0);
    av_opt_set_int(scaler_, "src_format", input.format, 0);
    av_opt_set_int(scaler_, "src_range", input.fullRange, 0);
    av_opt_set_int(scaler_, "dstw", width_, 0);
    av_opt_set_int(scaler_, "dsth", height_, 0);
    av_opt_set_int(scaler_, "dst_format", PlainTwin(kPixelFormat), 0);
    av_opt_set_int(scaler_, "dst_range", 1, 0);
    av_opt_set_int(scaler_, "sws_flags", SWS_BICUBIC, 0);
    if (sws_init_context(scaler_, nullptr, nullptr) < 0) {
      sws_freeContext(scaler_);
      scaler_ = nullptr;
      return false;
    }
    scalerInput_ = input;
  }

  converted_->format = kPixelFormat;
  converted_->color_range = AVCOL_RANGE_JPEG;
  converted_->width = width_;
  converted_->height = height_;
  if (av_frame_get_buffer(converted_, 0) < 0) return false;
  return sws_scale(scaler_, picture.data, picture.linesize, 0, picture.height, converted_->data,
                   converted_->linesize) == height_;
}
