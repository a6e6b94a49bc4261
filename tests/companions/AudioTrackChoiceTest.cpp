// The chosen audio track through both engines: each track of a source
// carries a tone of its own, so the output's tone tells which track came
// out, in every format and as Original.
#include "CopiedPackets.h"
#include "EngineConversion.h"
#include "media/DecoderRegistration.h"
#include "media/OriginalSound.h"
#include "platform/ProgramFolder.h"
#include "support/Ffprobe.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"
#include "support/TestParamName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <tuple>

namespace {

struct TrackCase {
  const char* fixture;
  int track;  // 0: the default one
  double tone;
  const char* originalCodec;  // what Original copies
};

// The three-track file: 440 Hz AAC, 660 Hz AC-3 5.1, 880 Hz Vorbis mono; the
// MP4: 440 Hz AAC, 660 Hz MP3.
const TrackCase kTracks[] = {
    {"mkv-tracks-eng-fre-ger-4s.mkv", 0, 880, "vorbis"},
    {"mkv-tracks-eng-fre-ger-4s.mkv", 1, 440, "aac"},
    {"mkv-tracks-eng-fre-ger-4s.mkv", 2, 660, "ac3"},
    {"mp4-tracks-fre-eng-4s.mp4", 1, 440, "aac"},
};

const char* const kFormats[] = {"mp3", "wav", "ac3", "m4a", "flac", "opus", "original"};

class ChosenTrack : public ::testing::TestWithParam<std::tuple<TrackCase, const char*, bool>> {};

TEST_P(ChosenTrack, IsTheOneThatComesOut) {
  const auto& [track, format, throughTae] = GetParam();
  const std::string source = TestMedia::Path(track.fixture);
  const bool original = std::string(format) == "original";
  const std::optional<OriginalSound> copied = ProbeOriginalSound(source, track.track);
  ASSERT_TRUE(copied);
  TempFolder folder;
  const std::string output = folder / ("out." + (original ? copied->extension : std::string(format)));
  EngineConversion conversion{source, output};
  conversion.original = original;
  conversion.audioTrack = track.track;
  const auto outcome = Convert(conversion, throughTae);
  ASSERT_TRUE(outcome);
  ASSERT_TRUE(outcome->converted) << outcome->failure;
  EXPECT_NEAR(DominantFrequency(output), track.tone, track.tone * 0.02);
  if (original) EXPECT_EQ(Ffprobe(output)->audioCodec, track.originalCodec);
}

INSTANTIATE_TEST_SUITE_P(TracksFormatsAndEngines, ChosenTrack,
                         ::testing::Combine(::testing::ValuesIn(kTracks), ::testing::ValuesIn(kFormats),
                                            ::testing::Bool()),
                         [](const auto& info) {
                           const TrackCase& track = std::get<0>(info.param);
                           return TestParamName(std::string(track.fixture).substr(0, 3) + "Track" +
                                                std::to_string(track.track) + std::get<1>(info.param) +
                                                (std::get<2>(info.param) ? "ThroughTae" : "InProcess"));
                         });

// A track that is not there, or holds no sound, converts nothing in either
// engine: the in-process one does not open it (a run then hands it to tae),
// and tae names the tracks the file has.
TEST(ChosenTrackRefusal, NothingIsWrittenForATrackThatCannotBeConverted) {
  for (const auto& [fixture, track] : {std::pair{"ts-mp2-then-empty-audio-stream-3s.ts", 2},
                                       std::pair{"mkv-tracks-eng-fre-ger-4s.mkv", 4}}) {
    SCOPED_TRACE(fixture);
    TempFolder folder;
    EngineConversion conversion{TestMedia::Path(fixture), folder / "out.mp3"};
    conversion.audioTrack = track;
    EXPECT_FALSE(ConvertInProcess(conversion));
    const auto outcome = Convert(conversion, true);
    EXPECT_FALSE(outcome->converted);
    EXPECT_NE(outcome->failure.find("the file's tracks are 1 ("), std::string::npos) << outcome->failure;
    EXPECT_FALSE(std::filesystem::exists(conversion.output));
  }
}

// The corpus's files with two tracks: a WMV with a Spanish and a French
// WMA track, which say different things, and an MP4 with MP3 stereo beside
// AC-3 5.1.
struct CorpusTrackCase {
  const char* file;
  int track;
  const char* originalExtension;
};

const CorpusTrackCase kCorpusTracks[] = {
    {"wmv3-two-wmav2-audio-tracks.wmv", 1, "wma"},
    {"wmv3-two-wmav2-audio-tracks.wmv", 2, "wma"},
    {"bbb-h264-mp3-and-ac3-5.1.mp4", 1, "mp3"},
    {"bbb-h264-mp3-and-ac3-5.1.mp4", 2, "ac3"},
};

// The mean distance between two loudness curves, window by window.
double LoudnessDistance(const std::vector<double>& one, const std::vector<double>& other) {
  const size_t windows = std::min(one.size(), other.size());
  double distance = 0;
  for (size_t window = 0; window < windows; ++window) distance += std::fabs(one[window] - other[window]);
  return windows ? distance / static_cast<double>(windows) : 1;
}

class CorpusTrackConversion : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InitMediaLibraries();
    // The program folder of this build, where the WMV decoders lie.
    SetProgramFolderOverride(TOLVAR_PROGRAM_FOLDER);
  }

  void SetUp() override {
    if (TestMedia::CorpusFolder().empty()) GTEST_SKIP() << "the shared corpus is not here";
  }

  TempFolder folder_;
};

