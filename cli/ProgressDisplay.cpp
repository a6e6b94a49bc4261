#include "ProgressDisplay.h"

#include <cerrno>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr auto kLinesInterval = std::chrono::seconds(1);
constexpr const char* kClearToEndOfLine = "\x1b[K";

bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

}  // namespace

ProgressDisplay::Mode ProgressDisplay::ModeFor(int descriptor, bool quiet) {
  if (quiet) return Mode::Silent;
  return isatty(descriptor) ? Mode::InPlace : Mode::Lines;
}

void ProgressDisplay::Show(const std::string& text, Clock::time_point now) {
  if (finished_ || mode_ == Mode::Silent) return;
  if (mode_ == Mode::Lines) {
    if (text == printedText_ || (printedAt_ && now - *printedAt_ < kLinesInterval)) return;
    Write(text + "\n");
    printedText_ = text;
    printedAt_ = now;
    return;
  }
  if (text == text_ && lineShown_) return;
  text_ = text;
  Draw();
}

void ProgressDisplay::PrintMessage(const std::string& line) {
  if (!lineShown_) {
    Write(line + "\n");
    return;
  }
  Write("\r" + std::string(kClearToEndOfLine) + line + "\n");
  Draw();
}

void ProgressDisplay::Finish() {
  if (lineShown_) Write("\n");
  lineShown_ = false;
  finished_ = true;
}

void ProgressDisplay::Draw() {
  Write("\r" + FittedToTerminal(text_) + kClearToEndOfLine);
  lineShown_ = true;
}

// A line longer than the terminal would wrap, and "\r" would then rewrite
// only its last part. One column stays free for the cursor.
std::string ProgressDisplay::FittedToTerminal(const std::string& text) const {
  winsize size{};
  if (ioctl(descriptor_, TIOCGWINSZ, &size) != 0 || size.ws_col < 2) return text;
  const size_t columns = size.ws_col - 1u;
  size_t characters = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (!StartsCharacter(text[i])) continue;
    if (characters == columns) return text.substr(0, i);
    ++characters;
  }
  return text;
}

// A closed stream loses the progress, never the run.
void ProgressDisplay::Write(const std::string& bytes) const {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = write(descriptor_, bytes.data() + written, bytes.size() - written);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) return;
    written += static_cast<size_t>(count);
  }
}
