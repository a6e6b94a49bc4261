#include "AudioOutput.h"

#include "FfmpegError.h"
#include "LocalFile.h"
#include "OriginalSound.h"

#include <cstdio>
#include <sys/stat.h>

namespace {

bool IsEmptyFile(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && status.st_size == 0;
}

const AVCodec* FindEncoder(const AVOutputFormat& format, const std::string& encoderName) {
  const AVCodec* codec = encoderName.empty() ? avcodec_find_encoder(format.audio_codec)
                                             : avcodec_find_encoder_by_name(encoderName.c_str());
  return codec && codec->type == AVMEDIA_TYPE_AUDIO ? codec : nullptr;
}

// The encoder set up as the output uses it, then opened: 0 or the
// encoder's negative AVERROR.
int OpenEncoder(AVCodecContext& encoder, const AVCodec& codec, const AVOutputFormat& format,
                const AudioOutput::AudioSettings& settings) {
  encoder.bit_rate = settings.bitRate;
  // Opus works at 48000 Hz, whatever rate is asked; the resampler follows
  // the encoder.
  encoder.sample_rate = codec.id == AV_CODEC_ID_OPUS ? 48000 : settings.sampleRate;
  av_channel_layout_default(&encoder.ch_layout, settings.channels);
  encoder.sample_fmt = codec.sample_fmts ? codec.sample_fmts[0] : AV_SAMPLE_FMT_S16;
  encoder.time_base = AVRational{1, encoder.sample_rate};
  if (format.flags & AVFMT_GLOBALHEADER) encoder.flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  return avcodec_open2(&encoder, &codec, nullptr);
}

}  // namespace

AudioOutput::~AudioOutput() { Close(); }

std::optional<std::string> AudioOutput::EncoderRefusal(const std::string& extension, const AudioSettings& settings) {
  const AVOutputFormat* format = av_guess_format(extension.c_str(), ("output." + extension).c_str(), nullptr);
  if (!format || format->audio_codec == AV_CODEC_ID_NONE) return "no audio format for ." + extension;
  const AVCodec* codec = FindEncoder(*format, settings.encoderName);
  if (!codec) return "no encoder " + settings.encoderName;
  AVCodecContext* encoder = avcodec_alloc_context3(codec);
  if (!encoder) return "Out of memory";
  const int opened = OpenEncoder(*encoder, *codec, *format, settings);
  avcodec_free_context(&encoder);
  if (opened < 0) return FfmpegErrorText(opened);
  return std::nullopt;
}

AudioOutput::Failure AudioOutput::Create(const std::string& path) {
  path_ = path;
  const auto dot = path.rfind('.');
  const auto slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
    return Failure::NoExtension;
  }
  const std::string extension = path.substr(dot + 1);
  const AVOutputFormat* format = av_guess_format(extension.c_str(), path.c_str(), nullptr);
  if (!format || format->audio_codec == AV_CODEC_ID_NONE) return Failure::NoMuxer;
  if (avformat_alloc_output_context2(&muxer_, format, nullptr, path.c_str()) < 0 || !muxer_) {
    return Failure::NoMemory;
  }
  packet_ = av_packet_alloc();
  if (!packet_) return Failure::NoMemory;
  if (const int opened = OpenOutputFile(*muxer_, path); opened < 0) {
    failureDetail_ = FfmpegErrorText(opened);
    return Failure::CannotCreate;
  }
  return Failure::None;
}

std::string AudioOutput::FailureText(Failure failure) const {
  switch (failure) {
    case Failure::None:
      return {};
    case Failure::NoExtension:
      return "The output " + path_ + " has no extension to choose its format by";
    case Failure::NoMuxer:
      return "No audio format is known for the output " + path_;
    case Failure::NoMemory:
      return "Out of memory";
    case Failure::CannotCreate:
      return "Cannot create " + path_ + ": " + failureDetail_;
    case Failure::EncoderRefused:
      return "The encoder refused the audio parameters: " + failureDetail_;
  }
  return {};
}

AudioOutput::Failure AudioOutput::AddAudioStream(const AudioSettings& settings) {
  const AVCodec* codec = FindEncoder(*muxer_->oformat, settings.encoderName);
  if (!codec) {
    failureDetail_ = "no encoder " + settings.encoderName;
    return Failure::EncoderRefused;
  }
  stream_ = avformat_new_stream(muxer_, nullptr);
  encoder_ = avcodec_alloc_context3(codec);
  if (!stream_ || !encoder_) return Failure::NoMemory;

  const int opened = OpenEncoder(*encoder_, *codec, *muxer_->oformat, settings);
  if (opened < 0) {
    failureDetail_ = FfmpegErrorText(opened);
    return Failure::EncoderRefused;
  }
  if (avcodec_parameters_from_context(stream_->codecpar, encoder_) < 0) return Failure::NoMemory;
  stream_->time_base = encoder_->time_base;
  return Failure::None;
}

AudioOutput::Failure AudioOutput::AddCopiedStream(const AVStream& source) {
  stream_ = avformat_new_stream(muxer_, nullptr);
  if (!stream_ || avcodec_parameters_copy(stream_->codecpar, source.codecpar) < 0) return Failure::NoMemory;
  // The source container's tag for the codec means nothing in another one.
  stream_->codecpar->codec_tag = 0;
  stream_->time_base = source.time_base;
  return Failure::None;
}

AudioOutput::Failure AudioOutput::AddOriginalStream(const AVStream& source) {
  const std::string repackEncoder = OriginalSoundOf(*source.codecpar).repackEncoder;
  if (repackEncoder.empty()) return AddCopiedStream(source);
  return AddAudioStream({repackEncoder, 0, source.codecpar->sample_rate, source.codecpar->ch_layout.nb_channels});
}

