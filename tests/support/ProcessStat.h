#pragma once

#include <optional>
#include <sys/types.h>
#include <utility>
#include <vector>

// What /proc/<pid>/stat says of a process.
struct ProcessStat {
  char state = '?';  // 'Z' once it has ended and waits to be reaped
  pid_t parent = 0;
  pid_t group = 0;
};

// nullopt when the process is gone (reaped) or its stat cannot be read.
std::optional<ProcessStat> ReadProcessStat(pid_t pid);

// Every process of the system, by id, with what its stat says.
std::vector<std::pair<pid_t, ProcessStat>> AllProcesses();
