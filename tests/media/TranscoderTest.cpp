#include "media/CMediaTranscoder.h"
#include "platform/RecordingNotice.h"
#include "support/Ffprobe.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"
#include "support/TranscodeEndWaiter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sys/mount.h>

namespace fs = std::filesystem;

namespace {

// Collects what the worker posts, as the progress window would.
class RecordingNotify : public TranscodeEndWaiter {
 public:
  void PostProgress(int percent) override {
    std::lock_guard lock(mutex_);
    progress_.push_back(percent);
    if (onProgress_) onProgress_(percent);
  }
  TranscodeOutcome WaitFinished() {
    const auto outcome = Wait(std::chrono::minutes(2));
    EXPECT_TRUE(outcome) << "the worker never finished";
    return outcome.value_or(TranscodeOutcome{});
  }
  std::vector<int> Progress() {
    std::lock_guard lock(mutex_);
    return progress_;
  }
  // Runs on the worker thread, after the percent was recorded.
  void OnProgress(std::function<void(int)> callback) { onProgress_ = std::move(callback); }

 private:
  std::mutex mutex_;
  std::vector<int> progress_;
  std::function<void(int)> onProgress_;
};

struct Job {
  std::string source;
  std::string output;
  int sampleRate = 44100;
  int channels = 2;
  int bitRate = 128000;
  std::optional<std::pair<float, float>> clip = std::nullopt;
};

// Converts as the progress window does; the outcome, or nullopt when the
// output could not be opened or started.
std::optional<TranscodeOutcome> Transcode(const Job& job, RecordingNotify& notify, int* clipResult = nullptr) {
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  if (media.OpenInput(job.source) != 0) return std::nullopt;
  media.SetNotifyWindow(&notify);
  if (job.clip) {
    const int result = media.SetClip(job.clip->first, job.clip->second);
    if (clipResult) *clipResult = result;
  }
  media.SetOutputParameters(job.sampleRate, job.channels, job.bitRate);
  if (media.OpenOutput(job.output) != 0 || media.Start() != 0) return std::nullopt;
  return notify.WaitFinished();
}

// What an output may lack at its end: two encoder frames, one of them the
// FIFO's last part-frame, which is dropped.
double MissingTailSeconds(const std::string& codec, int sampleRate) {
  if (codec == "mp3") return 2 * 1152.0 / sampleRate;
  if (codec == "ac3") return 2 * 1536.0 / sampleRate;
  return 0.01;
}

}  // namespace

// Each conversion is checked as a user would: the output decodes, has the
// asked codec, rate and channels, lasts as long as its source (two encoder
// frames plus the dropped tail may be missing) and sounds like it.
struct ConversionCase {
  const char* name;
  const char* source;
  const char* extension;
  int sampleRate;
  int channels;
  int bitRate;
  const char* codec;
  double seconds;
  double frequency;
};

class Conversion : public ::testing::TestWithParam<ConversionCase> {};

TEST_P(Conversion, GivesTheAskedAudio) {
  const ConversionCase& c = GetParam();
  TempFolder folder;
  RecordingNotice notice;
  RecordingNotify notify;
  const std::string output = folder / (std::string("out.") + c.extension);
  const auto outcome = Transcode({.source = TestMedia::Path(c.source), .output = output, .sampleRate = c.sampleRate,
                                  .channels = c.channels, .bitRate = c.bitRate},
                                 notify);
  ASSERT_TRUE(outcome) << "the output did not open: " << (notice.Texts().empty() ? "" : notice.Texts().back());
  EXPECT_TRUE(outcome->converted) << outcome->failure;

  const auto probed = Ffprobe(output);
  ASSERT_TRUE(probed);
  EXPECT_EQ(probed->audioCodec, c.codec);
  EXPECT_EQ(probed->sampleRate, c.sampleRate);
  EXPECT_EQ(probed->channels, c.channels);
  const auto decoded = DecodedAudioSeconds(output);
  const auto sourceSeconds = DecodedAudioSeconds(TestMedia::Path(c.source));
  ASSERT_TRUE(decoded && sourceSeconds);
  EXPECT_NEAR(*sourceSeconds, c.seconds, 0.1) << "the fixture itself";
  EXPECT_LE(*decoded, *sourceSeconds + 0.01);
  EXPECT_GE(*decoded, *sourceSeconds - MissingTailSeconds(c.codec, c.sampleRate));
  EXPECT_NEAR(DominantFrequency(output), c.frequency, c.frequency * 0.02);

  const auto progress = notify.Progress();
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), 100);
  EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
  EXPECT_LE(progress.size(), 102u) << "at most once per percent, plus the final 100";
}

