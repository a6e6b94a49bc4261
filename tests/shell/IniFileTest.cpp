#include "shell/CIniFile.h"
#include "support/ReadWholeFile.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void WriteText(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

class IniFileTest : public ::testing::Test {
 protected:
  IniFileTest() { file.SetFileName(path); }

  TempFolder folder;
  const std::string path = folder / "option.ini";
  CIniFile file;
};

TEST_F(IniFileTest, GetIntReadsNumbersAsStrtoulDoesOn32Bits) {
  struct Case {
    const char* stored;  // null: the key is absent
    int radix;
    uint32_t expected;
  };
  const std::string sixtyFourZeros(64, '0');
  const std::string zerosThenOne = sixtyFourZeros + "1";
  const std::string sixtyThreeZerosThenOne = sixtyFourZeros.substr(1) + "1";
  const Case cases[] = {
      {nullptr, 10, 77},
      {"", 10, 77},
      {"abc", 10, 0},
      {"-1", 10, 4294967295u},
      {"-2", 10, 4294967294u},
      {"4294967295", 10, 4294967295u},
      {"4294967296", 10, 4294967295u},
      {"99999999999999999999999", 10, 4294967295u},
      {"12abc", 10, 12},
      {"+7", 10, 7},
      {"- 1", 10, 0},
      {"--1", 10, 0},
      {"\"42\"", 10, 42},
      {"ff", 16, 255},
      {"0x1F", 16, 31},
      {"101", 2, 5},
      {"17", 8, 15},
      {"9", 8, 0},
      {"012", 0, 12},
      {"0x10", 0, 0},
      {"12", 7, 12},
      {zerosThenOne.c_str(), 10, 0},
      {sixtyThreeZerosThenOne.c_str(), 10, 1},
  };
  for (const auto& [stored, radix, expected] : cases) {
    SCOPED_TRACE(std::string(stored ? stored : "(absent)") + " radix " + std::to_string(radix));
    WriteText(path, stored ? std::string("[TaskSetting]\nValue=") + stored + "\n" : "[TaskSetting]\n");
    EXPECT_EQ(file.GetInt("TaskSetting", "Value", 77, radix), expected);
  }
}

TEST_F(IniFileTest, GetStringFindsTheKeyOfItsSectionOnly) {
  WriteText(path,
            "; written by hand\r\n"
            "[Window]\r\n"
            "OutputPath=/wrong/\r\n"
            "[ TaskSetting ]\r\n"
            "  outputpath =  /home/user/Sound  \r\n"
            "Quoted=\" padded \"\r\n"
            "Empty=\r\n"
            "[TaskSetting]\r\n"
            "Later=second section of the same name\r\n");
  struct Case {
    const char* section;
    const char* key;
    const char* defaultValue;
    std::string expected;
  };
  const Case cases[] = {
      {"TaskSetting", "OutputPath", "x", "/home/user/Sound"},
      {"tasksetting", "OUTPUTPATH", "x", "/home/user/Sound"},
      {"Window", "OutputPath", "x", "/wrong/"},
      {"TaskSetting", "Quoted", "x", " padded "},
      {"TaskSetting", "Empty", "x", ""},
      {"TaskSetting", "Missing", "fallback", "fallback"},
      {"TaskSetting", "Missing", nullptr, ""},
      {"TaskSetting", "Later", "first section only", "first section only"},
      {"Absent", "OutputPath", "fallback", "fallback"},
      {nullptr, "OutputPath", "fallback", "fallback"},
      {"TaskSetting", nullptr, "fallback", "fallback"},
  };
  for (const auto& [section, key, defaultValue, expected] : cases) {
    SCOPED_TRACE(std::string(section ? section : "(null)") + "/" + (key ? key : "(null)"));
    EXPECT_EQ(file.GetString(section, key, defaultValue), expected);
  }

  CIniFile missing;
  missing.SetFileName(folder / "absent.ini");
  EXPECT_EQ(missing.GetString("TaskSetting", "OutputPath", "fallback"), "fallback");
  EXPECT_EQ(missing.GetInt("TaskSetting", "Channel", 1, 10), 1u);
}

TEST_F(IniFileTest, WriteIntWritesEveryRadixAndReadsBack) {
  struct Case {
    int value;
    int radix;
    const char* text;
  };
  const Case cases[] = {
      {42, 10, "42"},        {-1, 10, "-1"},       {8, 8, "10"},           {-1, 8, "37777777777"},
      {255, 16, "FF"},       {-1, 16, "FFFFFFFF"}, {5, 2, "101"},          {0, 2, "0"},
      {-1, 2, "11111111111111111111111111111111"}, {42, 3, "42"},          {0, 10, "0"},
  };
  for (const auto& [value, radix, text] : cases) {
    SCOPED_TRACE(std::to_string(value) + " radix " + std::to_string(radix));
    ASSERT_TRUE(file.WriteInt("TaskSetting", "Value", value, radix));
    EXPECT_EQ(ReadWholeFile(path), std::string("[TaskSetting]\nValue=") + text + "\n");
    EXPECT_EQ(file.GetInt("TaskSetting", "Value", 77, radix), static_cast<uint32_t>(value));
  }
}

