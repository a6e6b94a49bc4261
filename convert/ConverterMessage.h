#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Why the converter failed, in its own words: its last line "tae: <reason>",
// picked out of output that arrives in chunks cut anywhere, among
// carriage-return progress lines. A reason is kept whole, also one that
// names two paths of the longest length the system takes; only a line
// longer than kLongestLine is cut there.
class ConverterMessage {
 public:
  static constexpr size_t kLongestLine = 65536;

  void Take(std::string_view chunk);
  // The last reason given, or empty. A line not yet ended counts too: the
  // converter may have been ended in the middle of it.
  std::string LastReason() const;

 private:
  std::string line_;    // the line being received
  std::string reason_;  // of the last ended line that gave one
};
