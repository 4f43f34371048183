// The platform's SystemServices on POSIX: /bin/sh started with posix_spawn, its output read from
// a pipe, its words in single quotes, and nanosleep.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <string>

#include "engine/core/file_system_posix.h"
#include "engine/proc/system_services.h"

extern char** environ;

namespace engine {

namespace {

constexpr char kShell[] = "/bin/sh";
constexpr size_t kChunk = 1024;

int ExitStatusOf(int wait_status) {
  if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
  return -1;
}

class PosixSystemServices final : public SystemServices {
 public:
  Status RunCommand(std::string_view command, const OutputSink& sink, int* exit_status) override {
    *exit_status = -1;
    int pipe_fds[2];
    if (::pipe2(pipe_fds, O_CLOEXEC) != 0) return kInternalError;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
    ::posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 2);
    std::string line(command);
    char shell_name[] = "sh";
    char option[] = "-c";
    char* argv[] = {shell_name, option, line.data(), nullptr};
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, kShell, &actions, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_fds[1]);
    if (spawned != 0) {
      ::close(pipe_fds[0]);
      return kChildExecError;
    }
    char buffer[kChunk];
    while (true) {
      const ssize_t got = ::read(pipe_fds[0], buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      if (sink) sink(std::string_view(buffer, static_cast<size_t>(got)));
    }
    ::close(pipe_fds[0]);
    int wait_status = 0;
    pid_t waited;
    do {
      waited = ::waitpid(pid, &wait_status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited != pid) return kChildExecError;
    *exit_status = ExitStatusOf(wait_status);
    return kOk;
  }

  // The value in single quotes, each quote inside written as '\''.
  std::string CommandWord(std::string_view value) override {
    std::string word = "'";
    for (const char c : PathNative(value)) {
      if (c == '\'') {
        word += "'\\''";
      } else {
        word += c;
      }
    }
    word += '\'';
    return word;
  }

  void Pause(uint32_t milliseconds) override {
    timespec wait{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (::nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
  }
};

}  // namespace

SystemServices& PlatformSystemServices() {
  static PosixSystemServices services;
  return services;
}

}  // namespace engine
