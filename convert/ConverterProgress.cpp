#include "ConverterProgress.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";
constexpr size_t kLongestInfo = 60;
// Far above any real percent, low enough that the total cannot overflow.
constexpr double kHighestPercent = 1e6;

// The text from `from`, `count` characters long; empty for a negative count
// or a start past the end, as the window's string class gave it.
std::string_view Between(std::string_view text, size_t from, std::ptrdiff_t count) {
  if (count <= 0 || from >= text.size()) return {};
  return text.substr(from, static_cast<size_t>(count));
}

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(kWhiteSpace);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

std::ptrdiff_t Position(std::string_view text, std::string_view marker) {
  const size_t position = text.find(marker);
  return position == std::string_view::npos ? -1 : static_cast<std::ptrdiff_t>(position);
}

// atof's reading, without the locale: a leading number, else 0.
double LeadingNumber(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  std::from_chars(text.data(), text.data() + text.size(), value);
  return value;
}

double ElapsedSeconds(std::string_view chunk) {
  const std::ptrdiff_t time = Position(chunk, "time=");
  const std::ptrdiff_t bitRate = Position(chunk, "bitrate=");
  // A field at the very first character does not count.
  if (time <= 0 || bitRate <= 0) return 0;
  return LeadingNumber(Trimmed(Between(chunk, static_cast<size_t>(time + 5), bitRate - time - 5)));
}

int TaskPercent(double elapsed, double clipLength) {
  const double percent = elapsed * 100.0 / clipLength;
  // A zero or negative clip length gives no sensible percent.
  if (!std::isfinite(percent) || percent < 0) return 0;
  return static_cast<int>(std::min(percent, kHighestPercent));
}

std::string InfoText(std::string_view chunk) {
  // Frames: from just after a leading "frame=" field up to "q=".
  const std::ptrdiff_t quality = Position(chunk, "q=");
  const std::string_view frames = quality < 0 ? std::string_view() : Trimmed(Between(chunk, 6, quality - 6));
  // Without "size=" the size text starts at the chunk's fifth character.
  const std::ptrdiff_t sizeStart = Position(chunk, "size=") + 5;
  const std::string_view size = Trimmed(Between(chunk, static_cast<size_t>(sizeStart),
                                                Position(chunk, "time=") - sizeStart));
  std::string info = "OutputSize:" + std::string(size) + "     Frames:" + std::string(frames) + "    ";
  return info.size() > kLongestInfo ? "N/A" : info;
}

}  // namespace

int ConverterProgress::CurrentBar() const { return std::clamp(taskPercent, 0, 100); }

int ConverterProgress::TotalBar() const { return std::clamp(totalPercent, 0, 100); }

std::optional<ConverterProgress> ParseConverterOutput(std::string_view chunk, int taskIndex, int taskCount,
                                                      double clipLength) {
  const double elapsed = ElapsedSeconds(chunk);
  if (!(elapsed > 0.01) || taskCount <= 0) return std::nullopt;

  ConverterProgress progress;
  progress.taskPercent = TaskPercent(elapsed, clipLength);
  progress.totalPercent = std::max(0, (progress.taskPercent + taskIndex * 100) / taskCount);
  progress.currentLine =
      InfoText(chunk) + "   -- " + std::to_string(progress.taskPercent) + "% Finished";
  progress.totalLine = "Current Task " + std::to_string(taskIndex + 1) + ".  Total tasks: " +
                       std::to_string(taskCount) + " ---  " + std::to_string(progress.totalPercent) +
                       "% Finished";
  return progress;
}
