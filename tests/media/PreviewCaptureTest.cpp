#include "VideoSource.h"
#include "WmvDecoderFolder.h"

#include "media/DecoderLookup.h"
#include "media/DecoderRegistration.h"
#include "media/PreviewCapture.h"
#include "media/PreviewPictureConverter.h"
#include "support/Command.h"
#include "support/NamedPipe.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"
#include "support/TestParamName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kOrdinal = 30;
constexpr int kWidth = 160;
constexpr int kHeight = 120;

// Start-of-image markers: a marker byte can appear nowhere else in a JPEG
// stream, so this counts the images in the file.
int CountJpegImages(const std::string& bytes) {
  int images = 0;
  for (size_t at = bytes.find("\xFF\xD8\xFF"); at != std::string::npos; at = bytes.find("\xFF\xD8\xFF", at + 1)) {
    ++images;
  }
  return images;
}

// A still as a viewer decodes it, with FFmpeg's own JPEG decoder.
struct Still {
  int width = 0;
  int height = 0;
  AVPixelFormat format = AV_PIX_FMT_NONE;
  std::vector<uint8_t> luma;  // rows of `width` bytes

  int LumaAt(int x, int y) const { return luma[static_cast<size_t>(y) * width + x]; }
};

std::optional<Still> DecodeStill(const std::string& path) {
  VideoSource file(path);
  if (!file.IsOpen()) return std::nullopt;
  const std::unique_ptr<StreamDecoder> decoder = OpenStreamDecoder(file.Stream(), DecoderSource::FfmpegOnly);
  const AVPacket* packet = file.NextPacket();
  if (!decoder || !packet) return std::nullopt;
  std::optional<Still> still;
  const auto keep = [&](const AVFrame& picture) {
    still.emplace();
    still->width = picture.width;
    still->height = picture.height;
    still->format = static_cast<AVPixelFormat>(picture.format);
    for (int y = 0; y < picture.height; ++y) {
      const uint8_t* row = picture.data[0] + static_cast<ptrdiff_t>(y) * picture.linesize[0];
      still->luma.insert(still->luma.end(), row, row + picture.width);
    }
  };
  decoder->Decode(packet, keep);
  decoder->Decode(nullptr, keep);
  return still;
}

// The first picture the source's video decoder gives.
class FirstPicture {
 public:
  explicit FirstPicture(const std::string& path) : source_(path), picture_(av_frame_alloc()) {
    if (!source_.IsOpen()) return;
    decoder_ = OpenStreamDecoder(source_.Stream(), DecoderSource::Registered);
    for (const AVPacket* packet = source_.NextPacket(); decoder_ && packet && !picture_->buf[0];
         packet = source_.NextPacket()) {
      decoder_->Decode(packet, [&](const AVFrame& frame) {
        if (!picture_->buf[0]) av_frame_ref(picture_, &frame);
      });
    }
  }
  ~FirstPicture() { av_frame_free(&picture_); }
  FirstPicture(const FirstPicture&) = delete;
  FirstPicture& operator=(const FirstPicture&) = delete;

  const AVFrame* Get() const { return picture_->buf[0] ? picture_ : nullptr; }

 private:
  VideoSource source_;
  std::unique_ptr<StreamDecoder> decoder_;
  AVFrame* picture_;
};

}  // namespace

// Each test writes its still into a folder of its own.
class PreviewCapture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitMediaLibraries(); }

  int Capture(const std::string& source, int ordinal = kOrdinal) {
    return CapturePreviewFrame(source, ordinal, output, kWidth, kHeight);
  }

  // Exactly one JPEG image of the preview's size in the output file.
  void ExpectOneStill() const {
    EXPECT_EQ(CountJpegImages(ReadWholeFile(output)), 1);
    const auto still = DecodeStill(output);
    ASSERT_TRUE(still) << "the still does not decode";
    EXPECT_EQ(still->width, kWidth);
    EXPECT_EQ(still->height, kHeight);
    EXPECT_EQ(still->format, AV_PIX_FMT_YUVJ420P);
  }

  TempFolder folder;
  const std::string output = folder / "preview.jpg";
};

// Sources of every size, pixel format and codec family the program meets.
class PreviewCaptureOfSource : public PreviewCapture, public ::testing::WithParamInterface<const char*> {};

TEST_P(PreviewCaptureOfSource, WritesOneJpegOfThePreviewSize) {
  ASSERT_EQ(Capture(TestMedia::Path(GetParam())), 0);
  ExpectOneStill();
}

