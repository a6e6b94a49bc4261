// tolvar-extract as a user's script runs it: the built program as a child
// process, on generated media, each test with a home, configuration,
// temporary and output folder of its own.

#include "ProgramEnvironment.h"
#include "support/Command.h"
#include "support/ExpectAudio.h"
#include "support/Ffprobe.h"
#include "support/ProcessStat.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr char kShortSource[] = "avi-mpeg4-mp3-6s.avi";
constexpr char kTenSeconds[] = "mp4-h264-aac-10s.mp4";
// Long enough to be stopped halfway.
constexpr char kLongSource[] = "m4a-aac-stereo-300s.m4a";

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The program with its standard output in a file, started by a shell that
// tells its process id (which exec keeps) on standard error first.
class RunningExtract {
 public:
  RunningExtract(const std::vector<std::string>& arguments, const std::string& outputFile,
                 const std::string& shellPreamble = "")
      : child_(Command(arguments, outputFile, shellPreamble)) {
    pid_ = std::stoi(child_.ReadErrorsUntil("\n"));
  }

  pid_t Pid() const { return pid_; }
  std::string ErrorsUntil(const std::string& text) { return child_.ReadErrorsUntil(text); }
  int Wait() { return child_.Wait(); }

 private:
  static std::vector<std::string> Command(const std::vector<std::string>& arguments, const std::string& outputFile,
                                          const std::string& shellPreamble) {
    std::vector<std::string> command = {
        "sh", "-c",       shellPreamble + "echo $$ >&2; output=$1; shift; exec \"$@\" >\"$output\"",
        "sh", outputFile, TOLVAR_EXTRACT_PATH};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
  }

  ChildProcess child_;
  pid_t pid_ = -1;
};

}  // namespace

class ExtractProgramTest : public ::testing::Test {
 protected:
  // A generated fixture under a name of the test's choosing (a link to it).
  std::string Source(const std::string& fixture, const std::string& name) {
    const std::string path = media_ / name;
    fs::create_symlink(TestMedia::Path(fixture), path);
    return path;
  }

  CommandResult Extract(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), TOLVAR_EXTRACT_PATH);
    return RunCommand(arguments);
  }

  // The private temporary folder's converters that still run.
  std::vector<pid_t> ConvertersLeft() const {
    std::vector<pid_t> running;
    const std::string privateFolder = environment_.TemporaryFolder() + "tolvar-" + std::to_string(getuid()) + "/";
    for (const auto& entry : fs::directory_iterator("/proc")) {
      std::error_code unreadable;
      const fs::path program = fs::read_symlink(entry.path() / "exe", unreadable);
      if (!unreadable && program.string().starts_with(privateFolder)) {
        running.push_back(std::stoi(entry.path().filename()));
      }
    }
    return running;
  }

  ProgramEnvironment environment_;
  TempFolder media_;
  const std::string output_ = media_ / "out";
};

// Each format with a clip of known length, through either engine; the
// command line's settings reach the file.
struct FormatCase {
  const char* name;
  const char* fixture;
  const char* source;
  std::vector<std::string> options;
  const char* extension;
  const char* codec;
  int sampleRate;
  int channels;
  double seconds;
  double frequency;
};

class ExtractFormats : public ExtractProgramTest, public ::testing::WithParamInterface<std::tuple<FormatCase, bool>> {};

TEST_P(ExtractFormats, WritesTheClipInTheAskedFormat) {
  const auto& [format, enhancedEngine] = GetParam();
  const std::string source = Source(format.fixture, format.source);
  std::vector<std::string> arguments = format.options;
  arguments.insert(arguments.end(), {"-o", output_, source});
  if (enhancedEngine) arguments.push_back("--enhanced");

  const CommandResult result = Extract(arguments);
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  const std::string outputPath = output_ + "/" + fs::path(format.source).stem().string() + "." + format.extension;
  EXPECT_EQ(result.output, "ok\t" + source + "\t" + outputPath + "\n");
  ExpectAudioOutput(outputPath, format.codec, format.sampleRate, format.channels, format.seconds, format.frequency);
}

