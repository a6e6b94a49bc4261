// Both engines on the sources that users have and that once tripped one of
// them: the whole sound track whatever the container's start time or stated
// duration, a clip on the same sound in both, the same level in every
// format, and the track with sound where a declared one has none.
#include "EngineConversion.h"
#include "media/CMediaTranscoder.h"
#include "media/DecoderRegistration.h"
#include "support/Ffprobe.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"
#include "support/TestParamName.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

enum class Engine { InProcess, Tae };

const char* EngineName(Engine engine) { return engine == Engine::InProcess ? "InProcess" : "Tae"; }

// Converts and records a failure in the current test when the engine did not.
bool Convert(Engine engine, const EngineConversion& conversion) {
  const auto outcome = Convert(conversion, engine == Engine::Tae);
  EXPECT_TRUE(outcome && outcome->converted) << (outcome ? outcome->failure : "the source did not open");
  return outcome && outcome->converted;
}

double FrameSeconds(const std::string& extension, int sampleRate) {
  if (extension == "mp3") return 1152.0 / sampleRate;
  if (extension == "ac3") return 1536.0 / sampleRate;
  // The MP4 muxer trims AAC's priming but not the padding of its last frame.
  if (extension == "m4a") return 1024.0 / sampleRate;
  return 0;
}

std::string CorpusOrFixture(const std::string& name) {
  if (name.ends_with(" (corpus)")) {
    const std::string folder = TestMedia::CorpusFolder();
    return folder.empty() ? std::string() : folder + name.substr(0, name.size() - 9);
  }
  return TestMedia::Path(name);
}

class SoundFidelity : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { InitMediaLibraries(); }
  TempFolder folder_;
};

}  // namespace

// Converted whole, every source lasts its decoded sound to within one
// encoder frame (the last part-frame, which the in-process engine drops
// for MP3, WAV and AC3; the later formats keep it).
using WholeTrackCase = std::tuple<const char*, const char*, Engine>;

class WholeTrack : public SoundFidelity, public ::testing::WithParamInterface<WholeTrackCase> {};

TEST_P(WholeTrack, LastsAsLongAsTheSourcesSound) {
  const auto& [sourceName, extension, engine] = GetParam();
  const std::string source = CorpusOrFixture(sourceName);
  if (source.empty()) GTEST_SKIP() << "the shared corpus is not here";
  const std::string output = folder_ / (std::string("out.") + extension);
  ASSERT_TRUE(Convert(engine, {.source = source, .output = output}));

  const auto sourceSeconds = DecodedAudioSeconds(source);
  const auto outputSeconds = DecodedAudioSeconds(output);
  ASSERT_TRUE(sourceSeconds && outputSeconds);
  EXPECT_NEAR(*outputSeconds, *sourceSeconds, FrameSeconds(extension, 44100) + 0.005);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, WholeTrack,
    ::testing::Combine(::testing::Values("mpeg-ps-mp2-starting-at-0.5s-6s.mpg", "ts-mp2-starting-at-1.4s-6s.ts",
                                         "ts-mp2-time-stamps-wrapping-3s.ts", "ts-audio-only-mp2-4s.ts",
                                         "adts-aac-4s.aac", "flv-stating-4.5s-of-6s-sound.flv",
                                         "vcd-compliant-mpeg1-ps-mp2.mpg (corpus)", "avchd-h264-ac3.mts (corpus)",
                                         "vp6-mp3.flv (corpus)"),
                       ::testing::Values("mp3", "wav", "ac3", "m4a", "flac", "opus"),
                       ::testing::Values(Engine::InProcess, Engine::Tae)),
    [](const auto& info) {
      return TestParamName(std::string(std::get<0>(info.param)) + "_" + std::get<1>(info.param) + "_" +
                           EngineName(std::get<2>(info.param)));
    });

