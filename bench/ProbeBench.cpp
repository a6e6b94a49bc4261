// Probing speed: construct, OpenInput, GetDurationSeconds and delete, against
// `ffprobe -show_entries format=duration` on the same files. Prints one row
// per file and the overall ratio (ours / ffprobe); below 1 is faster. Then
// the probe of a 1 GiB file that states no duration, whose end the probe
// reads for its last time stamps, with the file in the page cache and not.
#include "BenchTiming.h"
#include "media/CMediaTranscoder.h"
#include "media/DecoderRegistration.h"
#include "platform/FfmpegLog.h"
#include "platform/ProgramFolder.h"
#include "support/Command.h"
#include "support/TestMedia.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::uintmax_t kLargeFileBytes = 1ull << 30;

// Streamed Matroska with big JPEG pictures: no duration in the container, and
// none that the streams' bit rates would give.
std::string LargeFileWithoutDuration() {
  const char* cache = std::getenv("TOLVAR_BUILD_DIR");
  const std::string path = std::string(cache ? cache : "/tmp") + "/test-media/mkv-mjpeg-no-duration-1gib.mkv";
  std::error_code error;
  if (std::filesystem::file_size(path, error) >= kLargeFileBytes) return path;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  // Encoding a gigabyte would take long; a piece encoded once is copied
  // over and over, its time stamps running on.
  const std::string piece = path + ".piece.mkv";
  RunCommand({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=1920x1080:rate=25",
              "-f", "lavfi", "-i", "sine", "-c:v", "mjpeg", "-q:v", "1", "-c:a", "libvorbis", "-fs", "20000000",
              piece});
  RunCommand({"sh", "-c",
              "ffmpeg -nostdin -v error -stream_loop -1 -i '" + piece + "' -c copy -fs " +
                  std::to_string(kLargeFileBytes + (1 << 20)) + " -f matroska - > '" + path + "'"});
  std::filesystem::remove(piece);
  return path;
}

// Drops the file from the page cache, as after a restart.
void ForgetCachedPages(const std::string& path) {
  const int file = open(path.c_str(), O_RDONLY);
  if (file < 0) return;
  fdatasync(file);
  posix_fadvise(file, 0, 0, POSIX_FADV_DONTNEED);
  close(file);
}

}  // namespace

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

  const std::string large = LargeFileWithoutDuration();
  const auto probe = [&] {
    CMediaTranscoder media(nullptr, nullptr, nullptr);
    if (media.OpenInput(large) == 0) (void)media.GetDurationSeconds();
  };
  const auto ffprobe = [&] {
    RunCommand({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", large});
  };
  CMediaTranscoder found(nullptr, nullptr, nullptr);
  const int seconds = found.OpenInput(large) == 0 ? found.GetDurationSeconds() : -2;
  std::printf("\n1 GiB Matroska without a stated duration (%ju bytes): the probe finds %d s\n",
              std::filesystem::file_size(large), seconds);
  std::printf("%-50s %10s %10s %7s\n", "cache", "probe ms", "ffprobe ms", "ratio");
  const double warmOurs = SecondsPerCall(repetitions, probe);
  const double warmTheirs = SecondsPerCall(repetitions, ffprobe);
  std::printf("%-50s %10.2f %10.2f %7.3f\n", "warm", warmOurs * 1e3, warmTheirs * 1e3, warmOurs / warmTheirs);
  double coldOurs = 0, coldTheirs = 0;
  for (int i = 0; i < repetitions; ++i) {
    ForgetCachedPages(large);
    coldOurs += SecondsPerCall(1, probe);
    ForgetCachedPages(large);
    coldTheirs += SecondsPerCall(1, ffprobe);
  }
  std::printf("%-50s %10.2f %10.2f %7.3f\n", "cold", coldOurs * 1e3 / repetitions, coldTheirs * 1e3 / repetitions,
              coldOurs / coldTheirs);
  return 0;
}
