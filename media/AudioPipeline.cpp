#include "AudioPipeline.h"

#include "FfmpegError.h"
#include "OriginalSound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kMicroseconds = 1e6;

}  // namespace

AudioPipeline::AudioPipeline(const Source& source, AudioOutput& output, const Options& options,
                             uint8_t* buffer, int bufferSize)
    : source_(source),
      output_(output),
      options_(options),
      audioStream_(source.input->streams[source.audioStreamIndex]) {
  if (!output.CopiesPackets()) feeder_.emplace(output, buffer, bufferSize);
  // Packet times count from the source's own start, to the last tick: MPEG
  // files start half a second in, transport streams anywhere. The demuxer
  // has already unwrapped time stamps that ran over, so they run on from
  // the first packet, negative before the wrap point.
  const int64_t startTime = source_.input->start_time;
  if (startTime != AV_NOPTS_VALUE) {
    startOffset_ = av_rescale_q(startTime, AV_TIME_BASE_Q, audioStream_->time_base);
    origin_ = static_cast<double>(startTime) / AV_TIME_BASE;
  }
  nextFrameTime_ = 0;
}

void AudioPipeline::Fail(const std::string& what, int error) {
  if (failure_.empty()) failure_ = what + ": " + FfmpegErrorText(error);
}

void AudioPipeline::FailEncoding(int error) {
  if (output_.WriteError() < 0) {
    Fail("Cannot write the output file", output_.WriteError());
  } else {
    Fail("Cannot encode the sound", error);
  }
}

bool AudioPipeline::ReadNextPacket(AVPacket* packet) {
  const int read = av_read_frame(source_.input, packet);
  if (read >= 0) return true;
  // A damaged or cut-off source ends where its readable part ends, as any
  // player would play it; only a failing device is an error.
  if (read != AVERROR_EOF && read != AVERROR_INVALIDDATA && read != AVERROR(EAGAIN)) {
    Fail("Cannot read the source", read);
  }
  return false;
}

AudioPipeline::Result AudioPipeline::Run(const StopQuery& shouldStop, const ProgressSink& onProgress) {
  if (options_.cut == ClipCut::ExactSamples && options_.clipStart > 0) {
    const int64_t target = static_cast<int64_t>(origin_ * AV_TIME_BASE) + options_.clipStart;
    // Not every source can seek; then the clip is found by reading from the start.
    if (avformat_seek_file(source_.input, -1, INT64_MIN, target, target, 0) >= 0) source_.decoder->Flush();
  }

  // Only the chosen audio stream is read: the demuxer skips the others'
  // data, or at least hands none of it over.
  for (unsigned i = 0; i < source_.input->nb_streams; ++i) {
    if (static_cast<int>(i) != source_.audioStreamIndex) source_.input->streams[i]->discard = AVDISCARD_ALL;
  }
  const bool copies = output_.CopiesPackets();

  AVPacket* packet = av_packet_alloc();
  while (packet && failure_.empty() && !shouldStop()) {
    if (!ReadNextPacket(packet)) break;
    const bool goOn = HandlePacket(packet);
    av_packet_unref(packet);
    if (!goOn) break;
    const double seconds = options_.cut != ClipCut::ExactSamples
                               ? packetTime_
                               : static_cast<double>(feeder_->SamplesEncoded()) / output_.Encoder().sample_rate;
    onProgress(seconds, output_.BytesWritten());
  }
  av_packet_free(&packet);

  // Frames the decoder still holds come from packets inside the clip.
  if (failure_.empty() && feeder_) HandlePacket(nullptr);
  if (failure_.empty() && feeder_) {
    if (const int finished = feeder_->Finish(options_.encodeTail); finished < 0) FailEncoding(finished);
  }
  // The output is closed the same way after a failure, so that what was
  // written stays readable.
  const int64_t packetsWritten = output_.PacketsWritten();
  if (const int closed = output_.Finish(); closed < 0) Fail("Cannot write the output file", closed);

  Result result;
  if (!failure_.empty()) {
    result.failure = failure_;
  } else if (packetsWritten == 0 && !copies) {
    result.failure = "No audio could be decoded from the source";
  } else if (packetsWritten == 0) {
    const bool clipped = options_.clipLength || options_.clipStart > 0;
    result.failure = clipped ? "No audio packet of the source lies within the clip"
                             : "The source holds no audio packet to copy";
  } else if (const auto unreadable = copies ? ReadBackFailure(output_.Path()) : std::nullopt) {
    std::remove(output_.Path().c_str());
    result.failure = *unreadable;
  } else {
    result.converted = true;
  }
  return result;
}

bool AudioPipeline::HandlePacket(AVPacket* packet) {
  switch (options_.cut) {
    case ClipCut::WholePackets:
      return HandleWholePacket(packet);
    case ClipCut::ExactSamples:
      return HandleExactPacket(packet);
    case ClipCut::CoveringPackets:
      return HandleCoveringPacket(packet);
  }
  return false;
}

