// The selection window: a list of entries under a title from which the user picks one.
#pragma once

#include <cstdint>

#include "engine/core/str_ref.h"

namespace engine {

// Selection-window flags.
inline constexpr uint16_t kSelectPopup = 1;    // a modal popup of its own
inline constexpr uint16_t kSelectListBox = 2;  // a list box instead of a grid of buttons
inline constexpr uint16_t kSelectBeside = 4;   // placed beside the focused control

// Shows the comma list of entries under the title; answers the entry picked (from 1), or 0 when
// the user cancels, and leaves the answer in _STAT.
uint16_t WinSelect(StrRef title, StrRef entries, uint16_t flags);

}  // namespace engine
