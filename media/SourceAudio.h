#pragma once

#include "AudioTrack.h"

extern "C" {
#include <libavformat/avformat.h>
}

// The stream index of the source's audio track numbered `track`, or with 0
// of the one DefaultTrackNumber names. -1 for a chosen track that is not
// there or holds no sound, and without any audio stream. The probe and both
// engines choose through this, so they take the same track.
inline int ChooseSourceAudioStream(const AVFormatContext& input, int track = 0) {
  const AudioTracks tracks = ListAudioTracks(input);
  const AudioTrack* chosen = FindTrack(tracks, track == 0 ? DefaultTrackNumber(tracks) : track);
  if (!chosen || (track != 0 && !chosen->hasSound)) return -1;
  return chosen->streamIndex;
}
