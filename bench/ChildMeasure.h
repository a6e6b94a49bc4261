#pragma once

// A command run as a child process, measured: its wall time and its peak
// resident memory; and commands taking turns, round after round, each one's
// best round counting.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

struct Measure {
  double seconds = 1e9;
  // The largest resident set of the command's process or of any of its
  // descendants it waited for (wait4's ru_maxrss): for a shell starting
  // several programs at once, that of the largest one, not their sum.
  long peakKiloBytes = 0;
};

// Runs the command to its end, its output thrown away; ends the benchmark
// when it cannot start or does not exit with 0.
inline Measure RunMeasured(const std::vector<std::string>& arguments) {
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // The batch front end's result lines would break into the table.
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "cannot run %s\n", argv[0]);
    std::exit(1);
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "%s failed\n", argv[0]);
    std::exit(1);
  }
  return {seconds, usage.ru_maxrss};
}

// Runs the commands in turn, round after round, so that a drift of the
// machine's speed falls on all of them alike; each one's best time and
// largest peak. beforeEach and afterEach, when given, run before and after
// every command, out of the time measured (to clear what the last one wrote,
// to check what it did).
inline std::vector<Measure> Rounds(int repetitions, const std::vector<std::vector<std::string>>& commands,
                                   const std::function<void()>& beforeEach = {},
                                   const std::function<void()>& afterEach = {}) {
  std::vector<Measure> best(commands.size());
  for (int round = 0; round < repetitions; ++round) {
    for (size_t i = 0; i < commands.size(); ++i) {
      if (beforeEach) beforeEach();
      const Measure run = RunMeasured(commands[i]);
      if (afterEach) afterEach();
      best[i].seconds = std::min(best[i].seconds, run.seconds);
      best[i].peakKiloBytes = std::max(best[i].peakKiloBytes, run.peakKiloBytes);
    }
  }
  return best;
}
