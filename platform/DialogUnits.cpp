#include "DialogUnits.h"

#include <QFontMetrics>

#include <cmath>

namespace {

// The average width is taken over the Latin letters, rounded to whole pixels,
// as the templates' own system measured it.
int AverageLetterWidth(const QFontMetrics& metrics) {
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return (letters / 26 + 1) / 2;
}

}  // namespace

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  averageCharWidth_ = AverageLetterWidth(metrics);
  charHeight_ = metrics.height();
}

int DialogUnits::X(int dialogUnits) const {
  return static_cast<int>(std::lround(dialogUnits * averageCharWidth_ / 4.0));
}

int DialogUnits::Y(int dialogUnits) const {
  return static_cast<int>(std::lround(dialogUnits * charHeight_ / 8.0));
}

QRect DialogUnits::ToPixels(int x, int y, int width, int height) const {
  const int left = X(x);
  const int top = Y(y);
  return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

QSize DialogUnits::ToPixels(int width, int height) const { return QSize(X(width), Y(height)); }
