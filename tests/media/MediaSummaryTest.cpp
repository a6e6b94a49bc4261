#include "media/CMediaTranscoder.h"
#include "support/Ffprobe.h"
#include "support/TestMedia.h"
#include "support/TestParamName.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

constexpr size_t kCapacity = 1024;

}  // namespace

// The whole text for each kind of source, as the main window asks for it.
struct SummaryCase {
  const char* source;
  const char* text;
};

class MediaSummary : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(MediaSummary, ListsDurationFrameRatesAndSize) {
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(TestMedia::Path(GetParam().source)), 0);
  std::string text;
  EXPECT_EQ(media.FormatMediaSummary(text, kCapacity), 0);
  EXPECT_EQ(text, GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, MediaSummary,
    ::testing::Values(
        SummaryCase{"avi-mpeg4-mp3-6s.avi", "Duration :00:00:06.0\r\n\r\nFPS : 25.00 fps(r)\r\n\r\nW*H : 160*120\r\n"},
        SummaryCase{"mp4-h264-aac-10s.mp4", "Duration :00:00:10.0\r\n\r\nFPS : 30.00 fps(r)\r\n\r\nW*H : 640*360\r\n"},
        // A container without duration: its last time stamps tell it, unless
        // the file's end holds none.
        SummaryCase{"mkv-no-duration-5s.mkv", "Duration :00:00:05.0\r\n\r\nFPS : 25.00 fps(r)\r\n\r\nW*H : 160*120\r\n"},
        SummaryCase{"mkv-no-duration-zero-filled-tail-5s.mkv",
                    "Duraion: N/A\r\n\r\nFPS : 25.00 fps(r)\r\n\r\nW*H : 160*120\r\n"},
        // 3 725 450 000 microseconds; hours are not wrapped.
        SummaryCase{"wav-silence-3725.45s.wav", "Duration :01:02:05.4\r\n"},
        SummaryCase{"audio-only-aac-7s.m4a", "Duration :00:00:07.0\r\n"},
        // A line per video stream; the size of the stream the probe chose,
        // the last one.
        SummaryCase{"mkv-two-video-streams-3s.mkv",
                    "Duration :00:00:03.0\r\n\r\nFPS : 25.00 fps(r)\r\n\r\nFPS : 30.00 fps(r)\r\n\r\nW*H : 160*120\r\n"}),
    [](const auto& info) { return TestParamName(info.param.source); });

TEST(MediaSummaryWithoutSource, LeavesTheTextAlone) {
  CMediaTranscoder never(nullptr, nullptr, nullptr);
  CMediaTranscoder failed(nullptr, nullptr, nullptr);
  ASSERT_EQ(failed.OpenInput("/no/such/video.avi"), -1);
  for (const CMediaTranscoder* media : {&never, &failed}) {
    std::string text = "earlier text";
    EXPECT_LT(media->FormatMediaSummary(text, kCapacity), 0);
    EXPECT_EQ(text, "earlier text");
  }
}

// The average frame rate comes first: phone and camera files carry a
// time-base guess (600, 90000) in the real frame rate. Without an average,
// the real rate; without either, the rate of the decoder's time base, which
// FFmpeg's decoders leave unset until they decode, so 0.
TEST(MediaSummaryFrameRate, PrefersTheAverageThenTheRealRate) {
  struct Case {
    AVRational averageRate;
    AVRational realRate;
    const char* line;
  };
  const Case cases[] = {{{25, 1}, {600, 1}, "\r\nFPS : 25.00 fps(r)\r\n"},
                        {{0, 1}, {30, 1}, "\r\nFPS : 30.00 fps(r)\r\n"},
                        {{0, 1}, {0, 1}, "\r\nFPS :  0.00 fps(c)\r\n"}};
  for (const Case& rate : cases) {
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    ASSERT_EQ(media.OpenInput(TestMedia::Path("avi-mpeg4-mp3-6s.avi")), 0);
    AVStream& stream = *media.Input()->streams[media.VideoStreamIndex()];
    stream.r_frame_rate = rate.realRate;
    stream.avg_frame_rate = rate.averageRate;
    std::string text;
    EXPECT_EQ(media.FormatMediaSummary(text, kCapacity), 0);
    EXPECT_EQ(text, std::string("Duration :00:00:06.0\r\n") + rate.line + "\r\nW*H : 160*120\r\n");
  }
}

