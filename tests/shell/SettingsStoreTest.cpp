#include "platform/ProgramFolder.h"
#include "shell/SettingsStore.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr const char* kBestDrive = "/media/user/big/";

void ExpectControls(const SettingsControls& actual, const SettingsControls& expected) {
  EXPECT_EQ(actual.checkedFormat, expected.checkedFormat);
  EXPECT_EQ(actual.bitRateIndex, expected.bitRateIndex);
  EXPECT_EQ(actual.sampleRateIndex, expected.sampleRateIndex);
  EXPECT_EQ(actual.channelIndex, expected.channelIndex);
  EXPECT_EQ(actual.outputFolder, expected.outputFolder);
}

}  // namespace

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { SetProgramFolderOverride(programFolder.Path()); }
  void TearDown() override { SetProgramFolderOverride(""); }

  SettingsControls Load() {
    return LoadSettings([this] {
      ++driveChoices;
      return kBestDrive;
    });
  }

  TempFolder programFolder;
  TempFolder outputParent;
  const std::string optionFile = programFolder / "option.ini";
  int driveChoices = 0;
};

TEST_F(SettingsStoreTest, OptionIniLivesInTheProgramFolder) { EXPECT_EQ(OptionFilePath(), optionFile); }

TEST_F(SettingsStoreTest, LoadShowsTheFileOrEachKeysDefault) {
  struct Case {
    const char* name;
    const char* file;  // null: no option.ini
    SettingsControls expected;
  };
  const std::string defaultFolder = std::string(kBestDrive) + "MyAudio/";
  const Case cases[] = {
      {"no file", nullptr, {1, 8, 0, 1, defaultFolder}},
      {"every key",
       "[TaskSetting]\nOutputFormat=3\nAudioBitrate=12\nSampleRate=3\nChannel=0\nOutputPath=/home/user/Sound/\n",
       {3, 12, 3, 0, "/home/user/Sound/"}},
      {"an empty OutputPath is a missing one", "[TaskSetting]\nOutputFormat=2\nOutputPath=\n", {2, 8, 0, 1, defaultFolder}},
      {"abc selects the first bit rate", "[TaskSetting]\nAudioBitrate=abc\nOutputPath=/x/\n", {1, 0, 0, 1, "/x/"}},
      {"format 7 checks no button", "[TaskSetting]\nOutputFormat=7\nOutputPath=/x/\n", {0, 8, 0, 1, "/x/"}},
      {"indices past their lists select nothing",
       "[TaskSetting]\nAudioBitrate=13\nSampleRate=4\nChannel=2\nOutputPath=/x/\n",
       {1, -1, -1, -1, "/x/"}},
      {"a negative index selects nothing", "[TaskSetting]\nChannel=-1\nOutputPath=/x/\n", {1, 8, 0, -1, "/x/"}},
      {"empty values are the defaults", "[TaskSetting]\nOutputFormat=\nAudioBitrate=\nSampleRate=\nChannel=\n",
       {1, 8, 0, 1, defaultFolder}},
      {"keys of another section do not count", "[Other]\nOutputFormat=2\nOutputPath=/x/\n", {1, 8, 0, 1, defaultFolder}},
      {"OtherFormat wins over the MP3 stored with it",
       "[TaskSetting]\nOutputFormat=1\nOtherFormat=flac\nOutputPath=/x/\n", {kFormatFlac, 8, 0, 1, "/x/"}},
      {"an older version's later WAV wins over OtherFormat",
       "[TaskSetting]\nOutputFormat=2\nOtherFormat=flac\nOutputPath=/x/\n", {kFormatWav, 8, 0, 1, "/x/"}},
      {"the edge case 7 stays all clear beside OtherFormat",
       "[TaskSetting]\nOutputFormat=7\nOtherFormat=original\nOutputPath=/x/\n", {0, 8, 0, 1, "/x/"}},
      {"OtherFormat in any case", "[TaskSetting]\nOtherFormat=M4A\nOutputPath=/x/\n", {kFormatM4a, 8, 0, 1, "/x/"}},
      {"OtherFormat without OutputFormat", "[TaskSetting]\nOtherFormat=opus\nOutputPath=/x/\n",
       {kFormatOpus, 8, 0, 1, "/x/"}},
      {"an unknown OtherFormat is ignored", "[TaskSetting]\nOutputFormat=3\nOtherFormat=aiff\nOutputPath=/x/\n",
       {3, 8, 0, 1, "/x/"}},
      {"a button's format in OtherFormat is ignored",
       "[TaskSetting]\nOutputFormat=2\nOtherFormat=mp3\nOutputPath=/x/\n", {2, 8, 0, 1, "/x/"}},
      {"an empty OtherFormat is ignored", "[TaskSetting]\nOutputFormat=7\nOtherFormat=\nOutputPath=/x/\n",
       {0, 8, 0, 1, "/x/"}},
  };
  for (const auto& [name, file, expected] : cases) {
    SCOPED_TRACE(name);
    fs::remove(optionFile);
    if (file) std::ofstream(optionFile) << file;
    driveChoices = 0;

    ExpectControls(Load(), expected);
    EXPECT_EQ(driveChoices, expected.outputFolder == defaultFolder ? 1 : 0);
    EXPECT_EQ(fs::exists(optionFile), file != nullptr) << "loading writes nothing";
    if (file) {
      EXPECT_EQ(ReadWholeFile(optionFile), file);
    }
    EXPECT_FALSE(fs::exists(defaultFolder));
  }
}

