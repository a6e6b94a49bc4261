#include "convert/TimeText.h"

#include <gtest/gtest.h>

TEST(TimeText, FormatsWholeSecondsAsHoursMinutesSeconds) {
  const std::pair<int, const char*> cases[] = {
      {0, "00:00:00"},   {59, "00:00:59"},     {60, "00:01:00"},    {3725, "01:02:05"},
      {-1, "00:00:-1"},  {359999, "99:59:59"}, {360000, "100:00:00"}, {-3725, "-1:-2:-5"},
  };
  for (const auto& [seconds, text] : cases) EXPECT_EQ(FormatTimeText(seconds), text) << seconds;
}
