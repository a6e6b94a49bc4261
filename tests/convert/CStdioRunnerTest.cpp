#include "convert/CStdioRunner.h"
#include "convert/CommandLineArguments.h"
#include "support/EventLoop.h"
#include "support/ProcessStat.h"
#include "support/QtTestApplication.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <tuple>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Reports reach the receiver through the runner's thread's event loop.
[[maybe_unused]] const auto* const qtApplication =
    ::testing::AddGlobalTestEnvironment(new QtTestApplication<QCoreApplication>());

// A safety net against a hang, not a speed goal.
constexpr auto kPatience = 30s;

bool IsAlive(pid_t pid) {
  const auto process = ReadProcessStat(pid);
  return process && process->state != 'Z' && process->state != 'X';
}

std::vector<pid_t> LiveMembersOf(pid_t group) {
  std::vector<pid_t> members;
  for (const auto& [pid, process] : AllProcesses()) {
    if (process.group == group && process.state != 'Z' && process.state != 'X') members.push_back(pid);
  }
  return members;
}

// A kill takes effect a moment after it was sent, so this waits for it.
bool GroupEnds(pid_t group) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!LiveMembersOf(group).empty()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

size_t OpenDescriptorCount() {
  return static_cast<size_t>(std::distance(fs::directory_iterator("/proc/self/fd"), {}));
}

class StdioRunnerTest : public ::testing::Test {
 protected:
  StdioRunnerTest() {
    QObject::connect(runner.get(), &CStdioRunner::Reported, &receiver,
                     [this](const StdioReport& report) {
                       reports.push_back(report);
                       if (onReport) onReport(report);
                     });
  }

  std::vector<int> Codes() const {
    std::vector<int> codes;
    for (const auto& report : reports) codes.push_back(report.code);
    return codes;
  }
  std::vector<std::string> Chunks() const {
    std::vector<std::string> chunks;
    for (const auto& report : reports) {
      if (report.code == kStdioOutput) chunks.push_back(report.text);
    }
    return chunks;
  }
  std::string Output() const {
    std::string output;
    for (const auto& chunk : Chunks()) output += chunk;
    return output;
  }
  size_t EndCount() const {
    const std::vector<int> codes = Codes();
    return static_cast<size_t>(std::count(codes.begin(), codes.end(), kStdioEnded));
  }
  bool WaitForEnd() {
    return ProcessEventsUntil([this] { return EndCount() > 0; }, kPatience);
  }
  bool WaitForOutput() {
    return ProcessEventsUntil([this] { return !Chunks().empty(); }, kPatience);
  }

  QObject receiver;
  std::vector<StdioReport> reports;
  std::function<void(const StdioReport&)> onReport;
  TempFolder folder;
  std::unique_ptr<CStdioRunner> runner = std::make_unique<CStdioRunner>();
};

std::string ShellCommand(const std::string& script) { return "sh -c " + QuoteArgument(script); }

}  // namespace

TEST_F(StdioRunnerTest, CarriageReturnProgressArrivesChunkByChunk) {
  // The child writes its next line only once the previous one was received.
  onReport = [this](const StdioReport& report) {
    if (report.code == kStdioOutput) runner->WriteToStdin("\n");
  };
  ASSERT_TRUE(runner->Start(
      ShellCommand(R"(printf '10%%\r'; read a; printf '20%%\r'; read b; printf '30%%\r')")));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(Chunks(), (std::vector<std::string>{"10%\r", "20%\r", "30%\r"}));
  EXPECT_EQ(Codes(), (std::vector<int>{kStdioStarted, kStdioOutput, kStdioOutput, kStdioOutput,
                                       kStdioEnded}));
  EXPECT_EQ(reports.back().exitCode, 0);
}

TEST_F(StdioRunnerTest, ANulByteCutsTheChunk) {
  const std::pair<std::string, std::string> cases[] = {{R"(ab\000cd)", "ab"}, {R"(\000xy)", ""}};
  for (const auto& [written, reported] : cases) {
    reports.clear();
    ASSERT_TRUE(runner->Start(ShellCommand("printf '" + written + "'")));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Chunks(), std::vector<std::string>{reported}) << written;
  }
}

TEST_F(StdioRunnerTest, AllOutputArrivesInChunksOfAtMost256BytesBeforeTheEnd) {
  const std::pair<std::string, std::string> cases[] = {
      {"head -c 5000 /dev/zero | tr '\\0' x", std::string(5000, 'x')},
      {"echo to standard error >&2", "to standard error\n"},
  };
  for (const auto& [script, output] : cases) {
    reports.clear();
    ASSERT_TRUE(runner->Start(ShellCommand(script)));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(Output(), output) << script;
    for (const auto& chunk : Chunks()) EXPECT_LE(chunk.size(), 256u);
    EXPECT_EQ(Codes().back(), kStdioEnded) << "nothing after the end";
  }
}

