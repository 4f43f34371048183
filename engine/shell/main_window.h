// The main window: the window that holds the program's menu bar and whose closing ends the run,
// and the confirmation asked before it closes.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Whether the program may close, with the number of open screens and windows: the
// application's close hook (slot 23) decides when it answers anything but 148; more than one
// screen or window shows message 0032 and keeps the program open; bit 0x20 of _AUXSTAT closes
// without asking; otherwise message 0033 asks.
bool ConfirmClose(uint16_t screens, uint16_t windows);

// Creates the main window titled `title` with the menu bar built from the menu file `menu`,
// marks the screen state (bit 2 of _SCRSTAT) and runs the window layer's event loop until the
// main window closes. Answers the status of creating the window.
//
// The engine has no window layer yet: the window it would create is closed by the user at
// once, as the headless host does when no key is queued, so the loop ends when ConfirmClose
// agrees.
[[nodiscard]] Status RunMainWindow(StrRef title, StrRef menu);

}  // namespace engine
