#include "cli/BatchProgress.h"
#include "cli/ProgressDisplay.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <string>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

ProgressDisplay::Clock::time_point At(std::chrono::milliseconds offset) {
  return ProgressDisplay::Clock::time_point() + offset;
}

// Where the display writes: a pipe, as for a log file, or a terminal of a
// given width; the test reads what arrived.
class Stream {
 public:
  static Stream Pipe() {
    int ends[2];
    EXPECT_EQ(pipe2(ends, O_CLOEXEC | O_NONBLOCK), 0);
    return Stream(ends[0], ends[1]);
  }
  static Stream Terminal(unsigned short columns) {
    int controller = -1, terminal = -1;
    winsize size{};
    size.ws_col = columns;
    size.ws_row = 24;
    EXPECT_EQ(openpty(&controller, &terminal, nullptr, nullptr, &size), 0);
    // Bytes as written: no newline translation on the way.
    termios settings{};
    tcgetattr(terminal, &settings);
    cfmakeraw(&settings);
    tcsetattr(terminal, TCSANOW, &settings);
    fcntl(controller, F_SETFL, O_NONBLOCK);
    return Stream(controller, terminal);
  }
  Stream(Stream&& other) noexcept : readEnd_(other.readEnd_), writeEnd_(other.writeEnd_) {
    other.readEnd_ = other.writeEnd_ = -1;
  }
  ~Stream() {
    if (readEnd_ >= 0) close(readEnd_);
    if (writeEnd_ >= 0) close(writeEnd_);
  }

  int WriteEnd() const { return writeEnd_; }
  std::string Arrived() const {
    std::string text;
    char buffer[4096];
    for (ssize_t count; (count = read(readEnd_, buffer, sizeof buffer)) > 0;) text.append(buffer, count);
    return text;
  }

 private:
  Stream(int readEnd, int writeEnd) : readEnd_(readEnd), writeEnd_(writeEnd) {}
  int readEnd_;
  int writeEnd_;
};

}  // namespace

TEST(ProgressDisplayTest, TheModeFollowsTheStream) {
  const Stream pipe = Stream::Pipe();
  const Stream terminal = Stream::Terminal(80);
  EXPECT_EQ(ProgressDisplay::ModeFor(pipe.WriteEnd(), false), ProgressDisplay::Mode::Lines);
  EXPECT_EQ(ProgressDisplay::ModeFor(terminal.WriteEnd(), false), ProgressDisplay::Mode::InPlace);
  EXPECT_EQ(ProgressDisplay::ModeFor(terminal.WriteEnd(), true), ProgressDisplay::Mode::Silent);
}

// A log gets at most a line a second, never the same text twice in a row,
// and the messages in between.
TEST(ProgressDisplayTest, LinesComeAtMostOnceASecond) {
  const Stream pipe = Stream::Pipe();
  ProgressDisplay display(pipe.WriteEnd(), ProgressDisplay::Mode::Lines);
  display.Show("[1/2] a.avi: 0%", At(0ms));
  display.Show("[1/2] a.avi: 40%", At(500ms));
  display.Show("[1/2] a.avi: 90%", At(999ms));
  display.Show("[2/2] b.avi: 10%", At(1000ms));
  display.PrintMessage("Information: a message");
  display.Show("[2/2] b.avi: 10%", At(2500ms));
  display.Show("[2/2] b.avi: 60%", At(2600ms));
  display.Show("[2/2] b.avi: 70%", At(3600ms));
  display.Finish();
  display.Show("[2/2] b.avi: 100%", At(9000ms));
  EXPECT_EQ(pipe.Arrived(),
            "[1/2] a.avi: 0%\n"
            "[2/2] b.avi: 10%\n"
            "Information: a message\n"
            "[2/2] b.avi: 60%\n"
            "[2/2] b.avi: 70%\n");
}

TEST(ProgressDisplayTest, SilentShowsOnlyMessages) {
  const Stream pipe = Stream::Pipe();
  ProgressDisplay display(pipe.WriteEnd(), ProgressDisplay::Mode::Silent);
  display.Show("[1/1] a.avi: 0%", At(0ms));
  display.PrintMessage("Error: a message");
  display.Show("[1/1] a.avi: 50%", At(5000ms));
  display.Finish();
  EXPECT_EQ(pipe.Arrived(), "Error: a message\n");
}

// On a terminal the line is rewritten where it stands; a message goes above
// it, and the line is drawn again below.
TEST(ProgressDisplayTest, OnATerminalOneLineIsRewritten) {
  const Stream terminal = Stream::Terminal(80);
  ProgressDisplay display(terminal.WriteEnd(), ProgressDisplay::Mode::InPlace);
  display.Show("[1/2] a.avi: 0%", At(0ms));
  display.Show("[1/2] a.avi: 0%", At(1ms));
  display.Show("[1/2] a.avi: 1%", At(2ms));
  display.PrintMessage("Information: a message");
  display.Show("[2/2] b.avi: 5%", At(3ms));
  display.Finish();
  display.PrintMessage("Congratulations!: done");
  display.Show("[2/2] b.avi: 100%", At(4ms));
  EXPECT_EQ(terminal.Arrived(),
            "\r[1/2] a.avi: 0%\x1b[K"
            "\r[1/2] a.avi: 1%\x1b[K"
            "\r\x1b[KInformation: a message\n"
            "\r[1/2] a.avi: 1%\x1b[K"
            "\r[2/2] b.avi: 5%\x1b[K"
            "\n"
            "Congratulations!: done\n");
}

// A wrapped line could not be rewritten: it is cut to the terminal's width
// less the cursor's column, counted in characters, not bytes.
TEST(ProgressDisplayTest, TheLineIsCutToTheTerminalsWidth) {
  const Stream terminal = Stream::Terminal(12);
  ProgressDisplay display(terminal.WriteEnd(), ProgressDisplay::Mode::InPlace);
  display.Show("[1/1] Überfahrt.avi: 5%", At(0ms));
  display.Show("[1/1] ab 5%", At(1ms));
  EXPECT_EQ(terminal.Arrived(), "\r[1/1] Überf\x1b[K\r[1/1] ab 5%\x1b[K");
}

TEST(BatchProgressText, TellsWhereTheRunStandsAndTheTimeLeft) {
  struct Case {
    int totalPercent;
    int elapsed;
    size_t done;
    const char* expected;
  };
  const Case cases[] = {
      // Nothing done yet: no estimate.
      {0, 0, 0, "[2/4] b.mp4: 45%, all files: 0%, 0/4 done, 00:00:00 elapsed"},
      // A quarter in 10 s leaves three quarters, 30 s.
      {25, 10, 1, "[2/4] b.mp4: 45%, all files: 25%, 1/4 done, 00:00:10 elapsed, about 00:00:30 left"},
      {50, 3725, 2, "[2/4] b.mp4: 45%, all files: 50%, 2/4 done, 01:02:05 elapsed, about 01:02:05 left"},
      // All done: nothing is left to estimate.
      {100, 40, 4, "[2/4] b.mp4: 45%, all files: 100%, 4/4 done, 00:00:40 elapsed"},
  };
  for (const Case& c : cases) {
    BatchProgress progress;
    progress.shownTask = 1;
    progress.taskCount = 4;
    progress.shownFileName = "b.mp4";
    progress.shownPercent = 45;
    progress.totalPercent = c.totalPercent;
    progress.tasksDone = c.done;
    progress.elapsed = std::chrono::seconds(c.elapsed);
    EXPECT_EQ(BatchProgressText(progress), c.expected);
  }
}