// The corpus's phone and camera files: each line states the average rate
// the ffprobe tool reads, never a time-base guess.
class CorpusFrameRate : public ::testing::TestWithParam<const char*> {};

TEST_P(CorpusFrameRate, IsTheAverageRate) {
  const std::string folder = TestMedia::CorpusFolder();
  if (folder.empty()) GTEST_SKIP() << "the shared corpus is not here";
  const std::string path = folder + GetParam();
  const auto probed = Ffprobe(path);
  ASSERT_TRUE(probed);
  ASSERT_EQ(probed->averageFrameRates.size(), 1u);
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(path), 0);
  std::string text;
  media.FormatMediaSummary(text, kCapacity);
  char line[64];
  std::snprintf(line, sizeof line, "\r\nFPS : %5.2f fps(r)\r\n", probed->averageFrameRates[0]);
  EXPECT_NE(text.find(line), std::string::npos) << text;
  EXPECT_LT(probed->averageFrameRates[0], 121) << "the fixture itself";
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusFrameRate,
                         ::testing::Values("android-phone-h264-aac-mono.mp4", "quicktime-h264-aac.mov",
                                           "truncated-iphone-hevc-aac.mov", "camera-mjpeg-pcmu8.mov",
                                           "mp4-h264-aac-with-data-streams.mp4"),
                         [](const auto& info) { return TestParamName(info.param); });

// A capacity counts the text's terminating zero: a piece goes in only when
// the text then stays below it. Cut after the duration, the result is
// negative and the text untouched; cut later, it is positive and the text
// holds the pieces that fitted.
TEST(MediaSummaryCapacity, KeepsTheWholePiecesThatFit) {
  const std::string duration = "Duration :00:00:06.0\r\n";
  const std::string frameRate = "\r\nFPS : 25.00 fps(r)\r\n";
  const std::string size = "\r\nW*H : 160*120\r\n";
  const std::string all = duration + frameRate + size;
  struct Case {
    size_t capacity;
    int sign;
    std::string text;
  };
  const std::string untouched = "untouched";
  const Case cases[] = {
      {0, -1, untouched},
      {duration.size(), -1, untouched},
      {duration.size() + 1, 1, duration},
      {duration.size() + frameRate.size(), 1, duration},
      {duration.size() + frameRate.size() + 1, 1, duration + frameRate},
      {all.size(), 1, duration + frameRate},
      {all.size() + 1, 0, all},
  };
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(TestMedia::Path("avi-mpeg4-mp3-6s.avi")), 0);
  for (const Case& cut : cases) {
    SCOPED_TRACE(cut.capacity);
    std::string text = untouched;
    const int result = media.FormatMediaSummary(text, cut.capacity);
    EXPECT_EQ((result > 0) - (result < 0), cut.sign);
    EXPECT_EQ(text, cut.text);
  }
}

// A cover picture is carried as a video stream, but it has no frame rate.
TEST(MediaSummaryOfRealFile, GivesACoverPictureNoFrameRateLine) {
  const std::string folder = TestMedia::CorpusFolder();
  if (folder.empty()) GTEST_SKIP() << "the shared media corpus is not beside this checkout";
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(folder + "mkv-h264-vorbis-with-attachments.mkv"), 0);
  std::string text;
  EXPECT_EQ(media.FormatMediaSummary(text, kCapacity), 0);
  EXPECT_EQ(text, "Duration :00:00:17.8\r\n\r\nFPS : 25.00 fps(r)\r\n\r\nW*H : 384*288\r\n");
}
