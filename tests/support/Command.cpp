#include "Command.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

CommandResult RunCommand(const std::vector<std::string>& arguments, const std::string& input) {
  CommandResult result;
  int in[2], out[2], err[2];
  if (pipe2(in, O_CLOEXEC) || pipe2(out, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return result;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(out[1]);
  close(err[1]);
  if (spawned == 0 && !input.empty()) {
    (void)!write(in[1], input.data(), input.size());
  }
  close(in[1]);

  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.output, &result.errors};
  int open = 2;
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[65536];
      const ssize_t count = read(fds[i].fd, buffer, sizeof buffer);
      if (count <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      } else {
        sinks[i]->append(buffer, static_cast<size_t>(count));
      }
    }
  }
  if (spawned != 0) return result;
  int status = 0;
  waitpid(pid, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

ChildProcess::ChildProcess(const std::vector<std::string>& arguments) {
  int in[2], err[2];
  if (pipe2(in, O_CLOEXEC) || pipe2(err, O_CLOEXEC)) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<char*> argv;
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) pid_ = pid;
  posix_spawn_file_actions_destroy(&actions);
  close(in[0]);
  close(err[1]);
  input_ = in[1];
  errors_ = err[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (input_ >= 0) close(input_);
  if (errors_ >= 0) close(errors_);
}

void ChildProcess::Write(const std::string& text) { (void)!write(input_, text.data(), text.size()); }

std::string ChildProcess::ReadErrorsUntil(const std::string& text) {
  while (errorText_.find(text) == std::string::npos) {
    char buffer[4096];
    const ssize_t count = read(errors_, buffer, sizeof buffer);
    if (count <= 0) break;
    errorText_.append(buffer, static_cast<size_t>(count));
  }
  return errorText_;
}

int ChildProcess::Wait() {
  if (pid_ <= 0) return -1;
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
