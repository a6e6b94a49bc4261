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

std::string Line(const char* word, const std::string& source, const std::string& detail) {
  return std::string(word) + "\t" + Escaped(source) + "\t" + Escaped(detail) + "\n";
}

}  // namespace

std::string ConvertedLine(const std::string& source, const std::string& output) { return Line("ok", source, output); }

std::string FailedLine(const std::string& source, const std::string& reason) { return Line("failed", source, reason); }
