// The batch front end as a user runs it (tolvar-extract -f FMT -b KBPS
// -r HZ -c 2 -o DIR files...) against the ffmpeg tool on the same files with
// the same settings, one ffmpeg per file:
//   - one ten-minute 640 x 360 H.264 + AAC source to MP3, WAV and AC3;
//   - eight two-minute sources to MP3, -j as many as the processors against
//     ffmpeg run that many at a time by xargs -P; and -j N against -j 1;
//   - a hundred three-second sources to MP3 in one call, -j 1 against a
//     shell loop of ffmpeg, and -j N against xargs -P N.
// Each command runs as a child process into an emptied output folder; the
// commands of a case take turns, round after round, and each one's best
// round counts. Prints ours / ffmpeg, below 1 being better, beside its aim.
#include "convert/Settings.h"
#include "platform/ProcessorCount.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include "ChildMeasure.h"
#include "PeerCommands.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The settings of TranscodeBench's rows for the same formats; each run
// names its output folder.
Settings Format(int formatCode, int sampleRate, int bitRate) { return {"", formatCode, bitRate, sampleRate, 2}; }
const Settings kMp3 = Format(kFormatMp3, 44100, 128000);
const Settings kWav = Format(kFormatWav, 44100, 128000);
const Settings kAc3 = Format(kFormatAc3, 48000, 192000);

const char* Name(const Settings& format) { return kFormatNames[format.formatCode - 1]; }

// The batch front end on `files` into `output`, `jobs` at a time (0: as
// many as it chooses by itself).
std::vector<std::string> Batch(Settings format, int jobs, const std::string& output,
                               const std::vector<std::string>& files) {
  format.outputFolder = output;
  std::vector<std::string> options;
  if (jobs > 0) options = {"-j", std::to_string(jobs)};
  return BatchCommand(format, options, files);
}

// The argument in single quotes, for sh.
std::string ShellQuoted(const std::string& argument) {
  std::string quoted = "'";
  for (const char c : argument) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

std::string ShellLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const auto& argument : arguments) line += (line.empty() ? "" : " ") + ShellQuoted(argument);
  return line;
}

// ffmpeg on every folder/NAME.mp4 of `names` into output/NAME.EXT, `jobs`
// at a time, one ffmpeg per file: xargs -P replacing {} by each name.
std::vector<std::string> FfmpegByXargs(const Settings& format, int jobs, const std::string& folder,
                                       const std::vector<std::string>& names, const std::string& output) {
  std::string line = "printf '%s\\0'";
  for (const auto& name : names) line += " " + ShellQuoted(name);
  line += " | xargs -0 -P " + std::to_string(jobs) + " -I{} " +
          ShellLine(FfmpegCommand(folder + "{}.mp4", format, output + "{}." + Name(format)));
  return {"sh", "-c", line};
}

// The same, one file after another in a shell loop, stopping at a failure.
std::vector<std::string> FfmpegLoop(const Settings& format, const std::string& folder,
                                    const std::vector<std::string>& names, const std::string& output) {
  std::string line = "for f in";
  for (const auto& name : names) line += " " + ShellQuoted(name);
  // ShellLine would quote the $f away: the two paths are written by hand.
  const std::vector<std::string> command = FfmpegCommand("SOURCE", format, "OUTPUT");
  std::string ffmpeg;
  for (const auto& argument : command) {
    std::string word = ShellQuoted(argument);
    if (argument == "SOURCE") word = ShellQuoted(folder) + "\"$f\".mp4";
    if (argument == "OUTPUT") word = ShellQuoted(output) + "\"$f\"." + Name(format);
    ffmpeg += (ffmpeg.empty() ? "" : " ") + word;
  }
  return {"sh", "-c", line + "; do " + ffmpeg + " || exit 1; done"};
}

// `count` links to `file` in `folder`, named PREFIX-001 and on; their names
// without folder and extension.
std::vector<std::string> Links(const std::string& file, const std::string& folder, const std::string& prefix,
                               int count) {
  std::filesystem::create_directory(folder);
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) {
    char number[8];
    std::snprintf(number, sizeof number, "%03d", i);
    names.push_back(prefix + "-" + number);
    std::filesystem::create_symlink(file, folder + names.back() + ".mp4");
  }
  return names;
}

std::vector<std::string> Paths(const std::string& folder, const std::vector<std::string>& names) {
  std::vector<std::string> paths;
  for (const auto& name : names) paths.push_back(folder + name + ".mp4");
  return paths;
}

double MiB(const Measure& measure) { return static_cast<double>(measure.peakKiloBytes) / 1024; }

