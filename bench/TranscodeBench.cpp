// Conversion speed and peak memory: the in-process engine, the tae converter
// (on the command line a run gives it) and the batch front end as a user
// runs it, with either engine, against `ffmpeg -i SRC -vn` with the same
// settings (Original against `ffmpeg -i SRC -vn -acodec copy`), on a
// generated ten-minute 640 x 360 H.264 + AAC stereo 48 kHz source. Each
// command runs as a child process; the commands take turns, round after
// round, and each one's best round counts. Prints the ratios
// ours / ffmpeg, below 1 being better, and how many times faster the batch
// front end copies the Original sound than it converts to MP3.
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include "ChildMeasure.h"
#include "PeerCommands.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Format {
  const char* name;
  const char* extension;
  int formatCode;
  int sampleRate;
  int bitRate;
};

constexpr Format kFormats[] = {
    {"MP3 128k/44100/stereo", "mp3", kFormatMp3, 44100, 128000},
    {"WAV 44100/stereo", "wav", kFormatWav, 44100, 128000},
    {"AC3 192k/48000/stereo", "ac3", kFormatAc3, 48000, 192000},
    {"M4A 128k/44100/stereo", "m4a", kFormatM4a, 44100, 128000},
    {"FLAC 44100/stereo", "flac", kFormatFlac, 44100, 128000},
    {"Opus 128k/48000/stereo", "opus", kFormatOpus, 48000, 128000},
    // The source's AAC, copied: no rate, channels or bit rate apply.
    {"Original (AAC copy)", "m4a", kFormatOriginal, 0, 0},
};

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::atoi(argv[1]) : 3;
  const std::string source = TestMedia::Path("mp4-h264-aac-640x360-600s.mp4");
  TempFolder folder;
  // The batch front end unpacks its own converter, not one left by another build.
  setenv("TMPDIR", folder.Path().c_str(), 1);

  std::printf("%-24s %-10s %9s %9s %8s %11s %11s %8s\n", "format", "engine", "ours s", "ffmpeg s", "time",
              "ours KiB", "ffmpeg KiB", "memory");
  double mp3BatchSeconds = 0;
  double originalBatchSeconds = 0;
  for (const Format& format : kFormats) {
    const bool original = format.formatCode == kFormatOriginal;
    const std::string output = folder / (std::string("out.") + format.extension);
    // The converter as a run starts it for the whole file, and the ffmpeg
    // tool with the same options.
    const Settings settings{folder.Path(), format.formatCode, format.bitRate, format.sampleRate, 2};
    const std::vector<std::string> tae = ConverterCommand(TOLVAR_TAE_PROGRAM, source, settings, output);
    const std::vector<std::string> ffmpeg = FfmpegCommand(source, settings, output);
    std::vector<std::string> inProcess = {TOLVAR_TRANSCODE_ONCE, source, output};
    if (original) {
      inProcess.push_back("original");
    } else {
      inProcess.insert(inProcess.end(),
                       {std::to_string(format.sampleRate), "2", std::to_string(format.bitRate)});
    }

    // The batch front end as a user starts it: start-up, probe, run and
    // all, with either engine.
    const Settings batchSettings{folder / "batch", format.formatCode, format.bitRate, format.sampleRate, 2};
    const std::vector<std::string> batch = BatchCommand(batchSettings, {}, {source});
    const std::vector<std::string> batchEnhanced = BatchCommand(batchSettings, {"--enhanced"}, {source});

    const std::vector<std::pair<const char*, std::vector<std::string>>> ours = {
        {"in-process", inProcess}, {"tae", tae}, {"batch", batch}, {"batch -E", batchEnhanced}};
    std::vector<std::vector<std::string>> commands = {ffmpeg};
    for (const auto& [engine, command] : ours) commands.push_back(command);
    const std::vector<Measure> measured = Rounds(repetitions, commands);
    const Measure& theirs = measured[0];
    for (size_t i = 0; i < ours.size(); ++i) {
      const Measure& mine = measured[i + 1];
      std::printf("%-24s %-10s %9.2f %9.2f %8.3f %11ld %11ld %8.3f\n", format.name, ours[i].first, mine.seconds,
                  theirs.seconds, mine.seconds / theirs.seconds, mine.peakKiloBytes, theirs.peakKiloBytes,
                  static_cast<double>(mine.peakKiloBytes) / static_cast<double>(theirs.peakKiloBytes));
    }
    const double batchSeconds = measured[1 + 2].seconds;  // after ffmpeg: in-process, tae, batch
    if (format.formatCode == kFormatMp3) mp3BatchSeconds = batchSeconds;
    if (original) originalBatchSeconds = batchSeconds;
  }
  std::printf("Original through the batch front end: %.1f times as fast as MP3\n",
              mp3BatchSeconds / originalBatchSeconds);
  return 0;
}
