#pragma once

#include <cstdio>
#include <cstdlib>

// A broken property counts as a finding just like a crash: the abort makes
// libFuzzer keep the input that broke it.
inline void Require(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "broken: %s\n", property);
  std::abort();
}
