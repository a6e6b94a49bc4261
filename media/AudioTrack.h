#pragma once

#include <string>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

// One audio stream of a source as the user chooses among them. Tracks are
// numbered from 1 in file order, every audio stream counted, so that the
// window's menu, the batch front end's --track and the converter's
// "-map 0:a:N" (N = number - 1) name the same stream.
struct AudioTrack {
  int number = 0;
  int streamIndex = -1;  // in the source's stream list
  std::string language;  // the container's tag as it stands; empty without one
  std::string title;
  std::string codec;   // FFmpeg's short name: "aac", "ac3", ...
  std::string layout;  // "mono", "stereo", "5.1", ...; empty when unknown
  int channels = 0;
  int sampleRate = 0;
  bool isDefault = false;  // the container marks it as the one to play
  // The demuxer could read its rate and channels. A broadcast's program
  // table may declare audio streams that never carry a packet; those cannot
  // be chosen.
  bool hasSound = false;
};

using AudioTracks = std::vector<AudioTrack>;

// Whether the container tags the track's language: "und" says no more than
// a missing tag.
bool HasLanguageTag(const AudioTrack& track);

// The audio tracks of a source whose stream info has been read.
AudioTracks ListAudioTracks(const AVFormatContext& input);

// The track a task takes unless the user chooses another: the last with
// sound, or the last of all when none has sound; 0 without audio.
int DefaultTrackNumber(const AudioTracks& tracks);

// The track with sound in `language` (by IsSameLanguage): the one marked as
// default among several, else the first in file order; 0 when none is.
int TrackOfLanguage(const AudioTracks& tracks, const std::string& language);

// The track numbered `number`, or nullptr.
const AudioTrack* FindTrack(const AudioTracks& tracks, int number);

// "2: French, AC-3, 5.1, 48000 Hz", with the title after it in quotes where
// the track has one, and "3: (no sound)" for a track without sound.
std::string TrackLabel(const AudioTrack& track);

// Why track `number` cannot be converted, naming the tracks the source has
// ("1 (eng, aac, stereo), 2 (no sound)"); empty when it can.
std::string TrackRefusal(const AudioTracks& tracks, int number);
