#pragma once

#include "convert/Task.h"

#include <string>

// The texts of the clip window: its start point, end point and clip time,
// and the title line above the slider.
struct ClipWindowTexts {
  std::string start;
  std::string end;
  std::string clip;

  // On opening, from the stored clip, each truncated to whole seconds.
  static ClipWindowTexts FromTask(const Task& task);
  // While the thumbs move: the ends truncated, the clip length rounded half up.
  static ClipWindowTexts FromSelection(double left, double right);
  // The title cell's text and the duration: "Movie Title:... Duration:  hh:mm:ss".
  static std::string TitleLine(const std::string& title, double duration);
};
