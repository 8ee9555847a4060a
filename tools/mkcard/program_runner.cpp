#include "mkcard/program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace mkcard {
namespace {

// Returns the last non-empty line of `text`.
std::string LastLine(const std::string& text) {
  const std::size_t end = text.find_last_not_of("\r\n ");
  if (end == std::string::npos) return {};
  const std::size_t newline = text.rfind('\n', end);
  const std::size_t begin = newline == std::string::npos ? 0 : newline + 1;
  return text.substr(begin, end + 1 - begin);
}

// Reads both pipes until both are closed.
void Drain(int out, int err, std::string& output, std::string& errors) {
  pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
  std::string* sinks[2] = {&output, &errors};
  int open = 2;
  char buffer[65536];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv) {
  ProgramResult result;
  if (argv.empty()) {
    result.failure = "no program to run";
    return result;
  }
  int out[2];
  int err[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    result.failure = std::string("pipe: ") + std::strerror(errno);
    return result;
  }
  if (pipe2(err, O_CLOEXEC) != 0) {
    result.failure = std::string("pipe: ") + std::strerror(errno);
    close(out[0]);
    close(out[1]);
    return result;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err[1], 2);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  close(err[1]);
  if (spawned != 0) {
    close(out[0]);
    close(err[0]);
    result.failure = argv[0] + ": " + std::strerror(spawned);
    return result;
  }
  Drain(out[0], err[0], result.output, result.errors);
  close(out[0]);
  close(err[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      result.failure = argv[0] + ": " + std::strerror(errno);
      return result;
    }
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return result;
  result.failure =
      argv[0] + (WIFEXITED(status) ? " exited with status " + std::to_string(WEXITSTATUS(status))
                                   : " was killed by signal " + std::to_string(WTERMSIG(status)));
  const std::string last = LastLine(result.errors);
  if (!last.empty()) result.failure += ": " + last;
  return result;
}

}  // namespace mkcard
