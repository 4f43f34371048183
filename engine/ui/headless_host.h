// HeadlessHost: the WindowHost without a display, for tests and batch runs. Windows and
// controls are the plain records of the WindowModel; the user is a script, one queue of
// entries that keys, typed text, clicks and message-box answers share. The script can be
// filled from a file (one entry a line):
//
//   Enter  Esc  Tab  Shift+Tab  Space  Backspace  Del  Up  Down  Left  Right  PgUp  PgDn
//   Home  End  Ctrl+End  Ctrl+]  F1 .. F12  Alt+<letter>
//   text:<characters to type>     click:<control identifier in the active window>
//   # a comment (ignored), and empty lines
//
// Key names are matched without regard to case; typed text is UTF-8 (a line that is no UTF-8
// is taken as Windows-1252), and a character without a Windows-1252 form makes the line bad.
// Answers queued for message boxes (QueueAnswer) wait at the head of the queue until a box takes
// them. A message box takes the entries it needs: Enter presses its focused button (the default one
// at first), Esc its Cancel or else No button, a typed letter the button whose caption starts with
// it, Tab and the arrows move between its buttons.
//
// When the engine waits for input and the script is used up, the user is taken to have
// closed the active window: it gets a close request, and a message box gets its default
// answer (so the close confirmation is answered yes). A window that refuses two close
// requests in a row, or a wait with no window left, ends the event loop with a quit request,
// so that a batch run always ends.
//
// Every box shown is recorded, and in a batch run also echoed to a stream (standard error) so
// that what the program said reaches the user. The screen can be dumped as text
// (screen_render.h); with a screen log set, the screen is appended to it, as UTF-8, each time
// the engine waits for input.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ui/window_model.h"

namespace engine {

class File;

struct MessageBoxRecord {
  std::string title;
  std::string text;
  int kind = 0;
  BoxButton answer = BoxButton::kOk;
};

class HeadlessHost : public WindowModel {
 public:
  HeadlessHost();
  ~HeadlessHost() override;

  BoxButton MessageBox(StrRef text, StrRef title, int kind) override;
  uint32_t TickCount() override;

  // -- The script
  // Queues the answer for a coming message box (a box that does not show it gives its
  // default button).
  void QueueAnswer(BoxButton answer);
  void QueueKey(const KeyInput& key);
  void QueueText(std::string_view text);
  void QueueClick(uint16_t id);
  // Queues one entry written as in a script file. False (nothing queued) for a line that
  // names no key.
  bool QueueLine(std::string_view line);
  // Queues every line of a script text; on a bad line nothing is queued and *bad_line (when
  // given) receives its number (from 1). Answers 0 or kBadInputData.
  [[nodiscard]] Status QueueScript(std::string_view script, size_t* bad_line = nullptr);
  // Reads a script file through the current FileSystem and queues it: 164 when it cannot be
  // read, kBadInputData for a bad line (nothing is queued then).
  [[nodiscard]] Status LoadScriptFile(std::string_view path, size_t* bad_line = nullptr);
  size_t queued() const { return script_.size(); }
  size_t queued_answers() const { return script_.size(); }

  // -- What was shown
  const std::vector<MessageBoxRecord>& boxes() const { return boxes_; }
  // The screen as 24 lines of text.
  std::string Dump() const;
  // Appends the screen, after a line "--- screen N", to this file each time the engine waits
  // for input or a box is shown; the empty path stops it.
  void SetScreenLog(std::string_view path) { screen_log_ = path; }
  // Tick counting by hand: TickCount answers a counter moved by AdvanceTicks.
  void UseManualTicks(bool manual) { manual_ticks_ = manual; }
  void AdvanceTicks(uint32_t milliseconds) { ticks_ += milliseconds; }
  void Clear();
  // Echoes every box from now on to `stream` as "title: text" (the answer in brackets when the
  // box offers a choice), in UTF-8; null stops the echo. The caller keeps ownership.
  void EchoTo(File* stream) { echo_ = stream; }

 protected:
  bool PullInput(InputWait wait) override;

 private:
  struct Entry {
    enum class Kind : uint8_t { kKey, kText, kClick, kAnswer };
    Kind kind = Kind::kKey;
    KeyInput key;
    std::string text;
    uint16_t id = 0;
    BoxButton answer = BoxButton::kOk;
  };
  static bool ParseLine(std::string_view line, Entry* entry, bool* skip);
  void Feed(const Entry& entry);
  void LogScreen();
  void Echo(const MessageBoxRecord& box, const BoxStyle& style);

  std::deque<Entry> script_;
  std::vector<MessageBoxRecord> boxes_;
  std::string screen_log_;
  uint32_t screens_logged_ = 0;
  WinHandle last_closed_ = kNoWindow;
  bool manual_ticks_ = false;
  uint32_t ticks_ = 0;
  File* echo_ = nullptr;
};

}  // namespace engine
