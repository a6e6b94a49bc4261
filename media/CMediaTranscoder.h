#pragma once

#include "AudioOutput.h"
#include "StreamDecoder.h"
#include "TranscodeNotify.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <thread>

extern "C" {
#include <libavformat/avformat.h>
}

// The media object of one source file: it opens the source, chooses its audio
// and video streams and reports its duration, and it writes the source's
// sound (or a clip of it) into an audio file on a worker thread of its own.
// Made for one source: constructed, opened once, used, and deleted; deleting
// it stops and joins its worker first.
class CMediaTranscoder {
 public:
  // Window handles of the caller's toolkit. The picture window and its
  // drawing context are kept for the window that made the object; the media
  // layer never looks into them.
  using OpaqueHandle = void*;

  static constexpr int kAudioBufferSize = 384000;

  CMediaTranscoder(OpaqueHandle ownerWindow, OpaqueHandle pictureWindow, OpaqueHandle drawingContext);
  ~CMediaTranscoder();
  CMediaTranscoder(const CMediaTranscoder&) = delete;
  CMediaTranscoder& operator=(const CMediaTranscoder&) = delete;

  // 0 when the source is open, -1 when not; a failed open holds nothing.
  // The sound is audio track `audioTrack` (numbered from 1, see AudioTrack),
  // or with 0 the one a source's task takes by default; a chosen track that
  // is not there or holds no sound fails the open.
  int OpenInput(const std::string& path, int audioTrack = 0);
  // The source's duration in whole seconds (truncated), or -1.
  int GetDurationSeconds() const;
  // The source's duration in AV_TIME_BASE units: the container's, or else
  // the one its last time stamps give; AV_NOPTS_VALUE when neither is known.
  int64_t Duration() const { return duration_; }
  // The open source in "\r\n"-separated lines: duration, the frame rate of
  // each video stream, the picture size. Only whole lines that fit in
  // capacity - 1 characters go into `text`. Negative, with `text` untouched,
  // without an open source or when the duration line does not fit;
  // positive when a later line did not fit; 0 when all fit.
  int FormatMediaSummary(std::string& text, size_t capacity) const;

  // Transcoding, in the order a caller uses it. Messages for the user go
  // through the notice interface; the worker reports to the notify target.
  void SetNotifyWindow(ITranscodeNotify* target) { notify_ = target; }
  // Whole seconds of the source, start and end truncated; -1 (the whole
  // source is kept) for a negative start, an end past the duration or
  // before the start, or a source without duration.
  int SetClip(float start, float end);
  void SetOutputParameters(int sampleRate, int channelCount, int bitRate);
  // The Original format instead of the output parameters: the audio stream
  // copied as it is (see AudioOutput::AddOriginalStream). A clip, in seconds
  // as the task stores it, keeps every packet that covers it and no other.
  struct PacketClip {
    double start = 0;
    double length = 0;
  };
  void SetOriginal(std::optional<PacketClip> clip);
  // Whether OpenOutput tells the user that the source has no video (it
  // does unless told otherwise): a batch tells it once, not per file.
  void SetTellsMissingVideo(bool tells) { tellsMissingVideo_ = tells; }
  // Creates the output file and its encoder; 0 or -1 after telling the user.
  int OpenOutput(const std::string& path);
  // Why the last OpenOutput or Start failed: for OpenOutput, naming the file
  // and the system's reason, as the converter tells it.
  const std::string& OutputFailure() const { return outputFailure_; }
  // Writes the header and starts the worker; 0 or -1 after telling the user.
  int Start();
  // Asks the worker to finish; it closes the output properly.
  void Stop() { running_ = false; }
  // Waits for the worker to end (nothing to wait for when none was started).
  void Join();

  // What the open found.
  const AVFormatContext* Input() const { return input_; }
  const std::string& SourceName() const { return sourceName_; }
  int AudioStreamIndex() const { return audioStreamIndex_; }
  int VideoStreamIndex() const { return videoStreamIndex_; }
  const StreamDecoder* VideoDecoder() const { return videoDecoder_.get(); }
  const StreamDecoder* AudioDecoder() const { return audioDecoder_.get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  AVRational FrameRate() const { return frameRate_; }
  float DisplayAspectRatio() const { return displayAspectRatio_; }
  int AudioBufferSize() const { return audioBufferSize_; }
  int64_t RangeStart() const { return rangeStart_; }
  int64_t RangeEnd() const { return rangeEnd_; }
  OpaqueHandle PictureWindow() const { return pictureWindow_; }
  OpaqueHandle DrawingContext() const { return drawingContext_; }

 private:
  void CloseSource();
  void CloseInput();
  void ReleaseMedia();
  void ReopenAudioDecoderForDownmix();
  void Work();

  OpaqueHandle pictureWindow_;
  OpaqueHandle drawingContext_;

  std::string sourceName_;
  AVFormatContext* input_ = nullptr;
  int64_t duration_ = AV_NOPTS_VALUE;
  std::unique_ptr<StreamDecoder> audioDecoder_;
  std::unique_ptr<StreamDecoder> videoDecoder_;
  int audioStreamIndex_ = -1;
  int videoStreamIndex_ = -1;
  bool tellsMissingVideo_ = true;
  int width_ = 0;
  int height_ = 0;
  int sampleRate_ = 0;
  int channels_ = 0;
  AVRational frameRate_{25, 1};
  float displayAspectRatio_ = 0;
  int64_t rangeStart_ = 0;
  int64_t rangeEnd_ = 0;
  bool clipped_ = false;  // SetClip took a clip; otherwise the range is the whole source
  bool original_ = false;
  int audioBufferSize_ = 0;
  uint8_t* audioBuffer_ = nullptr;

  ITranscodeNotify* notify_ = nullptr;
  int outputSampleRate_ = 44100;
  int outputChannels_ = 2;
  int outputBitRate_ = 128000;
  std::unique_ptr<AudioOutput> output_;
  std::string outputFailure_;
  std::atomic<bool> running_{false};
  std::thread worker_;
};
