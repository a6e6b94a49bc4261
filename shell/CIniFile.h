#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Reads and writes one profile file: "[Section]" lines followed by
// "Key=Value" lines. Section and key names match whatever their case; blanks
// around names and values are ignored, in the file and in a caller's names,
// and a value wrapped in one pair of quotes reads without them. Section and
// key stay `const char*` because a null one is a defined case (the default
// is read, nothing is written).
//
// Every write replaces the whole file at once (a temporary file beside it,
// flushed to disk, renamed over it): a crash mid-write leaves the old file or
// the new one, never half of one. Other sections and keys survive a write.
// A link is written through to its target, and stays a link; a file without
// write permission is left as it is. A temporary file left by a write that
// never ended (its process gone, over a minute old) is removed by the next.
class CIniFile {
 public:
  // An empty path leaves the object without a file: reads give the defaults,
  // writes fail.
  void SetFileName(const std::string& path) { fileName_ = path; }

  // The key's value, or defaultValue (empty when null) when the file,
  // section or key is missing or section or key is null.
  std::string GetString(const char* section, const char* key, const char* defaultValue) const;

  // The value's first 64 characters read as strtoul reads them into a 32-bit
  // unsigned long: "abc" gives 0 (not the default), "-1" gives 4294967295,
  // too large a number gives 4294967295. An empty or missing value gives
  // defaultValue. radix is 2, 8 or 16; any other value means 10.
  uint32_t GetInt(const char* section, const char* key, uint32_t defaultValue, int radix) const;

  // False when section or key is null, when a name or the value would break
  // the file's line structure (a line break, '=' in a key, ']' in a
  // section), or when the file cannot be replaced. A null value writes "".
  bool WriteString(const char* section, const char* key, const char* value);

  // Several keys of one section in one replacement of the file: all of
  // them, or none when one of them could not be written. The keys named in
  // `removed` leave the section in the same write (every line of theirs, so
  // that no older one shows through); one the section lacks is no error.
  bool WriteStrings(const char* section, const std::vector<std::pair<std::string, std::string>>& entries,
                    const std::vector<std::string>& removed = {});

  // The text WriteInt writes for the value.
  static std::string IntText(int value, int radix);

  // Why the last write could not replace the file (the system's words);
  // empty after a write that did, or that was refused for its names.
  const std::string& FailureReason() const { return failure_; }

  // Radix 8 writes octal, 16 upper-case hexadecimal, 2 binary digits (most
  // significant first, no leading zeros); any other radix writes decimal.
  bool WriteInt(const char* section, const char* key, int value, int radix);

 private:
  static bool SetValue(std::vector<std::string>& lines, const std::string& section, const std::string& key,
                       const std::string& value);
  static void RemoveKey(std::vector<std::string>& lines, const std::string& section, const std::string& key);
  bool ReplaceFile(const std::string& content);
  bool Fail(int error);

  std::string fileName_;
  std::string failure_;
};
