#include "OriginalSound.h"

#include "DecoderLookup.h"
#include "FfmpegError.h"
#include "LocalFile.h"
#include "SourceAudio.h"

#include <array>
#include <memory>
#include <utility>

namespace {

// Codecs with a container of their own that takes them as they are.
constexpr std::array<std::pair<AVCodecID, const char*>, 17> kContainers{{
    {AV_CODEC_ID_AAC, "m4a"},         {AV_CODEC_ID_ALAC, "m4a"},        {AV_CODEC_ID_MP3, "mp3"},
    {AV_CODEC_ID_MP2, "mp2"},         {AV_CODEC_ID_AC3, "ac3"},         {AV_CODEC_ID_EAC3, "eac3"},
    {AV_CODEC_ID_DTS, "dts"},         {AV_CODEC_ID_FLAC, "flac"},       {AV_CODEC_ID_OPUS, "opus"},
    {AV_CODEC_ID_VORBIS, "ogg"},      {AV_CODEC_ID_AMR_NB, "amr"},      {AV_CODEC_ID_AMR_WB, "amr"},
    {AV_CODEC_ID_WMAV1, "wma"},       {AV_CODEC_ID_WMAV2, "wma"},       {AV_CODEC_ID_WMAPRO, "wma"},
    {AV_CODEC_ID_WMALOSSLESS, "wma"}, {AV_CODEC_ID_WMAVOICE, "wma"},
}};

// The PCM kinds the WAV muxer writes as they are.
constexpr std::array<AVCodecID, 8> kWavPcm{AV_CODEC_ID_PCM_S16LE, AV_CODEC_ID_PCM_S24LE, AV_CODEC_ID_PCM_S32LE,
                                           AV_CODEC_ID_PCM_U8,    AV_CODEC_ID_PCM_F32LE, AV_CODEC_ID_PCM_F64LE,
                                           AV_CODEC_ID_PCM_ALAW,  AV_CODEC_ID_PCM_MULAW};

bool IsPcm(AVCodecID id) { return id >= AV_CODEC_ID_FIRST_AUDIO && id < AV_CODEC_ID_ADPCM_IMA_QT; }

// The little-endian PCM encoder that takes the decoder's samples without
// changing one: 20- and 24-bit sources decode into 32-bit samples whose low
// bits are zero.
std::string LittleEndianEncoderFor(const AVCodecParameters& audio) {
  switch (av_get_packed_sample_fmt(static_cast<AVSampleFormat>(audio.format))) {
    case AV_SAMPLE_FMT_U8:
      return "pcm_u8";
    case AV_SAMPLE_FMT_S16:
      return "pcm_s16le";
    case AV_SAMPLE_FMT_S32:
      return audio.bits_per_raw_sample > 0 && audio.bits_per_raw_sample <= 24 ? "pcm_s24le" : "pcm_s32le";
    case AV_SAMPLE_FMT_S64:
      return "pcm_s64le";
    case AV_SAMPLE_FMT_FLT:
      return "pcm_f32le";
    case AV_SAMPLE_FMT_DBL:
      return "pcm_f64le";
    default:
      // Not decoded yet: the copy into WAV is refused with the codec's name.
      return {};
  }
}

}  // namespace

OriginalSound OriginalSoundOf(const AVCodecParameters& audio) {
  if (IsPcm(audio.codec_id)) {
    for (const AVCodecID id : kWavPcm) {
      if (id == audio.codec_id) return {"wav", {}};
    }
    return {"wav", LittleEndianEncoderFor(audio)};
  }
  for (const auto& [id, extension] : kContainers) {
    if (id == audio.codec_id) return {extension, {}};
  }
  // LATM AAC, Speex, ADPCM and the rest: Matroska takes most of them.
  return {"mka", {}};
}

std::optional<OriginalSound> ProbeOriginalSound(const std::string& sourcePath, int audioTrack) {
  AVFormatContext* opened = nullptr;
  if (OpenSourceFile(&opened, sourcePath) < 0) return std::nullopt;
  const std::unique_ptr<AVFormatContext, SourceFileCloser> input(opened);
  if (avformat_find_stream_info(input.get(), nullptr) < 0) return std::nullopt;
  const int audioStream = ChooseSourceAudioStream(*input, audioTrack);
  if (audioStream < 0) return std::nullopt;
  return OriginalSoundOf(*input->streams[audioStream]->codecpar);
}

std::optional<std::string> ReadBackFailure(const std::string& outputPath) {
  const std::string unreadable = "The copied sound in " + outputPath + " cannot be read back";
  AVFormatContext* opened = nullptr;
  if (const int result = OpenSourceFile(&opened, outputPath); result < 0) {
    return unreadable + ": " + FfmpegErrorText(result);
  }
  const std::unique_ptr<AVFormatContext, SourceFileCloser> input(opened);
  if (const int result = avformat_find_stream_info(input.get(), nullptr); result < 0) {
    return unreadable + ": " + FfmpegErrorText(result);
  }
  const int audioStream = ChooseSourceAudioStream(*input);
  if (audioStream < 0) return unreadable + ": it holds no audio stream";
  const auto decoder = OpenStreamDecoder(*input->streams[audioStream], DecoderSource::FfmpegOnly);
  if (!decoder) return unreadable + ": no decoder opens it";

  // A few packets tell whether the stream decodes; the rest were copied
  // alike.
  constexpr int kPacketsTried = 16;
  bool decoded = false;
  const auto noteFrame = [&](const AVFrame& frame) { decoded = decoded || frame.nb_samples > 0; };
  AVPacket* packet = av_packet_alloc();
  for (int tried = 0; packet && !decoded && tried < kPacketsTried && av_read_frame(input.get(), packet) >= 0;) {
    if (packet->stream_index == audioStream) {
      ++tried;
      decoder->Decode(packet, noteFrame);
    }
    av_packet_unref(packet);
  }
  if (!decoded) decoder->Decode(nullptr, noteFrame);
  av_packet_free(&packet);
  if (!decoded) return unreadable + ": none of its sound decodes";
  return std::nullopt;
}
