#include "BatchProgress.h"

#include "convert/TimeText.h"

std::string BatchProgressText(const BatchProgress& progress) {
  std::string text = "[" + std::to_string(progress.shownTask + 1) + "/" + std::to_string(progress.taskCount) + "] " +
                     progress.shownFileName + ": " + std::to_string(progress.shownPercent) +
                     "%, all files: " + std::to_string(progress.totalPercent) + "%, " +
                     std::to_string(progress.tasksDone) + "/" + std::to_string(progress.taskCount) + " done, " +
                     FormatTimeText(static_cast<int>(progress.elapsed.count())) + " elapsed";
  if (progress.totalPercent > 0 && progress.totalPercent < 100) {
    const auto left = progress.elapsed.count() * (100 - progress.totalPercent) / progress.totalPercent;
    text += ", about " + FormatTimeText(static_cast<int>(left)) + " left";
  }
  return text;
}
