#include "tests/e2e/host_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

extern char** environ;

namespace ulvo::e2e {
namespace {

struct Pipe {
  int fd[2] = {-1, -1};
  ~Pipe() {
    for (int f : fd) {
      if (f >= 0) close(f);
    }
  }
  bool Open() { return pipe2(fd, O_CLOEXEC) == 0; }
  void CloseWrite() {
    close(fd[1]);
    fd[1] = -1;
  }
};

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::string& cwd,
                         int timeoutSeconds) {
  ProcessResult result;
  Pipe out, err;
  if (argv.empty() || !out.Open() || !err.Open()) return result;

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out.fd[1], 1);
  posix_spawn_file_actions_adddup2(&actions, err.fd[1], 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  // Its own process group, so that a timeout ends everything it started.
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    result.err = "cannot start " + argv[0];
    return result;
  }
  result.started = true;
  out.CloseWrite();
  err.CloseWrite();

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  pollfd fds[2] = {{out.fd[0], POLLIN, 0}, {err.fd[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  // Helpers the child leaves behind (Wine starts some) may keep the pipes
  // open: the child's own exit ends the reading.
  bool exited = false;
  int status = 0;
  for (;;) {
    const int ready = poll(fds, 2, exited ? 0 : 100);
    if (ready < 0 && errno != EINTR) break;
    bool readSomething = false;
    for (int i = 0; ready > 0 && i < 2; ++i) {
      if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      char buffer[4096];
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<size_t>(n));
        readSomething = true;
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
      }
    }
    if (fds[0].fd < 0 && fds[1].fd < 0 && !exited) {
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      exited = true;
    }
    if (exited && !readSomething) break;
    if (!exited && waitpid(pid, &status, WNOHANG) == pid) exited = true;
    if (!exited && std::chrono::steady_clock::now() >= deadline) {
      result.timedOut = true;
      kill(-pid, SIGKILL);
      while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
      }
      exited = true;
    }
  }
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return result;
}

}  // namespace ulvo::e2e
