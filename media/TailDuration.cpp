#include "TailDuration.h"

#include "LocalFile.h"

#include <algorithm>
#include <memory>

extern "C" {
#include <libavutil/common.h>
#include <libavutil/mathematics.h>
}

namespace {

// In AV_TIME_BASE units: the time stamp of the first packet read, and the
// latest end of a packet.
struct TailTimes {
  int64_t first = AV_NOPTS_VALUE;
  int64_t end = AV_NOPTS_VALUE;
};

// Reads `tail` to the end of the file. A packet whose duration neither the
// container nor FFmpeg knows ends where it starts.
TailTimes ReadToTheEnd(AVFormatContext& tail) {
  TailTimes times;
  AVPacket* packet = av_packet_alloc();
  if (!packet) return times;
  while (av_read_frame(&tail, packet) >= 0) {
    const int64_t stamp = packet->pts != AV_NOPTS_VALUE ? packet->pts : packet->dts;
    const AVRational timeBase = tail.streams[packet->stream_index]->time_base;
    // av_rescale_q gives AV_NOPTS_VALUE where the result does not fit.
    const int64_t start = stamp != AV_NOPTS_VALUE ? av_rescale_q(stamp, timeBase, AV_TIME_BASE_Q) : AV_NOPTS_VALUE;
    if (start != AV_NOPTS_VALUE) {
      const int64_t length = av_rescale_q(std::max<int64_t>(packet->duration, 0), timeBase, AV_TIME_BASE_Q);
      const int64_t end = length != AV_NOPTS_VALUE ? av_sat_add64(start, length) : start;
      if (times.first == AV_NOPTS_VALUE) times.first = start;
      if (times.end == AV_NOPTS_VALUE || end > times.end) times.end = end;
    }
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  return times;
}

}  // namespace

int64_t DurationFromTail(const AVFormatContext& source, const std::string& path) {
  // Such a demuxer makes its time stamps up by counting from where it starts.
  if (source.iformat->flags & AVFMT_NOTIMESTAMPS) return AV_NOPTS_VALUE;
  AVFormatContext* opened = avformat_alloc_context();
  if (!opened) return AV_NOPTS_VALUE;
  // Without parsers the packets come as the container stores them, and the
  // read costs no more than the demuxing.
  opened->flags |= AVFMT_FLAG_NOPARSE;
  if (OpenSourceFile(&opened, path, source.iformat) < 0) return AV_NOPTS_VALUE;
  const std::unique_ptr<AVFormatContext, SourceFileCloser> tail(opened);

  const int64_t size = avio_size(tail->pb);
  if (size < 0) return AV_NOPTS_VALUE;
  const bool skipsAhead = size > kTailBytes;
  if (skipsAhead && av_seek_frame(tail.get(), -1, size - kTailBytes, AVSEEK_FLAG_BYTE) < 0) return AV_NOPTS_VALUE;
  const TailTimes times = ReadToTheEnd(*tail);

  const int64_t start = source.start_time != AV_NOPTS_VALUE ? source.start_time : 0;
  // A demuxer that counts time itself (DV's does) starts again from zero
  // after the jump, no later than the source's start.
  if (times.end == AV_NOPTS_VALUE || (skipsAhead && times.first <= start)) return AV_NOPTS_VALUE;
  const int64_t duration = av_sat_sub64(times.end, start);
  return duration > 0 ? duration : AV_NOPTS_VALUE;
}
