#include "cli/FileList.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Names = std::vector<std::string>;

}  // namespace

TEST(FileListTest, SplitsOnTheSeparatorAloneAndSkipsEmptyNames) {
  using namespace std::string_literals;
  const struct {
    const char* name;
    std::string text;
    char separator;
    Names expected;
  } cases[] = {
      {"one a line", "a.mp4\nb c.mp4\n", '\n', {"a.mp4", "b c.mp4"}},
      {"a last line without its newline", "a.mp4\nb.mp4", '\n', {"a.mp4", "b.mp4"}},
      {"empty lines, first, between and last", "\n\na.mp4\n\n\nb.mp4\n\n", '\n', {"a.mp4", "b.mp4"}},
      {"blanks, tabs and a carriage return belong to the name", "a.mp4\r\n  b.mp4 \n\tc.mp4\n", '\n',
       {"a.mp4\r", "  b.mp4 ", "\tc.mp4"}},
      {"nothing", "", '\n', {}},
      {"only newlines", "\n\n\n", '\n', {}},
      {"NUL-separated names with newlines and blanks", "one\nline\0 blank \0\0\0last\n"s, '\0',
       {"one\nline", " blank ", "last\n"}},
      {"a NUL list with no NUL is one name", "a.mp4\nb.mp4\n", '\0', {"a.mp4\nb.mp4\n"}},
      {"only NUL bytes", "\0\0"s, '\0', {}},
  };
  for (const auto& [name, text, separator, expected] : cases) {
    SCOPED_TRACE(name);
    EXPECT_EQ(SplitFileList(text, separator), expected);
  }
}

TEST(FileListTest, ReadsAFileOrTellsWhyNot) {
  TempFolder folder;
  std::ofstream(folder / "list.txt") << "first.mp4\n\nsecond one.mkv";
  const FileListReading read = ReadFileList(folder / "list.txt", '\n');
  EXPECT_EQ(read.failure, "");
  EXPECT_EQ(read.names, (Names{"first.mp4", "second one.mkv"}));

  const struct {
    std::string path;
    const char* failure;
  } unreadable[] = {
      {folder / "missing.txt", "No such file or directory"},
      {folder.Path(), "Is a directory"},
  };
  for (const auto& [path, failure] : unreadable) {
    SCOPED_TRACE(path);
    const FileListReading reading = ReadFileList(path, '\n');
    EXPECT_EQ(reading.failure, failure);
    EXPECT_TRUE(reading.names.empty());
  }
}

// "-" is standard input, here a pipe with far more than a pipe holds at
// once, written while it is read, as find -print0 writes to tolvar-extract.
TEST(FileListTest, ReadsALongListFromStandardInputOnAPipe) {
  Names expected;
  std::string text;
  for (int i = 0; i < 30000; ++i) {
    expected.push_back("videos/clip " + std::to_string(i) + "\n.mp4");
    text += expected.back() + '\0';
  }
  ASSERT_GT(text.size(), 10u * 65536) << "longer than a pipe's buffer";
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  // A reader that stops early closes the pipe: the writer then gets an
  // error instead of the signal, and the test fails instead of hanging.
  struct sigaction ignore {}, saved {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &saved);
  const int savedInput = dup(STDIN_FILENO);
  ASSERT_GE(savedInput, 0);
  ASSERT_EQ(dup2(ends[0], STDIN_FILENO), STDIN_FILENO);
  close(ends[0]);
  std::thread writer([&] {
    for (size_t written = 0; written < text.size();) {
      const ssize_t count = write(ends[1], text.data() + written, std::min<size_t>(4096, text.size() - written));
      if (count <= 0) break;
      written += static_cast<size_t>(count);
    }
    close(ends[1]);
  });

  const FileListReading read = ReadFileList("-", '\0');
  dup2(savedInput, STDIN_FILENO);
  close(savedInput);
  writer.join();
  sigaction(SIGPIPE, &saved, nullptr);
  EXPECT_EQ(read.failure, "");
  EXPECT_EQ(read.names, expected);
}
