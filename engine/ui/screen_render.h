// The window model laid out on the 80 by 24 character screen: what a character host draws and
// what the headless host dumps as text. The main window (a captioned window with a menu bar)
// takes the whole screen: its menu bar is row 0, its caption the status line on the last row;
// every other window is a framed box at its cells with its caption in the top border; the
// menu's keyboard mode and a shown message box are drawn over everything.
//
// Conventions of the text form: an edit box shows its text followed by '_' up to its width
// (a password as '*'); a check box is "[X]" or "[ ]" before its caption; a button is "[Caption]",
// "<Caption>" while it is pressed; the current entry of a list and the highlighted item of an
// open menu have '>' in front; the highlighted item of the menu bar is in brackets; a progress
// bar is '#' for the part done and '.' for the rest.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ui/window_model.h"

namespace engine {

// Character attributes a drawing host may show.
inline constexpr uint8_t kCellNormal = 0;
inline constexpr uint8_t kCellFrame = 1;      // window borders
inline constexpr uint8_t kCellHighlight = 2;  // the highlighted menu item, the current entry
inline constexpr uint8_t kCellInput = 3;      // the inside of an edit box
inline constexpr uint8_t kCellPainted = 4;    // white text on grey
inline constexpr uint8_t kCellBar = 5;        // the menu bar and the status line

struct ScreenCell {
  char ch = ' ';
  uint8_t attr = kCellNormal;
};

struct ScreenGrid {
  static constexpr int32_t kColumns = WindowModel::kScreenColumns;
  static constexpr int32_t kRows = WindowModel::kScreenRows;
  ScreenCell cells[kRows][kColumns];
  // Where the caret of the focused edit box is; -1 when none is shown.
  int32_t cursor_row = -1;
  int32_t cursor_column = -1;
};

// Lays the model out on the grid.
void RenderScreen(const WindowModel& model, ScreenGrid* grid);
// The grid as 24 lines of text, each without trailing blanks, each ended by '\n'.
std::string ScreenText(const ScreenGrid& grid);

}  // namespace engine
