#include "CIniFile.h"

#include "platform/AsciiText.h"
#include "platform/WriteAll.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr size_t kMaxNumberLength = 64;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsWrappedInQuotes(const std::string& text) {
  return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
}

// What would not read back as written gets one pair of quotes, which the
// reader takes off again.
std::string QuotedIfNeeded(const std::string& value) {
  if (value.empty()) return value;
  if (IsBlank(value.front()) || IsBlank(value.back()) || IsWrappedInQuotes(value)) {
    return '"' + value + '"';
  }
  return value;
}

bool HasLineBreak(const std::string& text) { return text.find_first_of("\r\n") != std::string::npos; }

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  if (path.empty()) return lines;
  std::ifstream stream(path, std::ios::binary);
  for (std::string line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

bool ReadSectionName(const std::string& line, std::string& name) {
  const std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() != '[') return false;
  const auto close = trimmed.find(']');
  if (close == std::string::npos) return false;
  name = Trim(trimmed.substr(1, close - 1));
  return true;
}

bool ReadKeyLine(const std::string& line, std::string& key, std::string& value) {
  const std::string trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';') return false;
  const auto equals = trimmed.find('=');
  if (equals == std::string::npos) return false;
  key = Trim(trimmed.substr(0, equals));
  value = Trim(trimmed.substr(equals + 1));
  return true;
}

// Where a key is, or where it would go, in the first section of that name.
struct KeyLocation {
  bool sectionFound = false;
  size_t keyLine = std::string::npos;
  size_t lastLineOfSection = 0;  // the last non-blank one
  std::string value;
};

// Blanks around the names asked for are ignored as those in the file are.
KeyLocation FindKey(const std::vector<std::string>& lines, const std::string& sectionAsked,
                    const std::string& keyAsked) {
  const std::string section = Trim(sectionAsked);
  const std::string key = Trim(keyAsked);
  KeyLocation location;
  bool inSection = false;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string name;
    if (ReadSectionName(lines[i], name)) {
      if (inSection) break;
      inSection = !location.sectionFound && EqualsIgnoringCase(name, section);
      if (inSection) {
        location.sectionFound = true;
        location.lastLineOfSection = i;
      }
      continue;
    }
    if (!inSection) continue;
    if (!Trim(lines[i]).empty()) location.lastLineOfSection = i;
    std::string lineKey, value;
    if (ReadKeyLine(lines[i], lineKey, value) && EqualsIgnoringCase(lineKey, key)) {
      location.keyLine = i;
      location.value = IsWrappedInQuotes(value) ? value.substr(1, value.size() - 2) : value;
      break;
    }
  }
  return location;
}

// strtoul as on a system whose unsigned long has 32 bits, which is what the
// stored numbers were made for: a negative number wraps, an overflow
// saturates.
uint32_t ParseUnsigned32(const std::string& text, int radix) {
  size_t at = 0;
  while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at]))) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
  // strtoull would skip a second run of blanks or take a second sign.
  if (at == text.size() || std::isspace(static_cast<unsigned char>(text[at])) || text[at] == '+' ||
      text[at] == '-') {
    return 0;
  }
  const char* digits = text.c_str() + at;
  char* end = nullptr;
  errno = 0;
  const unsigned long long magnitude = std::strtoull(digits, &end, radix);
  if (end == digits) return 0;
  if (errno == ERANGE || magnitude > UINT32_MAX) return UINT32_MAX;
  const auto value = static_cast<uint32_t>(magnitude);
  return negative ? 0u - value : value;
}

std::string BinaryDigits(uint32_t value) {
  if (value == 0) return "0";
  std::string digits;
  for (; value != 0; value >>= 1) digits.insert(digits.begin(), static_cast<char>('0' + (value & 1)));
  return digits;
}

constexpr const char* kTemporaryInfix = ".tmp-";
// A temporary file younger than this may be another program's write under
// way, whatever its process ID says.
constexpr time_t kStaleTemporaryAge = 60;

// The file a write replaces: a link's target, so that the link stays.
std::string WriteTarget(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::is_symlink(path, error)) return path;
  const fs::path target = fs::weakly_canonical(path, error);
  return error ? path : target.string();
}

// Removes the temporary files of writes that never ended (their process is
// gone, they are over a minute old) beside `target`.
void RemoveStaleTemporaries(const std::string& target) {
  namespace fs = std::filesystem;
  const fs::path file(target);
  const std::string prefix = file.filename().string() + kTemporaryInfix;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(file.parent_path().empty() ? "." : file.parent_path(), error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(prefix)) continue;
    const pid_t writer = static_cast<pid_t>(std::atol(name.c_str() + prefix.size()));
    struct stat info {};
    if (writer <= 0 || lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    const bool writerGone = kill(writer, 0) != 0 && errno == ESRCH;
    if (writerGone && time(nullptr) - info.st_mtime > kStaleTemporaryAge) unlink(entry.path().c_str());
  }
}

}  // namespace

