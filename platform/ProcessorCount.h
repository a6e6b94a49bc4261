#pragma once

// The processors this process may run on: those of its CPU affinity mask
// (taskset, a container's cpuset), at least 1. std::thread's
// hardware_concurrency counts the machine's, whatever the mask allows.
int UsableProcessorCount();