INSTANTIATE_TEST_SUITE_P(
    Transcoder, Conversion,
    ::testing::Values(
        ConversionCase{"WavAtTheSourcesOwnRateAndChannels", "mp4-h264-aac-10s.mp4", "wav", 48000, 2, 128000,
                       "pcm_s16le", 10, 440},
        ConversionCase{"StereoToMonoMp3AtAnotherRate", "mp4-h264-aac-10s.mp4", "mp3", 44100, 1, 128000, "mp3",
                       10, 440},
        ConversionCase{"SixChannelAc3ToStereoAtTheSameRate", "mkv-mpeg4-ac3-5.1-6s.mkv", "ac3", 48000, 2, 192000,
                       "ac3", 6, 440},
        ConversionCase{"SixChannelAc3ToMonoMp3", "mkv-mpeg4-ac3-5.1-6s.mkv", "mp3", 44100, 1, 64000, "mp3", 6,
                       440},
        ConversionCase{"WmvSourceToWav", "wmv-wmv2-wmav2-8s.wmv", "wav", 22050, 2, 128000, "pcm_s16le", 8, 440}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Transcoder, TheRealFileWithMp3AndSurroundAc3TracksGivesStereo) {
  const std::string source = TestMedia::CorpusFolder() + "bbb-h264-mp3-and-ac3-5.1.mp4";
  if (TestMedia::CorpusFolder().empty()) GTEST_SKIP() << "the shared media corpus is not here";
  TempFolder folder;
  RecordingNotice notice;
  RecordingNotify notify;
  const auto outcome = Transcode({.source = source, .output = folder / "bbb.mp3", .sampleRate = 48000, .bitRate = 192000}, notify);
  ASSERT_TRUE(outcome);
  EXPECT_TRUE(outcome->converted) << outcome->failure;
  const auto probed = Ffprobe(folder / "bbb.mp3");
  ASSERT_TRUE(probed);
  EXPECT_EQ(probed->channels, 2);
  EXPECT_EQ(probed->sampleRate, 48000);
  EXPECT_NEAR(*DecodedAudioSeconds(folder / "bbb.mp3"), 5.0, 0.15);
}

TEST(Transcoder, Ac3At22050HzIsRefused) {
  TempFolder folder;
  RecordingNotice notice;
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(TestMedia::Path("mp4-h264-aac-10s.mp4")), 0);
  media.SetOutputParameters(22050, 2, 192000);
  EXPECT_EQ(media.OpenOutput(folder / "out.ac3"), -1);
  ASSERT_EQ(notice.Requests().size(), 1u);
  EXPECT_EQ(notice.Requests()[0].text, "The audio parameters are wrong,will be fixed in next major version");
  EXPECT_EQ(notice.Requests()[0].caption, "Failure");
  EXPECT_FALSE(fs::exists(folder / "out.ac3")) << "a refused output leaves no empty file behind";
}

TEST(Transcoder, OutputOpeningFailuresTellTheUser) {
  TempFolder folder;
  const std::tuple<std::string, const char*, const char*, std::string> cases[] = {
      {folder / "no-extension", "Oops,You must supply an surfix name!", "Failure!",
       "The output " + folder / "no-extension has no extension to choose its format by"},
      {folder / "a.dotted/no-extension", "Oops,You must supply an surfix name!", "Failure!",
       "The output " + folder / "a.dotted/no-extension has no extension to choose its format by"},
      {folder / "out.xyz", "We dont support this file format currently!", "Failure!",
       "No audio format is known for the output " + folder / "out.xyz"},
      {folder / "missing-folder/out.mp3", "Open File fails", "Error!",
       "Cannot create " + folder / "missing-folder/out.mp3: No such file or directory"},
  };
  for (const auto& [path, text, caption, failure] : cases) {
    SCOPED_TRACE(path);
    RecordingNotice notice;
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    ASSERT_EQ(media.OpenInput(TestMedia::Path("avi-mpeg4-mp3-6s.avi")), 0);
    EXPECT_EQ(media.OpenOutput(path), -1);
    ASSERT_EQ(notice.Requests().size(), 1u);
    EXPECT_EQ(notice.Requests()[0].text, text);
    EXPECT_EQ(notice.Requests()[0].caption, caption);
    EXPECT_EQ(media.OutputFailure(), failure);
  }
}

