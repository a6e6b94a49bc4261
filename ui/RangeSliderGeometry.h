#pragma once

#include "PixelRect.h"

#include <optional>

// Where the range slider's parts lie for one client size, in pixels.
struct RangeSliderGeometry {
  int arrowWidth = 10;  // each thumb's width
  int trackWidth = 0;   // the pixels over which the value range is spread
  int height = 0;
  int leftX = 0;   // pixel of the left value
  int rightX = 0;  // pixel of the right value
  PixelRect leftThumb;
  PixelRect rightThumb;
  // The thumbs shrunk by one pixel at left and top and two at right and
  // bottom: what a press hits, and where the raised edge is drawn.
  PixelRect leftThumbHit;
  PixelRect rightThumbHit;
  PixelRect bar;  // the selection; empty while the selection is reversed
  std::optional<PixelRect> visibleSpan;  // only while shown and overlapping the selection
};