TEST_F(IniFileTest, AWriteKeepsEverythingElseInThePlaceItHad) {
  WriteText(path,
            "; hand-written note\n"
            "[TaskSetting]\n"
            "outputformat=1\n"
            "Channel=1\n"
            "\n"
            "[Window]\n"
            "Left=10\n");
  ASSERT_TRUE(file.WriteInt("TaskSetting", "OutputFormat", 3, 10));
  ASSERT_TRUE(file.WriteString("TaskSetting", "OutputPath", "/home/user/Sound/"));
  ASSERT_TRUE(file.WriteString("Recent", "File", "/home/user/a.avi"));
  EXPECT_EQ(ReadWholeFile(path),
            "; hand-written note\n"
            "[TaskSetting]\n"
            "OutputFormat=3\n"
            "Channel=1\n"
            "OutputPath=/home/user/Sound/\n"
            "\n"
            "[Window]\n"
            "Left=10\n"
            "[Recent]\n"
            "File=/home/user/a.avi\n");
}

TEST_F(IniFileTest, ValuesReadBackExactlyAsWritten) {
  const char* values[] = {"",          "plain",           " leading blank", "trailing blank ",
                          "\"quoted\"", "'single'",       "a=b=c",          "/home/user/My Audio/",
                          "\"",        "ünïcödé folder", "[NotASection]",  "; not a comment"};
  for (const char* value : values) {
    SCOPED_TRACE(value);
    ASSERT_TRUE(file.WriteString("TaskSetting", "OutputPath", value));
    EXPECT_EQ(file.GetString("TaskSetting", "OutputPath", "default"), value);
    EXPECT_EQ(file.GetString("TaskSetting", "Next", "untouched"), "untouched");
  }
  ASSERT_TRUE(file.WriteString("TaskSetting", "OutputPath", nullptr));
  EXPECT_EQ(file.GetString("TaskSetting", "OutputPath", "default"), "");
}

// Blanks around a name are no part of it, whether the file or the caller
// has them: a name written with them must be found again.
TEST_F(IniFileTest, BlanksAroundSectionAndKeyNamesDoNotCount) {
  WriteText(path, "[ TaskSetting\t]\n  OutputPath = /hand/\n");
  EXPECT_EQ(file.GetString(" TaskSetting ", "\tOutputPath ", "default"), "/hand/");

  ASSERT_TRUE(file.WriteString("\tTaskSetting ", " OutputPath\t", "/x/"));
  EXPECT_EQ(file.GetString("TaskSetting", "OutputPath", "default"), "/x/");
  ASSERT_TRUE(file.WriteString("Window ", " Left", "10"));
  EXPECT_EQ(file.GetString(" Window", "Left ", "default"), "10");
  EXPECT_EQ(file.GetString("TaskSetting", "OutputPath", "default"), "/x/");

  // Once the blanks are gone these would read as a comment and a section.
  EXPECT_FALSE(file.WriteString("TaskSetting", " ;OutputPath", "/y/"));
  EXPECT_FALSE(file.WriteString("TaskSetting", "\t[Other]", "/y/"));
  EXPECT_FALSE(file.WriteString("TaskSetting", " \t", "/y/"));
}

// The reader takes one carriage return off the end of each line, so a
// value that ends in one more must keep it through a write elsewhere.
TEST_F(IniFileTest, AWriteKeepsAValueThatEndsInACarriageReturn) {
  WriteText(path, "[TaskSetting]\r\nNote=typed on a typewriter\r\r\n");
  ASSERT_EQ(file.GetString("TaskSetting", "Note", "default"), "typed on a typewriter\r");

  ASSERT_TRUE(file.WriteString("TaskSetting", "OutputPath", "/x/"));
  EXPECT_EQ(file.GetString("TaskSetting", "Note", "default"), "typed on a typewriter\r");
  EXPECT_EQ(file.GetString("TaskSetting", "OutputPath", "default"), "/x/");
}

