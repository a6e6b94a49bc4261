// The converter's command line is built by quoting file names and split again
// before the child starts: any argument must come back exactly as it went in,
// so that no file name can add, drop or change an argument.
#include "FuzzCheck.h"

#include "convert/CommandLineArguments.h"

#include <string>
#include <vector>

namespace {

std::string Joined(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line += ' ';
    line += QuoteArgument(argument);
  }
  return line;
}

// The input's NUL bytes separate the arguments, which cannot hold one.
std::vector<std::string> ArgumentsOf(const std::string& text) {
  std::vector<std::string> arguments;
  size_t start = 0;
  for (size_t end = text.find('\0'); end != std::string::npos; start = end + 1, end = text.find('\0', start)) {
    arguments.push_back(text.substr(start, end - start));
  }
  arguments.push_back(text.substr(start));
  return arguments;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);

  const std::vector<std::string> split = SplitCommandLine(text);
  for (const std::string& argument : split) {
    Require(argument.find('\0') == std::string::npos, "an argument holds a NUL byte");
  }
  Require(SplitCommandLine(Joined(split)) == split, "a split line, quoted again, splits the same");

  const std::vector<std::string> arguments = ArgumentsOf(text);
  for (const std::string& argument : arguments) {
    Require(SplitCommandLine(QuoteArgument(argument)) == std::vector<std::string>{argument},
            "a quoted argument splits back to itself");
  }
  Require(SplitCommandLine(Joined(arguments)) == arguments, "quoted arguments joined by blanks split back");
  return 0;
}
