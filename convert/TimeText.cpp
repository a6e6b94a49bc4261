#include "TimeText.h"

#include <cstdio>

std::string FormatTimeText(int seconds) {
  const int hours = seconds / 3600;
  const int minutes = (seconds - hours * 3600) / 60;
  const int rest = seconds - (seconds / 60) * 60;
  char text[48];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", hours, minutes, rest);
  return text;
}