// An output folder whose name FFmpeg would take for a protocol ("pipe:9"
// would be a descriptor), relative to the current folder: the file goes
// into that folder.
TEST(Transcoder, AnOutputNamedLikeAProtocolIsTheFileOfThatName) {
  TempFolder folder;
  const std::string previousFolder = fs::current_path();
  fs::current_path(folder.Path());
  fs::create_directory("pipe:9");
  RecordingNotify notify;
  const auto outcome = Transcode({.source = TestMedia::Path("avi-mpeg4-mp3-6s.avi"), .output = "pipe:9/out.mp3"},
                                 notify);
  fs::current_path(previousFolder);
  ASSERT_TRUE(outcome);
  EXPECT_TRUE(outcome->converted) << outcome->failure;
  const auto decoded = DecodedAudioSeconds(folder / "pipe:9/out.mp3");
  ASSERT_TRUE(decoded);
  EXPECT_NEAR(*decoded, 6.0, 0.1);
}

TEST(Transcoder, ASourceWithoutVideoIsToldWithoutHoldingUpTheRun) {
  TempFolder folder;
  RecordingNotice notice;
  RecordingNotify notify;
  const auto outcome = Transcode({.source = TestMedia::Path("audio-only-aac-7s.m4a"), .output = folder / "out.mp3"}, notify);
  ASSERT_TRUE(outcome);
  EXPECT_TRUE(outcome->converted);
  ASSERT_EQ(notice.Requests().size(), 1u);
  EXPECT_EQ(notice.Requests()[0].text, "It seems that there is no any video in your file!\nplease waitting.....");
  EXPECT_EQ(notice.Requests()[0].caption, "Information");
  EXPECT_FALSE(notice.Requests()[0].blocking);
}

TEST(Transcoder, AClipIsCutAtWholeSeconds) {
  TempFolder folder;
  RecordingNotify notify;
  int clipResult = 1;
  const auto outcome = Transcode(
      {.source = TestMedia::Path("avi-tone-from-12s-to-30s-40s.avi"), .output = folder / "clip.wav", .clip = {{12.7f, 30.4f}}},
      notify, &clipResult);
  EXPECT_EQ(clipResult, 0);
  ASSERT_TRUE(outcome && outcome->converted);
  // The tone runs from 12 s to 30 s of the source: a clip cut there is tone
  // from its first tenth of a second to its last.
  const auto loudness = LoudnessWindows(folder / "clip.wav", 0.1);
  ASSERT_GE(loudness.size(), 170u);
  EXPECT_LE(loudness.size(), 181u);
  EXPECT_GT(loudness[1], 0.2);
  EXPECT_GT(loudness[loudness.size() - 2], 0.2);
  EXPECT_EQ(notify.Progress().back(), 100);
}

TEST(Transcoder, AClipPastTheEndIsRefusedAndTheWholeSourceConverted) {
  TempFolder folder;
  RecordingNotify notify;
  int clipResult = 0;
  const auto outcome = Transcode(
      {.source = TestMedia::Path("avi-mpeg4-mp3-6s.avi"), .output = folder / "out.wav", .clip = {{2.0f, 7.5f}}}, notify,
      &clipResult);
  EXPECT_EQ(clipResult, -1);
  ASSERT_TRUE(outcome && outcome->converted);
  EXPECT_NEAR(*DecodedAudioSeconds(folder / "out.wav"), 6.0, 0.1);
}

TEST(Transcoder, ClipBoundsAreChecked) {
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(TestMedia::Path("avi-mpeg4-mp3-6s.avi")), 0);
  EXPECT_EQ(media.SetClip(-1.0f, 3.0f), -1);
  EXPECT_EQ(media.SetClip(4.0f, 2.0f), -1);
  EXPECT_EQ(media.RangeStart(), 0);
  EXPECT_EQ(media.RangeEnd(), media.Input()->duration);
  EXPECT_EQ(media.SetClip(1.9f, 5.99f), 0);
  EXPECT_EQ(media.RangeStart(), 1000000);
  EXPECT_EQ(media.RangeEnd(), 5000000);

  CMediaTranscoder undated(nullptr, nullptr, nullptr);
  ASSERT_EQ(undated.OpenInput(TestMedia::Path("mkv-no-duration-zero-filled-tail-5s.mkv")), 0);
  EXPECT_EQ(undated.SetClip(1.0f, 2.0f), -1);
}

