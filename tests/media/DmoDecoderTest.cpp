#include "CapturedFfmpegLog.h"
#include "VideoSource.h"
#include "WmvDecoderFolder.h"

#include "media/DecoderLookup.h"
#include "media/DecoderRegistration.h"
#include "media/DecoderRegistry.h"
#include "media/DmoDecoder.h"
#include "media/DmoDecoderState.h"
#include "media/DmoMediaBuffer.h"
#include "platform/com/IClassFactory.h"
#include "platform/com/VideoInfoHeader.h"
#include "support/TestMedia.h"
#include "support/TestParamName.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

extern "C" {
#include <libavutil/imgutils.h>
}

namespace {

std::string FourCcText(DWORD fourCc) { return std::string(reinterpret_cast<const char*>(&fourCc), 4); }

VIDEOINFOHEADER HeaderOf(const DMO_MEDIA_TYPE& type) {
  VIDEOINFOHEADER header;
  std::memcpy(&header, type.pbFormat, sizeof header);
  return header;
}

// Mean of the luma samples: every other byte of packed YUY2, else the first plane.
double MeanLuma(const AVFrame& picture) {
  const bool packed = picture.format == AV_PIX_FMT_YUYV422;
  double sum = 0;
  for (int y = 0; y < picture.height; ++y) {
    const uint8_t* row = picture.data[0] + static_cast<ptrdiff_t>(y) * picture.linesize[0];
    for (int x = 0; x < picture.width; ++x) sum += row[packed ? 2 * x : x];
  }
  return sum / (static_cast<double>(picture.width) * picture.height);
}

std::string PathOf(const std::string& name, bool inCorpus) {
  if (!inCorpus) return TestMedia::Path(name);
  return TestMedia::CorpusFolder().empty() ? std::string() : TestMedia::CorpusFolder() + name;
}

// The picture allocator a caller of the entry points supplies.
int AllocatePicture(WrapperCodecContext* context, AVFrame* picture) {
  picture->format = context->pixelFormat;
  picture->width = context->width;
  picture->height = context->height;
  return av_frame_get_buffer(picture, 0);
}

void FreePicture(WrapperCodecContext*, AVFrame* picture) { av_frame_unref(picture); }

// The adapter's entry points driven directly, as the decoder lookup's
// wrapper drives them, for what only they show: output sizes and results.
class AdapterDecoder {
 public:
  explicit AdapterDecoder(const AVCodecParameters& video) {
    RegisterDmoCodecs();
    context_.codec = DecoderRegistry::Find(video.codec_id);
    context_.privateData = &state_;
    context_.width = video.width;
    context_.height = video.height;
    context_.codecId = video.codec_id;
    context_.extradata = video.extradata;
    context_.extradataSize = video.extradata_size;
    context_.get_buffer = AllocatePicture;
    context_.release_buffer = FreePicture;
    opened_ = DmoDecoderOpen(&context_) == 0;
  }
  ~AdapterDecoder() {
    if (opened_) DmoDecoderClose(&context_);
    av_frame_free(&picture_);
  }

  bool Opened() const { return opened_; }
  WrapperCodecContext& Context() { return context_; }
  const AVFrame& Picture() const { return *picture_; }
  // The decode result; `pictureSize` receives the output size.
  int Decode(const uint8_t* data, int size, int* pictureSize) {
    return DmoDecoderDecode(&context_, picture_, pictureSize, data, size);
  }

 private:
  DmoDecoderState state_{};
  WrapperCodecContext context_;
  AVFrame* picture_ = av_frame_alloc();
  bool opened_ = false;
};

}  // namespace

// The media types the adapter negotiates, byte for byte.
struct InputTypeCase {
  AVCodecID codecId;
  int extradataSize;
  const char* fourCc;
  friend void PrintTo(const InputTypeCase& c, std::ostream* out) {
    *out << avcodec_get_name(c.codecId) << " with " << c.extradataSize << " bytes of extradata";
  }
};

