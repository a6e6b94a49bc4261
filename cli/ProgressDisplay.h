#pragma once

#include <chrono>
#include <optional>
#include <string>

// The progress of a run on standard error, and the messages that come
// between its updates:
//
// - InPlace (a terminal): one line, rewritten with every change and cut to
//   the terminal's width; a message takes a line of its own above it.
// - Lines (a file or a pipe): a line per change, at most one a second, so a
//   log stays readable; an unchanged text is not repeated.
// - Silent (--quiet): messages only.
class ProgressDisplay {
 public:
  enum class Mode { Silent, InPlace, Lines };
  using Clock = std::chrono::steady_clock;

  // Silent when quiet, else InPlace on a terminal and Lines elsewhere.
  static Mode ModeFor(int descriptor, bool quiet);

  ProgressDisplay(int descriptor, Mode mode) : descriptor_(descriptor), mode_(mode) {}

  void Show(const std::string& text, Clock::time_point now = Clock::now());
  // A whole line of its own, in every mode.
  void PrintMessage(const std::string& line);
  // The run is over: the in-place line is ended, so that what follows
  // starts on a fresh line; later progress is not shown.
  void Finish();

 private:
  void Draw();
  std::string FittedToTerminal(const std::string& text) const;

  int descriptor_;
  Mode mode_;
  // InPlace: the latest progress text; Lines: the last one printed. A closed
  // stream loses the progress, never the run: write failures are ignored.
  std::string text_;
  std::optional<Clock::time_point> printedAt_;
  bool lineShown_ = false;  // InPlace: the progress line is on the screen
  bool finished_ = false;
};
