// Where tolvar-extract takes its settings from: option.ini beside the
// program, as the main window keeps it, with the command line on top; and
// that it never writes the file. A copy of the program folder of its own
// lets each test put an option.ini beside the program.

#include "ProgramEnvironment.h"
#include "shell/OutputDrive.h"
#include "support/Command.h"
#include "support/Ffprobe.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"
#include "support/TestMedia.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

class ExtractSettingsTest : public ::testing::Test {
 protected:
  ExtractSettingsTest() {
    fs::create_directory(programFolder_);
    fs::copy_file(TOLVAR_EXTRACT_PATH, program_);
    fs::create_symlink(TOLVAR_PROGRAM_FOLDER "zivirad.dat", programFolder_ + "zivirad.dat");
    fs::create_symlink(TestMedia::Path("avi-mpeg4-mp3-6s.avi"), source_);
  }

  CommandResult Extract(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), program_);
    return RunCommand(arguments);
  }

  ProgramEnvironment environment_;
  TempFolder work_;
  const std::string programFolder_ = work_ / "program/";
  const std::string program_ = programFolder_ + "tolvar-extract";
  const std::string optionFile_ = programFolder_ + "option.ini";
  const std::string source_ = work_ / "clip.avi";
  const std::string output_ = work_ / "out";
};

TEST_F(ExtractSettingsTest, OptionIniGivesTheDefaultsAndOptionsWin) {
  const std::string stored =
      "[TaskSetting]\nOutputFormat=2\nAudioBitrate=3\nSampleRate=3\nChannel=0\nOutputPath=" + output_ + "\n";
  std::ofstream(optionFile_) << stored;

  const CommandResult fromFile = Extract({source_});
  ASSERT_EQ(fromFile.exitCode, 0) << fromFile.errors;
  EXPECT_EQ(fromFile.output, "ok\t" + source_ + "\t" + output_ + "/clip.wav\n");
  auto probed = Ffprobe(output_ + "/clip.wav");
  ASSERT_TRUE(probed);
  EXPECT_EQ(probed->audioCodec, "pcm_s16le");
  EXPECT_EQ(probed->sampleRate, 22050);
  EXPECT_EQ(probed->channels, 1);

  const CommandResult overridden = Extract({"-c", "2", "-r", "44100", "-f", "mp3", source_});
  ASSERT_EQ(overridden.exitCode, 0) << overridden.errors;
  EXPECT_EQ(overridden.output, "ok\t" + source_ + "\t" + output_ + "/clip.mp3\n");
  probed = Ffprobe(output_ + "/clip.mp3");
  ASSERT_TRUE(probed);
  EXPECT_EQ(probed->sampleRate, 44100);
  EXPECT_EQ(probed->channels, 2);

  EXPECT_EQ(ReadWholeFile(optionFile_), stored) << "the front end never writes option.ini";
  EXPECT_FALSE(fs::exists(environment_.UserSettingsFolder() + "option.ini"));
}

// Without an output folder in option.ini, the main window's rule: "MyAudio/"
// on the root with the most free space, the home folder first.
TEST_F(ExtractSettingsTest, WithoutAnOutputPathTheDefaultFolderRuleHolds) {
  const std::string defaultFolder = ChooseOutputDrive() + "MyAudio/";
  if (!defaultFolder.starts_with(environment_.Home())) {
    GTEST_SKIP() << "a volume with more room than the test's home would get the output: " << defaultFolder;
  }
  std::ofstream(optionFile_) << "[TaskSetting]\nOutputFormat=3\n";

  const CommandResult result = Extract({source_});
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  EXPECT_EQ(result.output, "ok\t" + source_ + "\t" + defaultFolder + "/clip.ac3\n");
  const auto probed = Ffprobe(defaultFolder + "/clip.ac3");
  ASSERT_TRUE(probed);
  EXPECT_EQ(probed->audioCodec, "ac3");
  EXPECT_EQ(probed->sampleRate, 48000);
  EXPECT_EQ(probed->channels, 2);
  EXPECT_EQ(ReadWholeFile(optionFile_), "[TaskSetting]\nOutputFormat=3\n");
}

TEST_F(ExtractSettingsTest, WithoutOptionIniNoneIsMade) {
  const CommandResult result = Extract({"-f", "wav", "-o", output_, source_});
  ASSERT_EQ(result.exitCode, 0) << result.errors;
  EXPECT_TRUE(fs::exists(output_ + "/clip.wav"));
  EXPECT_FALSE(fs::exists(optionFile_));
  EXPECT_FALSE(fs::exists(environment_.UserSettingsFolder() + "option.ini"));
}
