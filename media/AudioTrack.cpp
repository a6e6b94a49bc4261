#include "AudioTrack.h"

#include "Language.h"
#include "platform/AsciiText.h"

#include <utility>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace {

std::string TagOf(const AVStream& stream, const char* key) {
  const AVDictionaryEntry* entry = av_dict_get(stream.metadata, key, nullptr, 0);
  return entry ? entry->value : "";
}

std::string LayoutOf(const AVChannelLayout& layout) {
  if (layout.nb_channels <= 0) return {};
  if (layout.order == AV_CHANNEL_ORDER_UNSPEC) return std::to_string(layout.nb_channels) + " channels";
  char text[64];
  return av_channel_layout_describe(&layout, text, sizeof text) > 0 ? text : "";
}

// The names users know from players' menus; FFmpeg's own short name, in
// capitals, for the rest.
std::string CodecLabel(const std::string& codec) {
  static const std::pair<const char*, const char*> kLabels[] = {
      {"ac3", "AC-3"},   {"eac3", "E-AC-3"}, {"truehd", "TrueHD"}, {"opus", "Opus"},
      {"vorbis", "Vorbis"}, {"wmav1", "WMA"}, {"wmav2", "WMA"},    {"wmapro", "WMA Pro"},
  };
  for (const auto& [name, label] : kLabels) {
    if (codec == name) return label;
  }
  if (codec.starts_with("pcm_")) return "PCM";
  return ToUpperAscii(codec);
}

std::string LanguageLabel(const std::string& tag) {
  const LanguageCodes* language = FindLanguage(tag);
  return language ? language->name : tag;
}

// "1 (eng, aac, stereo)": short, as a reason names every track.
std::string TrackSummary(const AudioTrack& track) {
  if (!track.hasSound) return std::to_string(track.number) + " (no sound)";
  std::string summary = std::to_string(track.number) + " (";
  if (HasLanguageTag(track)) summary += track.language + ", ";
  summary += track.codec;
  if (!track.layout.empty()) summary += ", " + track.layout;
  return summary + ")";
}

}  // namespace

bool HasLanguageTag(const AudioTrack& track) { return !track.language.empty() && track.language != "und"; }

AudioTracks ListAudioTracks(const AVFormatContext& input) {
  AudioTracks tracks;
  for (unsigned i = 0; i < input.nb_streams; ++i) {
    const AVStream& stream = *input.streams[i];
    const AVCodecParameters& parameters = *stream.codecpar;
    if (parameters.codec_type != AVMEDIA_TYPE_AUDIO) continue;
    AudioTrack& track = tracks.emplace_back();
    track.number = static_cast<int>(tracks.size());
    track.streamIndex = static_cast<int>(i);
    track.language = TagOf(stream, "language");
    track.title = TagOf(stream, "title");
    track.codec = avcodec_get_name(parameters.codec_id);
    track.layout = LayoutOf(parameters.ch_layout);
    track.channels = parameters.ch_layout.nb_channels;
    track.sampleRate = parameters.sample_rate;
    track.isDefault = (stream.disposition & AV_DISPOSITION_DEFAULT) != 0;
    track.hasSound = parameters.sample_rate > 0 && parameters.ch_layout.nb_channels > 0;
  }
  return tracks;
}

int DefaultTrackNumber(const AudioTracks& tracks) {
  for (auto track = tracks.rbegin(); track != tracks.rend(); ++track) {
    if (track->hasSound) return track->number;
  }
  return tracks.empty() ? 0 : tracks.back().number;
}

int TrackOfLanguage(const AudioTracks& tracks, const std::string& language) {
  int first = 0;
  for (const AudioTrack& track : tracks) {
    if (!track.hasSound || !IsSameLanguage(track.language, language)) continue;
    if (track.isDefault) return track.number;
    if (first == 0) first = track.number;
  }
  return first;
}

const AudioTrack* FindTrack(const AudioTracks& tracks, int number) {
  return number >= 1 && number <= static_cast<int>(tracks.size()) ? &tracks[number - 1] : nullptr;
}

std::string TrackLabel(const AudioTrack& track) {
  std::string label = std::to_string(track.number) + ": ";
  if (!track.hasSound) return label + "(no sound)";
  if (HasLanguageTag(track)) label += LanguageLabel(track.language) + ", ";
  label += CodecLabel(track.codec);
  if (!track.layout.empty()) label += ", " + track.layout;
  label += ", " + std::to_string(track.sampleRate) + " Hz";
  if (!track.title.empty()) label += ", \"" + track.title + "\"";
  return label;
}

std::string TrackRefusal(const AudioTracks& tracks, int number) {
  const AudioTrack* track = FindTrack(tracks, number);
  if (track && track->hasSound) return {};
  std::string has;
  for (const AudioTrack& each : tracks) has += (has.empty() ? "" : ", ") + TrackSummary(each);
  const std::string what = track ? "Audio track " + std::to_string(number) + " holds no sound"
                                 : "There is no audio track " + std::to_string(number);
  if (tracks.empty()) return what + ": the file has no audio track";
  return what + "; the file's tracks are " + has;
}
