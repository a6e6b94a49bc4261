#pragma once

#include <string>
#include <vector>

// One file's line on standard output when the run ends:
// "ok<TAB>SOURCE<TAB>OUTPUT" or "failed<TAB>SOURCE<TAB>REASON", ending with a
// newline. A file name may hold any byte but '/' and NUL, so tab, newline,
// carriage return and backslash are written as \t, \n, \r and \\: every line
// stays one line of three fields.
std::string ConvertedLine(const std::string& source, const std::string& output);
std::string FailedLine(const std::string& source, const std::string& reason);

// Any line of fields on standard output, escaped alike.
std::string TabSeparatedLine(const std::vector<std::string>& fields);
