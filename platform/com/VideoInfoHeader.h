#pragma once

#include "platform/com/WinTypes.h"

#include <cstddef>

// The format block of a video media type: the rectangles, rates and the
// picture's bitmap header. A coded format's set-up bytes follow the block.
struct RECT {
  LONG left;
  LONG top;
  LONG right;
  LONG bottom;
};

struct BITMAPINFOHEADER {
  DWORD biSize;  // 40, plus the set-up bytes that follow the header
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;  // a FOURCC
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

struct VIDEOINFOHEADER {
  RECT rcSource;
  RECT rcTarget;
  DWORD dwBitRate;
  DWORD dwBitErrorRate;
  REFERENCE_TIME AvgTimePerFrame;
  BITMAPINFOHEADER bmiHeader;
};

static_assert(sizeof(RECT) == 16);
static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(sizeof(VIDEOINFOHEADER) == 88);
static_assert(offsetof(VIDEOINFOHEADER, bmiHeader) == 48);
