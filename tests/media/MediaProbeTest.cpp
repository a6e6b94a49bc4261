#include "media/CMediaTranscoder.h"
#include "media/MediaInfoLibrary.h"
#include "platform/ProgramFolder.h"
#include "platform/RuntimeLibrary.h"
#include "support/Ffprobe.h"
#include "support/NamedPipe.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"
#include "support/TestParamName.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>

namespace fs = std::filesystem;

namespace {

int OpenFilesNamed(const std::string& path) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc/self/fd")) {
    std::error_code error;
    if (fs::read_symlink(entry.path(), error) == path) ++count;
  }
  return count;
}

void ExpectHoldsNothing(const CMediaTranscoder& media) {
  EXPECT_EQ(media.Input(), nullptr);
  EXPECT_EQ(media.AudioDecoder(), nullptr);
  EXPECT_EQ(media.VideoDecoder(), nullptr);
  EXPECT_EQ(media.AudioStreamIndex(), -1);
  EXPECT_EQ(media.VideoStreamIndex(), -1);
  EXPECT_EQ(media.AudioBufferSize(), 0);
  EXPECT_EQ(media.GetDurationSeconds(), -1);
}

std::string WriteFile(const TempFolder& folder, const std::string& name, const std::string& bytes) {
  const std::string path = folder / name;
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

}  // namespace

// Generated sources in every container the program lists, with what the
// probe must find in each.
struct GeneratedCase {
  const char* name;
  int seconds;
  bool video;
  int sampleRate;
  int channels;
};

class GeneratedSource : public ::testing::TestWithParam<GeneratedCase> {};

TEST_P(GeneratedSource, OpensWithTheContainersDurationAndStreams) {
  const GeneratedCase& expected = GetParam();
  const std::string path = TestMedia::Path(expected.name);
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(path), 0);
  EXPECT_EQ(media.GetDurationSeconds(), expected.seconds);
  const auto probed = Ffprobe(path);
  ASSERT_TRUE(probed && probed->duration);
  EXPECT_EQ(media.GetDurationSeconds(), static_cast<int>(*probed->duration));
  EXPECT_EQ(media.VideoStreamIndex() >= 0, expected.video);
  EXPECT_EQ(media.SampleRate(), expected.sampleRate);
  EXPECT_EQ(media.Channels(), expected.channels);
  EXPECT_EQ(media.AudioBufferSize(), CMediaTranscoder::kAudioBufferSize);
  EXPECT_EQ(media.RangeStart(), 0);
  EXPECT_EQ(media.RangeEnd(), media.Input()->duration);
  EXPECT_EQ(media.SourceName(), path);
  if (expected.video) {
    EXPECT_GT(media.Width(), 0);
    EXPECT_GT(media.Height(), 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Containers, GeneratedSource,
    ::testing::Values(GeneratedCase{"avi-mpeg4-mp3-6s.avi", 6, true, 44100, 2},
                      GeneratedCase{"mpeg-ps-mpeg2-mp2-7s.mpg", 7, true, 48000, 2},
                      GeneratedCase{"wmv-wmv2-wmav2-8s.wmv", 8, true, 44100, 2},
                      GeneratedCase{"flv-flv1-mp3-5s.flv", 5, true, 22050, 1},
                      GeneratedCase{"mov-h264-aac-9s.mov", 9, true, 48000, 2},
                      GeneratedCase{"mp4-h264-aac-10s.mp4", 10, true, 48000, 2},
                      GeneratedCase{"3gp-h263-aac-4s.3gp", 4, true, 16000, 1},
                      GeneratedCase{"mkv-h264-vorbis-11s.mkv", 11, true, 44100, 1},
                      GeneratedCase{"audio-only-aac-7s.m4a", 7, false, 44100, 1}),
    [](const auto& info) {
      return TestParamName(info.param.name);
    });

TEST(MediaProbe, TheLastOfTwoAudioStreamsIsChosen) {
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(TestMedia::Path("mkv-two-audio-streams-6s.mkv")), 0);
  EXPECT_EQ(media.VideoStreamIndex(), 0);
  EXPECT_EQ(media.AudioStreamIndex(), 2);
  EXPECT_EQ(media.SampleRate(), 22050);
  EXPECT_EQ(media.Channels(), 1);
  EXPECT_NE(media.AudioDecoder(), nullptr);
}