class CorpusTrack : public CorpusTrackConversion,
                    public ::testing::WithParamInterface<std::tuple<CorpusTrackCase, bool>> {};

TEST_P(CorpusTrack, OriginalCopiesTheChosenTracksPackets) {
  const auto& [track, throughTae] = GetParam();
  const std::string source = TestMedia::CorpusFolder() + track.file;
  EngineConversion conversion{source, folder_ / (std::string("out.") + track.originalExtension)};
  conversion.original = true;
  conversion.audioTrack = track.track;
  const auto outcome = Convert(conversion, throughTae);
  ASSERT_TRUE(outcome && outcome->converted) << (outcome ? outcome->failure : "not opened");
  const std::vector<std::string> copied = SizesAndHashes(CopiedPackets(conversion.output, "a:0"));
  const std::vector<std::string> chosen = SizesAndHashes(CopiedPackets(source, "a:" + std::to_string(track.track - 1)));
  EXPECT_FALSE(chosen.empty());
  EXPECT_TRUE(copied == chosen) << copied.size() << " packets copied of the track's " << chosen.size();
}

// The MP4's two tracks carry the same sound; the WMV's say different things.
TEST_F(CorpusTrackConversion, SoundsLikeTheChosenTrackAndNotTheOther) {
  const std::string source = TestMedia::CorpusFolder() + "wmv3-two-wmav2-audio-tracks.wmv";
  for (const int track : {1, 2}) {
    for (const bool throughTae : {false, true}) {
      SCOPED_TRACE(std::to_string(track) + (throughTae ? " through tae" : " in process"));
      EngineConversion conversion{source, folder_ / "out.wav"};
      conversion.audioTrack = track;
      const auto outcome = Convert(conversion, throughTae);
      ASSERT_TRUE(outcome && outcome->converted) << (outcome ? outcome->failure : "not opened");
      const std::vector<double> converted = LoudnessWindows(conversion.output, 1);
      const double toChosen = LoudnessDistance(converted, LoudnessWindows(source, 1, track));
      const double toOther = LoudnessDistance(converted, LoudnessWindows(source, 1, 3 - track));
      EXPECT_LT(toChosen * 4, toOther) << toChosen << " against " << toOther;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(TwoTrackFilesAndEngines, CorpusTrack,
                         ::testing::Combine(::testing::ValuesIn(kCorpusTracks), ::testing::Bool()),
                         [](const auto& info) {
                           const CorpusTrackCase& track = std::get<0>(info.param);
                           return TestParamName(std::string(track.file).substr(0, 4) + "Track" +
                                                std::to_string(track.track) +
                                                (std::get<1>(info.param) ? "ThroughTae" : "InProcess"));
                         });

}  // namespace
