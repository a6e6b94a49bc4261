#pragma once

#include <string>
#include <string_view>
#include <vector>

// The names of a list of files, as --files-from reads them: each name ends
// with `separator` (a newline, or a NUL byte for lists from find -print0),
// and so does the last one or the text itself. An empty name is skipped;
// nothing else is special, so a blank, a tab or a carriage return is part of
// a name.
std::vector<std::string> SplitFileList(std::string_view text, char separator);

struct FileListReading {
  std::vector<std::string> names;  // in the list's order
  std::string failure;             // why the list could not be read (strerror's text); empty when it was read
};

// The names in the file at `path`, or on standard input for "-", read to
// the end: a list on a pipe is whole once its writer closes it.
FileListReading ReadFileList(const std::string& path, char separator);