INSTANTIATE_TEST_SUITE_P(Sources, PreviewCaptureOfSource,
                         ::testing::Values("avi-mpeg4-mp3-6s.avi",               // 160 x 120, YUV 4:2:0
                                           "mkv-h264-yuv444p-160x120-2s.mkv",    // 160 x 120, YUV 4:4:4
                                           "avi-mjpeg-yuvj420p-160x120-2s.avi",  // the encoder's own format
                                           "mp4-h264-aac-10s.mp4",               // 640 x 360
                                           "mpeg-ps-mpeg2-mp2-7s.mpg", "flv-flv1-mp3-5s.flv",
                                           "3gp-h263-aac-4s.3gp", "mkv-h264-vorbis-11s.mkv",
                                           "avi-mpeg4-30-frames.avi"),
                         [](const auto& info) { return TestParamName(info.param); });

// Stretched to fill 160 x 120: neither cropped nor letterboxed, and in full
// range, so white stays white and black stays black.
TEST_F(PreviewCapture, StretchesThePictureAndKeepsItsLevels) {
  struct Point {
    int x, y;
    bool black;
  };
  // The corners, and either side of the black box's edges at x 120 and y 60,
  // a JPEG block away from them.
  const Point points[] = {{2, 2, false},    {157, 2, false},   {2, 117, false},  {157, 117, true},
                          {112, 100, false}, {128, 100, true}, {140, 52, false}, {140, 68, true}};
  for (const char* source : {"avi-black-box-160x120-2s.avi", "avi-black-box-640x360-2s.avi"}) {
    SCOPED_TRACE(source);
    ASSERT_EQ(Capture(TestMedia::Path(source)), 0);
    const auto still = DecodeStill(output);
    ASSERT_TRUE(still);
    ASSERT_EQ(still->width, kWidth);
    ASSERT_EQ(still->height, kHeight);
    for (const Point& point : points) {
      const int luma = still->LumaAt(point.x, point.y);
      if (point.black) {
        EXPECT_LE(luma, 5) << "at " << point.x << "," << point.y;
      } else {
        EXPECT_GE(luma, 250) << "at " << point.x << "," << point.y;
      }
    }
  }
}

// A decoder may mark a picture of a plain format as full range: its levels
// are taken as they are, not widened once more.
TEST_F(PreviewCapture, KeepsTheLevelsOfAFullRangePicture) {
  ASSERT_EQ(Capture(TestMedia::Path("mkv-vp9-full-range-grey-64-160x120-2s.mkv")), 0);
  const auto still = DecodeStill(output);
  ASSERT_TRUE(still);
  EXPECT_NEAR(still->LumaAt(80, 60), 64, 3);
}

// Picture n of the source has luma 6 n (limited range), so the still's grey
// tells which picture was taken: the one of the ordinal's packet.
TEST_F(PreviewCapture, TakesThePictureOfTheOrdinalsPacket) {
  const std::string source = TestMedia::Path("avi-luma-6-per-picture-40-frames.avi");
  for (const int ordinal : {1, 30, 35}) {
    SCOPED_TRACE(ordinal);
    ASSERT_EQ(Capture(source, ordinal), 0);
    const auto still = DecodeStill(output);
    ASSERT_TRUE(still);
    const double expected = (6.0 * (ordinal - 1) - 16) * 255 / 219;
    EXPECT_NEAR(still->LumaAt(80, 60), std::clamp(expected, 0.0, 255.0), 3);
  }
}

// 30 packets whose pictures only come out when the decoder is drained: the
// still is taken then; with a 31st packet asked for there is none.
TEST_F(PreviewCapture, TakesAPictureHeldBackByDecoderDelay) {
  const std::string source = TestMedia::Path("mkv-h264-pictures-only-at-the-end-30-packets.mkv");
  ASSERT_EQ(Capture(source), 0);
  ExpectOneStill();
  EXPECT_EQ(Capture(source, kOrdinal + 1), -1);
}

// Too few packets, no video, no media, or nowhere to write: -1 every time.
struct FailureCase {
  const char* what;
  std::string source;
  std::string output;  // empty: the test's own preview.jpg
};

TEST_F(PreviewCapture, FailsWithMinusOne) {
  std::ofstream(folder / "text.avi") << "Not a video, only these words.\n";
  const std::string video = TestMedia::Path("avi-mpeg4-mp3-6s.avi");
  const FailureCase cases[] = {
      {"29 video packets", TestMedia::Path("avi-mpeg4-29-frames.avi"), ""},
      {"audio only", TestMedia::Path("audio-only-aac-7s.m4a"), ""},
      {"a text file", folder / "text.avi", ""},
      {"a missing file", folder / "missing.avi", ""},
      {"an output folder that does not exist", video, folder / "missing/preview.jpg"},
      {"a full disk", video, "/dev/full"},
  };
  for (const FailureCase& failure : cases) {
    SCOPED_TRACE(failure.what);
    EXPECT_EQ(CapturePreviewFrame(failure.source, kOrdinal, failure.output.empty() ? output : failure.output,
                                  kWidth, kHeight),
              -1);
  }
}