TEST(Transcoder, ASourceWithoutAnyDurationIsConvertedWhole) {
  TempFolder folder;
  RecordingNotify notify;
  const auto outcome = Transcode(
      {.source = TestMedia::Path("mkv-no-duration-zero-filled-tail-5s.mkv"), .output = folder / "out.mp3"}, notify);
  ASSERT_TRUE(outcome && outcome->converted) << (outcome ? outcome->failure : "");
  const double decoded = *DecodedAudioSeconds(folder / "out.mp3");
  EXPECT_LE(decoded, 5.0);
  EXPECT_GE(decoded, 5.0 - MissingTailSeconds("mp3", 44100));
  EXPECT_EQ(notify.Progress(), std::vector<int>{100}) << "no end to measure against: only the final 100";
}

// The duration found at the file's end serves the clip and the progress.
TEST(Transcoder, AClipOnASourceWithoutStatedDurationIsHonoured) {
  TempFolder folder;
  RecordingNotify notify;
  int clipResult = 1;
  const auto outcome = Transcode({.source = TestMedia::Path("mkv-no-duration-5s.mkv"), .output = folder / "out.wav",
                                  .clip = {{1.0f, 3.0f}}},
                                 notify, &clipResult);
  EXPECT_EQ(clipResult, 0);
  ASSERT_TRUE(outcome && outcome->converted) << (outcome ? outcome->failure : "");
  EXPECT_NEAR(*DecodedAudioSeconds(folder / "out.wav"), 2.0, 0.05);
  EXPECT_GT(notify.Progress().size(), 2u) << "progress against the found duration";
}

TEST(Transcoder, StopMidwayLeavesAShorterFileThatDecodes) {
  TempFolder folder;
  RecordingNotify notify;
  CMediaTranscoder media(nullptr, nullptr, nullptr);
  ASSERT_EQ(media.OpenInput(TestMedia::Path("avi-tone-from-12s-to-30s-40s.avi")), 0);
  media.SetNotifyWindow(&notify);
  media.SetOutputParameters(44100, 2, 128000);
  notify.OnProgress([&](int percent) {
    if (percent >= 25) media.Stop();
  });
  ASSERT_EQ(media.OpenOutput(folder / "stopped.mp3"), 0);
  ASSERT_EQ(media.Start(), 0);
  const auto outcome = notify.WaitFinished();
  media.Join();
  EXPECT_TRUE(outcome.converted) << outcome.failure;
  const auto decoded = DecodedAudioSeconds(folder / "stopped.mp3");
  ASSERT_TRUE(decoded);
  EXPECT_GT(*decoded, 9.0);
  EXPECT_LT(*decoded, 12.0);
}

// The bytes this process has read so far, through any file.
uint64_t BytesReadByThisProcess() {
  std::ifstream io("/proc/self/io");
  std::string field;
  uint64_t value = 0;
  while (io >> field >> value) {
    if (field == "rchar:") return value;
  }
  ADD_FAILURE() << "no rchar in /proc/self/io";
  return 0;
}

// Only the audio stream is read: the demuxer skips the video's chunks rather
// than hand them over to be thrown away, whatever the output.
TEST(Transcoder, ReadsLittleOfTheVideoOfASource) {
  const std::string source = TestMedia::Path("mp4-mpeg4-1080p-2fps-aac-4s.mp4");
  const auto sourceSize = fs::file_size(source);
  for (const char* output : {"out.mp3", "out.wav", "out.m4a"}) {
    SCOPED_TRACE(output);
    TempFolder folder;
    RecordingNotify notify;
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    ASSERT_EQ(media.OpenInput(source), 0);
    media.SetNotifyWindow(&notify);
    if (std::string(output) == "out.m4a") {
      media.SetOriginal(std::nullopt);
    } else {
      media.SetOutputParameters(44100, 2, 128000);
    }
    ASSERT_EQ(media.OpenOutput(folder / output), 0);
    const uint64_t before = BytesReadByThisProcess();
    ASSERT_EQ(media.Start(), 0);
    const auto outcome = notify.WaitFinished();
    media.Join();
    const uint64_t read = BytesReadByThisProcess() - before;
    EXPECT_TRUE(outcome.converted) << outcome.failure;
    // Each skip still costs the demuxer a buffer's fill: about a fifth of
    // this file is read, against nearly all of it when every packet is.
    EXPECT_LT(read, sourceSize / 3) << "of " << sourceSize << " bytes";
  }
}

