#include "DecimalCommaLocale.h"
#include "convert/ConversionRunTexts.h"
#include "convert/ConverterProgress.h"

#include <gtest/gtest.h>

// One chunk of the converter's output, read while task `taskIndex` of
// `taskCount` runs with a clip of `clipLength` seconds.
struct ChunkCase {
  const char* name;
  std::string chunk;
  int taskIndex;
  int taskCount;
  double clipLength;
  // Expected; an empty current line: the chunk changes nothing.
  std::string currentLine;
  std::string totalLine;
  int currentBar;
  int totalBar;
};

class ConverterOutput : public ::testing::TestWithParam<ChunkCase> {};

TEST_P(ConverterOutput, MovesBarsAndLines) {
  const ChunkCase& c = GetParam();
  const auto progress = ParseConverterOutput(c.chunk, c.taskIndex, c.taskCount, c.clipLength);
  if (c.currentLine.empty()) {
    EXPECT_FALSE(progress) << progress->currentLine;
    return;
  }
  ASSERT_TRUE(progress);
  EXPECT_EQ(progress->currentLine, c.currentLine);
  EXPECT_EQ(progress->totalLine, c.totalLine);
  EXPECT_EQ(progress->CurrentBar(), c.currentBar);
  EXPECT_EQ(progress->TotalBar(), c.totalBar);
}

const std::string kAudioLine = "size=     256kB time=6.00 bitrate= 349.5kbits/s\r";

