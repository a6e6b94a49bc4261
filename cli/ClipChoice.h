#pragma once

#include <optional>
#include <string>

// The part of one file that -s/--start and -e/--end ask for: from the start
// (0 when not given) to the end (the file's duration when not given, and
// never past it).
struct ClipChoice {
  double start = 0;     // seconds
  double length = 0;    // seconds
  std::string failure;  // why this file cannot be cut so; empty when it can

  // duration: whole seconds as probed, -1 (or 0) when the file states none.
  static ClipChoice For(double duration, std::optional<double> start, std::optional<double> end);
};
