// The main window: the window that holds the program's menu bar and whose closing ends the run,
// and the confirmation asked before it closes.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/ui/keys.h"
#include "engine/ui/window_host.h"

namespace engine {

// Whether the program may close, with the number of open screens and windows: the
// application's close hook (slot 23) decides when it answers anything but 148; more than one
// screen or window shows message 0032 and keeps the program open; bit 0x20 of _AUXSTAT closes
// without asking; otherwise message 0033 asks.
bool ConfirmClose(uint16_t screens, uint16_t windows);

// What the main window says on its last row when it has a menu bar.
inline constexpr StrRef kMenuHint = StrLit("F10 or Alt with an initial letter opens the menu");

// Creates the main window with the status line of `title` as its title and the menu bar built
// from the menu file `menu` (a menu that cannot be built is shown at once and the window opens
// without it), marks the screen state (bit 2 of _SCRSTAT), shows the logo (and, with a menu bar,
// how to reach it), installs the main window's action handler and runs the window layer's event
// loop until the main window closes.
// Answers the status of creating the window, else of building the menu; both are shown before
// the loop runs.
[[nodiscard]] Status RunMainWindow(StrRef title, StrRef menu);

// The main window's action handler: a menu option chosen (16) runs its task line, the close
// request (17) closes every window when ConfirmClose agrees, help (19) shows the application's
// help. Answers the resulting status when it is 122 or more (the window layer shows it), else 0.
Status MainWindowAction(WinHandle window, ActionCode action);

}  // namespace engine