// Nothing in the file's last 8 MiB holds a time stamp: no duration at all.
TEST(MediaProbe, ASourceWithoutAnyDurationGivesMinusOne) {
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(TestMedia::Path("mkv-no-duration-zero-filled-tail-5s.mkv")), 0);
  EXPECT_EQ(media.Input()->duration, AV_NOPTS_VALUE);
  EXPECT_EQ(media.GetDurationSeconds(), -1);
  EXPECT_EQ(media.RangeEnd(), AV_NOPTS_VALUE);
}

// Browser recordings and streamed Matroska state no duration; their last
// time stamps give it: to within a tenth of a second of where the ffprobe
// tool, reading every packet, finds the last one ending, and no shorter
// than the sound. The container's own duration field stays as FFmpeg left it.
class DurationFromTheLastTimeStamps : public ::testing::TestWithParam<std::string> {};

TEST_P(DurationFromTheLastTimeStamps, MatchesTheDecodedSound) {
  const std::string path = GetParam().ends_with(".mkv") ? TestMedia::Path(GetParam()) : TestMedia::CorpusFolder() + GetParam();
  if (!GetParam().ends_with(".mkv") && TestMedia::CorpusFolder().empty()) GTEST_SKIP() << "the shared corpus is not here";
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(path), 0);
  EXPECT_EQ(media.Input()->duration, AV_NOPTS_VALUE) << "the fixture itself";
  const auto decoded = DecodedAudioSeconds(path);
  const auto lastPacketEnd = LastPacketEndSeconds(path);
  ASSERT_TRUE(decoded && lastPacketEnd);
  ASSERT_NE(media.Duration(), AV_NOPTS_VALUE);
  const double seconds = static_cast<double>(media.Duration()) / AV_TIME_BASE;
  EXPECT_NEAR(seconds, *lastPacketEnd, 0.1);
  EXPECT_LE(*decoded, seconds + 0.1);
  EXPECT_EQ(media.GetDurationSeconds(), static_cast<int>(media.Duration() / AV_TIME_BASE));
  EXPECT_EQ(media.RangeEnd(), media.Duration());
}

INSTANTIATE_TEST_SUITE_P(Sources, DurationFromTheLastTimeStamps,
                         ::testing::Values("mkv-no-duration-5s.mkv", "webm-vp9-opus-no-duration.webm",
                                           "mediarecorder-chrome-vp8-opus.webm", "mediarecorder-firefox-vp8-opus.webm"),
                         [](const auto& info) { return TestParamName(info.param); });

TEST(MediaProbe, DurationIsTruncatedTowardZero) {
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(TestMedia::Path("wav-5.999999s.wav")), 0);
  EXPECT_EQ(media.Input()->duration, 5999999);
  EXPECT_EQ(media.GetDurationSeconds(), 5);
}

TEST(MediaProbe, DeletingTheObjectClosesTheSource) {
  const std::string path = TestMedia::Path("mp4-h264-aac-10s.mp4");
  auto media = std::make_unique<CMediaTranscoder>(nullptr, nullptr, nullptr);
  ASSERT_EQ(media->OpenInput(path), 0);
  EXPECT_EQ(OpenFilesNamed(path), 1);
  media.reset();
  EXPECT_EQ(OpenFilesNamed(path), 0);
}

TEST(MediaProbe, BadInputOpensNothingAndHoldsNothing) {
  TempFolder folder;
  const std::string mp4 = ReadWholeFile(TestMedia::Path("mp4-h264-aac-10s.mp4"));
  std::mt19937 random(7);
  std::string noise(64 * 1024, '\0');
  for (char& c : noise) c = static_cast<char>(random());
  const std::string vanished =
      WriteFile(folder, "vanished.avi", ReadWholeFile(TestMedia::Path("avi-mpeg4-mp3-6s.avi")));
  fs::remove(vanished);

  const std::vector<std::string> paths = {
      WriteFile(folder, "zero.avi", ""),
      WriteFile(folder, "text.avi", "This is not a video, just some words.\n"),
      WriteFile(folder, "noise.mpg", noise),
      WriteFile(folder, "header-only.mp4", mp4.substr(0, 2048)),
      vanished,
      folder.Path(),
  };
  for (const auto& path : paths) {
    SCOPED_TRACE(path);
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    EXPECT_EQ(media.OpenInput(path), -1);
    ExpectHoldsNothing(media);
    EXPECT_EQ(OpenFilesNamed(path), 0);
  }
}