const FormatCase kFormatCases[] = {
    {"Mp3", kTenSeconds, "holiday clip.mp4", {"-f", "mp3", "-b", "192", "-r", "44100", "-c", "2", "-s", "2", "-e", "7"},
     "mp3", "mp3", 44100, 2, 5, 440},
    {"WavFromWmv", "wmv-wmv2-wmav2-8s.wmv", "camera.wmv",
     {"--format=wav", "--sample-rate=22050", "--channels=1", "--end=5"}, "wav", "pcm_s16le", 22050, 1, 5, 440},
    {"Ac3WithAnEndPastTheFile", "mov-h264-aac-9s.mov", "song.mov", {"-fac3", "-b128", "-r48000", "-c1", "-s3", "-e100"},
     "ac3", "ac3", 48000, 1, 6, 1000},
    {"M4a", kTenSeconds, "talk.mp4", {"-f", "m4a", "-b", "96", "-r", "32000", "-c", "1", "-s", "1", "-e", "4"},
     "m4a", "aac", 32000, 1, 3, 440},
    {"Flac", "mov-h264-aac-9s.mov", "song.mov", {"--format=flac", "--sample-rate=44100", "--channels=2"}, "flac",
     "flac", 44100, 2, 9, 1000},
    // Opus works at 48000 Hz whatever rate is asked.
    {"OpusAt48000", kTenSeconds, "talk.mp4", {"-f", "opus", "-b", "64", "-r", "22050", "-c", "2", "-e", "6"}, "opus",
     "opus", 48000, 2, 6, 440},
};

INSTANTIATE_TEST_SUITE_P(FormatsAndEngines, ExtractFormats,
                         ::testing::Combine(::testing::ValuesIn(kFormatCases), ::testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "Converter" : "InProcess");
                         });

// Original names each file by its own codec's type; names are numbered
// across all of them, and never name a source (a WAV in the output folder).
class ExtractOriginal : public ExtractProgramTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ExtractOriginal, NamesEachFileByItsCodecAndNeverASource) {
  fs::create_directories(media_ / "sub");
  fs::create_directories(output_);
  const std::string aac = Source(kTenSeconds, "talk.mp4");
  const std::string mp2 = Source("mpeg-ps-mpeg2-mp2-7s.mpg", "talk.mpg");
  const std::string mp3 = Source(kShortSource, "talk.avi");
  const std::string secondAac = Source("mov-h264-aac-9s.mov", "sub/talk.mov");
  const std::string pcm = output_ + "/voice.wav";
  fs::create_symlink(TestMedia::Path("wav-tone-from-12s-to-30s-40s.wav"), pcm);
  std::vector<std::string> arguments = {"-f", "original", "-o", output_, aac, mp2, mp3, secondAac, pcm};
  if (GetParam()) arguments.push_back("-E");

  const CommandResult result = Extract(arguments);
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  const std::pair<std::string, std::string> expected[] = {
      {aac, "talk.m4a"}, {mp2, "talk.mp2"}, {mp3, "talk.mp3"}, {secondAac, "talk (2).m4a"}, {pcm, "voice (2).wav"}};
  const std::string codecs[] = {"aac", "mp2", "mp3", "aac", "pcm_s16le"};
  std::vector<std::string> lines;
  for (const auto& [source, name] : expected) lines.push_back("ok\t" + source + "\t" + output_ + "/" + name);
  EXPECT_EQ(Lines(result.output), lines);
  for (size_t i = 0; i < std::size(expected); ++i) {
    const auto probed = Ffprobe(output_ + "/" + expected[i].second);
    ASSERT_TRUE(probed) << expected[i].second;
    EXPECT_EQ(probed->audioCodec, codecs[i]) << expected[i].second;
  }
  EXPECT_TRUE(fs::is_symlink(pcm)) << "the source is left alone";
}

INSTANTIATE_TEST_SUITE_P(Engines, ExtractOriginal, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Converter" : "InProcess"; });

// The track options as a user runs them, through either engine. Each track
// of the generated sources carries its own tone: 440, 660, 880 Hz in file
// order.
constexpr char kThreeTracks[] = "mkv-tracks-eng-fre-ger-4s.mkv";  // eng aac, fre ac3 (default), "de" vorbis
constexpr char kFrenchThenEnglish[] = "mp4-tracks-fre-eng-4s.mp4";
constexpr char kUntaggedTracks[] = "mkv-two-audio-streams-6s.mkv";  // 440, then 880 Hz

class ExtractTracks : public ExtractProgramTest, public ::testing::WithParamInterface<bool> {
 protected:
  CommandResult ExtractWith(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"-f", "mp3", "-o", output_});
    if (GetParam()) arguments.push_back("-E");
    return Extract(arguments);
  }

  void ExpectTone(const std::string& name, double tone) {
    SCOPED_TRACE(name);
    EXPECT_NEAR(DominantFrequency(output_ + "/" + name), tone, tone * 0.02);
  }
};

