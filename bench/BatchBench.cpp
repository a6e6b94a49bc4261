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
#include "convert/CommandLineArguments.h"
#include "convert/ConverterCommandLine.h"
#include "convert/Settings.h"
#include "convert/Task.h"
#include "platform/ProcessorCount.h"
#include "support/Command.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include "ChildMeasure.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Format {
  int formatCode;
  int sampleRate;
  int bitRate;
};

// The settings of TranscodeBench's rows for the same formats.
constexpr Format kMp3{kFormatMp3, 44100, 128000};
constexpr Format kWav{kFormatWav, 44100, 128000};
constexpr Format kAc3{kFormatAc3, 48000, 192000};

const char* Name(const Format& format) { return kFormatNames[format.formatCode - 1]; }

// The converter's options for the format, between its source and its
// output, exactly as a run builds them ("-y -acodec libmp3lame -ab 128k -ac 2
// -ar 44100"): the ffmpeg tool gets the same ones.
std::vector<std::string> EncoderOptions(const Format& format) {
  const Task task{1, 0, 1, "SOURCE", ""};
  const Settings settings{"", format.formatCode, format.bitRate, format.sampleRate, 2};
  const std::vector<std::string> line = SplitCommandLine(BuildConverterCommandLine("tae", task, settings, "OUT"));
  return {line.begin() + 3, line.end() - 1};  // after the converter, "-i" and the source; before the output
}

// The batch front end with every setting on its command line, its files
// converted `jobs` at a time (0: as many as it chooses by itself).
std::vector<std::string> Batch(const Format& format, int jobs, const std::string& output,
                               const std::vector<std::string>& files) {
  std::vector<std::string> command = {TOLVAR_EXTRACT_PROGRAM, "-q", "-f", Name(format), "-b",
                                      std::to_string(format.bitRate / 1000), "-r",
                                      std::to_string(format.sampleRate), "-c", "2"};
  if (jobs > 0) command.insert(command.end(), {"-j", std::to_string(jobs)});
  command.insert(command.end(), {"-o", output});
  command.insert(command.end(), files.begin(), files.end());
  return command;
}

// ffmpeg on one file, told to leave the video.
std::vector<std::string> Ffmpeg(const Format& format, const std::string& source, const std::string& output) {
  std::vector<std::string> command = {"ffmpeg", "-nostdin", "-v", "error", "-i", source, "-vn"};
  const std::vector<std::string> options = EncoderOptions(format);
  command.insert(command.end(), options.begin(), options.end());
  command.push_back(output);
  return command;
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
std::vector<std::string> FfmpegByXargs(const Format& format, int jobs, const std::string& folder,
                                       const std::vector<std::string>& names, const std::string& output) {
  std::string line = "printf '%s\\0'";
  for (const auto& name : names) line += " " + ShellQuoted(name);
  line += " | xargs -0 -P " + std::to_string(jobs) + " -I{} " +
          ShellLine(Ffmpeg(format, folder + "{}.mp4", output + "{}." + Name(format)));
  return {"sh", "-c", line};
}

// The same, one file after another in a shell loop, stopping at a failure.
std::vector<std::string> FfmpegLoop(const Format& format, const std::string& folder,
                                    const std::vector<std::string>& names, const std::string& output) {
  std::string line = "for f in";
  for (const auto& name : names) line += " " + ShellQuoted(name);
  // ShellLine would quote the $f away: the two paths are written by hand.
  std::vector<std::string> command = Ffmpeg(format, "SOURCE", "OUTPUT");
  std::string ffmpeg;
  for (const auto& argument : command) {
    std::string word = ShellQuoted(argument);
    if (argument == "SOURCE") word = ShellQuoted(folder) + "\"$f\".mp4";
    if (argument == "OUTPUT") word = ShellQuoted(output) + "\"$f\"." + Name(format);
    ffmpeg += (ffmpeg.empty() ? "" : " ") + word;
  }
  return {"sh", "-c", line + "; do " + ffmpeg + " || exit 1; done"};
}

// A 640 x 360 H.264 + AAC stereo 48 kHz source of `seconds`, as the
// ten-minute one of the test media is made.
void Generate(const std::string& path, int seconds) {
  const std::string length = std::to_string(seconds);
  const CommandResult result = RunCommand(
      {"ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
       "testsrc2=size=640x360:rate=25:duration=" + length, "-f", "lavfi", "-i",
       "sine=frequency=440:sample_rate=48000:duration=" + length, "-c:v", "libx264", "-preset", "ultrafast",
       "-pix_fmt", "yuv420p", "-c:a", "aac", "-ac", "2", "-b:a", "160k", path});
  if (result.exitCode != 0) {
    std::fprintf(stderr, "cannot generate %s: %s\n", path.c_str(), result.errors.c_str());
    std::exit(1);
  }
}

// `count` hard links to `file` in `folder`, named PREFIX-001 and on; their
// names without folder and extension.
std::vector<std::string> Links(const std::string& file, const std::string& folder, const std::string& prefix,
                               int count) {
  std::filesystem::create_directory(folder);
  std::vector<std::string> names;
  for (int i = 1; i <= count; ++i) {
    char number[8];
    std::snprintf(number, sizeof number, "%03d", i);
    names.push_back(prefix + "-" + number);
    std::filesystem::create_hard_link(file, folder + names.back() + ".mp4");
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

  Generate(folder / "two-minutes.mp4", 120);
  Generate(folder / "three-seconds.mp4", 3);
  const std::string eightFolder = folder / "eight/";
  const std::string hundredFolder = folder / "hundred/";
  const std::vector<std::string> eight = Links(folder / "two-minutes.mp4", eightFolder, "two-minutes", 8);
  const std::vector<std::string> hundred = Links(folder / "three-seconds.mp4", hundredFolder, "three-seconds", 100);

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

  for (const Format& format : {kMp3, kWav, kAc3}) {
    const std::vector<Measure> measured =
        Rounds(repetitions,
               {Batch(format, 0, output, {tenMinutes}), Ffmpeg(format, tenMinutes, output + "out." + Name(format))},
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