// A clicked row whose file was swapped for a named pipe: no still, and no
// wait for a writer on the window's thread.
TEST_F(PreviewCapture, ANamedPipeGivesNoStillWithoutWaitingForAWriter) {
  const NamedPipe pipe(folder / "pipe.avi");
  int captured = 0;
  EXPECT_TRUE(pipe.ReturnsWithoutAWriter([&] { captured = Capture(pipe.Path()); }));
  EXPECT_EQ(captured, -1);
}

// The file is made before the pictures are read: the still of an earlier
// click is gone, and nothing takes its place.
TEST_F(PreviewCapture, TooFewPacketsLeaveAFileWithoutAPicture) {
  ASSERT_EQ(Capture(TestMedia::Path("avi-mpeg4-30-frames.avi")), 0);
  ASSERT_EQ(Capture(TestMedia::Path("avi-mpeg4-29-frames.avi")), -1);
  ASSERT_TRUE(fs::exists(output));
  EXPECT_EQ(CountJpegImages(ReadWholeFile(output)), 0);
}

// WMV goes through the program's wrapper decoder, whose library lives in the
// program folder: with it the still is taken, without it there is none,
// although FFmpeg has a decoder of its own for WMV2.
TEST_F(PreviewCapture, TakesWmvStillsThroughTheWrapperDecoder) {
  const std::string source = TestMedia::Path("wmv-wmv2-wmav2-8s.wmv");
  ASSERT_STREQ(FindDecoderName(AV_CODEC_ID_WMV2), "wmv2dmo");
  {
    WmvDecoderFolder programFolder;
    EXPECT_EQ(Capture(source), -1);
  }
  WmvDecoderFolder programFolder;
  programFolder.Install();
  ASSERT_EQ(Capture(source), 0);
  ExpectOneStill();
}

// How many packets and pictures the ffprobe tool counts in the first video
// stream; nullopt when it cannot count them.
std::optional<std::pair<int, int>> CountVideoPackets(const std::string& path) {
  const CommandResult result = RunCommand({"ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets",
                                           "-count_frames", "-show_entries", "stream=nb_read_packets,nb_read_frames",
                                           "-of", "csv=p=0", path});
  int packets = 0, pictures = 0;
  if (result.exitCode != 0 || std::sscanf(result.output.c_str(), "%d,%d", &packets, &pictures) != 2) {
    return std::nullopt;
  }
  return std::pair{packets, pictures};
}

// The real files, damaged ones included: a still of the preview's kind from
// every video of 30 packets or more that decodes, -1 below 30 packets, and
// never a crash.
TEST_F(PreviewCapture, RealFilesGiveAStillFromTheirThirtiethPacket) {
  const auto files = TestMedia::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the shared media corpus is not beside this checkout";
  WmvDecoderFolder programFolder;
  programFolder.Install();
  for (const auto& path : files) {
    SCOPED_TRACE(path);
    const int result = Capture(path);
    if (const auto counted = CountVideoPackets(path)) {
      const auto [packets, pictures] = *counted;
      if (packets < kOrdinal) {
        EXPECT_EQ(result, -1);
      } else if (pictures >= kOrdinal) {
        EXPECT_EQ(result, 0);
      }
    }
    if (result == 0) ExpectOneStill();
  }
}

// What the converter takes for each kind of picture, and what it gives.
struct ConversionCase {
  const char* source;
  PreviewPictureConverter::Step step;
};

class PreviewPictureConversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(PreviewPictureConversion, GivesThePreviewSizeInFullRangeYuv420WithTheLeastWork) {
  const FirstPicture picture(TestMedia::Path(GetParam().source));
  ASSERT_NE(picture.Get(), nullptr);
  PreviewPictureConverter converter(kWidth, kHeight);
  const AVFrame* converted = converter.Convert(*picture.Get());
  ASSERT_NE(converted, nullptr);
  EXPECT_EQ(converter.LastStep(), GetParam().step);
  EXPECT_EQ(converted->width, kWidth);
  EXPECT_EQ(converted->height, kHeight);
  EXPECT_EQ(converted->format, AV_PIX_FMT_YUVJ420P);
  const bool sharesThePicture = converted->data[0] == picture.Get()->data[0];
  EXPECT_EQ(sharesThePicture, GetParam().step == PreviewPictureConverter::Step::None);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, PreviewPictureConversion,
    ::testing::Values(
        // 160 x 120 YUV 4:2:0 needs no scaler, only its levels widened.
        ConversionCase{"avi-mpeg4-mp3-6s.avi", PreviewPictureConverter::Step::ConvertFormat},
        ConversionCase{"mkv-h264-yuv444p-160x120-2s.mkv", PreviewPictureConverter::Step::ConvertFormat},
        ConversionCase{"avi-mjpeg-yuvj420p-160x120-2s.avi", PreviewPictureConverter::Step::None},
        ConversionCase{"mp4-h264-aac-10s.mp4", PreviewPictureConverter::Step::Scale}),
    [](const auto& info) { return TestParamName(info.param.source); });
