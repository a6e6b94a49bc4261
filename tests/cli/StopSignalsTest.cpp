#include "cli/StopSignals.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace {

TEST(StopSignals, ASignalIsTakenInsteadOfEndingTheProgram) {
  StopSignals watcher({SIGINT, SIGTERM});
  raise(SIGTERM);
  EXPECT_EQ(watcher.Take(), SIGTERM);
  EXPECT_EQ(watcher.Take(), std::nullopt);
}

// The program writes its result lines after the run, while its signal
// watcher is being torn down: a Ctrl+C then must not end it.
TEST(StopSignalsDeathTest, ASignalAfterTheWatcherHasGoneDoesNotEndTheProgram) {
  EXPECT_EXIT(
      {
        { StopSignals watcher({SIGINT}); }
        raise(SIGINT);
        std::exit(7);
      },
      ::testing::ExitedWithCode(7), "");
}

}  // namespace
