#include "ProcessorCount.h"

#include <algorithm>
#include <thread>

#include <sched.h>

int UsableProcessorCount() {
  cpu_set_t allowed;
  CPU_ZERO(&allowed);
  if (sched_getaffinity(0, sizeof allowed, &allowed) == 0) return std::max(CPU_COUNT(&allowed), 1);
  return std::max(static_cast<int>(std::thread::hardware_concurrency()), 1);
}