TEST_P(ExtractTracks, TrackConvertsThatTrackOrFailsTheFileNamingItsTracks) {
  const std::string film = Source(kThreeTracks, "film.mkv");
  const std::string broadcast = Source("ts-mp2-then-empty-audio-stream-3s.ts", "broadcast.ts");
  const std::string talk = Source(kFrenchThenEnglish, "talk.mp4");
  const CommandResult result = ExtractWith({"--track", "2", film, broadcast, talk});
  EXPECT_EQ(result.exitCode, 1) << result.errors;
  EXPECT_EQ(Lines(result.output),
            (std::vector<std::string>{
                "ok\t" + film + "\t" + output_ + "/film.mp3",
                "failed\t" + broadcast +
                    "\tAudio track 2 holds no sound; the file's tracks are 1 (mp2, mono), 2 (no sound)",
                "ok\t" + talk + "\t" + output_ + "/talk.mp3",
            }));
  ExpectTone("film.mp3", 660);
  ExpectTone("talk.mp3", 660);

  const CommandResult beyond = ExtractWith({"--track", "3", talk});
  EXPECT_EQ(beyond.exitCode, 1);
  EXPECT_EQ(beyond.output, "failed\t" + talk +
                               "\tThere is no audio track 3; the file's tracks are 1 (fre, aac, stereo), "
                               "2 (eng, mp3, stereo)\n");
}

TEST_P(ExtractTracks, LanguageTakesTheFirstListedThatAFileHasElseItsDefault) {
  const std::string film = Source(kThreeTracks, "film.mkv");
  const std::string talk = Source(kFrenchThenEnglish, "talk.mp4");
  const std::string untagged = Source(kUntaggedTracks, "untagged.mkv");
  const CommandResult result = ExtractWith({"--language", "ita,fra", film, talk, untagged});
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  EXPECT_EQ(Lines(result.output).size(), 3u);
  ExpectTone("film.mp3", 660);
  ExpectTone("talk.mp3", 440);
  ExpectTone("untagged.mp3", 880);
}

TEST_P(ExtractTracks, AllTracksWritesOneFilePerTrackWithSoundNamedByItsLanguage) {
  const std::string film = Source(kThreeTracks, "film.mkv");
  const std::string spanish = Source("mkv-tracks-spa-spa-eng-second-default-3s.mkv", "spanish.mkv");
  const std::string untagged = Source(kUntaggedTracks, "untagged.mkv");
  const std::string broadcast = Source("ts-mp2-then-empty-audio-stream-3s.ts", "broadcast.ts");
  const CommandResult result = ExtractWith({"--all-tracks", film, spanish, untagged, broadcast});
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  const std::pair<std::string, std::string> outputs[] = {
      {film, "film (eng).mp3"},           {film, "film (fre).mp3"},
      {film, "film (de).mp3"},            {spanish, "spanish (spa, track 1).mp3"},
      {spanish, "spanish (es, track 2).mp3"}, {spanish, "spanish (eng).mp3"},
      {untagged, "untagged (track 1).mp3"}, {untagged, "untagged (track 2).mp3"},
      {broadcast, "broadcast (track 1).mp3"},
  };
  std::vector<std::string> lines;
  for (const auto& [source, name] : outputs) lines.push_back("ok\t" + source + "\t" + output_ + "/" + name);
  EXPECT_EQ(Lines(result.output), lines);
  const double tones[] = {440, 660, 880, 440, 660, 880, 440, 880, 440};
  for (size_t i = 0; i < std::size(outputs); ++i) ExpectTone(outputs[i].second, tones[i]);
}

