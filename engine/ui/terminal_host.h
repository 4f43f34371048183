// TerminalHost: the WindowHost for a person at a terminal. It keeps the same window model as
// the headless host and the same 80 by 24 screen (screen_render.h), draws that screen with the
// terminal library (ncursesw) centred on the terminal, and feeds the model the keys and mouse
// clicks the terminal reports (terminal_keys.h). Text is Windows-1252 inside and UTF-8 on the
// terminal; a typed character without a Windows-1252 form is refused with a beep.
//
// A terminal smaller than the screen shows a message until it is made larger; a resize redraws.
// The terminal is given back as it was when the host stops, when the process ends by a failed
// invariant (ReleaseDisplay), and when it is ended by a signal (SIGINT, SIGTERM, SIGHUP, SIGQUIT,
// a crash): the handlers restore the terminal and let the signal take its course.
#pragma once

#include <cstdint>
#include <string>

#include "engine/ui/screen_render.h"
#include "engine/ui/terminal_keys.h"
#include "engine/ui/terminal_screen.h"
#include "engine/ui/window_model.h"

namespace engine {

// How long an Esc waits for the rest of a key sequence, in milliseconds.
inline constexpr int kEscDelayMilliseconds = 50;

class TerminalHost : public WindowModel {
 public:
  TerminalHost();
  ~TerminalHost() override;
  TerminalHost(const TerminalHost&) = delete;
  TerminalHost& operator=(const TerminalHost&) = delete;

  // Takes over the terminal of standard input and output. False, with the reason, when either
  // is no terminal or the terminal type is unknown; nothing is changed then.
  bool Start(std::string* reason);
  // Gives the terminal back as it was; safe to call more than once.
  void Stop();
  bool started() const { return started_; }

  BoxButton MessageBox(StrRef text, StrRef title, int kind) override;
  void ReleaseDisplay() override { Stop(); }

 protected:
  bool PullInput(InputWait wait) override;

 private:
  void Draw();
  // One read from the terminal within `timeout` milliseconds (-1 waits).
  TerminalRead Read(int timeout);
  // Reads and acts on one input; in a message box a key or click may answer it (*answered).
  // False when nothing came within the time.
  bool ReadAndAct(int timeout, BoxButton* answer = nullptr, bool* answered = nullptr);
  void Mouse(BoxButton* answer, bool* answered);
  void BindExtraKeys();

  bool started_ = false;
  bool utf8_ = false;
  void* screen_ = nullptr;  // the terminal library's screen
  ScreenGrid grid_;         // the screen as last drawn
  ScreenPlacement placement_;
  TerminalKeyDecoder decoder_;
  uint32_t last_draw_ = 0;
  TerminalRead pending_;  // read after an Esc but no part of it
};

}  // namespace engine
