#include "ClipWindowTexts.h"

#include "TruncatedTimeText.h"

ClipWindowTexts ClipWindowTexts::FromTask(const Task& task) {
  return {FormatTruncatedTimeText(task.clipStart),
          FormatTruncatedTimeText(task.clipStart + task.clipLength),
          FormatTruncatedTimeText(task.clipLength)};
}

ClipWindowTexts ClipWindowTexts::FromSelection(double left, double right) {
  return {FormatTruncatedTimeText(left), FormatTruncatedTimeText(right),
          FormatTruncatedTimeText(right - left + 0.5)};
}

std::string ClipWindowTexts::TitleLine(const std::string& title, double duration) {
  return "Movie Title:" + title + "       Duration:  " + FormatTruncatedTimeText(duration);
}