void PrintRow(const std::string& name, const Measure& ours, const Measure& theirs, const char* aim) {
  std::printf("%-30s %8.2f %9.2f %6.3f %7s %9.1f %11.1f\n", name.c_str(), ours.seconds, theirs.seconds,
              ours.seconds / theirs.seconds, aim, MiB(ours), MiB(theirs));
  std::fflush(stdout);  // each row as soon as its case ends, also into a pipe
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 3;
  const int processors = UsableProcessorCount();
  const std::string tenMinutes = TestMedia::Path("mp4-h264-aac-640x360-600s.mp4");
  TempFolder folder;
  // The batch front end unpacks its own converter, not one left by another
  // build, and reads no option.ini of the user's.
  setenv("TMPDIR", folder.Path().c_str(), 1);
  setenv("HOME", (folder / "home").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folder / "home/.config").c_str(), 1);
  std::filesystem::create_directories(folder / "home/.config");

  const std::string eightFolder = folder / "eight/";
  const std::string hundredFolder = folder / "hundred/";
  const std::vector<std::string> eight =
      Links(TestMedia::Path("mp4-h264-aac-640x360-120s.mp4"), eightFolder, "two-minutes", 8);
  const std::vector<std::string> hundred =
      Links(TestMedia::Path("mp4-h264-aac-640x360-3s.mp4"), hundredFolder, "three-seconds", 100);

  // Every command writes into an empty folder: the batch front end would
  // name a file colliding with an older one "x (2).mp3".
  const std::string output = folder / "out/";
  const auto emptyOutput = [&] {
    std::filesystem::remove_all(output);
    std::filesystem::create_directory(output);
  };
  // Each command wrote one nonempty file per source, no more.
  const auto expectOutputs = [&](size_t count) {
    return [&output, count] {
      size_t written = 0;
      for (const auto& entry : std::filesystem::directory_iterator(output)) {
        if (entry.is_regular_file() && entry.file_size() > 0) ++written;
      }
      if (written != count) {
        std::fprintf(stderr, "%zu files written in %s, not %zu\n", written, output.c_str(), count);
        std::exit(1);
      }
    };
  };

  const std::string jobs = std::to_string(processors);
  std::printf("%d processors, best of %d rounds; ffmpeg's peak is that of its largest process\n", processors,
              repetitions);
  std::printf("%-30s %8s %9s %6s %7s %9s %11s\n", "case", "ours s", "ffmpeg s", "ratio", "aim", "ours MiB",
              "ffmpeg MiB");

  for (const Settings& format : {kMp3, kWav, kAc3}) {
    const std::vector<Measure> measured =
        Rounds(repetitions,
               {Batch(format, 0, output, {tenMinutes}), FfmpegCommand(tenMinutes, format, output + "out." + Name(format))},
               emptyOutput, expectOutputs(1));
    PrintRow(std::string("1 x 10 min ") + Name(format), measured[0], measured[1], "<= 1.00");
  }

  const std::vector<std::string> eightPaths = Paths(eightFolder, eight);
  const std::vector<Measure> eightMeasured =
      Rounds(repetitions,
             {Batch(kMp3, processors, output, eightPaths), FfmpegByXargs(kMp3, processors, eightFolder, eight, output),
              Batch(kMp3, 1, output, eightPaths)},
             emptyOutput, expectOutputs(eight.size()));
  PrintRow("8 x 2 min mp3 -j " + jobs + " / xargs -P " + jobs, eightMeasured[0], eightMeasured[1], "<= 1.05");

  const std::vector<std::string> hundredPaths = Paths(hundredFolder, hundred);
  const std::vector<Measure> hundredMeasured =
      Rounds(repetitions,
             {Batch(kMp3, 1, output, hundredPaths), FfmpegLoop(kMp3, hundredFolder, hundred, output),
              Batch(kMp3, processors, output, hundredPaths),
              FfmpegByXargs(kMp3, processors, hundredFolder, hundred, output)},
             emptyOutput, expectOutputs(hundred.size()));
  PrintRow("100 x 3 s mp3 -j 1 / sh loop", hundredMeasured[0], hundredMeasured[1], "-");
  PrintRow("100 x 3 s mp3 -j " + jobs + " / xargs -P " + jobs, hundredMeasured[2], hundredMeasured[3], "-");

  std::printf("8 x 2 min mp3: -j %d %.2f s, -j 1 %.2f s (%.1f MiB): %.2f times as fast"
              " (aim at least 1.8 on 2 processors)\n",
              processors, eightMeasured[0].seconds, eightMeasured[2].seconds, MiB(eightMeasured[2]),
              eightMeasured[2].seconds / eightMeasured[0].seconds);
  return 0;
}
