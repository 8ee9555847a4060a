#include "mkcard/program_runner.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

}  // namespace

std::string RunProgram(const std::vector<std::string>& argv) {
  if (argv.empty()) return "no program to run";
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return std::string("pipe: ") + std::strerror(errno);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 1);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 2);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (spawned != 0) {
    close(pipeEnds[0]);
    return argv[0] + ": " + std::strerror(spawned);
  }
  std::string output;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    if (got > 0) {
      output.append(buffer, static_cast<std::size_t>(got));
    } else if (got == 0 || errno != EINTR) {
      break;
    }
  }
  close(pipeEnds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return argv[0] + ": " + std::strerror(errno);
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return {};
  std::string account = argv[0];
  account += WIFEXITED(status) ? " exited with status " + std::to_string(WEXITSTATUS(status))
                               : " was killed by signal " + std::to_string(WTERMSIG(status));
  const std::string last = LastLine(output);
  if (!last.empty()) account += ": " + last;
  return account;
}

}  // namespace mkcard
