// option.ini is a file the user may edit by hand: any bytes in it must read
// without harm, and whatever the writer accepts must read back as written
// without disturbing any other key.
#include "FuzzCheck.h"

#include "platform/AsciiText.h"
#include "shell/CIniFile.h"
#include "support/TempFolder.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <fstream>
#include <string>

namespace {

// Names as a caller's C string holds them: up to the first NUL byte.
std::string AsCString(const std::string& text) { return text.c_str(); }

std::string WithoutSurroundingBlanks(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Names match whatever their case, and blanks around them do not count.
bool SameName(const std::string& left, const std::string& right) {
  return EqualsIgnoringCase(WithoutSurroundingBlanks(left), WithoutSurroundingBlanks(right));
}

// A line break can never be part of a stored value, so it marks a missing key.
constexpr const char* kMissing = "\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const TempFolder folder;
  static const std::string path = folder / "option.ini";

  FuzzedDataProvider input(data, size);
  const std::string section = AsCString(input.ConsumeRandomLengthString(32));
  const std::string key = AsCString(input.ConsumeRandomLengthString(32));
  const std::string value = AsCString(input.ConsumeRandomLengthString(64));
  const std::string otherSection = AsCString(input.ConsumeRandomLengthString(32));
  const std::string otherKey = AsCString(input.ConsumeRandomLengthString(32));
  const int number = input.ConsumeIntegral<int>();
  const int radix = input.ConsumeIntegral<int>();
  std::ofstream(path, std::ios::binary | std::ios::trunc) << input.ConsumeRemainingBytesAsString();

  CIniFile file;
  file.SetFileName(path);
  const std::string stored = file.GetString(section.c_str(), key.c_str(), "");
  Require(stored.find('\n') == std::string::npos, "a value read holds a line break");
  Require(!stored.empty() || file.GetInt(section.c_str(), key.c_str(), 77, radix) == 77,
          "an empty or missing value reads as the default number");

  const bool sameKey = SameName(section, otherSection) && SameName(key, otherKey);
  const std::string otherBefore = file.GetString(otherSection.c_str(), otherKey.c_str(), kMissing);

  if (file.WriteString(section.c_str(), key.c_str(), value.c_str())) {
    Require(file.GetString(section.c_str(), key.c_str(), kMissing) == value, "a written value reads back");
    Require(sameKey || file.GetString(otherSection.c_str(), otherKey.c_str(), kMissing) == otherBefore,
            "a write leaves other keys as they were");
  }
  if (file.WriteInt(section.c_str(), key.c_str(), number, radix)) {
    Require(file.GetInt(section.c_str(), key.c_str(), 77, radix) == static_cast<uint32_t>(number),
            "a written number reads back in the same radix");
    Require(sameKey || file.GetString(otherSection.c_str(), otherKey.c_str(), kMissing) == otherBefore,
            "a write leaves other keys as they were");
  }
  return 0;
}
