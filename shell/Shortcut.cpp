#include "Shortcut.h"

#include "platform/AsciiText.h"

#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A link file is a few lines; anything much larger is not one.
constexpr size_t kMaxDesktopFileBytes = 64 * 1024;

std::string FinalTarget(const std::string& link) {
  char target[PATH_MAX];
  return realpath(link.c_str(), target) ? std::string(target) : std::string();
}

bool EndsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Empty for a broken escape or an escaped NUL, which no path can hold.
std::string PercentDecoded(const std::string& text) {
  std::string decoded;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      decoded += text[i];
      continue;
    }
    const int high = i + 2 < text.size() ? HexValue(text[i + 1]) : -1;
    const int low = i + 2 < text.size() ? HexValue(text[i + 2]) : -1;
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return {};
    decoded += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return decoded;
}

// The local path of a file:// URL (host empty or localhost); empty otherwise.
std::string LocalPathOfFileUrl(const std::string& url) {
  const std::string scheme = "file://";
  if (url.size() < scheme.size() || !EqualsIgnoringCase(url.substr(0, scheme.size()), scheme)) return {};
  std::string rest = url.substr(scheme.size());
  const auto slash = rest.find('/');
  if (slash == std::string::npos) return {};
  const std::string host = rest.substr(0, slash);
  if (!host.empty() && !EqualsIgnoringCase(host, "localhost")) return {};
  rest = rest.substr(slash);
  rest = rest.substr(0, rest.find_first_of("?#"));
  return PercentDecoded(rest);
}

// Read without blocking: a named pipe or a device could carry the name too.
std::string ReadSmallRegularFile(const std::string& path) {
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return {};
  struct stat info {};
  std::string bytes;
  if (fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<size_t>(info.st_size) <= kMaxDesktopFileBytes) {
    bytes.resize(static_cast<size_t>(info.st_size));
    const ssize_t count = read(descriptor, bytes.data(), bytes.size());
    bytes.resize(count > 0 ? static_cast<size_t>(count) : 0);
  }
  close(descriptor);
  return bytes;
}

std::string DesktopLinkTarget(const std::string& path) {
  std::istringstream lines(ReadSmallRegularFile(path));
  bool inMainGroup = false;
  bool isLink = false;
  std::string url;
  for (std::string line; std::getline(lines, line);) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      inMainGroup = line == "[Desktop Entry]";
      continue;
    }
    const auto equals = line.find('=');
    if (!inMainGroup || equals == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, equals));
    const std::string value = Trim(line.substr(equals + 1));
    if (key == "Type") isLink = value == "Link";
    if (key == "URL") url = value;
  }
  return isLink ? LocalPathOfFileUrl(url) : std::string();
}

}  // namespace

std::string ResolveShortcut(const std::string& path) {
  if (path.empty()) return {};
  struct stat info {};
  if (lstat(path.c_str(), &info) != 0) return {};
  if (S_ISLNK(info.st_mode)) return FinalTarget(path);
  if (S_ISREG(info.st_mode) && EndsWith(path, ".desktop")) return DesktopLinkTarget(path);
  return {};
}
