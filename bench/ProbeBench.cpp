// Probing speed: construct, OpenInput, GetDurationSeconds and delete, against
// `ffprobe -show_entries format=duration` on the same files. Prints one row
// per file and the overall ratio (ours / ffprobe); below 1 is faster.
#include "BenchTiming.h"
#include "media/CMediaTranscoder.h"
#include "media/DecoderRegistration.h"
#include "platform/FfmpegLog.h"
#include "platform/ProgramFolder.h"
#include "support/Command.h"
#include "support/TestMedia.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 5;
  // As the program probes: WMV through the wrappers and the built WMV
  // decoder library.
  SetProgramFolderOverride(TOLVAR_PROGRAM_FOLDER);
  InitMediaLibraries();
  // FFmpeg's complaints about the damaged files would bury the table; the
  // ffprobe runs are quiet below errors too, and their output is captured.
  FfmpegLog::SetSink([](int, const std::string&) {});
  std::vector<std::string> files;
  for (const auto& name : TestMedia::Names()) files.push_back(TestMedia::Path(name));
  for (const auto& path : TestMedia::CorpusFiles()) files.push_back(path);

  double oursTotal = 0, ffprobeTotal = 0;
  std::printf("%-50s %10s %10s %7s\n", "file", "probe ms", "ffprobe ms", "ratio");
  for (const auto& path : files) {
    const double ours = SecondsPerCall(repetitions, [&] {
      CMediaTranscoder media(nullptr, nullptr, nullptr);
      if (media.OpenInput(path) == 0) (void)media.GetDurationSeconds();
    });
    const double ffprobe = SecondsPerCall(repetitions, [&] {
      RunCommand({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    });
    oursTotal += ours;
    ffprobeTotal += ffprobe;
    std::printf("%-50s %10.2f %10.2f %7.3f\n", path.substr(path.rfind('/') + 1).c_str(), ours * 1e3,
                ffprobe * 1e3, ours / ffprobe);
  }
  std::printf("%-50s %10.2f %10.2f %7.3f\n", "all files (per file)", oursTotal * 1e3 / files.size(),
              ffprobeTotal * 1e3 / files.size(), oursTotal / ffprobeTotal);
  return 0;
}
