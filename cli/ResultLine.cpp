#include "ResultLine.h"

namespace {

std::string Escaped(const std::string& field) {
  std::string escaped;
  escaped.reserve(field.size());
  for (const char c : field) {
    switch (c) {
      case '\t':
        escaped += "\\t";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\r':
        escaped += "\\r";
        break;
      case '\\':
        escaped += "\\\\";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace

std::string TabSeparatedLine(const std::vector<std::string>& fields) {
  std::string line;
  for (size_t i = 0; i < fields.size(); ++i) line += (i == 0 ? "" : "\t") + Escaped(fields[i]);
  return line + "\n";
}

std::string ConvertedLine(const std::string& source, const std::string& output) {
  return TabSeparatedLine({"ok", source, output});
}

std::string FailedLine(const std::string& source, const std::string& reason) {
  return TabSeparatedLine({"failed", source, reason});
}
