#include "CommandLineArguments.h"

#include <string_view>

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
  const std::string_view line(commandLine.c_str());
  std::vector<std::string> arguments;
  size_t position = 0;
  while (true) {
    while (position < line.size() && IsSeparator(line[position])) ++position;
    if (position == line.size()) return arguments;

    std::string argument;
    bool quoted = false;
    while (position < line.size() && (quoted || !IsSeparator(line[position]))) {
      size_t backslashes = 0;
      while (position < line.size() && line[position] == '\\') {
        ++backslashes;
        ++position;
      }
      if (position < line.size() && line[position] == '"') {
        argument.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          argument += '"';
        } else if (quoted && position + 1 < line.size() && line[position + 1] == '"') {
          argument += '"';
          ++position;
        } else {
          quoted = !quoted;
        }
        ++position;
      } else {
        argument.append(backslashes, '\\');
        if (position < line.size() && (quoted || !IsSeparator(line[position]))) {
          argument += line[position++];
        }
      }
    }
    arguments.push_back(std::move(argument));
  }
}

std::string QuoteArgument(const std::string& argument) {
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes before a quote escape it, so they and the quote need escaping.
    if (c == '"') {
      quoted.append(2 * backslashes + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  // The closing quote would turn trailing backslashes into escapes.
  quoted.append(2 * backslashes, '\\');
  quoted += '"';
  return quoted;
}
