#include "cli/ClipChoice.h"

#include <gtest/gtest.h>

#include <optional>

TEST(ClipChoiceTest, StartAndEndAreKeptInsideTheFile) {
  const struct {
    const char* name;
    double duration;
    std::optional<double> start, end;
    double expectedStart, expectedLength;
  } cases[] = {
      {"both inside", 10, 2, 7, 2, 5},
      {"decimals stay", 10, 2.5, 6.25, 2.5, 3.75},
      {"only a start: to the end of the file", 10, 3, std::nullopt, 3, 7},
      {"only an end: from the beginning", 10, std::nullopt, 4, 0, 4},
      {"an end past the file is the file's end", 10, 2, 100, 2, 8},
      {"an end just past it, too", 10, std::nullopt, 10.5, 0, 10},
  };
  for (const auto& [name, duration, start, end, expectedStart, expectedLength] : cases) {
    SCOPED_TRACE(name);
    const ClipChoice clip = ClipChoice::For(duration, start, end);
    EXPECT_EQ(clip.failure, "");
    EXPECT_DOUBLE_EQ(clip.start, expectedStart);
    EXPECT_DOUBLE_EQ(clip.length, expectedLength);
  }
}

TEST(ClipChoiceTest, AClipThatCannotBeCutSaysWhy) {
  const struct {
    const char* name;
    double duration;
    std::optional<double> start, end;
    const char* expected;
  } cases[] = {
      {"start past the file", 6, 7, std::nullopt,
       "The clip would start at 7 s, not before its end at 6 s (the file lasts 6 s)."},
      {"start at the file's end", 6, 6, std::nullopt,
       "The clip would start at 6 s, not before its end at 6 s (the file lasts 6 s)."},
      {"start past an end cut back to the file", 6, 6.5, 20,
       "The clip would start at 6.5 s, not before its end at 6 s (the file lasts 6 s)."},
      {"an end of 0", 6, std::nullopt, 0,
       "The clip would start at 0 s, not before its end at 0 s (the file lasts 6 s)."},
      {"a file that states no duration", -1, 1, 2, "Its length is unknown, so no clip can be cut from it."},
      {"a file whose length MediaInfo could not tell", 0, std::nullopt, 2,
       "Its length is unknown, so no clip can be cut from it."},
  };
  for (const auto& [name, duration, start, end, expected] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ClipChoice::For(duration, start, end).failure, expected);
  }
}