TEST_F(SettingsStoreTest, StartStoresTheControlsAndMakesTheRunsSettings) {
  struct Case {
    const char* name;
    SettingsControls controls;  // outputFolder relative to outputParent
    Settings expected;          // likewise
    const char* storedIndices;
  };
  const Case cases[] = {
      {"MP3 128 48000 stereo", {1, 8, 0, 1, "Sound"}, {"Sound", 1, 128000, 48000, 2},
       "OutputFormat=1\nAudioBitrate=8\nSampleRate=0\nChannel=1\n"},
      {"mono", {1, 8, 0, 0, "Sound"}, {"Sound", 1, 128000, 48000, 1},
       "OutputFormat=1\nAudioBitrate=8\nSampleRate=0\nChannel=0\n"},
      {"WAV 320 22050", {2, 12, 3, 1, "Sound"}, {"Sound", 2, 320000, 22050, 2},
       "OutputFormat=2\nAudioBitrate=12\nSampleRate=3\nChannel=1\n"},
      {"AC3 32 44100", {3, 0, 1, 1, "Sound"}, {"Sound", 3, 32000, 44100, 2},
       "OutputFormat=3\nAudioBitrate=0\nSampleRate=1\nChannel=1\n"},
      {"no format button checked stores MP3", {0, 8, 0, 1, "Sound"}, {"Sound", 1, 128000, 48000, 2},
       "OutputFormat=1\nAudioBitrate=8\nSampleRate=0\nChannel=1\n"},
      {"lists without selection use their defaults", {3, -1, -1, -1, "Sound"}, {"Sound", 3, 128000, 48000, 2},
       "OutputFormat=3\nAudioBitrate=8\nSampleRate=0\nChannel=1\n"},
      {"indices past their lists use the defaults", {1, 13, 4, 2, "Sound"}, {"Sound", 1, 128000, 48000, 2},
       "OutputFormat=1\nAudioBitrate=8\nSampleRate=0\nChannel=1\n"},
  };
  for (const auto& [name, controls, expected, storedIndices] : cases) {
    SCOPED_TRACE(name);
    fs::remove(optionFile);
    fs::remove_all(outputParent / "Sound");
    SettingsControls typed = controls;
    typed.outputFolder = outputParent / controls.outputFolder;

    // The batch front end's reading: the same Settings, and nothing written.
    const Settings unstored = SettingsFromControls(typed);
    EXPECT_FALSE(fs::exists(optionFile));
    EXPECT_FALSE(fs::exists(typed.outputFolder));

    const Settings settings = SaveSettings(typed);
    for (const Settings& made : {unstored, settings}) {
      EXPECT_EQ(made.outputFolder, typed.outputFolder);
      EXPECT_EQ(made.formatCode, expected.formatCode);
      EXPECT_EQ(made.bitRate, expected.bitRate);
      EXPECT_EQ(made.sampleRate, expected.sampleRate);
      EXPECT_EQ(made.channelCount, expected.channelCount);
    }
    EXPECT_EQ(ReadWholeFile(optionFile),
              std::string("[TaskSetting]\n") + storedIndices + "OutputPath=" + typed.outputFolder + "\n");
    EXPECT_TRUE(fs::is_directory(typed.outputFolder));
  }
}