// A source that was swapped for a named pipe after it was added is refused
// at once: opening the pipe would wait for a writer that never comes.
TEST(MediaProbe, ANamedPipeIsRefusedWithoutWaitingForAWriter) {
  TempFolder folder;
  const NamedPipe pipe(folder / "pipe.avi");
  int opened = 0;
  EXPECT_TRUE(pipe.ReturnsWithoutAWriter([&] {
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    opened = media.OpenInput(pipe.Path());
  }));
  EXPECT_EQ(opened, -1);
}

// Names that FFmpeg would take for a protocol and its address, given
// relative to the current folder as a script gives them: each opens the
// file of that name, not whatever the protocol would read.
TEST(MediaProbe, NamesThatReadLikeProtocolsOpenTheFileOfThatName) {
  TempFolder folder;
  const std::string previousFolder = fs::current_path();
  fs::current_path(folder.Path());
  for (const char* name : {"concat:elsewhere.avi", "pipe:9.avi", "file:elsewhere.avi", "subfile:x.avi"}) {
    SCOPED_TRACE(name);
    fs::copy_file(TestMedia::Path("avi-mpeg4-mp3-6s.avi"), name);
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    EXPECT_EQ(media.OpenInput(name), 0);
    EXPECT_EQ(media.GetDurationSeconds(), 6);
  }
  fs::current_path(previousFolder);
}

// The real files: every one that opens reports ffprobe's container duration
// to the second, or where the container states none, the end of its last
// packet; the damaged ones that FFmpeg rejects do not open.
TEST(MediaProbe, RealFilesAgreeWithFfprobe) {
  const auto files = TestMedia::CorpusFiles();
  if (files.empty()) GTEST_SKIP() << "the shared media corpus is not beside this checkout";
  int opened = 0;
  for (const auto& path : files) {
    SCOPED_TRACE(path);
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    const auto probed = Ffprobe(path);
    if (media.OpenInput(path) != 0) {
      ExpectHoldsNothing(media);
      continue;
    }
    ++opened;
    ASSERT_TRUE(probed) << "ffprobe rejects a file the probe opened";
    if (probed->duration) {
      EXPECT_EQ(media.GetDurationSeconds(), static_cast<int>(std::trunc(*probed->duration)));
    } else if (const auto lastPacketEnd = LastPacketEndSeconds(path)) {
      EXPECT_NEAR(static_cast<double>(media.Duration()) / AV_TIME_BASE, *lastPacketEnd, 0.1);
    } else {
      EXPECT_EQ(media.GetDurationSeconds(), -1);
    }
  }
  EXPECT_GE(opened, 30);
  for (const char* corrupt : {"corrupt-no-moov.mp4", "corrupt-ebml-header.mkv", "empty-header-only.flv"}) {
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    EXPECT_EQ(media.OpenInput(TestMedia::CorpusFolder() + corrupt), -1) << corrupt;
  }
}

TEST(MediaInfo, PlayTimeIsTheDurationInMilliseconds) {
  const std::string path = TestMedia::Path("avi-mpeg4-mp3-6s.avi");
  const std::string text = MediaInfoLibrary::GetPlayTimeText(path);
  ASSERT_FALSE(text.empty());
  EXPECT_NEAR(std::atoi(text.c_str()), 6000, 100);
  EXPECT_EQ(MediaInfoLibrary::GetPlayTimeText("/no/such/file.avi"), "");
}

// A process loads MediaInfo once and keeps it, so its absence is tested in a
// child process of its own.
TEST(MediaInfoDeathTest, WithoutTheLibraryEveryAnswerIsTheFixedText) {
  const std::string path = TestMedia::Path("avi-mpeg4-mp3-6s.avi");
  EXPECT_EXIT(
      {
        RuntimeLibrary::OverrideFileName("MediaInfo.dll", "libmediainfo-absent.so.0");
        const bool loads = MediaInfoLibrary::Load();
        const std::string first = MediaInfoLibrary::GetPlayTimeText(path);
        const std::string second = MediaInfoLibrary::GetPlayTimeText(path);
        std::exit(!loads && first == "Unable to load MediaInfo.dll" && second == first ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
