// The floating text window: a block of text lines shown centred on the screen in a borderless,
// topmost popup (white text on grey), which never takes the focus and is not on the window
// stack.
#pragma once

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/ui/window_host.h"

namespace engine {

// Shows the lines (CR LF or LF separated), replacing the text when the window is already
// shown: (lines + 3) cells high, the longest line wide but at most the screen width - 10
// pixels, centred.
[[nodiscard]] Status FloatingTextShow(StrRef lines);
void FloatingTextClose();
WinHandle FloatingTextWindow();

}  // namespace engine