TEST_F(SettingsStoreTest, WhatStartStoresIsWhatTheNextRunShows) {
  const SettingsControls controls{2, 11, 2, 0, outputParent / "Sound/"};
  SaveSettings(controls);
  ExpectControls(Load(), controls);
}

// A format of the Format menu is stored by name in OtherFormat, and as MP3
// in OutputFormat, which is all an older version reads; a button's format
// takes OtherFormat out again, leaving the file as an older version writes it.
TEST_F(SettingsStoreTest, AFormatBeyondTheButtonsIsStoredByNameAndAsMp3ForOlderVersions) {
  const std::pair<int, const char*> formats[] = {
      {kFormatM4a, "m4a"}, {kFormatFlac, "flac"}, {kFormatOpus, "opus"}, {kFormatOriginal, "original"}};
  const std::string folder = outputParent / "Sound/";
  const std::string otherKeys = "AudioBitrate=9\nSampleRate=1\nChannel=0\nOutputPath=" + folder + "\n";
  for (const auto& [format, name] : formats) {
    SCOPED_TRACE(name);
    const SettingsControls controls{format, 9, 1, 0, folder};
    EXPECT_EQ(SettingsFromControls(controls).formatCode, format);
    EXPECT_EQ(SaveSettings(controls).formatCode, format);
    EXPECT_EQ(ReadWholeFile(optionFile), "[TaskSetting]\nOutputFormat=1\n" + otherKeys + "OtherFormat=" + name + "\n");
    ExpectControls(Load(), controls);
  }

  EXPECT_EQ(SaveSettings({kFormatWav, 9, 1, 0, folder}).formatCode, kFormatWav);
  EXPECT_EQ(ReadWholeFile(optionFile), "[TaskSetting]\nOutputFormat=2\n" + otherKeys);
  EXPECT_EQ(Load().checkedFormat, kFormatWav);

  SaveSettings({kFormatFlac, 9, 1, 0, folder});
  OnRestoreDefaults();
  EXPECT_EQ(Load().checkedFormat, kFormatMp3);
}

TEST_F(SettingsStoreTest, StartMakesOneFolderLevelOnlyAndGoesOnWhenItCannot) {
  const std::string nested = outputParent / "missing/Sound/";
  const Settings settings = SaveSettings({1, 8, 0, 1, nested});
  EXPECT_EQ(settings.outputFolder, nested);
  EXPECT_FALSE(fs::exists(outputParent / "missing"));
  EXPECT_EQ(Load().outputFolder, nested);

  fs::create_directory(outputParent / "Sound");
  std::ofstream(outputParent / "Sound/kept.mp3") << "earlier output";
  SaveSettings({1, 8, 0, 1, outputParent / "Sound/"});
  EXPECT_EQ(ReadWholeFile(outputParent / "Sound/kept.mp3"), "earlier output");
}

TEST_F(SettingsStoreTest, RestoreDefaultsThenStartWritesTheControlsBack) {
  const SettingsControls controls{3, 2, 1, 0, outputParent / "Sound/"};
  SaveSettings(controls);
  const std::string stored = ReadWholeFile(optionFile);

  OnRestoreDefaults();
  EXPECT_FALSE(fs::exists(optionFile));
  SaveSettings(controls);
  EXPECT_EQ(ReadWholeFile(optionFile), stored);

  OnRestoreDefaults();
  ExpectControls(Load(), {1, 8, 0, 1, std::string(kBestDrive) + "MyAudio/"});
  OnRestoreDefaults();
  EXPECT_FALSE(fs::exists(optionFile)) << "deleting a missing file is harmless";
}
