#pragma once

#include <string>
#include <vector>

class CConversionRun;

// Everything a conversion run tells its window, in order of arrival.
struct RunRecording {
  explicit RunRecording(CConversionRun& run);

  std::vector<std::string> captions;
  std::vector<std::string> currentLines;
  std::vector<std::string> totalLines;
  std::vector<int> currentBars;
  std::vector<int> totalBars;
  int stoppings = 0;
  int closeRequests = 0;

  bool HasCurrentLineStartingWith(const std::string& start) const;
};
