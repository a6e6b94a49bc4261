// The chosen audio track through both engines: each track of a source
// carries a tone of its own, so the output's tone tells which track came
// out, in every format and as Original.
#include "EngineConversion.h"
#include "media/OriginalSound.h"
#include "support/Ffprobe.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"
#include "support/TestParamName.h"

#include <gtest/gtest.h>

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

}  // namespace
