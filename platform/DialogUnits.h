#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// Converts a window template's dialog units to pixels with the metrics of the
// window's font: x by a quarter of the average character width, y by an
// eighth of the character height.
class DialogUnits {
 public:
  explicit DialogUnits(const QFont& font);

  // Edges are converted one by one, so neighbouring controls stay aligned.
  QRect ToPixels(int x, int y, int width, int height) const;
  QSize ToPixels(int width, int height) const;

 private:
  int X(int dialogUnits) const;
  int Y(int dialogUnits) const;

  int averageCharWidth_;
  int charHeight_;
};
