#include "FileList.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

std::vector<std::string> SplitFileList(std::string_view text, char separator) {
  std::vector<std::string> names;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find(separator, start), text.size());
    if (end > start) names.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

namespace {

// The names read from an open descriptor to its end.
FileListReading ReadNames(int descriptor, char separator) {
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t count = read(descriptor, buffer, sizeof buffer);
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      return {{}, std::strerror(errno)};
    }
    text.append(buffer, static_cast<size_t>(count));
  }
  return {SplitFileList(text, separator), {}};
}

}  // namespace

FileListReading ReadFileList(const std::string& path, char separator) {
  if (path == "-") return ReadNames(STDIN_FILENO, separator);
  const int descriptor = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return {{}, std::strerror(errno)};
  FileListReading reading = ReadNames(descriptor, separator);
  close(descriptor);
  return reading;
}
