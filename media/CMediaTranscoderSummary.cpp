// The summary text of an opened source: duration, frame rates, picture size.
#include "CMediaTranscoder.h"
#include "SourceVideo.h"

#include <cstdio>

namespace {

std::string DurationLine(int64_t duration) {
  if (duration == AV_NOPTS_VALUE) return "Duraion: N/A\r\n";
  long long seconds = duration / 1000000;
  const long long micro = duration % 1000000;
  long long minutes = seconds / 60;
  seconds %= 60;
  const long long hours = minutes / 60;
  minutes %= 60;
  const long long tenths = micro * 10 / 1000000;
  char line[256];
  std::snprintf(line, sizeof line, "Duration :%02lld:%02lld:%02lld.%01lld\r\n", hours, minutes, seconds, tenths);
  return line;
}

bool IsKnown(AVRational rate) { return rate.num != 0 && rate.den != 0; }

std::string FrameRateLine(double rate, const char* kind) {
  char line[256];
  std::snprintf(line, sizeof line, "\r\nFPS : %5.2f fps(%s)\r\n", rate, kind);
  return line;
}

std::string SizeLine(int width, int height) {
  char line[256];
  std::snprintf(line, sizeof line, "\r\nW*H : %d*%d\r\n", width, height);
  return line;
}

}  // namespace

// The stream's average frame rate, when the demuxer has one: phone and
// camera MP4 and MOV files carry a time-base guess of 600 or 90000 in the
// real frame rate. Else the real frame rate; else the rate comes from the
// opened decoder's time base, which FFmpeg's decoders leave unset until they
// decode, so then 0.00 rather than a division by zero. A cover picture is no
// video and has no line.
int CMediaTranscoder::FormatMediaSummary(std::string& text, size_t capacity) const {
  if (!input_) return -1;
  std::string summary = DurationLine(duration_);
  if (summary.size() >= capacity) return -1;

  const auto append = [&](const std::string& line) {
    if (summary.size() + line.size() >= capacity) return false;
    summary += line;
    return true;
  };
  for (unsigned i = 0; i < input_->nb_streams; ++i) {
    const AVStream& stream = *input_->streams[i];
    if (!IsSourceVideo(stream)) continue;
    std::string line;
    if (IsKnown(stream.avg_frame_rate)) {
      line = FrameRateLine(av_q2d(stream.avg_frame_rate), "r");
    } else if (IsKnown(stream.r_frame_rate)) {
      line = FrameRateLine(av_q2d(stream.r_frame_rate), "r");
    } else {
      const bool decoderTimed =
          videoDecoder_ && static_cast<int>(i) == videoStreamIndex_ && IsKnown(videoDecoder_->TimeBase());
      const AVRational rate = decoderTimed ? av_inv_q(videoDecoder_->TimeBase()) : AVRational{0, 1};
      line = FrameRateLine(IsKnown(rate) ? av_q2d(rate) : 0.0, "c");
    }
    if (!append(line)) {
      text = summary;
      return 1;
    }
  }
  if (videoDecoder_ && !append(SizeLine(width_, height_))) {
    text = summary;
    return 1;
  }
  text = summary;
  return 0;
}
