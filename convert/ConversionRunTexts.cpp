#include "ConversionRunTexts.h"

#include <algorithm>

namespace {

constexpr size_t kLongestShownName = 40;

bool StartsCharacter(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }

// Counted in characters, not bytes: a cut inside a UTF-8 sequence would show
// as a broken character.
std::string ShownName(const std::string& name) {
  size_t characters = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    if (!StartsCharacter(name[i])) continue;
    if (characters == kLongestShownName) return name.substr(0, i) + "...";
    ++characters;
  }
  return name;
}

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

std::string ExtractingAudioLine(const std::string& rowTitle, int percent) {
  const int shownPercent = percent > 100 ? 99 : percent;
  return "Extracting Audio From " + ShownName(rowTitle) + "  :  " + std::to_string(shownPercent) + "% Completed";
}

std::string FailureReportText(const std::vector<TaskResult>& results, const std::string& outputFolder) {
  const auto converted = std::count_if(results.begin(), results.end(),
                                       [](const TaskResult& result) { return result.end == TaskEnd::Converted; });
  std::string text = std::to_string(results.size() - static_cast<size_t>(converted)) + " of " +
                     std::to_string(results.size()) + " files could not be converted:\n";
  for (const TaskResult& result : results) {
    if (result.end == TaskEnd::Converted) continue;
    text += "\n" + FileNameOf(result.sourcePath) + ": " + result.failure;
  }
  if (converted > 0) text += "\n\nThe other files were saved to " + outputFolder;
  return text;
}
