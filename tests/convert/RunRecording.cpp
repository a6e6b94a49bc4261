#include "RunRecording.h"

#include "convert/CConversionRun.h"

#include <algorithm>

RunRecording::RunRecording(CConversionRun& run) {
  QObject::connect(&run, &CConversionRun::CaptionChanged,
                   [this](const QString& text) { captions.push_back(text.toStdString()); });
  QObject::connect(&run, &CConversionRun::CurrentLineChanged,
                   [this](const QString& text) { currentLines.push_back(text.toStdString()); });
  QObject::connect(&run, &CConversionRun::TotalLineChanged,
                   [this](const QString& text) { totalLines.push_back(text.toStdString()); });
  QObject::connect(&run, &CConversionRun::CurrentBarChanged, [this](int percent) { currentBars.push_back(percent); });
  QObject::connect(&run, &CConversionRun::TotalBarChanged, [this](int percent) { totalBars.push_back(percent); });
  QObject::connect(&run, &CConversionRun::Stopping, [this] { ++stoppings; });
  QObject::connect(&run, &CConversionRun::CloseRequested, [this] { ++closeRequests; });
}

bool RunRecording::HasCurrentLineStartingWith(const std::string& start) const {
  return std::any_of(currentLines.begin(), currentLines.end(),
                     [&](const std::string& line) { return line.starts_with(start); });
}