INSTANTIATE_TEST_SUITE_P(Engines, ExtractTracks, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Converter" : "InProcess"; });

TEST_F(ExtractProgramTest, ListTracksPrintsEveryTrackAndConvertsNothing) {
  const std::string film = Source(kThreeTracks, "film\tcut.mkv");
  const std::string broadcast = Source("ts-mp2-then-empty-audio-stream-3s.ts", "broadcast.ts");
  const std::string silent = Source("mp4-video-only-2s.mp4", "silent.mp4");
  const std::string missing = media_ / "missing.avi";
  const CommandResult result = Extract({"--list-tracks", "-o", output_, film, broadcast, silent, missing});
  EXPECT_EQ(result.exitCode, 1) << result.errors;
  const std::string shownFilm = media_ / "film\\tcut.mkv";
  EXPECT_EQ(Lines(result.output), (std::vector<std::string>{
                                      shownFilm + "\t1\teng\taac\t2\t44100\t-\tMain",
                                      shownFilm + "\t2\tfre\tac3\t6\t48000\tdefault\t",
                                      shownFilm + "\t3\tde\tvorbis\t1\t22050\t-\t",
                                      broadcast + "\t1\t-\tmp2\t1\t48000\t-\t",
                                      broadcast + "\t2\t-\tmp3\t-\t-\t-\t",
                                      "failed\t" + silent + "\tThe file has no audio track",
                                      "failed\t" + missing + "\tFail to open the file " + missing,
                                  }));
  EXPECT_FALSE(fs::exists(output_)) << "nothing is converted";

  EXPECT_EQ(Extract({"--list-tracks", film}).exitCode, 0);
}

// A refused file and one that fails are reported in their place; the others
// are converted all the same.
class ExtractRefusals : public ExtractProgramTest, public ::testing::WithParamInterface<bool> {};

TEST_P(ExtractRefusals, ReportEachFileInArgumentOrder) {
  const std::string good = Source(kShortSource, "good.avi");
  const std::string dvd = Source("mpeg-ps-mpeg2-mp2-7s.mpg", "movie.VOB");
  const std::string broken = media_ / "broken.avi";
  std::ofstream(broken) << "not a video";
  const std::string silent = Source("mkv-audio-stream-without-packets-3s.mkv", "silent.mkv");
  const std::string clip = Source(kTenSeconds, "clip.mp4");
  std::vector<std::string> arguments = {"-f", "mp3", "-o", output_, good, dvd, broken, silent, clip};
  if (GetParam()) arguments.push_back("-E");

  const CommandResult result = Extract(arguments);
  EXPECT_EQ(result.exitCode, 1) << result.errors;
  EXPECT_EQ(Lines(result.output), (std::vector<std::string>{
                                      "ok\t" + good + "\t" + output_ + "/good.mp3",
                                      "failed\t" + dvd +
                                          "\tYou're trying to open a DVD (*.vob/*.ifo) file. Tolvar Audio Extractor "
                                          "doesn't support DVD format.  You need Kestra DVD Ripper to do this.",
                                      "failed\t" + broken + "\tFail to open the file " + broken,
                                      "failed\t" + silent + "\tNo audio could be decoded from the source",
                                      "ok\t" + clip + "\t" + output_ + "/clip.mp3",
                                  }));
  EXPECT_NE(result.errors.find("Information: You're trying to open a DVD"), std::string::npos) << result.errors;
  ExpectAudioOutput(output_ + "/good.mp3", "mp3", 48000, 2, 6, 440);
  ExpectAudioOutput(output_ + "/clip.mp3", "mp3", 48000, 2, 10, 440);
  EXPECT_FALSE(fs::exists(output_ + "/movie.mp3"));
}

INSTANTIATE_TEST_SUITE_P(Engines, ExtractRefusals, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Converter" : "InProcess"; });

// What every file would fail alike is printed once, every file gets its
// failed line with that reason, and nothing is converted.
TEST_F(ExtractProgramTest, ARefusalOfEveryFileIsPrintedOnceAndFailsThemAll) {
  const std::string one = Source(kShortSource, "one.avi");
  const std::string two = Source(kTenSeconds, "two.mp4");
  const std::string taken = media_ / "taken";
  std::ofstream(taken) << "a file, not a folder";
  const struct {
    std::vector<std::string> options;
    std::string printed;
    std::string reason;
  } cases[] = {
      {{"-f", "ac3", "-r", "22050", "-o", output_}, "Failure: ",
       "The audio parameters are wrong,will be fixed in next major version"},
      {{"-f", "mp3", "-o", taken}, "Error: ", "Cannot write to the output folder " + taken + ": Not a directory"},
  };
  for (const auto& c : cases) {
    for (const bool enhanced : {false, true}) {
      SCOPED_TRACE(c.reason + (enhanced ? ", converter" : ", in-process"));
      std::vector<std::string> arguments = c.options;
      if (enhanced) arguments.push_back("-E");
      arguments.insert(arguments.end(), {one, two});
      const CommandResult result = Extract(arguments);
      EXPECT_EQ(result.exitCode, 1) << result.errors;
      EXPECT_EQ(Lines(result.output),
                (std::vector<std::string>{"failed\t" + one + "\t" + c.reason, "failed\t" + two + "\t" + c.reason}));
      // Told once; FFmpeg may add the encoder's own words before it.
      const std::string told = c.printed + c.reason + "\n";
      EXPECT_TRUE(result.errors.ends_with(told)) << result.errors;
      EXPECT_EQ(result.errors.find(told), result.errors.size() - told.size()) << result.errors;
      EXPECT_FALSE(fs::exists(output_ + "/one.ac3"));
    }
  }
}

TEST_F(ExtractProgramTest, AClipStartingPastAFilesEndFailsOnlyThatFile) {
  const std::string shortSource = Source(kShortSource, "short.avi");
  const std::string longer = Source(kTenSeconds, "longer.mp4");

  const CommandResult result = Extract({"-f", "wav", "-s", "7", "-o", output_, shortSource, longer});
  EXPECT_EQ(result.exitCode, 1) << result.errors;
  EXPECT_EQ(
      Lines(result.output),
      (std::vector<std::string>{
          "failed\t" + shortSource + "\tThe clip would start at 7 s, not before its end at 6 s (the file lasts 6 s).",
          "ok\t" + longer + "\t" + output_ + "/longer.wav",
      }));
  ExpectAudioOutput(output_ + "/longer.wav", "pcm_s16le", 48000, 2, 3, 440);
}

TEST_F(ExtractProgramTest, UsageErrorsNameTheOptionAndItsValues) {
  const std::string source = Source(kShortSource, "clip.avi");
  const struct {
    std::vector<std::string> arguments;
    const char* message;
  } cases[] = {
      {{"-f", "ogg", source}, "tolvar-extract: -f/--format takes one of mp3 wav ac3 m4a flac opus original, not 'ogg'\n"},
      {{"--bitrate=100", source},
       "tolvar-extract: -b/--bitrate takes one of 32 40 48 56 64 80 96 112 128 192 224 256 320, not '100'\n"},
      {{"--frobnicate", source}, "tolvar-extract: unknown option '--frobnicate'\n"},
      {{"-q"}, "tolvar-extract: no FILE given\n"},
  };
  for (const auto& [arguments, message] : cases) {
    SCOPED_TRACE(message);
    std::vector<std::string> withOutput = {"-o", output_};
    withOutput.insert(withOutput.end(), arguments.begin(), arguments.end());
    const CommandResult result = Extract(withOutput);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.errors, message + std::string("Try 'tolvar-extract --help' for more information.\n"));
    EXPECT_EQ(result.output, "");
    EXPECT_FALSE(fs::exists(output_)) << "nothing runs";
  }

  const CommandResult help = Extract({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_TRUE(help.output.starts_with("Usage: tolvar-extract [OPTIONS] FILE...\n")) << help.output;
}

// --files-from: the list's files come after the command line's, in the list's
// order, whatever -j; a line is a name as it stands, and a NUL-separated list
// on standard input, as find -print0 writes it, may name files with newlines.
TEST_F(ExtractProgramTest, FilesFromAddsTheListsFilesAfterTheOthersInOrder) {
  const std::string first = Source(kShortSource, "first.avi");
  const std::string spaced = Source(kShortSource, " spaced  name.avi");
  const std::string twoLines = Source(kShortSource, "two\nlines.avi");
  const std::string last = Source(kTenSeconds, "last.mp4");
  const std::string list = media_ / "list.txt";
  std::ofstream(list) << "\n" << last << "\n\n" << spaced;  // the last line without its newline
  // An output's name is its title without the leading white space.
  const std::string spacedOutput = "spaced  name.wav";
  const struct {
    const char* name;
    std::vector<std::string> options;
    std::string input;
    std::vector<std::pair<std::string, std::string>> expected;  // each line's source as printed, and its output
  } cases[] = {
      {"a file, one name a line", {"--files-from", list, "-j", "1"}, "",
       {{first, "first.wav"}, {last, "last.wav"}, {spaced, spacedOutput}}},
      {"standard input, NUL-separated", {"--files-from=-", "-0", "-j", "3"},
       twoLines + '\0' + last + '\0' + '\0' + spaced + '\0',
       {{first, "first.wav"},
        {media_ / "two\\nlines.avi", "two\\nlines.wav"},
        {last, "last.wav"},
        {spaced, spacedOutput}}},
  };
  for (const auto& [name, options, input, expected] : cases) {
    SCOPED_TRACE(name);
    fs::remove_all(output_);
    std::vector<std::string> arguments = {TOLVAR_EXTRACT_PATH, "-f", "wav", "-o", output_, first};
    arguments.insert(arguments.end(), options.begin(), options.end());
    const CommandResult result = RunCommand(arguments, input);
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    std::vector<std::string> lines;
    for (const auto& [source, output] : expected) lines.push_back("ok\t" + source + "\t" + output_ + "/" + output);
    EXPECT_EQ(Lines(result.output), lines);
    EXPECT_EQ(std::distance(fs::directory_iterator(output_), fs::directory_iterator()),
              static_cast<std::ptrdiff_t>(expected.size()));
  }
  EXPECT_TRUE(fs::exists(output_ + "/two\nlines.wav"));
  ExpectAudioOutput(output_ + "/" + spacedOutput, "pcm_s16le", 48000, 2, 6, 440);
  ExpectAudioOutput(output_ + "/last.wav", "pcm_s16le", 48000, 2, 10, 440);
}

// A list that names nothing is no mistake: nothing to convert, nothing to
// tell. One that cannot be read stops the program before anything runs.
TEST_F(ExtractProgramTest, FilesFromAnEmptyListDoesNothingAndAnUnreadableOneIsAnError) {
  const struct {
    std::vector<std::string> arguments;
    std::string input;
  } empty[] = {
      {{"--files-from", "/dev/null"}, ""},
      {{"--files-from", "-", "-0"}, std::string(3, '\0')},
      {{"--list-tracks", "--files-from", "-"}, "\n\n"},
  };
  for (const auto& [arguments, input] : empty) {
    SCOPED_TRACE(arguments.front() + " " + arguments[1]);
    std::vector<std::string> command = {TOLVAR_EXTRACT_PATH, "-o", output_};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const CommandResult result = RunCommand(command, input);
    EXPECT_EQ(result.exitCode, 0) << result.errors;
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.errors, "");
    EXPECT_FALSE(fs::exists(output_));
  }

  const std::string source = Source(kShortSource, "clip.avi");
  const std::string missing = media_ / "missing.txt";
  const CommandResult result = Extract({"-o", output_, source, "--files-from", missing});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.errors, "tolvar-extract: cannot read the file list " + missing + ": No such file or directory\n");
  EXPECT_EQ(result.output, "");
  EXPECT_FALSE(fs::exists(output_)) << "nothing runs";
}

// On a terminal the progress is one line rewritten in place; in a log,
// separate lines; with --quiet, none. Messages show in every case.
TEST_F(ExtractProgramTest, ProgressSuitsWhereItGoes) {
  const std::string source = Source(kTenSeconds, "clip.mp4");
  const std::string command = std::string(TOLVAR_EXTRACT_PATH) + " -f mp3 -o '" + output_ + "' '" + source + "'";
  // script(1) gives the program a terminal, which gets both of its streams.
  const CommandResult onTerminal = RunCommand({"script", "-q", "-e", "-c", command, "/dev/null"});
  ASSERT_EQ(onTerminal.exitCode, 0) << onTerminal.output;
  const std::string firstLine = "[1/1] clip.mp4: 0%, all files: 0%, 0/1 done, 00:00:00 elapsed";
  EXPECT_NE(onTerminal.output.find("\r" + firstLine + "\x1b[K\r[1/1] clip.mp4: "), std::string::npos)
      << onTerminal.output;
  EXPECT_NE(onTerminal.output.find("\x1b[K\r\n"), std::string::npos) << "the line is ended once the run is over";
  EXPECT_NE(onTerminal.output.find("ok\t" + source), std::string::npos);

  const CommandResult inALog = Extract({"-f", "mp3", "-o", output_, source});
  ASSERT_EQ(inALog.exitCode, 0);
  EXPECT_TRUE(inALog.errors.starts_with(firstLine + "\n")) << inALog.errors;
  EXPECT_EQ(inALog.errors.find('\r'), std::string::npos);

  const CommandResult quiet = Extract({"--quiet", "-f", "mp3", "-o", output_, source});
  ASSERT_EQ(quiet.exitCode, 0);
  EXPECT_EQ(quiet.errors, "Congratulations!: Successfully Extract Audio and Save to " + output_ + "\n");
  EXPECT_EQ(quiet.output, "ok\t" + source + "\t" + output_ + "/clip.mp3\n");
}

// Ctrl+C, SIGTERM: STOP without the question. The finished file stays, the
// interrupted one holds at most what was done, no converter is left running.
struct SignalCase {
  const char* name;
  int signalNumber;
  bool enhancedEngine;
};

class ExtractStopSignals : public ExtractProgramTest, public ::testing::WithParamInterface<SignalCase> {};

TEST_P(ExtractStopSignals, StopTheRunLikeStop) {
  const auto& [name, signalNumber, enhancedEngine] = GetParam();
  const std::string shortSource = Source(kShortSource, "short.avi");
  const std::string longSource = Source(kLongSource, "long.m4a");
  std::vector<std::string> arguments = {"-f", "mp3", "-o", output_, shortSource, longSource};
  if (enhancedEngine) arguments.push_back("-E");
  RunningExtract extract(arguments, media_ / "results.txt");
  extract.ErrorsUntil("[2/2] long.m4a: ");
  ASSERT_EQ(kill(extract.Pid(), signalNumber), 0);

  EXPECT_EQ(extract.Wait(), 128 + signalNumber);
  EXPECT_EQ(Lines(ReadWholeFile(media_ / "results.txt")),
            (std::vector<std::string>{
                "ok\t" + shortSource + "\t" + output_ + "/short.mp3",
                "failed\t" + longSource + "\tStopped before its end: " + output_ +
                    "/long.mp3 holds at most the part converted until then.",
            }));
  ExpectAudioOutput(output_ + "/short.mp3", "mp3", 48000, 2, 6, 440);
  EXPECT_TRUE(ConvertersLeft().empty());
  // The converter is killed right after its "q", with no time to finish its
  // file; the in-process worker closes its file properly.
  if (!enhancedEngine) {
    const auto stoppedSeconds = DecodedAudioSeconds(output_ + "/long.mp3");
    ASSERT_TRUE(stoppedSeconds) << "the interrupted file does not decode";
    EXPECT_GT(*stoppedSeconds, 0);
    EXPECT_LT(*stoppedSeconds, 290);
  }
}

INSTANTIATE_TEST_SUITE_P(Signals, ExtractStopSignals,
                         ::testing::Values(SignalCase{"InterruptInProcess", SIGINT, false},
                                           SignalCase{"InterruptConverter", SIGINT, true},
                                           SignalCase{"TerminateConverter", SIGTERM, true}),
                         [](const auto& info) { return info.param.name; });

// A shell starts a background job with Ctrl+C ignored; so does the program.
TEST_F(ExtractProgramTest, AnInterruptIgnoredFromTheStartStaysIgnored) {
  const std::string shortSource = Source(kShortSource, "short.avi");
  const std::string longSource = Source(kLongSource, "long.m4a");
  RunningExtract extract({"-f", "wav", "-o", output_, shortSource, longSource}, media_ / "results.txt",
                         "trap '' INT; ");
  extract.ErrorsUntil("[2/2] long.m4a: ");
  ASSERT_EQ(kill(extract.Pid(), SIGINT), 0);

  EXPECT_EQ(extract.Wait(), 0);
  EXPECT_EQ(Lines(ReadWholeFile(media_ / "results.txt")), (std::vector<std::string>{
                                                         "ok\t" + shortSource + "\t" + output_ + "/short.wav",
                                                         "ok\t" + longSource + "\t" + output_ + "/long.wav",
                                                     }));
  EXPECT_NEAR(DecodedAudioSeconds(output_ + "/long.wav").value_or(0), 300, 0.2);
}

// The list is read before the run takes Ctrl+C over: a program that waits
// for its list on standard input still ends at once, and prints nothing.
TEST_F(ExtractProgramTest, CtrlCWhileTheListIsAwaitedEndsTheProgram) {
  const std::string pipePath = media_ / "list";
  ASSERT_EQ(mkfifo(pipePath.c_str(), 0600), 0);
  // Opened for both ends: the open waits for no one, and the list stays
  // unfinished until the test closes it.
  const int listEnd = open(pipePath.c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(listEnd, 0);
  RunningExtract extract({"-o", output_, "--files-from", "-", "-0"}, media_ / "results.txt",
                         "exec <'" + pipePath + "'; ");
  // Until the program waits in a read of its standard input, or has ended.
  const std::string callFile = "/proc/" + std::to_string(extract.Pid()) + "/syscall";
  for (;;) {
    const auto process = ReadProcessStat(extract.Pid());
    if (!process || process->state == 'Z') break;
    long number = -1;
    std::string descriptor;
    std::ifstream(callFile) >> number >> descriptor;
    if (number == SYS_read && descriptor == "0x0") break;
    usleep(1000);
  }
  ASSERT_EQ(kill(extract.Pid(), SIGINT), 0);
  close(listEnd);

  EXPECT_EQ(extract.Wait(), -1) << "ended by the signal";
  EXPECT_EQ(ReadWholeFile(media_ / "results.txt"), "");
  EXPECT_FALSE(fs::exists(output_));
}

namespace {

// Every output file of a folder with its bytes, to compare runs by.
std::map<std::string, std::string> OutputFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder)) files[entry.path().filename()] = ReadWholeFile(entry.path());
  return files;
}

}  // namespace