void AudioOutput::CopyTags(const AVFormatContext& source, int audioStream) {
  static const char* const kCarried[] = {"title", "artist", "album", "album_artist", "date",
                                         "genre", "comment", "track"};
  const AVStream* track = audioStream >= 0 && audioStream < static_cast<int>(source.nb_streams)
                              ? source.streams[audioStream]
                              : nullptr;
  // A container keeps the file's tags in its own metadata, Ogg and some
  // Matroska files in the stream's.
  const auto tag = [&](const char* key) -> const char* {
    if (const AVDictionaryEntry* entry = av_dict_get(source.metadata, key, nullptr, 0)) return entry->value;
    const AVDictionaryEntry* entry = track ? av_dict_get(track->metadata, key, nullptr, 0) : nullptr;
    return entry ? entry->value : nullptr;
  };
  for (const char* key : kCarried) {
    const char* value = tag(key);
    if (!value) continue;
    av_dict_set(&muxer_->metadata, key, value, 0);
    // Ogg (Opus) writes its comments from the stream's tags.
    av_dict_set(&stream_->metadata, key, value, 0);
  }
  const AVDictionaryEntry* language = track ? av_dict_get(track->metadata, "language", nullptr, 0) : nullptr;
  if (language && std::string(language->value) != "und") {
    av_dict_set(&stream_->metadata, "language", language->value, 0);
    // Formats without streams of their own (ID3, Vorbis comments) keep it
    // with the file's tags.
    av_dict_set(&muxer_->metadata, "language", language->value, 0);
  }
}

int AudioOutput::WriteHeader() {
  const int written = avformat_write_header(muxer_, nullptr);
  headerWritten_ = written >= 0;
  return written < 0 ? written : 0;
}

std::string AudioOutput::HeaderFailureText(int error) const {
  if (!CopiesPackets()) return "Cannot write " + path_ + ": " + FfmpegErrorText(error);
  const AVCodecDescriptor* codec = avcodec_descriptor_get(stream_->codecpar->codec_id);
  const std::string name = codec ? codec->long_name : "unknown";
  return "The sound (" + name + ") cannot be kept as it is in a " + path_.substr(path_.rfind('.')) + " file (" +
         FfmpegErrorText(error) + "); choose another format than Original";
}

int AudioOutput::Encode(const AVFrame* frame) {
  const int sent = avcodec_send_frame(encoder_, frame);
  // A second drain finds the encoder drained already.
  if (sent < 0 && !(frame == nullptr && sent == AVERROR_EOF)) return sent;
  return WritePendingPackets();
}

int AudioOutput::WritePendingPackets() {
  for (;;) {
    const int received = avcodec_receive_packet(encoder_, packet_);
    if (received == AVERROR(EAGAIN) || received == AVERROR_EOF) return 0;
    if (received < 0) return received;
    av_packet_rescale_ts(packet_, encoder_->time_base, stream_->time_base);
    if (const int written = WritePacket(*packet_); written < 0) return written;
  }
}

int AudioOutput::WriteCopiedPacket(AVPacket& packet, AVRational timeBase) {
  av_packet_rescale_ts(&packet, timeBase, stream_->time_base);
  // Containers that count in milliseconds (FLV) give neighbouring packets
  // the same time; a muxer takes only rising ones.
  if (lastCopiedDts_ != AV_NOPTS_VALUE && packet.dts != AV_NOPTS_VALUE && packet.dts <= lastCopiedDts_) {
    packet.dts = lastCopiedDts_ + 1;
    if (packet.pts != AV_NOPTS_VALUE && packet.pts < packet.dts) packet.pts = packet.dts;
  }
  if (packet.dts != AV_NOPTS_VALUE) lastCopiedDts_ = packet.dts;
  return WritePacket(packet);
}

int AudioOutput::WritePacket(AVPacket& packet) {
  packet.stream_index = stream_->index;
  const int written = av_interleaved_write_frame(muxer_, &packet);
  if (written < 0) {
    if (writeError_ == 0) writeError_ = written;
    return written;
  }
  ++packetsWritten_;
  return 0;
}

bool AudioOutput::TakesShortLastFrame() const {
  return encoder_->codec->capabilities &
         (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
}

int64_t AudioOutput::BytesWritten() const {
  return muxer_ && muxer_->pb ? avio_tell(muxer_->pb) : 0;
}

int AudioOutput::Finish() {
  int result = av_write_trailer(muxer_);
  const bool ownsFile = muxer_->pb != nullptr;
  if (ownsFile) {
    avio_flush(muxer_->pb);
    // A full disk often shows only when the last buffer is flushed.
    if (result >= 0 && muxer_->pb->error < 0) result = muxer_->pb->error;
    const int closed = avio_closep(&muxer_->pb);
    if (result >= 0 && closed < 0) result = closed;
  }
  finished_ = true;
  Close();
  // A file with a header and no sound is of no use to anyone; nor is the
  // empty file a full disk leaves.
  if (ownsFile && (packetsWritten_ == 0 || IsEmptyFile(path_))) std::remove(path_.c_str());
  return result < 0 ? result : 0;
}

void AudioOutput::Close() {
  avcodec_free_context(&encoder_);
  av_packet_free(&packet_);
  if (muxer_) {
    const bool ownsFile = muxer_->pb != nullptr;
    avio_closep(&muxer_->pb);
    avformat_free_context(muxer_);
    muxer_ = nullptr;
    // A file that never got its header holds nothing worth keeping.
    if (ownsFile && !headerWritten_ && !finished_) std::remove(path_.c_str());
  }
}
