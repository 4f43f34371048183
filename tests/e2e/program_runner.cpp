// Running a program with fork and exec, its output read through pipes with poll.
#include "program_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace orvendal::e2e {

namespace {

std::vector<std::string> ChildEnvironment(const std::map<std::string, std::string>& extra) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry(*e);
    const std::string name = entry.substr(0, entry.find('='));
    if (extra.count(name) == 0) env.push_back(entry);
  }
  for (const auto& [name, value] : extra) env.push_back(name + "=" + value);
  return env;
}

}  // namespace

RunningProgram::RunningProgram(const std::string& program, const ProgramRun& run)
    : timeout_(run.timeout) {
  int out[2];
  int err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return;
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    return;
  }
  std::vector<std::string> args = run.args;
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env = ChildEnvironment(run.env);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ == 0) {
    const int null = ::open("/dev/null", O_RDONLY);
    if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(out[1], 1) < 0 || ::dup2(err[1], 2) < 0) {
      ::_exit(126);
    }
    if (!run.folder.empty() && ::chdir(run.folder.c_str()) != 0) ::_exit(126);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  out_fd_ = out[0];
  err_fd_ = err[0];
  if (pid_ < 0) {
    ::close(out_fd_);
    ::close(err_fd_);
    out_fd_ = err_fd_ = -1;
  }
}

RunningProgram::~RunningProgram() {
  if (pid_ > 0 && !waited_) {
    Kill();
    (void)Wait();
  }
  if (out_fd_ >= 0) ::close(out_fd_);
  if (err_fd_ >= 0) ::close(err_fd_);
}

void RunningProgram::Kill() {
  if (pid_ > 0 && !waited_) ::kill(pid_, SIGKILL);
}

ProgramResult RunningProgram::Wait() {
  ProgramResult result;
  if (pid_ <= 0 || waited_) return result;
  const auto deadline = std::chrono::steady_clock::now() + timeout_;
  bool out_open = true;
  bool err_open = true;
  char buffer[4096];
  while (out_open || err_open) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timed_out = true;
      ::kill(pid_, SIGKILL);
      break;
    }
    pollfd fds[2] = {{out_open ? out_fd_ : -1, POLLIN, 0}, {err_open ? err_fd_ : -1, POLLIN, 0}};
    const int n = ::poll(fds, 2, static_cast<int>(left.count()));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (!(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        (i == 0 ? result.out : result.err).append(buffer, static_cast<size_t>(got));
      } else {
        (i == 0 ? out_open : err_open) = false;
      }
    }
  }
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  waited_ = true;
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

ProgramResult RunProgram(const std::string& program, const ProgramRun& run) {
  RunningProgram running(program, run);
  return running.Wait();
}

}  // namespace orvendal::e2e
