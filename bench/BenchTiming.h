#pragma once

#include <chrono>

// Mean wall time of one call, in seconds, over `repetitions` calls.
double SecondsPerCall(int repetitions, const auto& call) {
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < repetitions; ++i) call();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / repetitions;
}
