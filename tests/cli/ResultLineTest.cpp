#include "cli/ResultLine.h"

#include <gtest/gtest.h>

TEST(ResultLineTest, EveryLineIsOneLineOfThreeFields) {
  const struct {
    const char* name;
    std::string line;
    const char* expected;
  } cases[] = {
      {"converted", ConvertedLine("/v/clip one.avi", "/out/clip one.mp3"), "ok\t/v/clip one.avi\t/out/clip one.mp3\n"},
      {"failed", FailedLine("a.vob", "no DVD"), "failed\ta.vob\tno DVD\n"},
      {"a tab in a name", ConvertedLine("/v/a\tb.avi", "/out/a\tb.mp3"), "ok\t/v/a\\tb.avi\t/out/a\\tb.mp3\n"},
      {"a newline and a carriage return", FailedLine("/v/a\nb\r.avi", "x"), "failed\t/v/a\\nb\\r.avi\tx\n"},
      {"a backslash stays readable both ways", FailedLine("/v/a\\tb.avi", "reason\nmore"),
       "failed\t/v/a\\\\tb.avi\treason\\nmore\n"},
      {"UTF-8 passes through", ConvertedLine("/v/Überfahrt.avi", "/o/Überfahrt.wav"),
       "ok\t/v/Überfahrt.avi\t/o/Überfahrt.wav\n"},
  };
  for (const auto& [name, line, expected] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(line, expected);
  }
}
