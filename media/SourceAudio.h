#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

// The source's sound track: the last audio stream whose parameters the
// demuxer could read. A broadcast's program table may declare audio streams
// that never carry a packet (no rate, no channels); they are passed over
// unless the source has nothing else. -1 without any audio stream. The
// probe and both engines choose through this, so they take the same track.
inline int ChooseSourceAudioStream(const AVFormatContext& input) {
  int lastAudio = -1;
  int lastWithSound = -1;
  for (unsigned i = 0; i < input.nb_streams; ++i) {
    const AVCodecParameters& parameters = *input.streams[i]->codecpar;
    if (parameters.codec_type != AVMEDIA_TYPE_AUDIO) continue;
    lastAudio = static_cast<int>(i);
    if (parameters.sample_rate > 0 && parameters.ch_layout.nb_channels > 0) lastWithSound = static_cast<int>(i);
  }
  return lastWithSound >= 0 ? lastWithSound : lastAudio;
}
