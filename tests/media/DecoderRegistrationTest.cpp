#include "CapturedFfmpegLog.h"
#include "WmvDecoderFolder.h"

#include "media/CMediaTranscoder.h"
#include "media/DecoderLookup.h"
#include "media/DecoderRegistration.h"
#include "media/DecoderRegistry.h"
#include "media/MediaInfoLibrary.h"
#include "support/Ffprobe.h"
#include "support/TestMedia.h"
#include "support/TestParamName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>

namespace {

struct WrappedCodec {
  AVCodecID id;
  const char* wrapper;
};

const WrappedCodec kWrappedCodecs[] = {
    {AV_CODEC_ID_WMV1, "wmv1dmo"},
    {AV_CODEC_ID_WMV2, "wmv2dmo"},
    {AV_CODEC_ID_WMV3, "wmv3dmo"},
    {AV_CODEC_ID_VC1, "wvc1dmo"},
};

}  // namespace

// Start-up registers the wrappers; the tests below see the program as it
// runs after start-up.
class DecoderRegistration : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { EXPECT_EQ(InitMediaLibraries(), 0); }
};

TEST_F(DecoderRegistration, RegisteringAgainAddsNothing) {
  RegisterDmoCodecs();
  RegisterDmoCodecs();
  EXPECT_EQ(InitMediaLibraries(), 0);

  std::vector<std::string> names;
  std::map<AVCodecID, int> perCodec;
  for (const CodecWrapper* entry : DecoderRegistry::Entries()) {
    names.push_back(entry->name);
    ++perCodec[entry->codecId];
  }
  EXPECT_EQ(names, (std::vector<std::string>{"wmv1dmo", "wmv2dmo", "wmv3dmo", "wvc1dmo"}));
  for (const WrappedCodec& codec : kWrappedCodecs) EXPECT_EQ(perCodec[codec.id], 1) << codec.wrapper;
}

TEST_F(DecoderRegistration, WmvIdsFindTheirWrapperAheadOfFfmpeg) {
  for (const WrappedCodec& codec : kWrappedCodecs) {
    SCOPED_TRACE(codec.wrapper);
    ASSERT_NE(FindDecoderName(codec.id), nullptr);
    EXPECT_STREQ(FindDecoderName(codec.id), codec.wrapper);
    EXPECT_STREQ(FindDecoderName(codec.id, DecoderSource::Registered), codec.wrapper);
    // The companion converter decodes with FFmpeg's own, which are still there.
    const AVCodec* ffmpegDecoder = avcodec_find_decoder(codec.id);
    ASSERT_NE(ffmpegDecoder, nullptr);
    EXPECT_STREQ(FindDecoderName(codec.id, DecoderSource::FfmpegOnly), ffmpegDecoder->name);
  }
}

TEST_F(DecoderRegistration, OtherIdsFindFfmpegsDecoder) {
  for (AVCodecID id : {AV_CODEC_ID_H264, AV_CODEC_ID_MPEG4, AV_CODEC_ID_MSMPEG4V3, AV_CODEC_ID_VP8,
                       AV_CODEC_ID_WMV3IMAGE, AV_CODEC_ID_VC1IMAGE, AV_CODEC_ID_WMAV2, AV_CODEC_ID_MP3}) {
    SCOPED_TRACE(avcodec_get_name(id));
    const AVCodec* ffmpegDecoder = avcodec_find_decoder(id);
    ASSERT_NE(ffmpegDecoder, nullptr);
    EXPECT_STREQ(FindDecoderName(id), ffmpegDecoder->name);
  }
  EXPECT_EQ(FindDecoderName(AV_CODEC_ID_NONE), nullptr);
}

// Sources whose video the probe must open through a wrapper.
struct WmvSource {
  const char* name;
  bool inCorpus;
  const char* wrapper;
  friend void PrintTo(const WmvSource& c, std::ostream* out) { *out << c.name; }
};

