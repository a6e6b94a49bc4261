// Transcoding: the source's sound, or a clip of it, into an audio file on a
// worker thread.
#include "CMediaTranscoder.h"

#include "AudioPipeline.h"
#include "DecoderLookup.h"
#include "platform/Notice.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int64_t kMicroseconds = 1000000;

}  // namespace

int CMediaTranscoder::SetClip(float start, float end) {
  const int64_t clipStart = static_cast<int64_t>(std::trunc(start)) * kMicroseconds;
  const int64_t clipEnd = static_cast<int64_t>(std::trunc(end)) * kMicroseconds;
  if (!input_ || duration_ == AV_NOPTS_VALUE) return -1;
  if (clipEnd > duration_ || clipStart < 0 || clipEnd < clipStart) return -1;
  rangeStart_ = clipStart;
  rangeEnd_ = clipEnd;
  clipped_ = true;
  return 0;
}

void CMediaTranscoder::SetOutputParameters(int sampleRate, int channelCount, int bitRate) {
  outputSampleRate_ = sampleRate;
  outputChannels_ = channelCount;
  outputBitRate_ = bitRate;
}

void CMediaTranscoder::SetOriginal(std::optional<PacketClip> clip) {
  original_ = true;
  if (!clip || !input_) return;
  rangeStart_ = std::llround(clip->start * kMicroseconds);
  rangeEnd_ = rangeStart_ + std::llround(clip->length * kMicroseconds);
  clipped_ = true;
}

int CMediaTranscoder::OpenOutput(const std::string& path) {
  auto output = std::make_unique<AudioOutput>();
  const AudioOutput::Failure created = output->Create(path);
  outputFailure_ = output->FailureText(created);
  switch (created) {
    case AudioOutput::Failure::None:
      break;
    case AudioOutput::Failure::NoExtension:
      ShowNotice("Oops,You must supply an surfix name!", "Failure!");
      return -1;
    case AudioOutput::Failure::NoMuxer:
      ShowNotice("We dont support this file format currently!", "Failure!");
      return -1;
    case AudioOutput::Failure::CannotCreate:
      ShowNotice("Open File fails", "Error!");
      return -1;
    default:
      ShowNotice("No Memory", "Error!");
      return -1;
  }

  if (videoStreamIndex_ < 0 && tellsMissingVideo_) {
    // Only for the user's information: it must not hold up a batch.
    INotice::Current().Show({"It seems that there is no any video in your file!\nplease waitting.....",
                             "Information", NoticeIcon::Information, NoticeButtons::Ok, false});
  }

  if (audioStreamIndex_ >= 0) {
    if (!original_) ReopenAudioDecoderForDownmix();
    const AudioOutput::AudioSettings settings{"", outputBitRate_, outputSampleRate_, outputChannels_};
    const AudioOutput::Failure added = original_ ? output->AddOriginalStream(*input_->streams[audioStreamIndex_])
                                                 : output->AddAudioStream(settings);
    if (added != AudioOutput::Failure::None) {
      outputFailure_ = output->FailureText(added);
      ShowNotice("The audio parameters are wrong,will be fixed in next major version", "Failure");
      return -1;
    }
  }
  output_ = std::move(output);
  return 0;
}

// The probe opened the decoder before the output's channels were known.
void CMediaTranscoder::ReopenAudioDecoderForDownmix() {
  if (outputChannels_ >= channels_) return;
  auto reopened = OpenAudioDecoder(*input_->streams[audioStreamIndex_], DecoderSource::Registered, outputChannels_);
  if (reopened) audioDecoder_ = std::move(reopened);
}

int CMediaTranscoder::Start() {
  running_ = true;
  // Without an audio stream there is nothing to mux, and the header says so.
  if (output_ && audioStreamIndex_ >= 0) output_->CopyTags(*input_, audioStreamIndex_);
  const int headerWritten = output_ && audioStreamIndex_ >= 0 ? output_->WriteHeader() : AVERROR(EINVAL);
  if (headerWritten < 0) {
    running_ = false;
    outputFailure_ = output_ && output_->CopiesPackets() ? output_->HeaderFailureText(headerWritten)
                                                         : "The output file could not be written.";
    ShowNotice("maybe audio/video parameters are wrong,will be fixed in next major version", "Failure");
    return -1;
  }
  worker_ = std::thread(&CMediaTranscoder::Work, this);
  return 0;
}

void CMediaTranscoder::Join() {
  if (worker_.joinable()) worker_.join();
}

void CMediaTranscoder::Work() {
  // A source without a duration has no end to measure progress against; it
  // reports only its final 100.
  const bool timed = rangeEnd_ != AV_NOPTS_VALUE;
  const double clipSeconds = timed ? static_cast<double>((rangeEnd_ - rangeStart_) / kMicroseconds) : 0;
  const double progressStep = clipSeconds / 100;
  double progressThreshold = 0;

  AudioPipeline::Options options;
  options.cut = original_ ? AudioPipeline::ClipCut::CoveringPackets : AudioPipeline::ClipCut::WholePackets;
  options.clipStart = rangeStart_;
  // Only a clip has an end. Without one the whole track is converted: sound
  // often outlasts what the container states as its duration.
  if (clipped_) options.clipLength = rangeEnd_ - rangeStart_;
  // MP3, WAV and AC3 end with their last whole frame, as they always have;
  // the later formats (AAC, FLAC, Opus) and Original keep every sample.
  options.encodeTail = original_;
  if (!original_) {
    const AVCodecID codec = output_->Encoder().codec_id;
    options.encodeTail = codec != AV_CODEC_ID_MP3 && codec != AV_CODEC_ID_PCM_S16LE && codec != AV_CODEC_ID_AC3;
  }

  const AudioPipeline::Source source{input_, audioStreamIndex_, audioDecoder_.get(), videoStreamIndex_ >= 0};
  AudioPipeline pipeline(source, *output_, options, audioBuffer_, audioBufferSize_);
  const AudioPipeline::Result result = pipeline.Run(
      [this] { return !running_; },
      [&](double seconds, int64_t) {
        if (seconds <= progressThreshold) return;
        progressThreshold = std::clamp(seconds, 0.0, clipSeconds);
        if (clipSeconds != 0 && notify_) notify_->PostProgress(static_cast<int>(progressThreshold * 100 / clipSeconds));
        progressThreshold += progressStep;
      });

  output_.reset();
  CloseSource();
  running_ = false;
  if (notify_) {
    notify_->PostProgress(100);
    notify_->PostFinished(TranscodeOutcome{result.converted, result.failure});
  }
}