TEST(Transcoder, AClipUnderOneSecondPostsOnlyTheFinal100) {
  TempFolder folder;
  RecordingNotify notify;
  int clipResult = 1;
  const auto outcome = Transcode(
      {.source = TestMedia::Path("avi-mpeg4-mp3-6s.avi"), .output = folder / "short.wav", .clip = {{3.2f, 3.9f}}},
      notify,
      &clipResult);
  EXPECT_EQ(clipResult, 0);
  ASSERT_TRUE(outcome);
  EXPECT_EQ(notify.Progress(), std::vector<int>{100});
}

// The file that fills the disk keeps what it got; the next one, which got
// nothing, is not left behind empty. Either failure says it was the writing.
TEST(Transcoder, AFullDiskIsAFailureWithItsReason) {
  TempFolder folder;
  const std::string mountPoint = folder / "small-disk";
  fs::create_directory(mountPoint);
  if (mount("tmpfs", mountPoint.c_str(), "tmpfs", 0, "size=256k") != 0) {
    GTEST_SKIP() << "mounting a small tmpfs needs root";
  }
  std::vector<TranscodeOutcome> outcomes;
  for (const char* name : {"/big.wav", "/next.wav"}) {
    RecordingNotify notify;
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    ASSERT_EQ(media.OpenInput(TestMedia::Path("mp4-h264-aac-10s.mp4")), 0);
    media.SetNotifyWindow(&notify);
    media.SetOutputParameters(48000, 2, 128000);
    ASSERT_EQ(media.OpenOutput(mountPoint + name), 0);
    ASSERT_EQ(media.Start(), 0);
    outcomes.push_back(notify.WaitFinished());
  }
  const auto filled = DecodedAudioSeconds(mountPoint + "/big.wav");
  const bool nextLeft = fs::exists(mountPoint + "/next.wav");
  umount2(mountPoint.c_str(), MNT_DETACH);
  for (const TranscodeOutcome& outcome : outcomes) {
    EXPECT_FALSE(outcome.converted);
    EXPECT_EQ(outcome.failure, "Cannot write the output file: No space left on device");
  }
  ASSERT_TRUE(filled) << "what reached the disk does not decode";
  EXPECT_GT(*filled, 1.0);
  EXPECT_FALSE(nextLeft);
}

TEST(Transcoder, ASourceShorterThanTheEncodersDelayStillConverts) {
  TempFolder folder;
  RecordingNotify notify;
  const auto outcome = Transcode({.source = TestMedia::Path("mkv-mpeg4-pcm-0.1s.mkv"), .output = folder / "tiny.mp3"},
                                 notify);
  ASSERT_TRUE(outcome);
  EXPECT_TRUE(outcome->converted) << outcome->failure;
  const auto decoded = DecodedAudioSeconds(folder / "tiny.mp3");
  ASSERT_TRUE(decoded);
  EXPECT_GT(*decoded, 0.05);
}

TEST(Transcoder, ASourceWithoutDecodableAudioFails) {
  TempFolder folder;
  RecordingNotify notify;
  const auto outcome =
      Transcode({.source = TestMedia::Path("mkv-audio-stream-without-packets-3s.mkv"), .output = folder / "out.mp3"},
                notify);
  ASSERT_TRUE(outcome);
  EXPECT_FALSE(outcome->converted);
  EXPECT_EQ(outcome->failure, "No audio could be decoded from the source");
  EXPECT_FALSE(fs::exists(folder / "out.mp3")) << "an output without sound is not left behind";
}

TEST(Transcoder, ASourceWithoutAudioStreamCannotStart) {
  TempFolder folder;
  RecordingNotice notice;
  CMediaTranscoder silent(nullptr, nullptr, nullptr);
  ASSERT_EQ(silent.OpenInput(TestMedia::Path("mp4-video-only-2s.mp4")), 0);
  ASSERT_EQ(silent.OpenOutput(folder / "out.mp3"), 0);
  EXPECT_EQ(silent.Start(), -1);
  EXPECT_EQ(notice.Texts().back(), "maybe audio/video parameters are wrong,will be fixed in next major version");
}
