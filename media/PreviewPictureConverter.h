#pragma once

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

struct SwsContext;

// Brings decoded pictures to the preview's size in the JPEG encoder's pixel
// format, full-range YUV 4:2:0, stretched to fill it. A picture that already
// has that size and format is handed on as it is, one of that size is only
// converted, and only a picture of another size goes through a scaler.
class PreviewPictureConverter {
 public:
  static constexpr AVPixelFormat kPixelFormat = AV_PIX_FMT_YUVJ420P;

  // What a conversion took.
  enum class Step { None, ConvertFormat, Scale };

  PreviewPictureConverter(int width, int height);
  ~PreviewPictureConverter();
  PreviewPictureConverter(const PreviewPictureConverter&) = delete;
  PreviewPictureConverter& operator=(const PreviewPictureConverter&) = delete;

  // The picture at the preview's size and format, owned by the converter
  // and valid until the next call; null when it cannot be converted.
  AVFrame* Convert(const AVFrame& picture);
  // What the last successful Convert took.
  Step LastStep() const { return lastStep_; }

 private:
  // What the scaler was made for.
  struct ScalerInput {
    int width = 0;
    int height = 0;
    AVPixelFormat format = AV_PIX_FMT_NONE;
    bool fullRange = false;
    bool operator==(const ScalerInput&) const = default;
  };

  bool Scale(const AVFrame& picture);

  int width_;
  int height_;
  SwsContext* scaler_ = nullptr;
  ScalerInput scalerInput_;
  AVFrame* converted_;
  Step lastStep_ = Step::None;
};
