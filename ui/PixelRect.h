#pragma once

// A rectangle of whole pixels with its edges as the slider's arithmetic names
// them: left and top inside, right and bottom just outside.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Contains(int x, int y) const { return left <= x && x < right && top <= y && y < bottom; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  // Halves truncate toward zero.
  int CenterX() const { return (left + right) / 2; }
  int CenterY() const { return (top + bottom) / 2; }

  bool operator==(const PixelRect&) const = default;
};
