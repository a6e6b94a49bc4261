#include "DecimalCommaLocale.h"
#include "convert/CommandLineArguments.h"
#include "convert/ConverterCommandLine.h"
#include "convert/OutputPaths.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

Task WholeFile(double seconds) {
  Task task;
  task.duration = seconds;
  task.clipLength = seconds;
  task.sourcePath = "/videos/holiday.avi";
  task.title = " holiday";
  return task;
}

Task Clip(double duration, double start, double length) {
  Task task = WholeFile(duration);
  task.clipStart = start;
  task.clipLength = length;
  return task;
}

Task OnTrack(Task task, int audioTrack) {
  task.audioTrack = audioTrack;
  return task;
}

Settings Output(int formatCode, int bitRate = 128000, int channels = 2, int sampleRate = 44100) {
  return Settings{"/music", formatCode, bitRate, sampleRate, channels};
}

}  // namespace

struct LineCase {
  const char* name;
  Task task;
  Settings settings;
  const char* expected;
};

class ConverterCommandLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(ConverterCommandLine, FollowsItsTemplate) {
  const LineCase& c = GetParam();
  EXPECT_EQ(BuildConverterCommandLine("/tmp/tolvar-0/tae", c.task, c.settings, "/music/holiday.mp3"), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConverterCommandLine,
    ::testing::Values(
        LineCase{"WholeFileLeavesTwoBlanksBeforeY", WholeFile(60), Output(kFormatMp3),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -y -acodec libmp3lame -ab 128k -ac 2 -ar 44100 "/music/holiday.mp3")"},
        LineCase{"WavNamesNoEncoderAndDropsVideo", WholeFile(60), Output(kFormatWav),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -y -vn -ab 128k -ac 2 -ar 44100 "/music/holiday.mp3")"},
        LineCase{"Ac3", WholeFile(60), Output(kFormatAc3),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -y -acodec ac3 -ab 128k -ac 2 -ar 44100 "/music/holiday.mp3")"},
        LineCase{"DifferenceOfOneSecondIsCut", Clip(10, 0.5, 9), Output(kFormatMp3),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi" -ss 0.500000 -t 9.000000 -y -acodec libmp3lame -ab 128k -ac 2 -ar 44100 "/music/holiday.mp3")"},
        LineCase{"DifferenceBelowOneSecondIsNot", Clip(10, 0.5, 9.1), Output(kFormatMp3),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -y -acodec libmp3lame -ab 128k -ac 2 -ar 44100 "/music/holiday.mp3")"},
        LineCase{"StartPastTheDurationIsSentAsZero", Clip(10, 12, 5), Output(kFormatWav),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi" -ss 0.000000 -t 5.000000 -y -vn -ab 128k -ac 2 -ar 44100 "/music/holiday.mp3")"},
        LineCase{"LowestBitRateAndMono", WholeFile(60), Output(kFormatMp3, 32000, 1, 22050),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -y -acodec libmp3lame -ab 32k -ac 1 -ar 22050 "/music/holiday.mp3")"},
        LineCase{"HighestBitRateAndStereo", WholeFile(60), Output(kFormatAc3, 320000, 2, 48000),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -y -acodec ac3 -ab 320k -ac 2 -ar 48000 "/music/holiday.mp3")"},
        LineCase{"M4aIsAac", WholeFile(60), Output(kFormatM4a),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -y -acodec aac -ab 128k -ac 2 -ar 44100 "/music/holiday.mp3")"},
        LineCase{"Flac", WholeFile(60), Output(kFormatFlac),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -y -acodec flac -ab 128k -ac 2 -ar 44100 "/music/holiday.mp3")"},
        LineCase{"Opus", WholeFile(60), Output(kFormatOpus, 96000, 2, 48000),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -y -acodec libopus -ab 96k -ac 2 -ar 48000 "/music/holiday.mp3")"},
        LineCase{"OriginalCopiesWithoutParameters", WholeFile(60), Output(kFormatOriginal),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -y -acodec copy "/music/holiday.mp3")"},
        LineCase{"OriginalIsCutByTheSameRule", Clip(10, 12, 5), Output(kFormatOriginal),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi" -ss 0.000000 -t 5.000000 -y -acodec copy "/music/holiday.mp3")"},
        LineCase{"ChosenTrackIsMappedCountedFromZero", OnTrack(WholeFile(60), 2), Output(kFormatMp3),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi"  -map 0:a:1 -y -acodec libmp3lame -ab 128k -ac 2 -ar 44100 "/music/holiday.mp3")"},
        LineCase{"ChosenTrackFollowsTheClip", OnTrack(Clip(10, 0.5, 9), 1), Output(kFormatOriginal),
                 R"("/tmp/tolvar-0/tae" -i "/videos/holiday.avi" -ss 0.500000 -t 9.000000 -map 0:a:0 -y -acodec copy "/music/holiday.mp3")"},
        LineCase{"UnknownFormatGivesNoLine", WholeFile(60), Output(0), ""},
        LineCase{"FormatPastOriginalGivesNoLine", WholeFile(60), Output(kFormatOriginal + 1), ""}),
    [](const auto& info) { return std::string(info.param.name); });

// A decimal comma would make the converter cut the wrong range.
TEST(ConverterCommandLineNumbers, IgnoreTheUsersLocale) {
  const DecimalCommaLocale german;
  if (!german.Active()) GTEST_SKIP() << "localedef cannot make a German locale here";
  const std::string line = BuildConverterCommandLine("tae", Clip(100, 12.25, 30.5), Output(kFormatMp3), "out.mp3");
  EXPECT_NE(line.find(" -ss 12.250000 -t 30.500000 "), std::string::npos) << line;
}

// Whatever a file name holds, the converter gets it back as one argument:
// a name cannot add options to the line.
TEST(ConverterCommandLineQuoting, HostileNamesRoundTrip) {
  Task task = WholeFile(60);
  task.sourcePath = R"(/videos/a" -y "b\" c\\.avi)";
  const std::string converter = "/tmp/with blank/tae";
  const std::string output = R"(/music/x" -acodec "copy\.mp3)";
  const auto arguments = SplitCommandLine(BuildConverterCommandLine(converter, task, Output(kFormatMp3), output));
  const std::vector<std::string> expected = {converter, "-i",  task.sourcePath, "-y", "-acodec", "libmp3lame", "-ab",
                                             "128k",    "-ac", "2",             "-ar", "44100",   output};
  EXPECT_EQ(arguments, expected);
}

struct PathCase {
  const char* name;
  const char* folder;
  const char* title;
  const char* extension;
  const char* expected;
};

class OutputPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(OutputPath, JoinsFolderTitleAndExtension) {
  const PathCase& c = GetParam();
  EXPECT_EQ(OutputPathOf(c.folder, c.title, c.extension), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OutputPath,
    ::testing::Values(PathCase{"LeadingBlankOfTheTitleIsDropped", "/music", " holiday", "mp3", "/music/holiday.mp3"},
                      PathCase{"OtherBlanksStay", "/my music", "  summer holiday ", "wav",
                               "/my music/summer holiday .wav"},
                      PathCase{"FolderEndingInSlashIsTakenAsTyped", "/music/", " holiday", "ac3",
                               "/music//holiday.ac3"}),
    [](const auto& info) { return std::string(info.param.name); });

// One output of `extension` for each of `taskCount` tasks, and the paths
// OutputPathsOfRun gives them, one per task.
std::vector<std::vector<OutputName>> OneOutputEach(size_t taskCount, const std::string& extension) {
  return std::vector<std::vector<OutputName>>(taskCount, {OutputName{"", extension}});
}

std::vector<std::string> OnlyPaths(const std::vector<std::vector<std::string>>& pathsOfTasks) {
  std::vector<std::string> paths;
  for (const auto& ofTask : pathsOfTasks) {
    EXPECT_EQ(ofTask.size(), 1u);
    paths.insert(paths.end(), ofTask.begin(), ofTask.end());
  }
  return paths;
}

// An output that would name a source of the run, by its own name, through
// a link or as a hard link, is numbered like a collision: the source is
// never written over.
TEST(OutputPathsOfRun, NeverNameASourceOfTheRun) {
  TempFolder folder;
  fs::create_directories(folder / "x");
  fs::create_directories(folder / "v");
  const auto touch = [](const std::string& path) { std::ofstream(path) << "sound"; };
  touch(folder / "x/talk.wav");
  touch(folder / "v/talk.mkv");
  touch(folder / "elsewhere.wav");
  fs::create_symlink(folder / "elsewhere.wav", folder / "x/linked.wav");
  touch(folder / "hard.mp4");
  fs::create_hard_link(folder / "hard.mp4", folder / "x/hard.wav");

  std::vector<Task> tasks;
  for (const std::string& source : {folder / "v/talk.mkv", folder / "x/talk.wav", folder / "elsewhere.wav",
                                    folder / "hard.mp4"}) {
    Task task = WholeFile(10);
    task.sourcePath = source;
    task.title = " " + fs::path(source).stem().string();
    tasks.push_back(task);
  }
  tasks[2].title = " linked";
  tasks[3].title = " hard";
  const std::string out = folder / "x";
  const std::vector<std::string> expected = {out + "/talk (2).wav", out + "/talk (3).wav", out + "/linked (2).wav",
                                             out + "/hard (2).wav"};
  EXPECT_EQ(OnlyPaths(OutputPathsOfRun(tasks, out, OneOutputEach(tasks.size(), "wav"))), expected);
}

TEST(OutputPathsOfRun, NumberTheLaterOfTasksThatWouldShareAFile) {
  std::vector<Task> tasks;
  for (const char* title : {" clip", " clip", " other", " clip", " clip (2)"}) {
    Task task = WholeFile(10);
    task.title = title;
    tasks.push_back(task);
  }
  const std::vector<std::string> expected = {"/music/clip.mp3", "/music/clip (2).mp3", "/music/other.mp3",
                                             "/music/clip (3).mp3", "/music/clip (2) (2).mp3"};
  EXPECT_EQ(OnlyPaths(OutputPathsOfRun(tasks, "/music", OneOutputEach(tasks.size(), "mp3"))), expected);
}

// Original gives each task its own extension, and a task may write several
// files: a name is taken only by the same name and extension, whichever
// task or output of a task had it first.
TEST(OutputPathsOfRun, NumberAcrossTasksOfOwnExtensionsAndSeveralOutputs) {
  std::vector<Task> tasks;
  for (const char* title : {" clip", " clip", " clip", " clip 2"}) {
    Task task = WholeFile(10);
    task.title = title;
    tasks.push_back(task);
  }
  const std::vector<std::vector<OutputName>> outputs = {
      {{"", "m4a"}},
      {{"", "ac3"}},
      {{"", "m4a"}, {" 2", "m4a"}, {" 2", "m4a"}},
      {{"", "m4a"}},
  };
  const std::vector<std::vector<std::string>> expected = {
      {"/music/clip.m4a"},
      {"/music/clip.ac3"},
      {"/music/clip (2).m4a", "/music/clip 2.m4a", "/music/clip 2 (2).m4a"},
      {"/music/clip 2 (3).m4a"},
  };
  EXPECT_EQ(OutputPathsOfRun(tasks, "/music", outputs), expected);
}
