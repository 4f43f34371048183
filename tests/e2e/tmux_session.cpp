// Driving tmux through its command line, and cutting the program's screen out of a pane.
#include "tmux_session.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "program_runner.h"

namespace orvendal::e2e {

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);
constexpr int kScreenColumns = 80;
constexpr int kScreenRows = 24;

std::atomic<int> g_sessions{0};

// The code points of a UTF-8 line, each as its own string.
std::vector<std::string> Characters(const std::string& line) {
  std::vector<std::string> out;
  for (size_t i = 0; i < line.size();) {
    const unsigned char lead = static_cast<unsigned char>(line[i]);
    size_t length = 1;
    if (lead >= 0xF0) {
      length = 4;
    } else if (lead >= 0xE0) {
      length = 3;
    } else if (lead >= 0xC0) {
      length = 2;
    }
    out.push_back(line.substr(i, length));
    i += length;
  }
  return out;
}

std::string Plain(const std::string& character) {
  static const std::map<std::string, std::string> kLines = {
      {"\u2500", "-"}, {"\u2502", "|"}, {"\u250C", "+"}, {"\u2510", "+"},
      {"\u2514", "+"}, {"\u2518", "+"}, {"\u251C", "+"}, {"\u2524", "+"},
      {"\u252C", "+"}, {"\u2534", "+"}, {"\u253C", "+"},
  };
  auto it = kLines.find(character);
  return it == kLines.end() ? character : it->second;
}

std::string TrimRight(std::string line) {
  while (!line.empty() && line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace

std::string TmuxProgram() {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/bin:/bin");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    const std::filesystem::path candidate = std::filesystem::path(folder) / "tmux";
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
  }
  return {};
}

TmuxSession::TmuxSession(int columns, int rows) : columns_(columns), rows_(rows) {
  const std::string name =
      "orvendal-" + std::to_string(::getpid()) + "-" + std::to_string(++g_sessions);
  socket_ = name;
  config_ = (std::filesystem::temp_directory_path() / (name + ".conf")).string();
  status_file_ = (std::filesystem::temp_directory_path() / (name + ".status")).string();
  std::ofstream(config_) << "set -g status off\n"
                            "set -g escape-time 0\n"
                            "set -g default-terminal tmux-256color\n";
}

TmuxSession::~TmuxSession() {
  std::error_code ec;
  if (started_) {
    // The server leaves its socket behind.
    const std::string socket_path = Tmux({"display-message", "-p", "#{socket_path}"});
    (void)Tmux({"kill-server"});
    if (!socket_path.empty()) {
      std::filesystem::remove(socket_path.substr(0, socket_path.find('\n')), ec);
    }
  }
  std::filesystem::remove(config_, ec);
  std::filesystem::remove(status_file_, ec);
}

std::string TmuxSession::Tmux(std::vector<std::string> args, int* exit_code) {
  args.insert(args.begin(), {"-u", "-L", socket_, "-f", config_});
  ProgramRun run;
  run.args = std::move(args);
  run.env["LC_ALL"] = "C.UTF-8";
  run.timeout = std::chrono::milliseconds(10000);
  const ProgramResult result = RunProgram(TmuxProgram(), run);
  if (exit_code) *exit_code = result.exit_code;
  if (result.exit_code != 0) error_ = result.err;
  return result.out;
}

bool TmuxSession::Start(const std::string& folder, const std::string& command,
                        const std::map<std::string, std::string>& env) {
  std::vector<std::string> args = {
      "new-session",         "-d", "-s",  "t", "-x", std::to_string(columns_), "-y",
      std::to_string(rows_), "-c", folder};
  for (const auto& [name, value] : env) {
    args.push_back("-e");
    args.push_back(name + "=" + value);
  }
  // The shell writes the exit status down (tmux does not learn it for a program that used the
  // alternate screen) and stays, so that the terminal's modes can still be read.
  args.push_back(command + "; echo $? > " + status_file_ + ".new; mv " + status_file_ + ".new " +
                 status_file_ + "; sleep 600");
  int code = -1;
  (void)Tmux(args, &code);
  started_ = code == 0;
  return started_;
}

void TmuxSession::Keys(const std::vector<std::string>& keys) {
  std::vector<std::string> args = {"send-keys", "-t", "t"};
  args.insert(args.end(), keys.begin(), keys.end());
  (void)Tmux(args);
}

void TmuxSession::Literal(const std::string& bytes) {
  (void)Tmux({"send-keys", "-t", "t", "-l", bytes});
}

void TmuxSession::Resize(int columns, int rows) {
  columns_ = columns;
  rows_ = rows;
  (void)Tmux(
      {"resize-window", "-t", "t", "-x", std::to_string(columns), "-y", std::to_string(rows)});
}

std::vector<std::string> TmuxSession::Capture() {
  const std::string text = Tmux({"capture-pane", "-p", "-t", "t"});
  std::vector<std::string> lines;
  std::stringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(TrimRight(line));
  return lines;
}

bool TmuxSession::WaitFor(const std::string& text, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    for (const std::string& line : Capture()) {
      if (line.find(text) != std::string::npos) return true;
    }
    std::this_thread::sleep_for(kPollInterval);
  }
  return false;
}

int TmuxSession::WaitForExit(std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < deadline) {
    std::ifstream in(status_file_);
    int status = -1;
    if (in >> status) return status;
    std::this_thread::sleep_for(kPollInterval);
  }
  return -1;
}

std::string TmuxSession::Format(const std::string& format) {
  std::string out = Tmux({"display-message", "-p", "-t", "t", format});
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

std::vector<std::string> ProgramScreen(const std::vector<std::string>& pane, int columns, int rows,
                                       std::vector<std::string>* outside) {
  const int top = (rows - kScreenRows) / 2;
  const int left = (columns - kScreenColumns) / 2;
  std::vector<std::string> screen;
  for (int r = 0; r < static_cast<int>(pane.size()); ++r) {
    const std::vector<std::string> characters = Characters(pane[static_cast<size_t>(r)]);
    std::string inside;
    std::string beside;
    for (int c = 0; c < static_cast<int>(characters.size()); ++c) {
      const bool in_screen =
          r >= top && r < top + kScreenRows && c >= left && c < left + kScreenColumns;
      (in_screen ? inside : beside) += Plain(characters[static_cast<size_t>(c)]);
    }
    if (r >= top && r < top + kScreenRows) screen.push_back(TrimRight(inside));
    beside = TrimRight(beside);
    if (outside && beside.find_first_not_of(' ') != std::string::npos) outside->push_back(beside);
  }
  while (static_cast<int>(screen.size()) < kScreenRows) screen.emplace_back();
  return screen;
}

}  // namespace orvendal::e2e
