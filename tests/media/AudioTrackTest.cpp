#include "media/AudioTrack.h"
#include "media/CMediaTranscoder.h"
#include "media/Language.h"
#include "media/LocalFile.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

AudioTracks TracksOf(const std::string& fixture) {
  AVFormatContext* opened = nullptr;
  if (OpenSourceFile(&opened, TestMedia::Path(fixture)) < 0) return {};
  const std::unique_ptr<AVFormatContext, SourceFileCloser> input(opened);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) return {};
  return ListAudioTracks(*input);
}

TEST(AudioTrackTest, ListsEveryAudioStreamInFileOrderWithWhatTheContainerSays) {
  const AudioTracks tracks = TracksOf("mkv-tracks-eng-fre-ger-4s.mkv");
  ASSERT_EQ(tracks.size(), 3u);
  struct Expected {
    int streamIndex;
    const char* language;
    const char* title;
    const char* codec;
    int channels;
    int sampleRate;
    bool isDefault;
    const char* label;
  };
  const Expected expected[] = {
      {1, "eng", "Main", "aac", 2, 44100, false, "1: English, AAC, stereo, 44100 Hz, \"Main\""},
      {2, "fre", "", "ac3", 6, 48000, true, "2: French, AC-3, 5.1(side), 48000 Hz"},
      {3, "de", "", "vorbis", 1, 22050, false, "3: German, Vorbis, mono, 22050 Hz"},
  };
  for (size_t i = 0; i < tracks.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(tracks[i].number, static_cast<int>(i) + 1);
    EXPECT_EQ(tracks[i].streamIndex, expected[i].streamIndex);
    EXPECT_EQ(tracks[i].language, expected[i].language);
    EXPECT_EQ(tracks[i].title, expected[i].title);
    EXPECT_EQ(tracks[i].codec, expected[i].codec);
    EXPECT_EQ(tracks[i].channels, expected[i].channels);
    EXPECT_EQ(tracks[i].sampleRate, expected[i].sampleRate);
    EXPECT_EQ(tracks[i].isDefault, expected[i].isDefault);
    EXPECT_TRUE(tracks[i].hasSound);
    EXPECT_EQ(TrackLabel(tracks[i]), expected[i].label);
  }
  // The text's rule: the last track with sound, whatever the default mark.
  EXPECT_EQ(DefaultTrackNumber(tracks), 3);
}

TEST(AudioTrackTest, ADeclaredTrackWithoutSoundIsListedButNeverTaken) {
  const AudioTracks tracks = TracksOf("ts-mp2-then-empty-audio-stream-3s.ts");
  ASSERT_EQ(tracks.size(), 2u);
  EXPECT_TRUE(tracks[0].hasSound);
  EXPECT_FALSE(tracks[1].hasSound);
  EXPECT_EQ(TrackLabel(tracks[1]), "2: (no sound)");
  EXPECT_EQ(DefaultTrackNumber(tracks), 1);
  EXPECT_EQ(TrackRefusal(tracks, 1), "");
  EXPECT_EQ(TrackRefusal(tracks, 2), "Audio track 2 holds no sound; the file's tracks are 1 (mp2, mono), 2 (no sound)");
  EXPECT_EQ(TrackRefusal(tracks, 3), "There is no audio track 3; the file's tracks are 1 (mp2, mono), 2 (no sound)");
  EXPECT_EQ(TrackRefusal(tracks, 0), "There is no audio track 0; the file's tracks are 1 (mp2, mono), 2 (no sound)");
  EXPECT_EQ(TrackRefusal({}, 1), "There is no audio track 1: the file has no audio track");
}

TEST(AudioTrackTest, TheTranscoderOpensTheChosenTrackOrNothing) {
  struct Case {
    int track;
    int streamIndex;  // -1: the open fails
    int sampleRate;
  };
  for (const Case& each : {Case{0, 3, 22050}, Case{1, 1, 44100}, Case{2, 2, 48000}, Case{3, 3, 22050},
                           Case{4, -1, 0}, Case{-1, -1, 0}}) {
    SCOPED_TRACE(each.track);
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    const int opened = media.OpenInput(TestMedia::Path("mkv-tracks-eng-fre-ger-4s.mkv"), each.track);
    EXPECT_EQ(opened, each.streamIndex < 0 ? -1 : 0);
    EXPECT_EQ(media.AudioStreamIndex(), each.streamIndex);
    EXPECT_EQ(media.SampleRate(), each.sampleRate);
    if (each.streamIndex < 0) EXPECT_EQ(media.Input(), nullptr);
  }
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  EXPECT_EQ(media.OpenInput(TestMedia::Path("ts-mp2-then-empty-audio-stream-3s.ts"), 2), -1);
}

TEST(AudioTrackTest, LanguageCodesOfEveryIsoFormCountAsOneLanguage) {
  struct Case {
    const char* one;
    const char* other;
    bool same;
  };
  const Case cases[] = {
      {"fr", "fre", true},  {"fre", "fra", true},  {"FRA", "fr", true},    {"de", "ger", true},
      {"cs", "cze", true},  {"zho", "chi", true},  {"en-US", "eng", true}, {"fil", "fil", true},
      {"fr", "en", false},  {"und", "und", false}, {"", "", false},        {"xx", "xx", false},
      {"french", "fre", false},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(std::string(each.one) + " / " + each.other);
    EXPECT_EQ(IsSameLanguage(each.one, each.other), each.same);
  }
}

TEST(AudioTrackTest, ALanguageTakesItsDefaultTrackElseItsFirst) {
  struct Case {
    const char* fixture;
    const char* language;
    int track;  // 0: none
  };
  const Case cases[] = {
      {"mkv-tracks-eng-fre-ger-4s.mkv", "fr", 2},
      {"mkv-tracks-eng-fre-ger-4s.mkv", "fra", 2},
      {"mkv-tracks-eng-fre-ger-4s.mkv", "fre", 2},
      {"mkv-tracks-eng-fre-ger-4s.mkv", "deu", 3},
      {"mkv-tracks-eng-fre-ger-4s.mkv", "en", 1},
      {"mkv-tracks-eng-fre-ger-4s.mkv", "ita", 0},
      {"mkv-tracks-eng-fre-ger-4s.mkv", "und", 0},
      {"mkv-tracks-eng-fre-ger-4s.mkv", "", 0},
      // Two Spanish tracks ("spa" and "es"): the one marked as default wins.
      {"mkv-tracks-spa-spa-eng-second-default-3s.mkv", "spa", 2},
      {"mkv-tracks-spa-spa-eng-second-default-3s.mkv", "eng", 3},
      // Neither marked: the first in file order.
      {"mkv-tracks-spa-spa-none-default-3s.mkv", "es", 1},
      {"mp4-tracks-fre-eng-4s.mp4", "fr", 1},
      {"mkv-two-audio-streams-6s.mkv", "eng", 0},
      {"mkv-two-audio-streams-6s.mkv", "und", 0},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(std::string(each.fixture) + " " + each.language);
    EXPECT_EQ(TrackOfLanguage(TracksOf(each.fixture), each.language), each.track);
  }
}

}  // namespace
