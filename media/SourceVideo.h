#pragma once

extern "C" {
#include <libavformat/avformat.h>
}

// Whether the stream is the source's video: a cover picture carried as a
// video stream is a still, not the video, and the probe, the summary and
// the preview all pass it over.
inline bool IsSourceVideo(const AVStream& stream) {
  return stream.codecpar->codec_type == AVMEDIA_TYPE_VIDEO && !(stream.disposition & AV_DISPOSITION_ATTACHED_PIC);
}
