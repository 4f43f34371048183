// The window layer: the engine's operations on windows over the current WindowHost. It opens
// windows of the engine's kinds and keeps them on the WindowStack, runs the event loop (modal
// loops, pumping, waiting for a key), routes each event to the window it belongs to, turns key
// presses in field controls and window commands into action codes, and dispatches actions to
// the form logic behind a window (its action handler, installed by the forms layer or, for the
// main window, by the shell).
//
// Field-related steps of dispatching (the current field's check, reading a control's text back
// into its field) are served by the forms layer through FormFieldOps; without it every check
// passes and nothing is stored.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/ui/keys.h"
#include "engine/ui/window_host.h"

namespace engine {

// ---- Window kinds ----------------------------------------------------------------------

inline constexpr uint16_t kKindMain = 0;
inline constexpr uint16_t kKindLnMant = 1;
inline constexpr uint16_t kKindMant = 2;
inline constexpr uint16_t kKindMantDlg = 3;
inline constexpr uint16_t kKindGrid = 4;
inline constexpr uint16_t kKindDialog = 5;
inline constexpr uint16_t kKindDevSel = 6;
inline constexpr uint16_t kKindProgress = 7;
inline constexpr uint16_t kKindPopup = 10;  // the selection window
inline constexpr uint16_t kKindMaximized = 11;
inline constexpr uint16_t kWindowKinds = 12;

// The frame of a kind; and whether creating one disables the window below it.
FrameStyle KindFrame(uint16_t kind);
bool KindIsModal(uint16_t kind);
// The window-class name of a kind: the application prefix followed by the kind's name ("Wnd"
// and the kind number for the kinds without one). A new temporary.
StrRef WindowClassName(uint16_t kind);

// Placement flag of WinOpen: open at the right edge of the focused control.
inline constexpr uint16_t kPlaceBesideFocus = 0x40;
// Width of a scroll bar added to a window larger than the screen.
inline constexpr int32_t kScrollBarPixels = 24;

// The private messages of the engine.
inline constexpr uint16_t kMsgEngineEvent = 0x88E0;  // action (n x 256) + 23
inline constexpr uint16_t kMsgScanData = 0x88E1;     // scanned data for a field control

// What a window does with an event routed to it; true when it handled the event (otherwise the
// host's default applies).
using WindowProc = bool (*)(WinHandle window, const HostEvent& event);
// The form logic behind a window.
using ActionHandler = Status (*)(WinHandle window, ActionCode action);
using TimerHandler = void (*)(WinHandle window, uint16_t id);

// The class name of a kind, registered with the host on first use; a new temporary, or the
// host's status.
StrRef WinEnsureClass(uint16_t kind);
// Replaces the procedure of a window; answers the one it had.
WindowProc WinSetProc(WinHandle window, WindowProc proc);

// ---- Windows ---------------------------------------------------------------------------

// Creates a window of `kind` titled `title`, sized to the current screen extent plus its frame
// (cut to the screen with scroll bars planned when larger), placed at (row, column) in cells or,
// when either is -1, centred (or beside the focused control with kPlaceBesideFocus), and moved
// 100 pixels right and 60 down when another window is open or bit 8 of _SCRSTAT is set. A modal
// kind disables the current top window. The window is owned by `parent` (or the top window),
// pushed on the WindowStack and left hidden; `proc` (FormWindowProc when null) gets its events.
// kNoWindow on failure, the reason in *status: 163 for a kind of 12 or more, else the host's.
WinHandle WinOpen(uint16_t kind, uint16_t placement, StrRef title, WinHandle parent, int32_t row,
                  int32_t column, WindowProc proc, Status* status = nullptr);
// Shows the window as its stack entry says (maximised or normal).
void WinShow(WinHandle window);
// Shows the top window, then delivers events until a quit request, no window left, `window`
// no longer the top window (a null window: until quit or no window), or WinEndModal; then
// delivers the events still queued. Answers 0, or 122 when the loop ended by a quit request.
Status WinRunModal(WinHandle window);
// Ends the innermost running modal loop after the event being delivered.
void WinEndModal();
// Delivers every pending event once; 1 when a quit request was seen or no window is left.
int WinPump();
// Delivers the events already queued without reading new input, so that input typed (or
// scripted) ahead stays for whoever waits for it next.
void WinDeliverQueued();
// Waits for the next key press anywhere, delivering every other event meanwhile; its key code
// (Esc when the loop ends without one).
uint16_t WinWaitKey();
WinHandle WinTop();
uint16_t WinKind(WinHandle window);
// Destroys the window: removes it from the stack; the last one posts a quit request, else the
// new top window is enabled and focused.
void WinDestroy(WinHandle window);
// Destroys every window of the stack, from the top.
void WinCloseAll();
bool WinQuitRequested();
// Posts a close request / the engine event n (action (n x 256) + 23) to a window.
void WinPostClose(WinHandle window);
void WinPostEngineEvent(WinHandle window, uint8_t n);
// Sets a window's title (179 when the host refuses).
[[nodiscard]] Status WinSetTitle(WinHandle window, StrRef title);
// The text of a control, at most `limit` bytes (383 when 0), as a new temporary.
StrRef WinControlText(WinHandle control, uint16_t limit = 0);
// A text of a window or menu definition: one of exactly four characters that the catalogue
// knows as a message code is replaced by the message. A new temporary.
StrRef WinText(StrRef text);
// Timers whose ticks call a handler.
void WinSetTimer(WinHandle window, uint16_t id, uint32_t milliseconds, TimerHandler handler);
void WinKillTimer(WinHandle window, uint16_t id);
// Forgets every window, hook, timer and the quit request; empties the stack (end, tests).
void WinLayerReset();

// ---- Actions ---------------------------------------------------------------------------

void WinSetActionHandler(WinHandle window, ActionHandler handler);
// Dispatches an action coming from a control (or from the window itself): the focus and
// read-back steps, the form's handler, a close request for a status with bit 8, and a status
// above 121 shown as a message. Answers the status.
Status WinDispatch(WinHandle source, ActionCode action);
// The window procedure of form windows (and the main window): close requests, commands,
// scrolling, focus, Esc and the engine's private messages become actions.
bool FormWindowProc(WinHandle window, const HostEvent& event);

// The forms layer's side of dispatching. Every member may be null.
struct FormFieldOps {
  // The current field's check: 0 passes, 126 rejects.
  Status (*check_current)(WinHandle window) = nullptr;
  // The current field of the window's form (from 1), 0 for none.
  uint16_t (*current_field)(WinHandle window) = nullptr;
  bool (*editable)(WinHandle window, uint16_t field) = nullptr;
  // Stores the text read back from a field's control as the field's value.
  Status (*store_text)(WinHandle window, uint16_t field, StrRef text) = nullptr;
};
void SetFormFieldOps(const FormFieldOps* ops);

// The open screens and engine windows of the forms layer, for the close check of the main
// window. Until the forms layer counts its own, there are no screens and the windows are those
// of the stack.
using FormCounter = void (*)(uint16_t* screens, uint16_t* windows);
void SetFormCounter(FormCounter counter);
void WinFormCounts(uint16_t* screens, uint16_t* windows);

// ---- Field controls --------------------------------------------------------------------

// Hooks a field's control (edit box, check box or drop-down list) so that its keys, focus
// changes and scanner input become actions. `checked_caption` is what a check box shows while
// checked. Nothing is hooked while bit 512 of _COMPAT is set.
void WinHookControl(WinHandle control, StrRef checked_caption);
bool WinIsHooked(WinHandle control);

// Keyboard-scanner and serial-scanner input waiting to be read (StringSlots group 34).
[[nodiscard]] Status ScannerInputPush(StrRef text);
// The oldest waiting input, removed; kNothing when there is none.
StrRef ScannerInputTake();

}  // namespace engine
