#pragma once

#include "ExtractOptions.h"

#include <string>
#include <vector>

enum class CommandLineRequest { Extract, Help, Version, UsageError };

// What a command line of tolvar-extract asks for. Options and files may come
// in any order; "--" ends the options. Short options take their value joined
// or as the next argument (-fwav, -f wav), long ones after '=' or as the next
// argument (--format=wav, --format wav); flags may be grouped (-qE). A later
// option wins over an earlier one. Anything wrong is a usage error, whose
// text names the option and what it accepts.
struct ParsedCommandLine {
  CommandLineRequest request = CommandLineRequest::Extract;
  ExtractOptions options;
  std::string usageError;  // for UsageError: one line, without the program's name
};

// The arguments after the program's name.
ParsedCommandLine ParseExtractCommandLine(const std::vector<std::string>& arguments);

// What --help prints.
std::string ExtractUsageText();