INSTANTIATE_TEST_SUITE_P(
    Chunks, ConverterOutput,
    ::testing::Values(
        // Five blanks after the size; seven after "Frames:" (four of the info, three of the line).
        ChunkCase{"AudioOnlyLine", kAudioLine, 0, 1, 60, "OutputSize:256kB     Frames:       -- 10% Finished",
                  "Current Task 1.  Total tasks: 1 ---  10% Finished", 10, 10},
        ChunkCase{"SecondOfThreeTasksAtHalf", "size=    1024kB time=30.00 bitrate= 279.6kbits/s\r", 1, 3, 60,
                  "OutputSize:1024kB     Frames:       -- 50% Finished",
                  "Current Task 2.  Total tasks: 3 ---  50% Finished", 50, 50},
        // The converter ran past the clip: the lines keep the number, the bars are full.
        ChunkCase{"PastTheClip", "size=    3000kB time=90.00 bitrate= 273.1kbits/s\r", 0, 1, 60,
                  "OutputSize:3000kB     Frames:       -- 150% Finished",
                  "Current Task 1.  Total tasks: 1 ---  150% Finished", 100, 100},
        ChunkCase{"VideoLine", "frame=  250 fps=0.0 q=2.0 size=     512kB time=10.00 bitrate= 419.4kbits/s\r", 0, 2, 40,
                  "OutputSize:512kB     Frames:250 fps=0.0       -- 25% Finished",
                  "Current Task 1.  Total tasks: 2 ---  12% Finished", 25, 12},
        ChunkCase{"InfoPastSixtyCharactersIsNotShown",
                  "frame=" + std::string(40, '9') + " q=2.0 size=     512kB time=10.00 bitrate= 419.4kbits/s\r", 1, 2,
                  20, "N/A   -- 50% Finished", "Current Task 2.  Total tasks: 2 ---  75% Finished", 50, 75},
        ChunkCase{"WithoutSizeTheSizeStartsAtTheFifthCharacter", "abcd 77kB time=3.00 bitrate= 1.0kbits/s\r", 0, 1,
                  30, "OutputSize:77kB     Frames:       -- 10% Finished",
                  "Current Task 1.  Total tasks: 1 ---  10% Finished", 10, 10},
        // Only the first of several lines counts.
        ChunkCase{"SeveralLines", kAudioLine + "size=     512kB time=12.00 bitrate= 349.5kbits/s\r", 0, 1, 60,
                  "OutputSize:256kB     Frames:       -- 10% Finished",
                  "Current Task 1.  Total tasks: 1 ---  10% Finished", 10, 10},
        ChunkCase{"LineCutAfterItsTime", "size=     256kB time=6.0 bitrate=", 0, 1, 60,
                  "OutputSize:256kB     Frames:       -- 10% Finished",
                  "Current Task 1.  Total tasks: 1 ---  10% Finished", 10, 10},
        ChunkCase{"ZeroClipLengthGivesZeroPercent", kAudioLine, 0, 1, 0,
                  "OutputSize:256kB     Frames:       -- 0% Finished",
                  "Current Task 1.  Total tasks: 1 ---  0% Finished", 0, 0},
        ChunkCase{"TimeZeroIsIgnored", "size=       0kB time=0.00 bitrate=   0.0kbits/s\r", 0, 1, 60, "", "", 0, 0},
        ChunkCase{"TimeOfOneHundredthIsIgnored", "size=       0kB time=0.01 bitrate=   0.0kbits/s\r", 0, 1, 60, "", "",
                  0, 0},
        ChunkCase{"BitrateBeforeTimeIsIgnored", "size=  1kB bitrate= 1.0kbits/s time=5.00\r", 0, 1, 60, "", "", 0, 0},
        ChunkCase{"ChunkStartingWithTimeIsIgnored", "time=5.00 bitrate= 1.0kbits/s\r", 0, 1, 60, "", "", 0, 0},
        ChunkCase{"LineCutBeforeBitrateIsIgnored", "size=     256kB time=6.00 bitr", 0, 1, 60, "", "", 0, 0},
        ChunkCase{"TimeThatIsNoNumberIsIgnored", "size=  1kB time=N/A bitrate=N/A\r", 0, 1, 60, "", "", 0, 0},
        ChunkCase{"BannerIsIgnored", "Input #0, avi, from '/videos/holiday.avi':\n  Duration: 00:01:00.00\n", 0, 1,
                  60, "", "", 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// A decimal comma would read "time=12.34" as 12 seconds.
TEST(ConverterOutputNumbers, IgnoreTheUsersLocale) {
  const DecimalCommaLocale german;
  if (!german.Active()) GTEST_SKIP() << "localedef cannot make a German locale here";
  const auto progress = ParseConverterOutput("size=  1kB time=0.50 bitrate= 1.0kbits/s\r", 0, 1, 1);
  ASSERT_TRUE(progress);
  EXPECT_EQ(progress->CurrentBar(), 50);
}

struct ExtractingCase {
  const char* name;
  std::string rowTitle;
  int percent;
  std::string expected;
};

class ExtractingLine : public ::testing::TestWithParam<ExtractingCase> {};

TEST_P(ExtractingLine, ShowsNameAndPercent) {
  EXPECT_EQ(ExtractingAudioLine(GetParam().rowTitle, GetParam().percent), GetParam().expected);
}

const std::string kForty = " " + std::string(35, 'n') + ".avi";  // 40 characters

INSTANTIATE_TEST_SUITE_P(
    Lines, ExtractingLine,
    ::testing::Values(
        ExtractingCase{"ShortName", " holiday.avi", 42, "Extracting Audio From  holiday.avi  :  42% Completed"},
        ExtractingCase{"FortyCharactersStayWhole", kForty, 1, "Extracting Audio From " + kForty + "  :  1% Completed"},
        ExtractingCase{"FortyOneCharactersAreCut", kForty + "x", 1,
                       "Extracting Audio From " + kForty + "...  :  1% Completed"},
        // Characters, not bytes: no character is cut in half.
        ExtractingCase{"CutCountsCharacters", " " + std::string(38, 'n') + "\u00e9\u00e9\u00e9", 1,
                       "Extracting Audio From  " + std::string(38, 'n') + "\u00e9...  :  1% Completed"},
        ExtractingCase{"HundredStays", " holiday.avi", 100, "Extracting Audio From  holiday.avi  :  100% Completed"},
        ExtractingCase{"PastHundredReads99", " holiday.avi", 150, "Extracting Audio From  holiday.avi  :  99% Completed"}),
    [](const auto& info) { return std::string(info.param.name); });