class DmoInputMediaType : public ::testing::TestWithParam<InputTypeCase> {};

TEST_P(DmoInputMediaType, IsTheVideoInfoHeaderFollowedByTheExtradata) {
  const InputTypeCase& expected = GetParam();
  std::vector<uint8_t> extradata(expected.extradataSize);
  for (size_t i = 0; i < extradata.size(); ++i) extradata[i] = static_cast<uint8_t>(0xA0 + i);
  WrapperCodecContext context;
  context.width = 320;
  context.height = 240;
  context.codecId = expected.codecId;
  context.extradata = extradata.empty() ? nullptr : extradata.data();
  context.extradataSize = expected.extradataSize;

  DMO_MEDIA_TYPE type{};
  ASSERT_EQ(BuildDmoInputMediaType(context, &type), S_OK);
  EXPECT_EQ(type.majortype, MEDIATYPE_Video);
  EXPECT_EQ(FourCcText(type.subtype.Data1), expected.fourCc);
  EXPECT_EQ(type.subtype, GuidFromFourCc(type.subtype.Data1));
  EXPECT_FALSE(type.bFixedSizeSamples);
  EXPECT_TRUE(type.bTemporalCompression);
  EXPECT_EQ(type.lSampleSize, 0u);
  EXPECT_EQ(type.formattype, FORMAT_VideoInfo);
  EXPECT_EQ(type.pUnk, nullptr);
  ASSERT_EQ(type.cbFormat, 88u + expected.extradataSize);

  const VIDEOINFOHEADER header = HeaderOf(type);
  for (const RECT& rect : {header.rcSource, header.rcTarget}) {
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, 320);
    EXPECT_EQ(rect.bottom, 240);
  }
  EXPECT_EQ(header.dwBitRate, 0u);
  EXPECT_EQ(header.dwBitErrorRate, 0u);
  EXPECT_EQ(header.AvgTimePerFrame, 0);
  const BITMAPINFOHEADER& bitmap = header.bmiHeader;
  EXPECT_EQ(bitmap.biSize, 40u + expected.extradataSize);
  EXPECT_EQ(bitmap.biWidth, 320);
  EXPECT_EQ(bitmap.biHeight, 240);
  EXPECT_EQ(bitmap.biPlanes, 1);
  EXPECT_EQ(bitmap.biBitCount, 0);
  EXPECT_EQ(FourCcText(bitmap.biCompression), expected.fourCc);
  EXPECT_EQ(bitmap.biSizeImage, 0u);
  EXPECT_EQ(bitmap.biXPelsPerMeter, 0);
  EXPECT_EQ(bitmap.biYPelsPerMeter, 0);
  EXPECT_EQ(bitmap.biClrUsed, 0u);
  EXPECT_EQ(bitmap.biClrImportant, 0u);
  EXPECT_EQ(std::vector<uint8_t>(type.pbFormat + 88, type.pbFormat + type.cbFormat), extradata);
  EXPECT_EQ(MoFreeMediaType(&type), S_OK);
  EXPECT_EQ(type.pbFormat, nullptr);
}

// Any id but WMV2, WMV3 and VC-1 is told to the decoder as WMV1.
INSTANTIATE_TEST_SUITE_P(CodecIds, DmoInputMediaType,
                         ::testing::Values(InputTypeCase{AV_CODEC_ID_WMV3, 0, "WMV3"},
                                           InputTypeCase{AV_CODEC_ID_WMV3, 10, "WMV3"},
                                           InputTypeCase{AV_CODEC_ID_WMV2, 4, "WMV2"},
                                           InputTypeCase{AV_CODEC_ID_VC1, 31, "WVC1"},
                                           InputTypeCase{AV_CODEC_ID_WMV1, 0, "WMV1"},
                                           InputTypeCase{AV_CODEC_ID_H264, 0, "WMV1"},
                                           InputTypeCase{AV_CODEC_ID_NONE, 0, "WMV1"}));

