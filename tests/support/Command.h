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

// A program running beside the test, with its standard streams in the
// test's hands; killed and reaped when the object goes.
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& arguments);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool Started() const { return pid_ > 0; }
  void Write(const std::string& text);
  // Reads standard error until `text` has appeared or the stream ends;
  // returns everything read so far.
  std::string ReadErrorsUntil(const std::string& text);
  // Waits for the end; the exit code, or -1 when it did not exit normally.
  int Wait();

 private:
  int pid_ = -1;
  int input_ = -1;
  int errors_ = -1;
  std::string errorText_;
};