// A tone that rises each second, in a stream that starts at 1.4 s: the clip
// from 2 s to 5 s holds the tones of seconds 2, 3 and 4 in both engines. The
// in-process engine cuts at whole seconds, so 2.7 s to 5.4 s is the same clip
// there.
TEST_F(SoundFidelity, AClipLandsOnTheSameSoundInBothEngines) {
  const std::string source = TestMedia::Path("ts-tone-rising-each-second-8s.ts");
  const std::string inProcess = folder_ / "in-process.wav";
  const std::string tae = folder_ / "tae.wav";
  ASSERT_TRUE(Convert(Engine::InProcess, {.source = source, .output = inProcess, .clip = {{2.7, 5.4}}}));
  ASSERT_TRUE(Convert(Engine::Tae, {.source = source, .output = tae, .clip = {{2.0, 5.0}}}));

  for (const std::string& output : {inProcess, tae}) {
    SCOPED_TRACE(output);
    const std::vector<double> tones = FrequencyWindows(output, 1.0);
    ASSERT_EQ(tones.size(), 3u);
    for (size_t second = 0; second < tones.size(); ++second) {
      EXPECT_NEAR(tones[second], 500 + 100.0 * static_cast<double>(second), 10) << "second " << second;
    }
  }
}

// Every channel of a 5.1 source near full scale, mixed down to stereo: no
// output reaches full scale, and all of them are equally loud, whichever the
// format and the engine. The AC-3 source is mixed down by its decoder, the
// FLAC one by the resampler.
class LoudSurround : public SoundFidelity, public ::testing::WithParamInterface<const char*> {};

TEST_P(LoudSurround, MixesDownUnclippedAndEquallyLoud) {
  const std::string source = TestMedia::Path(GetParam());
  std::vector<double> loudness;
  for (const Engine engine : {Engine::InProcess, Engine::Tae}) {
    for (const std::string extension : {"wav", "mp3", "ac3", "m4a", "flac", "opus"}) {
      SCOPED_TRACE(std::string(EngineName(engine)) + " " + extension);
      const std::string output = folder_ / (std::string(EngineName(engine)) + "." + extension);
      ASSERT_TRUE(Convert(engine, {.source = source, .output = output, .sampleRate = 48000, .bitRate = 192000}));
      const auto levels = MeasureAudioLevels(output);
      ASSERT_TRUE(levels);
      // A 16-bit sample at full scale decodes to 32767 / 32768 or to -1.
      EXPECT_LT(levels->peak, 32767.0 / 32768.0) << "clipped";
      loudness.push_back(levels->rms);
    }
  }
  const auto [quietest, loudest] = std::minmax_element(loudness.begin(), loudness.end());
  EXPECT_LE(20 * std::log10(*loudest / *quietest), 0.5);
}

INSTANTIATE_TEST_SUITE_P(Sources, LoudSurround, ::testing::Values("flac-5.1-loud-4s.flac", "ac3-5.1-loud-4s.ac3"),
                         [](const auto& info) { return TestParamName(info.param); });

// FLAC at the source's own rate and channels is lossless: what it decodes
// to is exactly what the source decodes to, every sample, in both engines.
TEST_F(SoundFidelity, FlacKeepsEverySampleOfTheSource) {
  const std::string source = TestMedia::Path("wav-tone-from-12s-to-30s-40s.wav");
  const auto expected = DecodedSamples(source);
  ASSERT_TRUE(expected);
  for (const Engine engine : {Engine::InProcess, Engine::Tae}) {
    SCOPED_TRACE(EngineName(engine));
    const std::string output = folder_ / (std::string(EngineName(engine)) + ".flac");
    ASSERT_TRUE(Convert(engine, {.source = source, .output = output, .sampleRate = 44100, .channels = 1}));
    const auto decoded = DecodedSamples(output);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->size(), expected->size());
    EXPECT_TRUE(*decoded == *expected) << "the samples differ";
  }
}

// The second audio stream is declared but never carries a packet: the last
// stream with sound is the track, for the probe and both engines.
TEST_F(SoundFidelity, AnEmptyDeclaredStreamAfterARealOneIsPassedOver) {
  const std::string source = TestMedia::Path("ts-mp2-then-empty-audio-stream-3s.ts");
  CMediaTranscoder probe(nullptr, nullptr, nullptr);
  ASSERT_EQ(probe.OpenInput(source), 0);
  EXPECT_EQ(probe.AudioStreamIndex(), 0);
  EXPECT_EQ(probe.SampleRate(), 48000);

  for (const Engine engine : {Engine::InProcess, Engine::Tae}) {
    SCOPED_TRACE(EngineName(engine));
    const std::string output = folder_ / (std::string(EngineName(engine)) + ".mp3");
    ASSERT_TRUE(Convert(engine, {.source = source, .output = output}));
    EXPECT_NEAR(DominantFrequency(output), 440, 9);
    EXPECT_NEAR(DecodedAudioSeconds(output).value_or(0), 3, 0.1);
  }
}