bool AudioPipeline::DecodeIntoEncoder(const AVPacket* packet) {
  // A packet that does not decode is skipped, as players do: its result is
  // not an error of the conversion.
  int pushed = 0;
  source_.decoder->Decode(packet, [&](const AVFrame& frame) {
    if (pushed < 0) return;
    pushed = feeder_->Push(frame, 0, frame.nb_samples);
  });
  if (pushed < 0) {
    FailEncoding(pushed);
    return false;
  }
  return true;
}

// A null packet drains the decoder of a repack.
bool AudioPipeline::HandleCoveringPacket(AVPacket* packet) {
  if (!packet) return DecodeIntoEncoder(nullptr);
  if (packet->stream_index != source_.audioStreamIndex) return true;
  int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
  if (stamp == AV_NOPTS_VALUE) {
    if (!nextStamp_) {
      failure_ = "The audio packets of the source carry no time stamps; choose another format than Original";
      return false;
    }
    stamp = *nextStamp_;
  }
  if (packet->duration > 0) {
    nextStamp_ = stamp + packet->duration;
  } else {
    nextStamp_.reset();
  }

  const AVRational timeBase = audioStream_->time_base;
  const double toSeconds = static_cast<double>(timeBase.num) / timeBase.den;
  const double clipStart = static_cast<double>(options_.clipStart) / kMicroseconds;
  const double start = static_cast<double>(stamp - startOffset_) * toSeconds - clipStart;
  const double end = start + static_cast<double>(std::max<int64_t>(packet->duration, 0)) * toSeconds;
  if (options_.clipLength && start * kMicroseconds >= static_cast<double>(*options_.clipLength)) return false;
  const bool beforeClip = packet->duration > 0 ? end <= 0 : start < 0;
  if (beforeClip) return true;
  packetTime_ = std::max(start, 0.0);

  if (feeder_) return DecodeIntoEncoder(packet);
  if (!firstStamp_) firstStamp_ = packet->dts != AV_NOPTS_VALUE ? std::min(packet->dts, stamp) : stamp;
  packet->pts = stamp - *firstStamp_;
  packet->dts = (packet->dts != AV_NOPTS_VALUE ? packet->dts : stamp) - *firstStamp_;
  if (const int written = output_.WriteCopiedPacket(*packet, timeBase); written < 0) {
    Fail("Cannot write the output file", written);
    return false;
  }
  return true;
}

// A null packet drains the decoder.
bool AudioPipeline::HandleWholePacket(const AVPacket* packet) {
  if (packet) {
    if (packet->stream_index != source_.audioStreamIndex || audioDone_) return true;
    const int64_t timeStamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    if (timeStamp != AV_NOPTS_VALUE) {
      const AVRational timeBase = audioStream_->time_base;
      packetTime_ = static_cast<double>(timeStamp - startOffset_) * timeBase.num / timeBase.den -
                    static_cast<double>(options_.clipStart / AV_TIME_BASE);
    }
    if (options_.clipLength && packetTime_ * kMicroseconds > static_cast<double>(*options_.clipLength)) {
      // Past the clip. With video in the source nothing more is wanted from
      // it; otherwise the rest is read and dropped.
      audioDone_ = true;
      return !source_.hasVideo;
    }
    if (packetTime_ < 0) return true;
  }

  return DecodeIntoEncoder(packet);
}

bool AudioPipeline::HandleExactPacket(const AVPacket* packet) {
  if (packet && packet->stream_index != source_.audioStreamIndex) return true;
  const bool clipped = options_.clipStart > 0 || options_.clipLength.has_value();
  const double clipStart = static_cast<double>(options_.clipStart) / kMicroseconds;
  const double clipEnd = options_.clipLength ? clipStart + static_cast<double>(*options_.clipLength) / kMicroseconds
                                             : INFINITY;
  const AVRational timeBase = audioStream_->time_base;

  int pushed = 0;
  source_.decoder->Decode(packet, [&](const AVFrame& frame) {
    if (pushed < 0 || pastClipEnd_ || frame.sample_rate <= 0) return;
    const int64_t timeStamp = frame.best_effort_timestamp != AV_NOPTS_VALUE ? frame.best_effort_timestamp
                                                                           : frame.pts;
    const double frameStart = timeStamp != AV_NOPTS_VALUE
                                  ? static_cast<double>(timeStamp) * timeBase.num / timeBase.den - origin_
                                  : nextFrameTime_;
    nextFrameTime_ = frameStart + static_cast<double>(frame.nb_samples) / frame.sample_rate;
    int first = 0;
    int last = frame.nb_samples;
    if (clipped) {
      if (frameStart >= clipEnd) {
        pastClipEnd_ = true;
        return;
      }
      first = static_cast<int>(std::clamp(std::lround((clipStart - frameStart) * frame.sample_rate), 0L,
                                          static_cast<long>(frame.nb_samples)));
      if (clipEnd < INFINITY) {
        last = static_cast<int>(std::clamp(std::lround((clipEnd - frameStart) * frame.sample_rate), 0L,
                                           static_cast<long>(frame.nb_samples)));
      }
    }
    if (last > first) pushed = feeder_->Push(frame, first, last - first);
  });
  if (pushed < 0) {
    FailEncoding(pushed);
    return false;
  }
  return !pastClipEnd_;
}
