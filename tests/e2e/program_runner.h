// Runs a real program as a user or a script would: arguments, extra environment variables, a
// working folder, standard input from /dev/null, standard output and error captured, a time
// limit. A program can also be left running (to be killed, or to run beside another copy).
#pragma once

#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace orvendal::e2e {

struct ProgramRun {
  std::vector<std::string> args;
  std::map<std::string, std::string> env;  // added to (or replacing in) the test's environment
  std::string folder;                      // the working folder; empty keeps the test's
  std::chrono::milliseconds timeout{30000};
};

struct ProgramResult {
  int exit_code = -1;  // the exit status, or -1 when the program did not exit by itself
  int signal = 0;      // the signal that ended it
  bool timed_out = false;
  std::string out;
  std::string err;
};

// A started program whose output is read when it is waited for.
class RunningProgram {
 public:
  RunningProgram(const std::string& program, const ProgramRun& run);
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  bool started() const { return pid_ > 0; }
  // Ends the program with SIGKILL, as a crash or a power cut would.
  void Kill();
  // Waits until the program ends (killing it after the time limit) and collects its output.
  ProgramResult Wait();

 private:
  pid_t pid_ = -1;
  int out_fd_ = -1;
  int err_fd_ = -1;
  std::chrono::milliseconds timeout_;
  bool waited_ = false;
};

// Starts the program and waits for it.
ProgramResult RunProgram(const std::string& program, const ProgramRun& run);

}  // namespace orvendal::e2e
