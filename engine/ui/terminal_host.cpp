// The terminal host: the terminal library's screen, the drawing of the model's screen, keys and
// mouse clicks into the model, and giving the terminal back on every way out.
#define NCURSES_NOMACROS 1
#include "engine/ui/terminal_host.h"

#include <curses.h>
#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "engine/ui/cp1252.h"

namespace engine {

namespace {

constexpr int kStdIn = 0;
constexpr int kStdOut = 1;
constexpr uint32_t kPollDrawMilliseconds = 50;
constexpr int kDoubleClickMilliseconds = 250;
constexpr short kPaintedPair = 1;
// Key codes for the sequences the host binds itself, clear of those the library assigns.
constexpr int32_t kFirstExtraKeyCode = 0x2000;
constexpr const char* kMouseOff = "\033[?1000l\033[?1002l\033[?1006l";

// What a signal handler needs to give the terminal back: only plain data, written at start.
struct SavedTerminal {
  volatile sig_atomic_t active = 0;
  termios original{};
  char leave[512] = {};
  size_t leave_length = 0;
};
SavedTerminal g_saved;

constexpr int kExitSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGABRT};
constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
struct sigaction g_previous[NSIG];
bool g_installed[NSIG] = {};

void RestoreTerminalNow() {
  if (!g_saved.active) return;
  g_saved.active = 0;
  size_t done = 0;
  while (done < g_saved.leave_length) {
    const ssize_t n = write(kStdOut, g_saved.leave + done, g_saved.leave_length - done);
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  (void)tcsetattr(kStdIn, TCSANOW, &g_saved.original);
}

void OnSignal(int signal_number) {
  RestoreTerminalNow();
  (void)sigaction(signal_number, &g_previous[signal_number], nullptr);
  g_installed[signal_number] = false;
  for (int fault : kFaultSignals) {
    // Returning repeats the fault, which now meets the handler that was there before.
    if (fault == signal_number) return;
  }
  (void)raise(signal_number);
}

void InstallSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  auto install = [&](int signal_number, bool unless_ignored) {
    struct sigaction previous {};
    if (sigaction(signal_number, nullptr, &previous) != 0) return;
    if (unless_ignored && previous.sa_handler == SIG_IGN) return;
    if (sigaction(signal_number, &action, &g_previous[signal_number]) == 0) {
      g_installed[signal_number] = true;
    }
  };
  for (int s : kExitSignals) install(s, true);
  for (int s : kFaultSignals) install(s, false);
}

void RemoveSignalHandlers() {
  for (int s = 1; s < NSIG; ++s) {
    if (!g_installed[s]) continue;
    (void)sigaction(s, &g_previous[s], nullptr);
    g_installed[s] = false;
  }
}

void AppendLeave(const char* text) {
  if (!text) return;
  const size_t length = std::strlen(text);
  if (g_saved.leave_length + length >= sizeof(g_saved.leave)) return;
  std::memcpy(g_saved.leave + g_saved.leave_length, text, length);
  g_saved.leave_length += length;
}

const char* Capability(const char* name) {
  const char* value = tigetstr(name);
  return value == reinterpret_cast<const char*>(-1) ? nullptr : value;
}

bool LocaleIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

attr_t CellAttributes(uint8_t attr, bool colours) {
  switch (attr) {
    case kCellTitle:
      return A_BOLD;
    case kCellHighlight:
    case kCellBar:
      return A_REVERSE;
    case kCellInput:
      return A_UNDERLINE;
    case kCellPainted:
      return colours ? A_BOLD : A_REVERSE;
    case kCellHotkey:
    case kCellHeading:
      return A_BOLD | A_UNDERLINE;
    case kCellBarHotkey:
      return A_REVERSE | A_UNDERLINE | A_BOLD;
    default:
      return A_NORMAL;
  }
}

// Whether standard input can no longer give anything (the terminal went away).
bool InputGone() {
  pollfd p{kStdIn, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

bool InputWaiting() {
  pollfd p{kStdIn, POLLIN, 0};
  return poll(&p, 1, 0) > 0 && (p.revents & POLLIN) != 0;
}

}  // namespace

TerminalHost::TerminalHost() = default;

TerminalHost::~TerminalHost() { Stop(); }

bool TerminalHost::Start(std::string* reason) {
  if (started_) return true;
  if (!isatty(kStdIn) || !isatty(kStdOut)) {
    if (reason) *reason = "standard input or output is not a terminal";
    return false;
  }
  // Only the character type: number and date formats stay those of the engine.
  std::setlocale(LC_CTYPE, "");
  if (!LocaleIsUtf8()) std::setlocale(LC_CTYPE, "C.UTF-8");
  utf8_ = LocaleIsUtf8();
  if (tcgetattr(kStdIn, &g_saved.original) != 0) {
    if (reason) *reason = "the terminal's settings cannot be read";
    return false;
  }
  // Ours before the library's: it installs its own (ending with exit status 1) only where it
  // finds none, and a signal must end the program as that signal.
  InstallSignalHandlers();
  SCREEN* screen = newterm(nullptr, stdout, stdin);
  if (!screen) {
    RemoveSignalHandlers();
    const char* type = std::getenv("TERM");
    if (reason) *reason = std::string("unknown terminal type \"") + (type ? type : "") + "\"";
    return false;
  }
  screen_ = screen;
  set_escdelay(kEscDelayMilliseconds);
  cbreak();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, TRUE);
  // The library tells clicks and double clicks from presses and releases.
  mouseinterval(kDoubleClickMilliseconds);
  const bool mouse = mousemask(BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED, nullptr) != 0;
  if (has_colors()) {
    start_color();
    use_default_colors();
    init_pair(kPaintedPair, COLOR_WHITE, COLORS >= 16 ? 8 : COLOR_BLACK);
  }
  BindExtraKeys();
  g_saved.leave_length = 0;
  // The cursor is shown after leaving the alternate screen, which may bring back the state that
  // was saved on entering it.
  AppendLeave(Capability("sgr0"));
  AppendLeave(Capability("rmkx"));
  if (mouse) AppendLeave(kMouseOff);
  AppendLeave(Capability("rmcup"));
  AppendLeave(Capability("cnorm"));
  g_saved.active = 1;
  // Also when the process ends by exit() from somewhere without coming back here.
  static const bool at_exit = std::atexit(RestoreTerminalNow) == 0;
  (void)at_exit;
  started_ = true;
  last_draw_ = 0;
  return true;
}

void TerminalHost::Stop() {
  if (!started_) return;
  started_ = false;
  RemoveSignalHandlers();
  g_saved.active = 0;
  endwin();
  delscreen(static_cast<SCREEN*>(screen_));
  screen_ = nullptr;
}

void TerminalHost::BindExtraKeys() {
  int32_t next_code = kFirstExtraKeyCode;
  for (const ExtraKeyCapability& extra : ExtraKeyCapabilities()) {
    const char* sequence = Capability(extra.name);
    if (!sequence) continue;
    const int code = key_defined(sequence);
    if (code > 0) decoder_.Bind(code, extra.key);
  }
  for (const ExtraKeySequence& extra : ExtraKeySequences()) {
    const int code = key_defined(extra.sequence);
    if (code > 0) {
      // Bound by the terminal description: a code the decoder knows, or an extended one.
      if (code > KEY_MAX) decoder_.Bind(code, extra.key);
      continue;
    }
    if (code < 0) continue;  // a prefix of (or prefixed by) another key's sequence
    if (define_key(extra.sequence, next_code) == OK) decoder_.Bind(next_code++, extra.key);
  }
}

// ---- Drawing ---------------------------------------------------------------------------

void TerminalHost::Draw() {
  last_draw_ = TickCount();
  const int rows = getmaxy(stdscr);
  const int columns = getmaxx(stdscr);
  placement_ = PlaceScreen(rows, columns);
  werase(stdscr);
  if (!placement_.fits) {
    grid_.hotspots.clear();
    const std::vector<std::string> lines = TooSmallMessage(rows, columns);
    const int top = std::max(0, (rows - static_cast<int>(lines.size())) / 2);
    for (size_t i = 0; i < lines.size(); ++i) {
      const int left = std::max(0, (columns - static_cast<int>(lines[i].size())) / 2);
      (void)mvwaddnstr(stdscr, top + static_cast<int>(i), left, lines[i].c_str(),
                       static_cast<int>(lines[i].size()));
    }
    curs_set(0);
    wnoutrefresh(stdscr);
    doupdate();
    return;
  }
  RenderScreen(*this, &grid_);
  const bool colours = has_colors();
  for (int32_t r = 0; r < ScreenGrid::kRows; ++r) {
    for (int32_t c = 0; c < ScreenGrid::kColumns; ++c) {
      const ScreenCell& cell = grid_.cells[r][c];
      char32_t code = utf8_ ? FrameGlyph(grid_, r, c) : 0;
      if (code == 0) code = Cp1252ToUnicode(static_cast<unsigned char>(cell.ch));
      if (code == 0xFFFD || (!utf8_ && code > 0x7E)) code = '?';
      const wchar_t text[2] = {static_cast<wchar_t>(code), 0};
      cchar_t shown;
      setcchar(&shown, text, CellAttributes(cell.attr, colours),
               static_cast<short>(cell.attr == kCellPainted && colours ? kPaintedPair : 0),
               nullptr);
      (void)mvwadd_wch(stdscr, placement_.row + r, placement_.column + c, &shown);
    }
  }
  if (grid_.cursor_row >= 0) {
    curs_set(1);
    wmove(stdscr, placement_.row + grid_.cursor_row, placement_.column + grid_.cursor_column);
  } else {
    curs_set(0);
    wmove(stdscr, placement_.row + ScreenGrid::kRows - 1, placement_.column);
  }
  wnoutrefresh(stdscr);
  doupdate();
}

// ---- Input -----------------------------------------------------------------------------

TerminalRead TerminalHost::Read(int timeout) {
  wtimeout(stdscr, timeout);
  wint_t ch = 0;
  const int got = wget_wch(stdscr, &ch);
  if (got == KEY_CODE_YES) return TerminalRead{TerminalRead::Kind::kKey, static_cast<uint32_t>(ch)};
  if (got == OK) return TerminalRead{TerminalRead::Kind::kChar, static_cast<uint32_t>(ch)};
  return TerminalRead{};
}

bool TerminalHost::ReadAndAct(int timeout, BoxButton* answer, bool* answered) {
  TerminalRead first = pending_;
  pending_ = TerminalRead{};
  if (first.kind == TerminalRead::Kind::kNone) first = Read(timeout);
  if (first.kind == TerminalRead::Kind::kNone) return false;
  const TerminalInput input = decoder_.Decode(first, [this] { return Read(0); });
  pending_ = input.unread;
  switch (input.kind) {
    case TerminalInput::Kind::kNone:
    case TerminalInput::Kind::kResize:
      break;
    case TerminalInput::Kind::kRefused:
      beep();
      break;
    case TerminalInput::Kind::kMouse:
      Mouse(answer, answered);
      break;
    case TerminalInput::Kind::kKey:
      if (!placement_.fits) break;  // nothing on the screen to type into
      if (answered) {
        *answered = BoxKey(input.key, answer);
      } else {
        Input(input.key);
      }
      break;
  }
  return true;
}

void TerminalHost::Mouse(BoxButton* answer, bool* answered) {
  MEVENT event{};
  if (getmouse(&event) != OK) return;
  const bool twice = (event.bstate & BUTTON1_DOUBLE_CLICKED) != 0;
  if (!twice && !(event.bstate & BUTTON1_CLICKED)) return;
  const ScreenHotspot* spot = HotspotAtTerminal(grid_, placement_, event.y, event.x);
  if (answered) {
    if (spot && spot->kind == HotspotKind::kBoxButton) *answered = BoxClick(spot->index, answer);
    return;
  }
  if (menu_track().active) {
    if (!spot ||
        (spot->kind != HotspotKind::kMenuBarItem && spot->kind != HotspotKind::kMenuItem)) {
      CancelMenu();
      return;
    }
  }
  if (!spot) return;
  switch (spot->kind) {
    case HotspotKind::kMenuBarItem:
      ClickMenuBar(spot->handle, spot->index);
      break;
    case HotspotKind::kMenuItem:
      ClickMenuItem(static_cast<size_t>(spot->level), spot->index);
      break;
    case HotspotKind::kListEntry:
      ClickListEntry(spot->handle, spot->index, twice);
      break;
    case HotspotKind::kControl:
      if (KindOf(spot->handle) == ControlKind::kListBox) {
        SetFocus(spot->handle);
      } else {
        Click(spot->handle);
      }
      break;
    case HotspotKind::kWindow:
      if (spot->handle != kNoWindow) SetFocus(spot->handle);
      break;
    case HotspotKind::kBoxButton:
      break;
  }
}

bool TerminalHost::PullInput(InputWait wait) {
  if (!started_) return false;
  if (wait == InputWait::kPoll) {
    if (TickCount() - last_draw_ >= kPollDrawMilliseconds) Draw();
    if (pending_.kind == TerminalRead::Kind::kNone && !InputWaiting()) return false;
    return ReadAndAct(0);
  }
  Draw();
  int timeout = -1;
  if (wait == InputWait::kForEvent) {
    const int64_t next_timer = MillisecondsToNextTimer();
    if (next_timer >= 0) timeout = static_cast<int>(std::min<int64_t>(next_timer, 60000));
  }
  if (ReadAndAct(timeout)) return true;
  // Nothing within the time: a timer is due. A wait without end that gives nothing means the
  // terminal is gone.
  return timeout >= 0 || !InputGone();
}

BoxButton TerminalHost::MessageBox(StrRef text, StrRef title, int kind) {
  const BoxStyle style = MessageBoxStyle(kind);
  BoxShow(text, title, kind);
  BoxButton answer = style.default_button();
  bool answered = false;
  while (started_ && !answered) {
    Draw();
    if (!ReadAndAct(-1, &answer, &answered) && InputGone()) break;
  }
  BoxHide();
  return answer;
}

}  // namespace engine
