// A program run on a real terminal: a tmux server of its own (its own socket, killed at the end)
// with one pane of a given size in which the program runs, keys sent to it as a user types them,
// and the screen read back. The pane's shell stays after the program ends, so that its exit
// status and the terminal's modes can be read.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace orvendal::e2e {

// The tmux program found along PATH; empty when there is none.
std::string TmuxProgram();

class TmuxSession {
 public:
  TmuxSession(int columns, int rows);
  ~TmuxSession();
  TmuxSession(const TmuxSession&) = delete;
  TmuxSession& operator=(const TmuxSession&) = delete;

  // Starts `command` (run by /bin/sh, which stays to note its exit status) in `folder` with the
  // extra environment; false when tmux refused (the reason in error()).
  bool Start(const std::string& folder, const std::string& command,
             const std::map<std::string, std::string>& env);
  // Keys by tmux's names ("F10", "Enter", "Escape", "Down", "C-]" ...), sent at once.
  void Keys(const std::vector<std::string>& keys);
  // Bytes sent as they are.
  void Literal(const std::string& bytes);
  void Resize(int columns, int rows);
  // The pane as lines of UTF-8 text, trailing blanks removed.
  std::vector<std::string> Capture();
  // Waits until some line of the pane holds `text`; false after the time limit.
  bool WaitFor(const std::string& text,
               std::chrono::milliseconds limit = std::chrono::milliseconds(10000));
  // Waits until the command has ended; its exit status as the shell gives it (128 + n for
  // signal n), -1 when it runs on after the time limit.
  int WaitForExit(std::chrono::milliseconds limit = std::chrono::milliseconds(10000));
  // A tmux format of the pane ("#{alternate_on}" ...).
  std::string Format(const std::string& format);
  const std::string& error() const { return error_; }

 private:
  std::string Tmux(std::vector<std::string> args, int* exit_code = nullptr);

  std::string socket_;
  std::string config_;
  std::string status_file_;
  int columns_;
  int rows_;
  bool started_ = false;
  std::string error_;
};

// The program's 80 x 24 screen cut out of a captured pane in which it is centred, frame lines
// written as '+', '-' and '|' (the characters the screen dump uses), trailing blanks removed.
// Lines outside the screen that are not blank are added to *outside when given.
std::vector<std::string> ProgramScreen(const std::vector<std::string>& pane, int columns, int rows,
                                       std::vector<std::string>* outside = nullptr);

}  // namespace orvendal::e2e
