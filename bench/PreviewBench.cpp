// Preview speed: CapturePreviewFrame on a generated full-HD H.264 source
// against the ffmpeg tool taking the same still, the picture of the 30th
// frame at 160 x 120 into a JPEG file. Prints the time of each per still and
// the ratio (ours / ffmpeg); below 1 is faster.
#include "BenchTiming.h"
#include "media/PreviewCapture.h"
#include "support/Command.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 10;
  const std::string source = TestMedia::Path("mp4-h264-1920x1080-4s.mp4");
  TempFolder folder;
  const std::string ours = folder / "preview.jpg";
  const std::string theirs = folder / "ffmpeg.jpg";

  const auto capture = [&] {
    if (CapturePreviewFrame(source, 30, ours, 160, 120) != 0) {
      std::fprintf(stderr, "no still of %s\n", source.c_str());
      std::exit(1);
    }
  };
  // No shell: the filter's escaped comma reaches the tool as it stands.
  const auto ffmpeg = [&] {
    const CommandResult result = RunCommand({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", source, "-vf",
                                             "select=gte(n\\,29),scale=160:120", "-frames:v", "1", theirs});
    if (result.exitCode != 0) {
      std::fprintf(stderr, "ffmpeg failed: %s\n", result.errors.c_str());
      std::exit(1);
    }
  };
  // Once each first, so that both read the source from the file cache.
  capture();
  ffmpeg();

  const double oursSeconds = SecondsPerCall(repetitions, capture);
  const double ffmpegSeconds = SecondsPerCall(repetitions, ffmpeg);
  std::printf("%-32s %10s %10s %7s\n", "source (repetitions)", "still ms", "ffmpeg ms", "ratio");
  std::printf("%-27s (%2d) %10.2f %10.2f %7.3f\n", "1920x1080 h264", repetitions, oursSeconds * 1e3,
              ffmpegSeconds * 1e3, oursSeconds / ffmpegSeconds);
  return 0;
}
