#include "ProgressDisplay.h"

#include "convert/TextPrefix.h"
#include "platform/WriteAll.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr auto kLinesInterval = std::chrono::seconds(1);
constexpr const char* kClearToEndOfLine = "\x1b[K";

}  // namespace

ProgressDisplay::Mode ProgressDisplay::ModeFor(int descriptor, bool quiet) {
  if (quiet) return Mode::Silent;
  return isatty(descriptor) ? Mode::InPlace : Mode::Lines;
}

void ProgressDisplay::Show(const std::string& text, Clock::time_point now) {
  if (finished_ || mode_ == Mode::Silent) return;
  if (mode_ == Mode::Lines) {
    if (text == text_ || (printedAt_ && now - *printedAt_ < kLinesInterval)) return;
    WriteAll(descriptor_, text + "\n");
    text_ = text;
    printedAt_ = now;
    return;
  }
  if (text == text_ && lineShown_) return;
  text_ = text;
  Draw();
}

void ProgressDisplay::PrintMessage(const std::string& line) {
  if (!lineShown_) {
    WriteAll(descriptor_, line + "\n");
    return;
  }
  WriteAll(descriptor_, "\r" + std::string(kClearToEndOfLine) + line + "\n");
  Draw();
}

void ProgressDisplay::Finish() {
  if (lineShown_) WriteAll(descriptor_, "\n");
  lineShown_ = false;
  finished_ = true;
}

void ProgressDisplay::Draw() {
  WriteAll(descriptor_, "\r" + FittedToTerminal(text_) + kClearToEndOfLine);
  lineShown_ = true;
}

// A line longer than the terminal would wrap, and "\r" would then rewrite
// only its last part. One column stays free for the cursor.
std::string ProgressDisplay::FittedToTerminal(const std::string& text) const {
  winsize size{};
  if (ioctl(descriptor_, TIOCGWINSZ, &size) != 0 || size.ws_col < 2) return text;
  return FirstCharacters(text, size.ws_col - 1u);
}
