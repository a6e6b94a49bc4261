#include "ConverterMessage.h"

namespace {

constexpr std::string_view kPrefix = "tae: ";

}  // namespace

void ConverterMessage::Take(std::string_view chunk) {
  for (const char c : chunk) {
    if (c == '\r' || c == '\n') {
      if (line_.starts_with(kPrefix)) reason_ = line_.substr(kPrefix.size());
      line_.clear();
    } else if (line_.size() < kLongestLine) {
      line_ += c;
    }
  }
}

std::string ConverterMessage::LastReason() const {
  return line_.starts_with(kPrefix) ? line_.substr(kPrefix.size()) : reason_;
}
