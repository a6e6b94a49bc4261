#pragma once

#include "RangeSliderGeometry.h"

#include <vector>

// The arithmetic of the two-thumb range slider, apart from any window: a
// value range [min, max], a selection [left, right] inside it and a visible
// span highlighted within the selection. Every operation that the slider
// reports to its parent returns its report codes, in the order they are sent.
//
// Mouse and keys work in pixels, with the geometry of the last Layout: the
// window lays out on every paint, so they act on what the user sees.
class RangeSliderModel {
 public:
  // What a report says moved. A step with Shift reports Left although it
  // moves the right end: the clip window ignores the code anyway.
  enum class Code { Left = 0, Right = 1, Bar = 2 };
  using Codes = std::vector<Code>;

  enum class DragTarget { LeftThumb = 0, RightThumb = 1, Bar = 2 };
  enum class Key { Decrease, Increase };

  // Orders its arguments, then brings the selection inside.
  Codes SetBounds(double a, double b);
  // Keeps the order it is given; only clamps to the bounds.
  Codes SetSelection(double left, double right);
  void GetSelection(double& left, double& right) const;
  void SetVisibleSpan(double from, double to);
  // Returns whether the flag changed (and the picture with it).
  bool ShowVisibleSpan(bool show);

  double Min() const { return min_; }
  double Max() const { return max_; }
  double Left() const { return left_; }
  double Right() const { return right_; }
  double VisibleFrom() const { return visibleFrom_; }
  double VisibleTo() const { return visibleTo_; }

  // Computes the parts for a client size and keeps the geometry that mouse
  // and keys work with.
  const RangeSliderGeometry& Layout(int width, int height);
  const RangeSliderGeometry& Geometry() const { return geometry_; }

  // A press at (x, y): starts dragging the part it hits; returns whether it did.
  bool BeginDrag(int x, int y);
  // A move to x while dragging; reports on every move, also when nothing changed.
  Codes DragTo(int x);
  // Returns whether a drag ended.
  bool EndDrag();
  bool IsDragging() const { return dragging_; }
  DragTarget Dragged() const { return dragTarget_; }

  // An arrow key: without Shift the whole selection moves one pixel, with
  // Shift only its right end; Ctrl makes the key do nothing.
  Codes StepKey(Key key, bool shift, bool ctrl);

 private:
  Codes ClampSelection();
  void ClampVisibleSpan();
  int PixelOf(double value) const;
  // Value of p pixels along the track.
  double ValueAt(int p) const;

  double min_ = 0;
  double max_ = 1;
  double left_ = 0;
  double right_ = 1;
  double visibleFrom_ = 0;
  double visibleTo_ = 1;
  bool showVisibleSpan_ = false;
  bool dragging_ = false;
  DragTarget dragTarget_ = DragTarget::LeftThumb;
  int grabOffsetX_ = 0;  // pointer minus the centre of the grabbed part
  RangeSliderGeometry geometry_;
};
