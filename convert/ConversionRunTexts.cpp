#include "ConversionRunTexts.h"

#include "FileNameParts.h"
#include "TextPrefix.h"

#include <algorithm>

namespace {

constexpr size_t kLongestShownName = 40;

std::string ShownName(const std::string& name) {
  const std::string shown = FirstCharacters(name, kLongestShownName);
  return shown.size() < name.size() ? shown + "..." : name;
}

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
    text += "\n" + GetFileName(result.sourcePath) + ": " + result.failure;
  }
  if (converted > 0) text += "\n\nThe other files were saved to " + outputFolder;
  return text;
}