TEST_F(StdioRunnerTest, AnImmediateExitStillReportsStartedBeforeEnded) {
  ASSERT_TRUE(runner->Start("true"));
  EXPECT_EQ(Codes(), std::vector<int>{kStdioStarted}) << "started is reported before Start returns";
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(Codes(), (std::vector<int>{kStdioStarted, kStdioEnded}));
  EXPECT_FALSE(runner->IsRunning());
}

TEST_F(StdioRunnerTest, TheEndTellsHowTheChildEnded) {
  const std::tuple<std::string, int, int> cases[] = {{"true", 0, 0},
                                                     {ShellCommand("exit 3"), 3, 0},
                                                     {ShellCommand("exit 137"), 137, 0},
                                                     {ShellCommand("kill -9 $$"), 128 + SIGKILL, SIGKILL},
                                                     {ShellCommand("kill -SEGV $$"), 128 + SIGSEGV, SIGSEGV}};
  for (const auto& [command, exitCode, signalNumber] : cases) {
    reports.clear();
    ASSERT_TRUE(runner->Start(command));
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(reports.back().exitCode, exitCode) << command;
    EXPECT_EQ(reports.back().signalNumber, signalNumber) << command;
  }
}

TEST_F(StdioRunnerTest, AFailedStartSaysWhyAndReportsNothing) {
  const std::string notAProgram = folder / "notes.txt";
  std::ofstream(notAProgram) << "not a program\n";
  for (const std::string& line :
       {std::string(), std::string("  "), std::string("tolvar-no-such-program -y"), notAProgram}) {
    EXPECT_FALSE(runner->Start(line)) << line;
    EXPECT_EQ(runner->LastStartError(), "Unable to start " + line + "\n");
    EXPECT_FALSE(runner->IsRunning());
  }
  QCoreApplication::processEvents();
  EXPECT_TRUE(reports.empty());

  ASSERT_TRUE(runner->Start("true")) << "a failed start leaves the runner usable";
  EXPECT_EQ(runner->LastStartError(), "");
  ASSERT_TRUE(WaitForEnd());
}

TEST_F(StdioRunnerTest, TerminateAndWriteBeforeAnyStartDoNothing) {
  runner->Terminate();
  runner->WriteToStdin("q\r\n");
  QCoreApplication::processEvents();
  EXPECT_TRUE(reports.empty());
  EXPECT_FALSE(runner->IsRunning());

  ASSERT_TRUE(runner->Start("true"));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(reports.back().exitCode, 0) << "the program and its runner are still there";
}

TEST_F(StdioRunnerTest, TerminateKillsTheChildAndTheGrandchildItWaitsFor) {
  ASSERT_TRUE(runner->Start(ShellCommand("echo $$; sleep 60; echo after")));
  ASSERT_TRUE(WaitForOutput());
  const pid_t child = std::stoi(Chunks().front());
  EXPECT_TRUE(runner->IsRunning());

  runner->Terminate();
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(reports.back().exitCode, 128 + SIGKILL);
  EXPECT_EQ(Output().find("after"), std::string::npos);
  EXPECT_FALSE(runner->IsRunning());
  EXPECT_TRUE(GroupEnds(child));
}

TEST_F(StdioRunnerTest, TheQuitRequestReachesTheChild) {
  ASSERT_TRUE(runner->Start("head -c 3"));
  runner->WriteToStdin("q\r\n");
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(Output(), "q\r\n");
  EXPECT_EQ(reports.back().exitCode, 0);
}

// The wait needs no event loop: the child ends and is reaped while its
// output waits to be handled, which it still is afterwards. One that does
// not end is left running when the wait runs out.
TEST_F(StdioRunnerTest, WaitingUntilTheChildEndsNeedsNoEventLoop) {
  EXPECT_TRUE(runner->WaitUntilEnded(0ms)) << "no child, nothing to wait for";

  ASSERT_TRUE(runner->Start(ShellCommand("echo asked; read answer; echo \"$answer\"")));
  runner->WriteToStdin("q\n");
  EXPECT_TRUE(runner->WaitUntilEnded(kPatience));
  EXPECT_FALSE(runner->IsRunning());
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(Output(), "asked\nq\n");
  EXPECT_EQ(reports.back().exitCode, 0);

  ASSERT_TRUE(runner->Start("sleep 60"));
  EXPECT_FALSE(runner->WaitUntilEnded(50ms));
  EXPECT_TRUE(runner->IsRunning());
  runner->Terminate();
  EXPECT_TRUE(runner->WaitUntilEnded(kPatience));
}