std::string CIniFile::GetString(const char* section, const char* key, const char* defaultValue) const {
  const std::string fallback = defaultValue ? defaultValue : "";
  if (!section || !key) return fallback;
  const KeyLocation location = FindKey(ReadLines(fileName_), section, key);
  return location.keyLine == std::string::npos ? fallback : location.value;
}

uint32_t CIniFile::GetInt(const char* section, const char* key, uint32_t defaultValue, int radix) const {
  const std::string text = GetString(section, key, nullptr).substr(0, kMaxNumberLength);
  if (text.empty()) return defaultValue;
  return ParseUnsigned32(text, radix == 2 || radix == 8 || radix == 16 ? radix : 10);
}

bool CIniFile::WriteString(const char* section, const char* key, const char* value) {
  if (!key) return false;
  return WriteStrings(section, {{key, value ? value : ""}});
}

bool CIniFile::WriteStrings(const char* section, const std::vector<std::pair<std::string, std::string>>& entries,
                            const std::vector<std::string>& removed) {
  failure_.clear();
  if (!section) return false;
  std::vector<std::string> lines = ReadLines(fileName_);
  for (const auto& [key, value] : entries) {
    if (!SetValue(lines, section, key, value)) return false;
  }
  for (const std::string& key : removed) RemoveKey(lines, section, key);

  // The reader takes one carriage return off each line; a line that ends
  // in one of its own gets another, so that it reads back as it was.
  std::string content;
  for (const auto& line : lines) content += line + (line.ends_with('\r') ? "\r\n" : "\n");
  return ReplaceFile(content);
}

bool CIniFile::SetValue(std::vector<std::string>& lines, const std::string& section, const std::string& key,
                        const std::string& value) {
  const std::string sectionName = Trim(section);
  const std::string keyName = Trim(key);
  if (keyName.empty() || HasLineBreak(sectionName) || sectionName.find(']') != std::string::npos ||
      HasLineBreak(keyName) || keyName.find('=') != std::string::npos || keyName.front() == '[' ||
      keyName.front() == ';' || HasLineBreak(value)) {
    return false;
  }
  const KeyLocation location = FindKey(lines, sectionName, keyName);
  const std::string keyLine = keyName + "=" + QuotedIfNeeded(value);
  if (location.keyLine != std::string::npos) {
    lines[location.keyLine] = keyLine;
  } else if (location.sectionFound) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(location.lastLineOfSection + 1), keyLine);
  } else {
    lines.push_back("[" + sectionName + "]");
    lines.push_back(keyLine);
  }
  return true;
}

void CIniFile::RemoveKey(std::vector<std::string>& lines, const std::string& section, const std::string& key) {
  // A line without a name before its '=' is no key of any name.
  if (Trim(key).empty()) return;
  for (KeyLocation location = FindKey(lines, section, key); location.keyLine != std::string::npos;
       location = FindKey(lines, section, key)) {
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(location.keyLine));
  }
}

bool CIniFile::WriteInt(const char* section, const char* key, int value, int radix) {
  return WriteString(section, key, IntText(value, radix).c_str());
}

std::string CIniFile::IntText(int value, int radix) {
  const auto bits = static_cast<uint32_t>(value);
  char text[24];
  switch (radix) {
    case 2:
      return BinaryDigits(bits);
    case 8:
      std::snprintf(text, sizeof text, "%o", bits);
      break;
    case 16:
      std::snprintf(text, sizeof text, "%X", bits);
      break;
    default:
      std::snprintf(text, sizeof text, "%d", value);
      break;
  }
  return text;
}

bool CIniFile::ReplaceFile(const std::string& content) {
  if (fileName_.empty()) return false;
  const std::string target = WriteTarget(fileName_);
  struct stat existing {};
  const bool exists = stat(target.c_str(), &existing) == 0;
  // A file its owner made read-only is left as it is, even by a user the
  // system would let replace it.
  if (exists && access(target.c_str(), W_OK) != 0) return Fail(errno);
  if (exists && (existing.st_mode & 0222) == 0) return Fail(EACCES);
  RemoveStaleTemporaries(target);

  std::string temporary;
  int descriptor = -1;
  for (int attempt = 0; attempt < 100 && descriptor < 0; ++attempt) {
    temporary = target + kTemporaryInfix + std::to_string(getpid()) + "-" + std::to_string(attempt);
    descriptor = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0 && errno != EEXIST) return Fail(errno);
  }
  if (descriptor < 0) return Fail(EEXIST);

  bool written = WriteAll(descriptor, content) &&
                 (!exists || fchmod(descriptor, existing.st_mode & 07777) == 0) && fsync(descriptor) == 0;
  int error = written ? 0 : errno;
  if (close(descriptor) != 0 && written) {
    written = false;
    error = errno;
  }
  if (written && rename(temporary.c_str(), target.c_str()) != 0) {
    written = false;
    error = errno;
  }
  if (!written) {
    unlink(temporary.c_str());
    return Fail(error);
  }
  return true;
}

bool CIniFile::Fail(int error) {
  failure_ = std::strerror(error);
  return false;
}
