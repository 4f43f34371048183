// The selection window (a choice among the entries of a comma list, shown as a grid of buttons
// or as a list box) and the popup menu.
#pragma once

#include <cstdint>

#include "engine/core/str_ref.h"
#include "engine/ui/window_host.h"

namespace engine {

// WinSelect flags.
inline constexpr uint16_t kSelectPopup = 1;    // a modal popup of its own
inline constexpr uint16_t kSelectListBox = 2;  // a list box instead of buttons
inline constexpr uint16_t kSelectBeside = 4;   // the popup beside the focused control

// Lets the user pick one of the entries (a comma list, quoted entries shown unquoted) under the
// title. With kSelectPopup the entries are shown in a modal popup: with kSelectListBox in a list
// box as wide as the longest entry + 5 cells or the title (at least 15 columns) with one row
// per entry (at most the screen's rows); otherwise as a grid of buttons (identifiers 1500 + n,
// font 0) whose rows are halved and width doubled while the screen is lower than three times
// the rows. Without kSelectPopup the entries are laid into the current top window and removed
// again afterwards.
//
// Enter picks the pressed button (or the current entry), a click or a double click picks, Up
// and Down move the pressed button around the grid; Esc and a close request close the popup
// and answer 0. A pick answers the entry's number (from 1) and leaves the popup open: the
// caller removes it (it is the top window). The answer is also left in _STAT.
uint16_t WinSelect(StrRef title, StrRef entries, uint16_t flags);

// A popup menu with one item per comma entry (identifiers 1700 + position) at a screen point,
// anchored at its bottom edge (the cursor position when `at` is null), in front of the top
// window or a temporary invisible one. Answers the entry chosen (from 1), 0 for none.
uint16_t WinPopupMenu(StrRef entries, const Point* at = nullptr);

}  // namespace engine