TEST_F(StdioRunnerTest, WritingToStdinNeitherBlocksNorKillsTheProgram) {
  ASSERT_TRUE(runner->Start("sleep 60"));
  runner->WriteToStdin(std::string(1 << 20, 'x'));  // far more than a pipe holds, never read
  runner->Terminate();
  ASSERT_TRUE(WaitForEnd());

  ASSERT_TRUE(runner->Start("true"));
  ASSERT_TRUE(ProcessEventsUntil([this] { return EndCount() == 2; }, kPatience));
  runner->WriteToStdin("q\r\n");  // the child has gone: its pipe is broken
  runner->WriteToStdin("q\r\n");
  QCoreApplication::processEvents();
  EXPECT_EQ(Codes().back(), kStdioEnded);
}

TEST_F(StdioRunnerTest, QuotedArgumentsReachTheChildUnchanged) {
  const std::vector<std::string> arguments = {
      "a b", R"(a" -f x "b.avi)", R"(C:\dir\)", "", "q\"", "$HOME *"};
  std::string line = "printf " + QuoteArgument("[%s]");
  std::string expected;
  for (const auto& argument : arguments) {
    line += " " + QuoteArgument(argument);
    expected += "[" + argument + "]";
  }
  ASSERT_TRUE(runner->Start(line));
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(Output(), expected);
}

TEST_F(StdioRunnerTest, DestroyingTheRunnerWhileItsReportsWaitDoesNotHang) {
  // No events are processed, so the readers are left waiting for their
  // reports to be handled; the grandchild sleep holds the pipes.
  const std::string pidFile = folder / "pid";
  ASSERT_TRUE(
      runner->Start(ShellCommand("echo one; echo two >&2; echo $$ > " + pidFile + ".tmp; mv " +
                                 pidFile + ".tmp " + pidFile + "; sleep 60")));
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!fs::exists(pidFile) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(10ms);
  }
  pid_t child = 0;
  ASSERT_TRUE(std::ifstream(pidFile) >> child);

  runner.reset();
  EXPECT_TRUE(GroupEnds(child));
  QCoreApplication::processEvents();
  EXPECT_EQ(Codes(), std::vector<int>{kStdioStarted})
      << "reports of a runner that is gone are dropped";
}

TEST_F(StdioRunnerTest, AGrandchildHoldingThePipesDelaysNeitherTheEndNorTheDestruction) {
  // The grandchild leaves the child's process group, so no kill reaches it.
  ASSERT_TRUE(runner->Start(ShellCommand("setsid sleep 60 & echo $!")));
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(Chunks().size(), 1u) << "its output came before its end";
  const pid_t grandchild = std::stoi(Chunks().front());
  EXPECT_TRUE(IsAlive(grandchild));
  EXPECT_EQ(reports.back().exitCode, 0);

  runner.reset();
  kill(grandchild, SIGKILL);
}

TEST_F(StdioRunnerTest, TheReceiverMayDestroyTheRunnerWhileHandlingAReport) {
  onReport = [this](const StdioReport& report) {
    if (report.code == kStdioOutput) runner.reset();
  };
  ASSERT_TRUE(runner->Start(ShellCommand("echo $$; exec sleep 60")));
  ASSERT_TRUE(ProcessEventsUntil([this] { return runner == nullptr; }, kPatience));
  const pid_t child = std::stoi(Chunks().front());
  EXPECT_FALSE(IsAlive(child));
  QCoreApplication::processEvents();
  EXPECT_EQ(Codes(), (std::vector<int>{kStdioStarted, kStdioOutput}));
}

TEST_F(StdioRunnerTest, TheEndReportMayStartTheNextChildAndNoDescriptorIsLeft) {
  // The runner's own descriptor, which wakes its thread, goes with it.
  const size_t descriptorsBefore = OpenDescriptorCount() - 1;
  constexpr int kTasks = 6;
  int started = 1;
  onReport = [&](const StdioReport& report) {
    if (report.code == kStdioEnded && started < kTasks) {
      ++started;
      ASSERT_TRUE(runner->Start("printf task" + std::to_string(started)));
    }
  };
  ASSERT_TRUE(runner->Start("printf task1"));
  ASSERT_TRUE(ProcessEventsUntil([&] { return EndCount() == kTasks; }, kPatience));

  std::string expected;
  std::vector<int> codes;
  for (int task = 1; task <= kTasks; ++task) {
    expected += "task" + std::to_string(task);
    codes.insert(codes.end(), {kStdioStarted, kStdioOutput, kStdioEnded});
  }
  EXPECT_EQ(Output(), expected);
  EXPECT_EQ(Codes(), codes);
  runner.reset();
  EXPECT_EQ(OpenDescriptorCount(), descriptorsBefore);
}
