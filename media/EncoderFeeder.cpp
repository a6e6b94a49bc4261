#include "EncoderFeeder.h"

#include <algorithm>

extern "C" {
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

EncoderFeeder::EncoderFeeder(AudioOutput& output, uint8_t* buffer, int bufferSize)
    : output_(output), encoder_(output.Encoder()), buffer_(buffer) {
  const int channels = encoder_.ch_layout.nb_channels;
  const auto format = encoder_.sample_fmt;
  bufferSamples_ = bufferSize / (av_get_bytes_per_sample(format) * channels);
  int lineSize = 0;
  av_samples_fill_arrays(planes_, &lineSize, buffer_, channels, bufferSamples_, format, 1);
  frame_ = av_frame_alloc();
}

EncoderFeeder::~EncoderFeeder() {
  swr_free(&resampler_);
  av_channel_layout_uninit(&inputLayout_);
  if (fifo_) av_audio_fifo_free(fifo_);
  av_frame_free(&frame_);
}

int EncoderFeeder::ConfigureResampler(const AVFrame& frame) {
  AVChannelLayout layout{};
  if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC) {
    av_channel_layout_default(&layout, frame.ch_layout.nb_channels);
  } else if (av_channel_layout_copy(&layout, &frame.ch_layout) < 0) {
    return AVERROR(ENOMEM);
  }
  const bool unchanged = resampler_ && inputFormat_ == frame.format && inputRate_ == frame.sample_rate &&
                         av_channel_layout_compare(&layout, &inputLayout_) == 0;
  if (unchanged) {
    av_channel_layout_uninit(&layout);
    return 0;
  }
  // A source whose format changes midway gets a new resampler; the few
  // samples the old one still held are dropped.
  swr_free(&resampler_);
  av_channel_layout_uninit(&inputLayout_);
  inputLayout_ = layout;
  inputFormat_ = frame.format;
  inputRate_ = frame.sample_rate;
  // FFmpeg 5.1 takes the layouts without const, but only reads them.
  int result = swr_alloc_set_opts2(&resampler_, const_cast<AVChannelLayout*>(&encoder_.ch_layout), encoder_.sample_fmt,
                                   encoder_.sample_rate, &inputLayout_,
                                   static_cast<AVSampleFormat>(inputFormat_), inputRate_, 0, nullptr);
  // A downmix is scaled so that it cannot clip. The resampler does that by
  // itself only for integer formats; a float encoder (AC-3) would otherwise
  // get a louder mix than the others, clipped where the channels add up.
  if (result >= 0) result = av_opt_set_double(resampler_, "rematrix_maxval", 1.0, 0);
  if (result >= 0) result = swr_init(resampler_);
  if (result < 0) swr_free(&resampler_);
  return result;
}

int EncoderFeeder::Push(const AVFrame& frame, int offset, int count) {
  if (count <= 0 || frame.sample_rate <= 0 || frame.ch_layout.nb_channels <= 0) return 0;
  if (const int configured = ConfigureResampler(frame); configured < 0) return configured;

  const auto format = static_cast<AVSampleFormat>(frame.format);
  const bool planar = av_sample_fmt_is_planar(format);
  const int channels = frame.ch_layout.nb_channels;
  const int bytesPerSample = av_get_bytes_per_sample(format);
  const int planeCount = planar ? channels : 1;
  const int sampleStride = planar ? bytesPerSample : bytesPerSample * channels;

  // Fed in slices small enough for the conversion buffer.
  int done = 0;
  while (done < count) {
    int slice = count - done;
    while (slice > 1 && swr_get_out_samples(resampler_, slice) > bufferSamples_) slice /= 2;
    const uint8_t* input[AV_NUM_DATA_POINTERS] = {};
    for (int plane = 0; plane < planeCount; ++plane) {
      input[plane] = frame.extended_data[plane] + static_cast<ptrdiff_t>(offset + done) * sampleStride;
    }
    if (const int converted = Convert(input, slice); converted < 0) return converted;
    done += slice;
  }
  return 0;
}

