#pragma once

#include <string>
#include <vector>

// Runs a program to completion (no shell), for the tests' use of the ffmpeg
// and ffprobe tools and of the project's own programs.
struct CommandResult {
  int exitCode = -1;  // -1 when it could not start or did not exit normally
  std::string output;  // standard output
  std::string errors;  // standard error
};

CommandResult RunCommand(const std::vector<std::string>& arguments, const std::string& input = {});
