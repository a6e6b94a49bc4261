#pragma once

#include <string>
#include <vector>

// The converter's command line is one text, as the Windows program built it;
// a child on Linux takes a list of arguments. These two functions cross
// between the two forms by the rules of the Microsoft C runtime:
//
// - blanks and tabs outside quotes separate arguments (other white space,
//   such as a line feed, is part of an argument);
// - a double quote starts or ends a quoted part, which keeps blanks;
// - inside a quoted part, two double quotes in a row give one literal double
//   quote and the quoted part goes on (the runtime's rule since 2008);
// - 2n backslashes before a double quote give n backslashes, and the quote
//   acts as above; 2n+1 backslashes before a double quote give n backslashes
//   and a literal double quote;
// - backslashes anywhere else are literal, so Windows-style folder names
//   keep their backslashes.
//
// The program's name (the first argument) follows the same rules as the
// others. A NUL byte ends the line: no child can receive one.

// The arguments of a command line; an empty or blank line gives none.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// The argument in double quotes, escaped so that SplitCommandLine gives it
// back unchanged whatever it holds (blanks, quotes, backslashes, nothing at
// all), so a file name can never add arguments to a line. Arguments cannot
// hold NUL bytes.
std::string QuoteArgument(const std::string& argument);
