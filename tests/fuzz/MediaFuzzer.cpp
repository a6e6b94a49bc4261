// A damaged or hostile video file must be refused or converted, never crash,
// hang or leak the program: the probe, the summary, a short transcode and the
// preview still, each as the program runs them, on whatever bytes come.
#include "FuzzCheck.h"

#include "media/AudioTrack.h"
#include "media/CMediaTranscoder.h"
#include "media/DecoderRegistration.h"
#include "media/OriginalSound.h"
#include "media/PreviewCapture.h"
#include "platform/FfmpegLog.h"
#include "platform/Notice.h"
#include "platform/ProgramFolder.h"
#include "support/TempFolder.h"

extern "C" {
#include <libavutil/mem.h>
}

#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>

namespace {

constexpr size_t kLargestFfmpegAllocation = 512 << 20;

// Notices the transcoder raises have nobody to read them here.
class SilentNotice : public INotice {
 public:
  NoticeAnswer Show(const NoticeRequest&) override { return NoticeAnswer::Ok; }
};

// What the worker posts, checked against what ITranscodeNotify promises.
class CheckingNotify : public ITranscodeNotify {
 public:
  void PostProgress(int percent) override {
    std::lock_guard lock(mutex_);
    Require(!finished_, "progress after the end");
    Require(percent >= 0 && percent <= 100, "progress inside 0..100");
    Require(percent >= lastPercent_, "progress never goes back");
    lastPercent_ = percent;
  }
  void PostFinished(const TranscodeOutcome& outcome) override {
    std::lock_guard lock(mutex_);
    Require(!finished_, "a second end");
    Require(lastPercent_ == 100, "the end comes after progress 100");
    Require(outcome.converted == outcome.failure.empty(), "a failure says why, a success nothing");
    outcome_ = outcome;
    finished_ = true;
    changed_.notify_all();
  }
  // No time limit of its own: libFuzzer's -timeout catches a worker that hangs.
  TranscodeOutcome WaitFinished() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return finished_; });
    return outcome_;
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  int lastPercent_ = 0;
  bool finished_ = false;
  TranscodeOutcome outcome_;
};

// Original copies the packets (or repacks PCM) of the first second;
// otherwise the sound is encoded.
void Transcode(CMediaTranscoder& media, const std::string& output, bool original, bool mono) {
  CheckingNotify notify;
  media.SetNotifyWindow(&notify);
  if (original) {
    media.SetOriginal(CMediaTranscoder::PacketClip{0, 1});
  } else {
    // A second of the source at most, where it has a duration to cut.
    media.SetClip(0, 1);
    media.SetOutputParameters(22050, mono ? 1 : 2, 64000);
  }
  if (media.OpenOutput(output) != 0 || media.Start() != 0) return;
  const TranscodeOutcome outcome = notify.WaitFinished();
  media.Join();
  Require(!outcome.converted || std::filesystem::exists(output), "a converted source leaves its output");
  Require(!outcome.converted || !original || !ReadBackFailure(output), "a copy counted converted reads back");
}

// The track list the menus and --list-tracks show, against the stream the
// open took by default.
void CheckTracks(const CMediaTranscoder& media) {
  const AudioTracks tracks = ListAudioTracks(*media.Input());
  for (size_t i = 0; i < tracks.size(); ++i) {
    Require(tracks[i].number == static_cast<int>(i) + 1, "tracks numbered from 1 in order");
    Require(TrackLabel(tracks[i]).starts_with(std::to_string(i + 1) + ": "), "a label starts with its number");
    Require(TrackRefusal(tracks, tracks[i].number).empty() == tracks[i].hasSound, "only a track with sound is taken");
  }
  const AudioTrack* byDefault = FindTrack(tracks, DefaultTrackNumber(tracks));
  Require((byDefault ? byDefault->streamIndex : -1) == media.AudioStreamIndex(), "the default track is the one opened");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static SilentNotice notice;
  INotice::SetCurrent(&notice);
  InitMediaLibraries();
  // A damaged index can make a demuxer ask for an array of gigabytes up
  // front (an 8 KiB MP4 whose chunk table claims 175 million entries wants
  // 1.4 GB), which it touches only as far as the file goes and then refuses
  // the file. FFmpeg's own cap on one allocation turns that into the same
  // refusal here, below the fuzzer's malloc limit, which then guards the
  // rest.
  av_max_alloc(kLargestFfmpegAllocation);
  // FFmpeg's complaints about broken input would drown libFuzzer's output.
  FfmpegLog::SetSink([](int, const std::string&) {});
  // The built WMV decoder library, so WMV sources reach the program's own decoders.
  SetProgramFolderOverride(TOLVAR_PROGRAM_FOLDER);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TempFolder folder;
  const std::string source = folder / "source";
  std::ofstream(source, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
  // The input's length picks the output, so that a stored input replays alike.
  static const char* const kOutputs[] = {"wav", "mp3", "m4a", "flac", "opus", "original"};
  const std::string format = kOutputs[size % std::size(kOutputs)];
  const bool original = format == "original";

  {
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    if (media.OpenInput(source) == 0) {
      CheckTracks(media);
      const int seconds = media.GetDurationSeconds();
      std::string summary;
      const int summarized = media.FormatMediaSummary(summary, 512);
      Require(summarized < 0 || summary.size() < 512, "a summary longer than its room");
      Require(summarized < 0 || seconds < 0 || summary.rfind("Duration :", 0) == 0,
              "a known duration opens the summary");
      std::string extension = format;
      if (original) {
        const int audio = media.AudioStreamIndex();
        extension = audio >= 0 ? OriginalSoundOf(*media.Input()->streams[audio]->codecpar).extension : "mka";
      }
      const std::string output = folder / ("sound." + extension);
      std::remove(output.c_str());
      Transcode(media, output, original, size % 4 < 2);
    }
  }

  const std::string still = folder / "still.jpg";
  if (CapturePreviewFrame(source, 30, still, 160, 120) == 0) {
    Require(std::filesystem::file_size(still) > 0, "a still written empty");
  }
  return 0;
}