// A line break in a value would smuggle in keys of its own.
TEST_F(IniFileTest, WhatWouldBreakTheLineStructureIsNotWritten) {
  WriteText(path, "[TaskSetting]\nOutputFormat=1\n");
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case cases[] = {
      {nullptr, "OutputPath", "/x/"},
      {"TaskSetting", nullptr, "/x/"},
      {"TaskSetting", "OutputPath", "/x/\nOutputFormat=3"},
      {"TaskSetting", "OutputPath", "/x/\rOutputFormat=3"},
      {"TaskSetting", "Output=Path", "/x/"},
      {"TaskSetting", "Output\nPath", "/x/"},
      {"TaskSetting", "", "/x/"},
      {"TaskSetting", "[Other]", "/x/"},
      {"Task]Setting", "OutputPath", "/x/"},
      {"Task\nSetting", "OutputPath", "/x/"},
  };
  for (const auto& [section, key, value] : cases) {
    EXPECT_FALSE(file.WriteString(section, key, value)) << (section ? section : "(null)") << " / "
                                                        << (key ? key : "(null)") << " / " << value;
  }
  EXPECT_FALSE(file.WriteInt(nullptr, "OutputFormat", 2, 10));
  EXPECT_FALSE(file.WriteInt("TaskSetting", nullptr, 2, 10));
  EXPECT_EQ(ReadWholeFile(path), "[TaskSetting]\nOutputFormat=1\n");
}

TEST_F(IniFileTest, AWriteThatCannotHappenFailsAndCreatesNothing) {
  CIniFile nameless;
  EXPECT_FALSE(nameless.WriteString("TaskSetting", "OutputPath", "/x/"));
  CIniFile inMissingFolder;
  inMissingFolder.SetFileName(folder / "missing/option.ini");
  EXPECT_FALSE(inMissingFolder.WriteInt("TaskSetting", "OutputFormat", 2, 10));
  EXPECT_FALSE(std::ifstream(folder / "missing/option.ini").good());
}

// Readers that opened the old file keep reading all of it, and the new file
// is complete the moment it appears under the name.
TEST_F(IniFileTest, AWriteReplacesTheFileInsteadOfChangingItInPlace) {
  ASSERT_TRUE(file.WriteString("TaskSetting", "OutputPath", "/old/"));
  chmod(path.c_str(), 0640);
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);
  std::ifstream oldReader(path, std::ios::binary);

  ASSERT_TRUE(file.WriteString("TaskSetting", "OutputPath", "/new/"));
  struct stat after {};
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_NE(before.st_ino, after.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0640u) << "the file keeps its permissions";
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(oldReader)), std::istreambuf_iterator<char>()),
            "[TaskSetting]\nOutputPath=/old/\n");
  EXPECT_EQ(ReadWholeFile(path), "[TaskSetting]\nOutputPath=/new/\n");
}

// A child rewrites a large value over and over while this process reads the
// file; every read, and the file left when the child is killed mid-write,
// must be one whole version.
TEST_F(IniFileTest, AWriterKilledMidWriteNeverLeavesAHalfWrittenFile) {
  const std::string first(256 * 1024, 'a');
  const std::string second(256 * 1024, 'b');
  ASSERT_TRUE(file.WriteString("Window", "Left", "10"));
  ASSERT_TRUE(file.WriteString("TaskSetting", "Big", first.c_str()));
  const std::string firstVersion = "[Window]\nLeft=10\n[TaskSetting]\nBig=" + first + "\n";
  const std::string secondVersion = "[Window]\nLeft=10\n[TaskSetting]\nBig=" + second + "\n";

  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) {
    for (unsigned round = 0;; ++round) file.WriteString("TaskSetting", "Big", (round % 2 ? first : second).c_str());
  }

  int switches = 0;
  bool lastWasFirst = true;
  for (int reads = 0; switches < 6 && reads < 200000; ++reads) {
    const std::string text = ReadWholeFile(path);
    const bool isFirst = text == firstVersion;
    if (!isFirst && text != secondVersion) {
      ADD_FAILURE() << "read a file of " << text.size() << " bytes that is neither version";
      break;
    }
    if (isFirst != lastWasFirst) ++switches;
    lastWasFirst = isFirst;
  }
  kill(writer, SIGKILL);
  waitpid(writer, nullptr, 0);

  EXPECT_GE(switches, 6) << "the writer did not get going";
  const std::string left = ReadWholeFile(path);
  EXPECT_TRUE(left == firstVersion || left == secondVersion) << "left " << left.size() << " bytes";
}

// A shared option.ini reached through a link is written through the link:
// the link stays, its target gets the new text.
TEST_F(IniFileTest, AWriteGoesThroughALinkToItsTarget) {
  const std::string shared = folder / "shared/option.ini";
  std::filesystem::create_directories(folder / "shared");
  WriteText(shared, "[TaskSetting]\nOutputPath=/old/\n");
  std::filesystem::create_symlink("shared/option.ini", path);

  ASSERT_TRUE(file.WriteString("TaskSetting", "OutputPath", "/new/"));
  EXPECT_TRUE(std::filesystem::is_symlink(path));
  EXPECT_EQ(ReadWholeFile(shared), "[TaskSetting]\nOutputPath=/new/\n");
  EXPECT_EQ(file.FailureReason(), "");
}