// However many files go at once, a run gives the same result lines in the
// order given and the same files: a batch with both engines (a file only
// MediaInfo can open goes to the converter, and fails there), colliding
// names and a chosen track.
TEST_F(ExtractProgramTest, JobsChangeNeitherTheResultLinesNorTheFiles) {
  fs::create_directories(media_ / "other");
  const std::string cut = media_ / "cut.avi";
  std::ofstream(cut, std::ios::binary) << ReadWholeFile(TestMedia::Path(kShortSource)).substr(0, 4096);
  const std::vector<std::string> sources = {
      Source(kShortSource, "clip.avi"),
      cut,
      Source("mkv-tracks-eng-fre-ger-4s.mkv", "tracks.mkv"),
      Source(kTenSeconds, "other/clip.avi"),
      Source("mp4-tracks-fre-eng-4s.mp4", "french.mp4"),
      Source("audio-only-aac-7s.m4a", "other/clip.m4a"),
  };
  for (const bool enhancedEngine : {false, true}) {
    std::optional<CommandResult> oneAtATime;
    std::map<std::string, std::string> filesOfOneAtATime;
    for (const char* jobs : {"1", "2", "4"}) {
      SCOPED_TRACE(std::string(enhancedEngine ? "converter" : "in-process") + ", -j " + jobs);
      fs::remove_all(output_);
      std::vector<std::string> arguments = {"-j", jobs, "-f", "mp3", "--language", "fre", "-o", output_};
      if (enhancedEngine) arguments.push_back("-E");
      arguments.insert(arguments.end(), sources.begin(), sources.end());
      const CommandResult result = Extract(arguments);
      EXPECT_EQ(result.exitCode, 1) << result.errors;
      if (!oneAtATime) {
        oneAtATime = result;
        filesOfOneAtATime = OutputFiles(output_);
        const std::vector<std::string> lines = Lines(result.output);
        ASSERT_EQ(lines.size(), sources.size()) << result.output;
        EXPECT_EQ(lines[0], "ok\t" + sources[0] + "\t" + output_ + "/clip.mp3");
        EXPECT_TRUE(lines[1].starts_with("failed\t" + cut + "\t")) << lines[1];
        EXPECT_EQ(lines[3], "ok\t" + sources[3] + "\t" + output_ + "/clip (2).mp3");
        EXPECT_EQ(lines[5], "ok\t" + sources[5] + "\t" + output_ + "/clip (3).mp3");
        ExpectAudioOutput(output_ + "/tracks.mp3", "mp3", 48000, 2, 4, 660);
        ExpectAudioOutput(output_ + "/french.mp3", "mp3", 48000, 2, 4, 440);
        EXPECT_EQ(filesOfOneAtATime.size(), sources.size() - 1);
        continue;
      }
      EXPECT_EQ(result.output, oneAtATime->output);
      EXPECT_TRUE(OutputFiles(output_) == filesOfOneAtATime) << "the files differ from those of -j 1";
    }
  }
}

