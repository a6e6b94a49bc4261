#include "ClipChoice.h"

#include <algorithm>
#include <charconv>

namespace {

// The shortest text that reads back as the same number, whatever the locale.
std::string SecondsText(double seconds) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, seconds);
  return std::string(text, error == std::errc() ? end : text) + " s";
}

}  // namespace

ClipChoice ClipChoice::For(double duration, std::optional<double> start, std::optional<double> end) {
  ClipChoice choice;
  // Without a length there is nothing to cut against: the end could not be
  // kept inside the file, and the run's engines would cut at random.
  if (duration <= 0) {
    choice.failure = "Its length is unknown, so no clip can be cut from it.";
    return choice;
  }
  choice.start = start.value_or(0);
  const double clipEnd = std::min(end.value_or(duration), duration);
  if (choice.start >= clipEnd) {
    choice.failure = "The clip would start at " + SecondsText(choice.start) + ", not before its end at " +
                     SecondsText(clipEnd) + " (the file lasts " + SecondsText(duration) + ").";
    return choice;
  }
  choice.length = clipEnd - choice.start;
  return choice;
}