class WmvSourceInProbe : public ::testing::TestWithParam<WmvSource> {
 protected:
  std::string PathOrSkip() const {
    if (!GetParam().inCorpus) return TestMedia::Path(GetParam().name);
    if (TestMedia::CorpusFolder().empty()) return {};
    return TestMedia::CorpusFolder() + GetParam().name;
  }

  void SetUp() override { EXPECT_EQ(InitMediaLibraries(), 0); }
  WmvDecoderFolder programFolder;
};

TEST_P(WmvSourceInProbe, OpensThroughTheWrapper) {
  const std::string path = PathOrSkip();
  if (path.empty()) GTEST_SKIP() << "the shared media corpus is not beside this checkout";
  programFolder.Install();
  {
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    ASSERT_EQ(media.OpenInput(path), 0);
    ASSERT_NE(media.VideoDecoder(), nullptr);
    EXPECT_STREQ(media.VideoDecoder()->Name(), GetParam().wrapper);
    const AVCodecParameters& video = *media.Input()->streams[media.VideoStreamIndex()]->codecpar;
    EXPECT_EQ(media.Width(), video.width);
    EXPECT_EQ(media.Height(), video.height);
    const auto probed = Ffprobe(path);
    ASSERT_TRUE(probed && probed->duration);
    EXPECT_EQ(media.GetDurationSeconds(), static_cast<int>(*probed->duration));
    EXPECT_TRUE(programFolder.HoldsLoadedLibrary());
  }
  EXPECT_FALSE(programFolder.HoldsLoadedLibrary()) << "closing the source unloads the decoder library";
}

// Without the decoder library a WMV source does not open at all (FFmpeg's
// own decoder is not tried), and a caller falls back to MediaInfo's play time.
TEST_P(WmvSourceInProbe, WithoutTheLibraryFailsCleanlyAndMediaInfoGivesThePlayTime) {
  const std::string path = PathOrSkip();
  if (path.empty()) GTEST_SKIP() << "the shared media corpus is not beside this checkout";
  CapturedFfmpegLog log;
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  EXPECT_EQ(media.OpenInput(path), -1);
  EXPECT_EQ(media.Input(), nullptr);
  EXPECT_EQ(media.VideoDecoder(), nullptr);
  EXPECT_EQ(media.AudioDecoder(), nullptr);
  EXPECT_EQ(media.VideoStreamIndex(), -1);
  EXPECT_EQ(media.AudioStreamIndex(), -1);
  EXPECT_EQ(media.GetDurationSeconds(), -1);
  EXPECT_FALSE(programFolder.HoldsLoadedLibrary());
  const std::vector<CapturedFfmpegLog::Line> lines = log.From(GetParam().wrapper);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), (CapturedFfmpegLog::Line{AV_LOG_ERROR, "wmvdmod.dll or wmv9dmod.dll not found\n"}));

  const std::string playTime = MediaInfoLibrary::GetPlayTimeText(path);
  ASSERT_FALSE(playTime.empty());
  const auto probed = Ffprobe(path);
  ASSERT_TRUE(probed && probed->duration);
  EXPECT_NEAR(std::atof(playTime.c_str()) / 1000, *probed->duration, 0.5);
}

INSTANTIATE_TEST_SUITE_P(Sources, WmvSourceInProbe,
                         ::testing::Values(WmvSource{"wmv-wmv1-wmav2-4s.wmv", false, "wmv1dmo"},
                                           WmvSource{"wmv-wmv2-wmav2-8s.wmv", false, "wmv2dmo"},
                                           WmvSource{"wmv3-wmav2-30s.wmv", true, "wmv3dmo"},
                                           WmvSource{"wmv3-two-wmav2-audio-tracks.wmv", true, "wmv3dmo"},
                                           WmvSource{"vc1-advanced-wmav2-60s.wmv", true, "wvc1dmo"},
                                           WmvSource{"no-audio-vc1-script-commands.wmv", true, "wvc1dmo"}),
                         [](const auto& info) {
                           return TestParamName(info.param.name);
                         });