TEST(DmoOutputMediaType, IsPackedYuy2OfTheSourceSize) {
  WrapperCodecContext context;
  context.width = 320;
  context.height = 240;
  context.codecId = AV_CODEC_ID_WMV3;
  uint8_t extradata[5] = {1, 2, 3, 4, 5};
  context.extradata = extradata;
  context.extradataSize = sizeof extradata;

  DMO_MEDIA_TYPE type{};
  ASSERT_EQ(BuildDmoOutputMediaType(context, &type), S_OK);
  EXPECT_EQ(type.majortype, MEDIATYPE_Video);
  EXPECT_EQ(FourCcText(type.subtype.Data1), "YUY2");
  EXPECT_TRUE(type.bFixedSizeSamples);
  EXPECT_FALSE(type.bTemporalCompression);
  EXPECT_EQ(type.lSampleSize, 0u);
  EXPECT_EQ(type.formattype, FORMAT_VideoInfo);
  ASSERT_EQ(type.cbFormat, 88u) << "the output block carries no extradata";
  const VIDEOINFOHEADER header = HeaderOf(type);
  EXPECT_EQ(header.rcSource.right, 320);
  EXPECT_EQ(header.rcTarget.bottom, 240);
  EXPECT_EQ(header.bmiHeader.biSize, 40u);
  EXPECT_EQ(header.bmiHeader.biWidth, 320);
  EXPECT_EQ(header.bmiHeader.biHeight, 240);
  EXPECT_EQ(header.bmiHeader.biPlanes, 1);
  EXPECT_EQ(header.bmiHeader.biBitCount, 16);
  EXPECT_EQ(FourCcText(header.bmiHeader.biCompression), "YUY2");
  EXPECT_EQ(header.bmiHeader.biSizeImage, 153600u);
  MoFreeMediaType(&type);
}

// The buffer object that lends memory to the decoder.
class DmoMediaBufferTest : public ::testing::Test {
 protected:
  void TearDown() override { buffer->Release(); }
  // How many references the buffer holds now.
  ULONG References() {
    const ULONG count = buffer->AddRef() - 1;
    buffer->Release();
    return count;
  }
  BYTE memory[64] = {};
  DmoMediaBuffer* buffer = MakeMediaBuffer(memory, sizeof memory);
};

TEST_F(DmoMediaBufferTest, StartsWithOneReferenceAndNoLength) {
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(References(), 1u);
  BYTE* data = nullptr;
  DWORD length = 99;
  EXPECT_EQ(buffer->GetBufferAndLength(&data, &length), S_OK);
  EXPECT_EQ(data, memory);
  EXPECT_EQ(length, 0u);
  DWORD maxLength = 0;
  EXPECT_EQ(buffer->GetMaxLength(&maxLength), S_OK);
  EXPECT_EQ(maxLength, sizeof memory);
  EXPECT_EQ(buffer->GetMaxLength(nullptr), E_POINTER);
}

