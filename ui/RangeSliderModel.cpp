#include "RangeSliderModel.h"

#include "TruncateToInt.h"

#include <algorithm>
#include <utility>

RangeSliderModel::Codes RangeSliderModel::SetBounds(double a, double b) {
  min_ = std::min(a, b);
  max_ = std::max(a, b);
  return ClampSelection();
}

RangeSliderModel::Codes RangeSliderModel::SetSelection(double left, double right) {
  left_ = left;
  right_ = right;
  return ClampSelection();
}

void RangeSliderModel::GetSelection(double& left, double& right) const {
  left = left_;
  right = right_;
}

void RangeSliderModel::SetVisibleSpan(double from, double to) {
  visibleFrom_ = from;
  visibleTo_ = to;
  ClampVisibleSpan();
}

bool RangeSliderModel::ShowVisibleSpan(bool show) {
  if (show == showVisibleSpan_) return false;
  showVisibleSpan_ = show;
  return true;
}

// The order of the clamps and their reports is part of the contract: the
// receiver sees each end move as it moves. A reversed selection inside the
// bounds is left reversed.
RangeSliderModel::Codes RangeSliderModel::ClampSelection() {
  Codes codes;
  if (left_ < min_) {
    left_ = min_;
    codes.push_back(Code::Left);
    if (right_ < left_) {
      right_ = left_;
      codes.push_back(Code::Right);
    }
  }
  if (right_ > max_) {
    right_ = max_;
    codes.push_back(Code::Right);
    if (right_ < left_) {
      left_ = right_;
      codes.push_back(Code::Left);
    }
  }
  return codes;
}

void RangeSliderModel::ClampVisibleSpan() {
  if (visibleFrom_ > visibleTo_) std::swap(visibleFrom_, visibleTo_);
  if (visibleFrom_ < min_) {
    visibleFrom_ = min_;
    if (visibleTo_ < min_) visibleTo_ = min_;
  }
  if (visibleTo_ > max_) {
    visibleTo_ = max_;
    if (visibleFrom_ > max_) visibleFrom_ = max_;
  }
}

// An empty value range puts every value at pixel 0 instead of dividing by zero.
int RangeSliderModel::PixelOf(double value) const {
  if (max_ == min_) return 0;
  return TruncateToInt((value - min_) / (max_ - min_) * geometry_.trackWidth + 0.5);
}

double RangeSliderModel::ValueAt(int p) const {
  return min_ + static_cast<double>(p) / geometry_.trackWidth * (max_ - min_);
}

const RangeSliderGeometry& RangeSliderModel::Layout(int width, int height) {
  RangeSliderGeometry& g = geometry_;
  g.height = height;
  g.arrowWidth = 3 * height / 4;
  g.trackWidth = width - 2 * g.arrowWidth;
  const int aw = g.arrowWidth;
  g.leftX = PixelOf(left_);
  g.rightX = PixelOf(right_);
  g.leftThumb = {g.leftX, 0, g.leftX + aw, height};
  g.rightThumb = {g.rightX + aw, 0, g.rightX + 2 * aw, height};
  const auto shrink = [](const PixelRect& r) {
    return PixelRect{r.left + 1, r.top + 1, r.right - 2, r.bottom - 2};
  };
  g.leftThumbHit = shrink(g.leftThumb);
  g.rightThumbHit = shrink(g.rightThumb);
  g.bar = {g.leftX + aw + 1, 1, g.rightX + aw, height - 1};

  g.visibleSpan.reset();
  if (showVisibleSpan_ && visibleFrom_ < right_ && left_ < visibleTo_) {
    const int from = std::max(PixelOf(visibleFrom_) + aw, g.leftX + aw);
    const int to = std::min(PixelOf(visibleTo_) + aw, g.rightX + aw);
    g.visibleSpan = PixelRect{from, 1, to, height - 1};
  }
  return g;
}

bool RangeSliderModel::BeginDrag(int x, int y) {
  // Without a track there is nothing to drag along (and nothing to divide by).
  if (dragging_ || geometry_.trackWidth <= 0) return false;
  const PixelRect barHit{geometry_.leftThumbHit.right + 1, 0, geometry_.rightThumbHit.left - 1,
                         geometry_.height};
  const std::pair<DragTarget, PixelRect> parts[] = {
      {DragTarget::LeftThumb, geometry_.leftThumbHit},
      {DragTarget::RightThumb, geometry_.rightThumbHit},
      {DragTarget::Bar, barHit},
  };
  for (const auto& [target, rect] : parts) {
    if (!rect.Contains(x, y)) continue;
    dragging_ = true;
    dragTarget_ = target;
    grabOffsetX_ = x - rect.CenterX();
    return true;
  }
  return false;
}

RangeSliderModel::Codes RangeSliderModel::DragTo(int x) {
  if (!dragging_) return {};
  // Where the grabbed part's centre goes.
  const int p = x - grabOffsetX_;
  const int aw = geometry_.arrowWidth;
  switch (dragTarget_) {
    case DragTarget::LeftThumb: {
      double v = ValueAt(p - aw / 2);
      if (v >= right_) v = right_;
      if (v <= min_) v = min_;
      left_ = v;
      return {Code::Left};
    }
    case DragTarget::RightThumb: {
      double v = ValueAt(p - (3 * aw) / 2);
      if (v <= left_) v = left_;
      if (v >= max_) v = max_;
      const bool moved = v != right_;
      right_ = v;
      return {moved ? Code::Right : Code::Left};
    }
    case DragTarget::Bar: {
      const double width = right_ - left_;
      const double centre = ValueAt(p - aw);
      double newLeft = centre - width / 2;
      double newRight = centre + width / 2;
      if (newLeft <= min_) {
        newLeft = min_;
        newRight = min_ + width;
      }
      if (newRight >= max_) {
        newRight = max_;
        newLeft = max_ - width;
      }
      left_ = newLeft;
      right_ = newRight;
      return {Code::Bar};
    }
  }
  return {};
}

bool RangeSliderModel::EndDrag() {
  if (!dragging_) return false;
  dragging_ = false;
  return true;
}

RangeSliderModel::Codes RangeSliderModel::StepKey(Key key, bool shift, bool ctrl) {
  if (ctrl || geometry_.trackWidth <= 0) return {};
  const double step = (max_ - min_) / geometry_.trackWidth;  // the value of one pixel
  if (step == 0) return {};

  // Both ends snap to whole pixels before they move.
  int leftPixel = TruncateToInt((left_ - min_) / step + 0.5);
  int rightPixel = TruncateToInt((right_ - min_) / step + 0.5);
  const int delta = key == Key::Increase ? 1 : -1;
  rightPixel += delta;
  if (!shift) leftPixel += delta;

  // Shift with the decrease key on an empty selection would put the right end
  // below the left one, and the clip a negative length: refused like a step
  // past either end.
  const bool reversesSelection = shift && key == Key::Decrease && rightPixel < leftPixel;
  if (leftPixel >= 0 && rightPixel <= geometry_.trackWidth && !reversesSelection) {
    left_ = min_ + leftPixel * step;
    right_ = min_ + rightPixel * step;
  }
  // Every arrow key press is reported, also a refused step.
  return {shift ? Code::Left : Code::Bar};
}
