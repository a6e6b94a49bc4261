#include "convert/CommandLineArguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

TEST(CommandLineArguments, SplitsByTheWindowsRules) {
  const std::pair<std::string, Arguments> cases[] = {
      {"", {}},
      {" \t ", {}},
      {"a b\t\tc", {"a", "b", "c"}},
      {"  lead and trail  ", {"lead", "and", "trail"}},
      {"\"a b\" c", {"a b", "c"}},
      {"a\"b c\"d", {"ab cd"}},
      {"\"\"", {""}},
      {"\"\" \"\"", {"", ""}},
      {"\"unterminated b", {"unterminated b"}},
      {R"(C:\dir\ x)", {R"(C:\dir\)", "x"}},
      {R"(a\\b)", {R"(a\\b)"}},
      {R"(a\"b)", {R"(a"b)"}},
      {R"(a\\"b c")", {R"(a\b c)"}},
      {R"(a\\\"b)", {R"(a\"b)"}},
      {R"("a\\" b)", {R"(a\)", "b"}},
      {R"("a""b" c)", {R"(a"b)", "c"}},
      {R"(a""b)", {"ab"}},
      {"new\nline", {"new\nline"}},
      {std::string("cut\0off", 7), {"cut"}},
      {R"(/tmp/tolvar-0/tae -i "/videos/a b.avi"  -y -acodec libmp3lame -ab 128k -ac 2 -ar 48000 "/out/a b.mp3")",
       {"/tmp/tolvar-0/tae", "-i", "/videos/a b.avi", "-y", "-acodec", "libmp3lame", "-ab", "128k",
        "-ac", "2", "-ar", "48000", "/out/a b.mp3"}},
  };
  for (const auto& [line, arguments] : cases) EXPECT_EQ(SplitCommandLine(line), arguments) << line;
}

TEST(CommandLineArguments, QuotedHostileArgumentsComeBackUnchanged) {
  const Arguments hostile = {
      "",
      "plain",
      "a b",
      "\t",
      "  ",
      R"(a" -f x "b.avi)",
      R"(")",
      R"("")",
      R"(""")",
      R"(a\)",
      R"(a\\)",
      R"(\")",
      R"(a\"b)",
      R"(a\\"b)",
      R"(C:\Program Files\x\)",
      R"(\\server\share\)",
      R"(ends with quote")",
      R"(ends with backslash and quote\")",
      "-y",
      "new\nline",
      "%s $HOME 'single' `tick` ; & |",
      "Müsik – ñ.avi",
  };
  for (const std::string& argument : hostile) {
    EXPECT_EQ(SplitCommandLine(QuoteArgument(argument)), Arguments{argument})
        << QuoteArgument(argument);
  }

  // A whole line of quoted arguments: none of them adds or joins arguments.
  std::string line = "program";
  for (const std::string& argument : hostile) line += " " + QuoteArgument(argument);
  Arguments expected = {"program"};
  expected.insert(expected.end(), hostile.begin(), hostile.end());
  EXPECT_EQ(SplitCommandLine(line), expected);
}