// Ctrl+C stops every task under way, as STOP does: each of them keeps what
// it wrote, the tasks not yet started write nothing, no converter is left.
TEST_F(ExtractProgramTest, CtrlCStopsEveryTaskOfAParallelRun) {
  const std::string first = Source(kLongSource, "first.m4a");
  const std::string second = Source(kLongSource, "second.m4a");
  const std::string third = Source(kShortSource, "third.avi");
  for (const bool enhancedEngine : {false, true}) {
    SCOPED_TRACE(enhancedEngine ? "converter" : "in-process");
    fs::remove_all(output_);
    std::vector<std::string> arguments = {"-j", "2", "-f", "mp3", "-o", output_, first, second, third};
    if (enhancedEngine) arguments.push_back("-E");
    RunningExtract extract(arguments, media_ / "results.txt");
    // Both tasks have begun once both outputs exist.
    while (!fs::exists(output_ + "/first.mp3") || !fs::exists(output_ + "/second.mp3")) {
      ASSERT_NE(ReadProcessStat(extract.Pid()).value_or(ProcessStat{}).state, 'Z') << "the run ended first";
      usleep(1000);
    }
    ASSERT_EQ(kill(extract.Pid(), SIGINT), 0);

    EXPECT_EQ(extract.Wait(), 128 + SIGINT);
    const auto stopped = [&](const std::string& source, const std::string& name) {
      return "failed\t" + source + "\tStopped before its end: " + output_ + "/" + name +
             " holds at most the part converted until then.";
    };
    EXPECT_EQ(Lines(ReadWholeFile(media_ / "results.txt")),
              (std::vector<std::string>{stopped(first, "first.mp3"), stopped(second, "second.mp3"),
                                        "failed\t" + third + "\tNot started: the run was stopped."}));
    EXPECT_FALSE(fs::exists(output_ + "/third.mp3"));
    EXPECT_TRUE(ConvertersLeft().empty());
  }
}

// The window's list holds 100 files; the batch front end takes any number.
TEST_F(ExtractProgramTest, TakesMoreFilesThanTheWindowsList) {
  const std::string source = Source("mkv-mpeg4-pcm-0.1s.mkv", "tiny.mkv");
  std::vector<std::string> arguments = {"-j", "2", "-f", "wav", "-o", output_};
  arguments.insert(arguments.end(), 150, source);
  const CommandResult result = Extract(arguments);
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  const std::vector<std::string> lines = Lines(result.output);
  ASSERT_EQ(lines.size(), 150u);
  EXPECT_EQ(lines[0], "ok\t" + source + "\t" + output_ + "/tiny.wav");
  for (size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], "ok\t" + source + "\t" + output_ + "/tiny (" + std::to_string(i + 1) + ").wav");
  }
  EXPECT_EQ(OutputFiles(output_).size(), 150u);
}
