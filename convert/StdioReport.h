#pragma once

#include <string>

// What a CStdioRunner tells its receiver. The codes are those the progress
// window has always handled; 1 and 2 are the window's own and never come
// from the runner.
enum StdioReportCode {
  kStdioOutput = 3,   // text the child wrote on standard output or error
  kStdioStarted = 4,  // the child has been started
  kStdioEnded = 5,    // the child has ended
};

struct StdioReport {
  StdioReportCode code = kStdioOutput;
  // kStdioOutput: one chunk as one read returned it (at most 256 bytes), up
  // to its first NUL byte. It may hold several lines, part of a line, or
  // carriage-return-separated progress updates.
  std::string text;
  // kStdioEnded: the child's exit code; 128 + the signal's number when a
  // signal ended it (137 after a kill), as a shell tells it; -1 when unknown.
  int exitCode = 0;
  // kStdioEnded: the signal that ended the child, 0 when it exited.
  int signalNumber = 0;
};