int EncoderFeeder::Convert(const uint8_t** input, int inputSamples) {
  const int converted = swr_convert(resampler_, planes_, bufferSamples_, input, inputSamples);
  if (converted < 0) return converted;
  return EncodeConverted(converted);
}

int EncoderFeeder::EncodeConverted(int samples) {
  if (samples <= 0) return 0;
  if (encoder_.frame_size <= 0) {
    // No fixed frame size: the chunk goes to the encoder as it is.
    frame_->nb_samples = samples;
    frame_->format = encoder_.sample_fmt;
    frame_->sample_rate = encoder_.sample_rate;
    if (av_channel_layout_copy(&frame_->ch_layout, &encoder_.ch_layout) < 0) return AVERROR(ENOMEM);
    for (int plane = 0; plane < AV_NUM_DATA_POINTERS; ++plane) frame_->data[plane] = planes_[plane];
    frame_->extended_data = frame_->data;
    frame_->linesize[0] = samples * av_get_bytes_per_sample(encoder_.sample_fmt) *
                          (av_sample_fmt_is_planar(encoder_.sample_fmt) ? 1 : encoder_.ch_layout.nb_channels);
    const int encoded = EncodeFrame(frame_);
    // The frame only borrowed the conversion buffer.
    av_frame_unref(frame_);
    return encoded;
  }
  if (!fifo_) {
    fifo_ = av_audio_fifo_alloc(encoder_.sample_fmt, encoder_.ch_layout.nb_channels, encoder_.frame_size * 4);
    if (!fifo_) return AVERROR(ENOMEM);
  }
  if (av_audio_fifo_write(fifo_, reinterpret_cast<void**>(planes_), samples) < samples) return AVERROR(ENOMEM);
  return EncodeWholeFrames(false);
}

int EncoderFeeder::EncodeWholeFrames(bool includeShortTail) {
  const int frameSize = encoder_.frame_size;
  while (fifo_ && av_audio_fifo_size(fifo_) > 0) {
    const int available = av_audio_fifo_size(fifo_);
    if (available < frameSize && !includeShortTail) return 0;
    AVFrame* frame = av_frame_alloc();
    if (!frame) return AVERROR(ENOMEM);
    const int samples = std::min(available, frameSize);
    const bool padded = samples < frameSize && !output_.TakesShortLastFrame();
    frame->nb_samples = padded ? frameSize : samples;
    frame->format = encoder_.sample_fmt;
    frame->sample_rate = encoder_.sample_rate;
    int result = av_channel_layout_copy(&frame->ch_layout, &encoder_.ch_layout);
    if (result >= 0) result = av_frame_get_buffer(frame, 0);
    if (result >= 0 && padded) {
      av_samples_set_silence(frame->extended_data, 0, frameSize, encoder_.ch_layout.nb_channels,
                             encoder_.sample_fmt);
    }
    if (result >= 0 && av_audio_fifo_read(fifo_, reinterpret_cast<void**>(frame->extended_data), samples) < samples) {
      result = AVERROR(EIO);
    }
    if (result >= 0) result = EncodeFrame(frame);
    av_frame_free(&frame);
    if (result < 0) return result;
  }
  return 0;
}

int EncoderFeeder::EncodeFrame(AVFrame* frame) {
  frame->pts = samplesEncoded_;
  samplesEncoded_ += frame->nb_samples;
  return output_.Encode(frame);
}

int EncoderFeeder::Finish(bool encodeTail) {
  if (encodeTail && resampler_) {
    // What the resampler holds back for its filter comes out now.
    for (;;) {
      const int converted = swr_convert(resampler_, planes_, bufferSamples_, nullptr, 0);
      if (converted < 0) return converted;
      if (converted == 0) break;
      if (const int encoded = EncodeConverted(converted); encoded < 0) return encoded;
    }
  }
  if (encodeTail) {
    if (const int encoded = EncodeWholeFrames(true); encoded < 0) return encoded;
  }
  // Encoders hold frames back (LAME up to five); what they hold was encoded
  // from the source and belongs in the file.
  return output_.Encode(nullptr);
}
