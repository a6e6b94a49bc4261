// Opening and probing a source: the part of the media object that the task
// list, the preview and the transcoder share.
#include "CMediaTranscoder.h"

#include "DecoderLookup.h"
#include "LocalFile.h"
#include "SourceAudio.h"
#include "SourceVideo.h"
#include "TailDuration.h"

extern "C" {
#include <libavutil/mem.h>
}

// The creating window is not kept: the transcoder's messages go to the notify
// target that is set separately.
CMediaTranscoder::CMediaTranscoder(OpaqueHandle /*ownerWindow*/, OpaqueHandle pictureWindow,
                                   OpaqueHandle drawingContext)
    : pictureWindow_(pictureWindow), drawingContext_(drawingContext) {}

CMediaTranscoder::~CMediaTranscoder() {
  Stop();
  Join();
  ReleaseMedia();
}

int CMediaTranscoder::OpenInput(const std::string& path, int audioTrack) {
  AVFormatContext* input = nullptr;
  if (OpenSourceFile(&input, path) < 0) return -1;
  input_ = input;
  input_->flags |= AVFMT_FLAG_GENPTS;

  if (avformat_find_stream_info(input_, nullptr) < 0) {
    CloseInput();
    return -1;
  }

  // The last video stream wins.
  for (unsigned i = 0; i < input_->nb_streams; ++i) {
    if (IsSourceVideo(*input_->streams[i])) videoStreamIndex_ = static_cast<int>(i);
  }
  audioStreamIndex_ = ChooseSourceAudioStream(*input_, audioTrack);
  if (audioTrack != 0 && audioStreamIndex_ < 0) {
    CloseInput();
    return -1;
  }

  if (videoStreamIndex_ >= 0) {
    const AVStream& stream = *input_->streams[videoStreamIndex_];
    videoDecoder_ = OpenStreamDecoder(stream, DecoderSource::Registered);
    if (!videoDecoder_) {
      CloseInput();
      return -1;
    }
    width_ = videoDecoder_->Width();
    height_ = videoDecoder_->Height();
    const AVRational aspect = videoDecoder_->SampleAspectRatio();
    if (height_ > 0 && aspect.den != 0) {
      displayAspectRatio_ =
          static_cast<float>(width_ * (static_cast<double>(aspect.num) / aspect.den) / height_);
    }
    const AVRational timeBase = videoDecoder_->TimeBase();
    if (stream.r_frame_rate.num != 0 && stream.r_frame_rate.den != 0) {
      frameRate_ = stream.r_frame_rate;
    } else if (timeBase.num != 0 && timeBase.den != 0) {
      frameRate_ = AVRational{timeBase.den, timeBase.num};
    }
  }

  if (audioStreamIndex_ >= 0) {
    const AVStream& stream = *input_->streams[audioStreamIndex_];
    audioDecoder_ = OpenStreamDecoder(stream, DecoderSource::Registered);
    audioBuffer_ = audioDecoder_ ? static_cast<uint8_t*>(av_malloc(kAudioBufferSize)) : nullptr;
    if (!audioBuffer_) {
      CloseInput();
      return -1;
    }
    audioBufferSize_ = kAudioBufferSize;
    sampleRate_ = stream.codecpar->sample_rate;
    channels_ = stream.codecpar->ch_layout.nb_channels;
  }

  sourceName_ = path;
  duration_ = input_->duration != AV_NOPTS_VALUE ? input_->duration : DurationFromTail(*input_, path);
  rangeStart_ = 0;
  rangeEnd_ = duration_;
  return 0;
}

int CMediaTranscoder::GetDurationSeconds() const {
  if (!input_ || duration_ == AV_NOPTS_VALUE) return -1;
  return static_cast<int>(duration_ / AV_TIME_BASE);
}

// Closes the decoders and the source; the worker does this when it ends.
void CMediaTranscoder::CloseSource() {
  videoDecoder_.reset();
  audioDecoder_.reset();
  avformat_close_input(&input_);
}

// A failed open ends here, so that the object holds nothing from it.
void CMediaTranscoder::CloseInput() {
  CloseSource();
  av_freep(&audioBuffer_);
  audioBufferSize_ = 0;
  audioStreamIndex_ = -1;
  videoStreamIndex_ = -1;
}

void CMediaTranscoder::ReleaseMedia() {
  output_.reset();
  CloseInput();
}