// A file its owner made read-only is left alone, whoever runs the program;
// the failure says why.
TEST_F(IniFileTest, AReadOnlyFileIsLeftAsItIs) {
  WriteText(path, "[TaskSetting]\nOutputPath=/old/\n");
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  struct stat before {};
  ASSERT_EQ(stat(path.c_str(), &before), 0);

  EXPECT_FALSE(file.WriteStrings("TaskSetting", {{"OutputFormat", "2"}, {"OutputPath", "/new/"}}));
  EXPECT_EQ(file.FailureReason(), "Permission denied");
  struct stat after {};
  ASSERT_EQ(stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mode & 07777, 0444u);
  EXPECT_EQ(ReadWholeFile(path), "[TaskSetting]\nOutputPath=/old/\n");
}

// Several keys in one write: all of them land, or none when one cannot.
TEST_F(IniFileTest, WriteStringsWritesAllKeysOrNone) {
  ASSERT_TRUE(file.WriteStrings("TaskSetting", {{"OutputFormat", "2"}, {"OutputPath", "/x/"}}));
  EXPECT_EQ(ReadWholeFile(path), "[TaskSetting]\nOutputFormat=2\nOutputPath=/x/\n");
  EXPECT_FALSE(file.WriteStrings("TaskSetting", {{"OutputFormat", "3"}, {"Bad=Key", "1"}}));
  EXPECT_EQ(ReadWholeFile(path), "[TaskSetting]\nOutputFormat=2\nOutputPath=/x/\n");
}

// Keys removed in a write leave their section, every line of theirs, in the
// same replacement of the file; the same name elsewhere stays.
TEST_F(IniFileTest, WriteStringsRemovesKeysInTheSameWrite) {
  WriteText(path, "[TaskSetting]\nOutputFormat=1\notherformat=flac\nOtherFormat=opus\nOutputPath=/x/\n"
                  "[Other]\nOtherFormat=kept\n");
  ASSERT_TRUE(file.WriteStrings("TaskSetting", {{"OutputFormat", "2"}}, {" OtherFormat ", "Missing", ""}));
  EXPECT_EQ(ReadWholeFile(path), "[TaskSetting]\nOutputFormat=2\nOutputPath=/x/\n[Other]\nOtherFormat=kept\n");
  EXPECT_EQ(file.GetString("TaskSetting", "OtherFormat", "gone"), "gone");

  EXPECT_FALSE(file.WriteStrings("TaskSetting", {{"Bad=Key", "1"}}, {"OutputPath"}));
  EXPECT_EQ(file.GetString("TaskSetting", "OutputPath", ""), "/x/") << "a refused write removes nothing";
}

// The temporary file of a write that never ended goes with the next write,
// once its process is gone and it is over a minute old; one that may still
// be in use stays.
TEST_F(IniFileTest, AWriteRemovesOnlyTheStaleTemporariesOfOthers) {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  ASSERT_GT(gone, 0);
  ASSERT_EQ(waitpid(gone, nullptr, 0), gone);

  struct Case {
    const char* what;
    pid_t writer;
    int ageSeconds;
    bool removed;
  };
  const Case cases[] = {
      {"process gone, two minutes old", gone, 120, true},
      {"process gone, written just now", gone, 5, false},
      {"process alive, two minutes old", getppid(), 120, false},
  };
  std::vector<std::string> temporaries;
  for (size_t i = 0; i < std::size(cases); ++i) {
    temporaries.push_back(path + ".tmp-" + std::to_string(cases[i].writer) + "-" + std::to_string(i));
    WriteText(temporaries.back(), "[TaskSetting]\n");
    const timeval when[2] = {{time(nullptr) - cases[i].ageSeconds, 0}, {time(nullptr) - cases[i].ageSeconds, 0}};
    ASSERT_EQ(utimes(temporaries.back().c_str(), when), 0);
  }
  const std::string unrelated = folder / "other.ini.tmp-" + std::to_string(gone) + "-0";
  WriteText(unrelated, "");
  const timeval old[2] = {{time(nullptr) - 120, 0}, {time(nullptr) - 120, 0}};
  ASSERT_EQ(utimes(unrelated.c_str(), old), 0);

  ASSERT_TRUE(file.WriteString("TaskSetting", "OutputPath", "/new/"));
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(!std::filesystem::exists(temporaries[i]), cases[i].removed) << cases[i].what;
  }
  EXPECT_TRUE(std::filesystem::exists(unrelated)) << "another file's temporary";
}
