#pragma once

#include <algorithm>
#include <climits>
#include <cmath>

// A double truncated toward zero to an int. Values past the int range stick
// at its ends instead of overflowing: a container may state any duration.
inline int TruncateToInt(double value) {
  return static_cast<int>(std::clamp(std::trunc(value), static_cast<double>(INT_MIN),
                                     static_cast<double>(INT_MAX)));
}