TEST_F(DmoMediaBufferTest, QueryInterfaceAnswersOnlyForItsTwoInterfaces) {
  struct Case {
    const char* name;
    IID iid;
    HRESULT result;
  };
  const Case cases[] = {
      {"IUnknown", IID_IUnknown, S_OK},
      {"IMediaBuffer", IID_IMediaBuffer, S_OK},
      {"IClassFactory", IID_IClassFactory, E_NOINTERFACE},
      {"IMediaObject", IID_IMediaObject, E_NOINTERFACE},
      {"YUY2 subtype", MEDIASUBTYPE_YUY2, E_NOINTERFACE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    void* object = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(buffer->QueryInterface(c.iid, &object), c.result);
    if (c.result == S_OK) {
      EXPECT_EQ(object, static_cast<IMediaBuffer*>(buffer));
      EXPECT_EQ(References(), 2u);
      static_cast<IUnknown*>(object)->Release();
    } else {
      EXPECT_EQ(object, nullptr);
      EXPECT_EQ(static_cast<unsigned>(c.result), 0x80004002u);
    }
    EXPECT_EQ(References(), 1u);
  }
}

TEST_F(DmoMediaBufferTest, GetBufferAndLengthFillsTheOutsGiven) {
  ASSERT_EQ(buffer->SetLength(17), S_OK);
  EXPECT_EQ(buffer->GetBufferAndLength(nullptr, nullptr), E_POINTER);
  EXPECT_EQ(static_cast<unsigned>(E_POINTER), 0x80004003u);

  DWORD length = 0;
  EXPECT_EQ(buffer->GetBufferAndLength(nullptr, &length), S_OK);
  EXPECT_EQ(length, 17u);
  BYTE* data = nullptr;
  EXPECT_EQ(buffer->GetBufferAndLength(&data, nullptr), S_OK);
  EXPECT_EQ(data, memory);
}

TEST_F(DmoMediaBufferTest, SetLengthStoresEvenALengthBeyondTheMaximum) {
  EXPECT_EQ(buffer->SetLength(sizeof memory + 1000), S_OK);
  DWORD length = 0;
  buffer->GetBufferAndLength(nullptr, &length);
  EXPECT_EQ(length, sizeof memory + 1000);
  DWORD maxLength = 0;
  buffer->GetMaxLength(&maxLength);
  EXPECT_EQ(maxLength, sizeof memory);
}

// Finding the decoder library: its three names in order, each miss logged.
struct LibrarySearchCase {
  const char* installedAs;  // null: none present
  std::vector<CapturedFfmpegLog::Line> log;
  bool opens;
  friend void PrintTo(const LibrarySearchCase& c, std::ostream* out) {
    *out << (c.installedAs ? c.installedAs : "no library");
  }
};

class DmoLibrarySearch : public ::testing::TestWithParam<LibrarySearchCase> {
 protected:
  static void SetUpTestSuite() { RegisterDmoCodecs(); }
  WmvDecoderFolder programFolder;
};

TEST_P(DmoLibrarySearch, TriesTheNamesInOrderAndLogsEachMiss) {
  const LibrarySearchCase& expected = GetParam();
  if (expected.installedAs) programFolder.Install(expected.installedAs);
  VideoSource source(TestMedia::Path("wmv-wmv2-wmav2-8s.wmv"));
  ASSERT_TRUE(source.IsOpen());
  {
    CapturedFfmpegLog log;
    auto decoder = OpenStreamDecoder(source.Stream(), DecoderSource::Registered);
    EXPECT_EQ(decoder != nullptr, expected.opens);
    if (decoder) {
      EXPECT_STREQ(decoder->Name(), "wmv2dmo");
    }
    EXPECT_EQ(log.From("wmv2dmo"), expected.log);
    EXPECT_EQ(programFolder.HoldsLoadedLibrary(), expected.opens);
  }
  EXPECT_FALSE(programFolder.HoldsLoadedLibrary());
}

const CapturedFfmpegLog::Line kNoWmvdecod{AV_LOG_INFO, "wmvdecod.dll not found, trying wmvdmod.dll\n"};
const CapturedFfmpegLog::Line kNoWmvdmod{AV_LOG_INFO, "wmvdmod.dll not found, trying wmv9dmod.dll\n"};
const CapturedFfmpegLog::Line kNoneFound{AV_LOG_ERROR, "wmvdmod.dll or wmv9dmod.dll not found\n"};

INSTANTIATE_TEST_SUITE_P(
    Libraries, DmoLibrarySearch,
    ::testing::Values(LibrarySearchCase{"libwmvdecod.so", {}, true},
                      LibrarySearchCase{"libwmvdmod.so", {kNoWmvdecod}, true},
                      LibrarySearchCase{"libwmv9dmod.so", {kNoWmvdecod, kNoWmvdmod}, true},
                      LibrarySearchCase{nullptr, {kNoWmvdecod, kNoWmvdmod, kNoneFound}, false}),
    [](const auto& info) {
      return TestParamName(info.param.installedAs ? info.param.installedAs : "none");
    });

class DmoDecoderOpenFailure : public ::testing::Test {
 protected:
  WmvDecoderFolder programFolder;
};

TEST_F(DmoDecoderOpenFailure, ALibraryWithoutTheEntryPointIsLoggedAndUnloaded) {
  programFolder.InstallCopyOf(TOLVAR_FIXTURE_LIBRARY, "libwmvdecod.so");
  VideoSource source(TestMedia::Path("wmv-wmv2-wmav2-8s.wmv"));
  ASSERT_TRUE(source.IsOpen());
  CapturedFfmpegLog log;
  AdapterDecoder decoder(*source.Stream().codecpar);
  EXPECT_FALSE(decoder.Opened());
  EXPECT_EQ(log.From("wmv2dmo"),
            (std::vector<CapturedFfmpegLog::Line>{{AV_LOG_ERROR, "DllGetClassObject not found in the WMVDMO DLL\n"}}));
  EXPECT_FALSE(programFolder.HoldsLoadedLibrary());
}

// A type the decoder refuses fails the open without a message, and what the
// open had obtained is given back.
TEST_F(DmoDecoderOpenFailure, ARefusedTypeGivesBackTheLibrary) {
  programFolder.Install();
  AVCodecParameters* empty = avcodec_parameters_alloc();
  empty->codec_id = AV_CODEC_ID_WMV3;
  CapturedFfmpegLog log;
  {
    AdapterDecoder decoder(*empty);
    EXPECT_FALSE(decoder.Opened());
    EXPECT_EQ(decoder.Context().pixelFormat, AV_PIX_FMT_NONE);
  }
  avcodec_parameters_free(&empty);
  EXPECT_TRUE(log.From("wmv3dmo").empty());
  EXPECT_FALSE(programFolder.HoldsLoadedLibrary());
}

// Decoding through the adapter, by its entry points.
class DmoDecoderDecode : public ::testing::Test {
 protected:
  void SetUp() override { programFolder.Install(); }
  WmvDecoderFolder programFolder;
};

TEST_F(DmoDecoderDecode, AFullPictureIsPackedYuy2OfTheSourceSize) {
  VideoSource source(TestMedia::Path("wmv-wmv2-wmav2-8s.wmv"));
  ASSERT_TRUE(source.IsOpen());
  ASSERT_EQ(source.Stream().codecpar->width, 320);
  ASSERT_EQ(source.Stream().codecpar->height, 240);
  AdapterDecoder decoder(*source.Stream().codecpar);
  ASSERT_TRUE(decoder.Opened());
  EXPECT_EQ(decoder.Context().pixelFormat, AV_PIX_FMT_YUYV422);

  const AVPacket* packet = source.NextPacket();
  ASSERT_NE(packet, nullptr);
  int pictureSize = -1;
  EXPECT_EQ(decoder.Decode(packet->data, packet->size, &pictureSize), packet->size);
  EXPECT_EQ(pictureSize, 153600);
  const AVFrame& picture = decoder.Picture();
  EXPECT_EQ(picture.format, AV_PIX_FMT_YUYV422);
  EXPECT_EQ(picture.width, 320);
  EXPECT_EQ(picture.height, 240);
  EXPECT_EQ(picture.linesize[0], 640);
  EXPECT_EQ(picture.data[1], nullptr);
  EXPECT_GT(MeanLuma(picture), 16.0) << "testsrc2 is no black picture";
}

// With B-pictures the first packet leaves no picture ready: -1, no output and
// no message; later packets bring their pictures.
TEST_F(DmoDecoderDecode, NoPictureYetGivesMinusOneQuietly) {
  const std::string path = PathOf("vc1-advanced-wmav2-60s.wmv", true);
  if (path.empty()) GTEST_SKIP() << "the shared media corpus is not beside this checkout";
  VideoSource source(path);
  ASSERT_TRUE(source.IsOpen());
  AdapterDecoder decoder(*source.Stream().codecpar);
  ASSERT_TRUE(decoder.Opened());
  CapturedFfmpegLog log;
  const AVPacket* packet = source.NextPacket();
  ASSERT_NE(packet, nullptr);
  int pictureSize = -1;
  EXPECT_EQ(decoder.Decode(packet->data, packet->size, &pictureSize), -1);
  EXPECT_EQ(pictureSize, 0);
  EXPECT_TRUE(log.From("wvc1dmo").empty());

  const int fullSize = av_image_get_buffer_size(AV_PIX_FMT_YUYV422, 320, 180, 1);
  int pictures = 0;
  for (int i = 0; i < 10 && (packet = source.NextPacket()); ++i) {
    const int result = decoder.Decode(packet->data, packet->size, &pictureSize);
    if (pictureSize == 0) continue;
    ++pictures;
    EXPECT_EQ(result, packet->size);
    EXPECT_EQ(pictureSize, fullSize);
  }
  EXPECT_EQ(pictures, 10);
}

TEST_F(DmoDecoderDecode, ARefusedSampleIsLoggedAndTheDecoderGoesOn) {
  VideoSource source(TestMedia::Path("wmv-wmv2-wmav2-8s.wmv"));
  ASSERT_TRUE(source.IsOpen());
  AdapterDecoder decoder(*source.Stream().codecpar);
  ASSERT_TRUE(decoder.Opened());
  CapturedFfmpegLog log;
  const uint8_t nothing[1] = {};
  int pictureSize = -1;
  EXPECT_EQ(decoder.Decode(nothing, 0, &pictureSize), -1);
  EXPECT_EQ(pictureSize, 0);
  EXPECT_EQ(log.From("wmv2dmo"),
            (std::vector<CapturedFfmpegLog::Line>{{AV_LOG_ERROR, "The DMO decoder doesn't accept the input sample\n"}}));

  const AVPacket* packet = source.NextPacket();
  ASSERT_NE(packet, nullptr);
  EXPECT_EQ(decoder.Decode(packet->data, packet->size, &pictureSize), packet->size);
  EXPECT_GT(pictureSize, 0);
}

// Pictures decoded through the adapter match FFmpeg's own decode of the same
// packets, picture by picture.
struct DecodeCase {
  const char* name;
  bool inCorpus;
  const char* wrapper;
  friend void PrintTo(const DecodeCase& c, std::ostream* out) { *out << c.name; }
};

class WrapperPictures : public ::testing::TestWithParam<DecodeCase> {
 protected:
  static void SetUpTestSuite() { RegisterDmoCodecs(); }
  void SetUp() override { programFolder.Install(); }
  WmvDecoderFolder programFolder;
};

TEST_P(WrapperPictures, MatchFfmpegsOwnDecode) {
  const std::string path = PathOf(GetParam().name, GetParam().inCorpus);
  if (path.empty()) GTEST_SKIP() << "the shared media corpus is not beside this checkout";
  VideoSource source(path);
  ASSERT_TRUE(source.IsOpen());
  auto wrapper = OpenStreamDecoder(source.Stream(), DecoderSource::Registered);
  auto ffmpeg = OpenStreamDecoder(source.Stream(), DecoderSource::FfmpegOnly);
  ASSERT_NE(wrapper, nullptr);
  ASSERT_NE(ffmpeg, nullptr);
  EXPECT_STREQ(wrapper->Name(), GetParam().wrapper);
  EXPECT_EQ(wrapper->Width(), ffmpeg->Width());
  EXPECT_EQ(wrapper->Height(), ffmpeg->Height());

  std::vector<double> wrapperLuma;
  std::vector<double> ffmpegLuma;
  const AVCodecParameters& video = *source.Stream().codecpar;
  const auto wrapperSink = [&](const AVFrame& picture) {
    EXPECT_EQ(picture.format, AV_PIX_FMT_YUYV422);
    EXPECT_EQ(picture.width, video.width);
    EXPECT_EQ(picture.height, video.height);
    EXPECT_EQ(picture.linesize[0], video.width * 2);
    wrapperLuma.push_back(MeanLuma(picture));
  };
  const auto ffmpegSink = [&](const AVFrame& picture) { ffmpegLuma.push_back(MeanLuma(picture)); };
  int packets = 0;
  for (const AVPacket* packet; packets < 90 && (packet = source.NextPacket()); ++packets) {
    wrapper->Decode(packet, wrapperSink);
    ASSERT_GE(ffmpeg->Decode(packet, ffmpegSink), 0);
  }
  ASSERT_GE(packets, 20);
  // FFmpeg's own decoder gives its last pictures only when drained.
  ASSERT_GE(wrapperLuma.size(), std::min<size_t>(ffmpegLuma.size(), packets - 2));
  for (size_t i = 0; i < std::min(wrapperLuma.size(), ffmpegLuma.size()); ++i) {
    EXPECT_NEAR(wrapperLuma[i], ffmpegLuma[i], 0.5) << "picture " << i;
  }
}

TEST_P(WrapperPictures, GarbagePacketsAreRefusedWithoutHarm) {
  const std::string path = PathOf(GetParam().name, GetParam().inCorpus);
  if (path.empty()) GTEST_SKIP() << "the shared media corpus is not beside this checkout";
  VideoSource source(path);
  ASSERT_TRUE(source.IsOpen());
  auto decoder = OpenStreamDecoder(source.Stream(), DecoderSource::Registered);
  ASSERT_NE(decoder, nullptr);
  int pictures = 0;
  const auto count = [&](const AVFrame& picture) {
    EXPECT_GE(MeanLuma(picture), 0.0);  // reads every byte of the picture
    ++pictures;
  };
  for (int i = 0; i < 3; ++i) {
    const AVPacket* packet = source.NextPacket();
    ASSERT_NE(packet, nullptr);
    decoder->Decode(packet, count);
  }

  std::mt19937 random(GetParam().name[0]);
  AVPacket* garbage = av_packet_alloc();
  for (int i = 0; i < 60; ++i) {
    const int size = std::uniform_int_distribution<int>(1, 8192)(random);
    ASSERT_EQ(av_new_packet(garbage, size), 0);
    for (int b = 0; b < size; ++b) garbage->data[b] = static_cast<uint8_t>(random());
    const int result = decoder->Decode(garbage, count);
    EXPECT_TRUE(result == 0 || result == AVERROR_INVALIDDATA) << result;
    av_packet_unref(garbage);
  }
  av_packet_free(&garbage);

  // The decoder still decodes the real packets that follow.
  pictures = 0;
  for (int i = 0; i < 60; ++i) {
    const AVPacket* packet = source.NextPacket();
    if (!packet) break;
    decoder->Decode(packet, count);
  }
  EXPECT_GT(pictures, 0);
}

INSTANTIATE_TEST_SUITE_P(Sources, WrapperPictures,
                         ::testing::Values(DecodeCase{"wmv-wmv1-wmav2-4s.wmv", false, "wmv1dmo"},
                                           DecodeCase{"wmv-wmv2-wmav2-8s.wmv", false, "wmv2dmo"},
                                           DecodeCase{"truncated-wmv1-wmav2-multibitrate.wmv", true, "wmv1dmo"},
                                           DecodeCase{"wmv3-wmav2-30s.wmv", true, "wmv3dmo"},
                                           DecodeCase{"wmv3-two-wmav2-audio-tracks.wmv", true, "wmv3dmo"},
                                           DecodeCase{"vc1-advanced-wmav2-60s.wmv", true, "wvc1dmo"},
                                           DecodeCase{"vc1-wmapro.wmv", true, "wvc1dmo"},
                                           DecodeCase{"no-audio-vc1-script-commands.wmv", true, "wvc1dmo"}),
                         [](const auto& info) {
                           return TestParamName(info.param.name);
                         });
