// The window model laid out on the 80 by 24 character screen: what a character host draws and
// what the headless host dumps as text. The main window (a captioned window with a menu bar)
// takes the whole screen: its menu bar is row 0, its caption the status line on the last row;
// every other window is a framed box at its cells with its caption in the top border, its
// controls cut to its inside; the menu's keyboard mode and a shown message box are drawn over
// everything.
//
// Conventions of the text form: an edit box shows its text followed by '_' up to its width
// (a password as '*'); a check box is "[X]" or "[ ]" before its caption; a button is "[Caption]",
// "<Caption>" while it is pressed; the current entry of a list and the highlighted item of an
// open menu have '>' in front; the highlighted item of the menu bar is in brackets; a list view
// is a heading row over its rows, the selected row marked with '>', '^' and 'v' at its right
// edge when rows are hidden above or below; a progress bar is '#' for the part done and '.' for
// the rest.
//
// Besides the characters, each cell carries an attribute for a host that can show them, and
// the grid records the caret of the focused edit box and the places a mouse click can reach.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ui/window_model.h"

namespace engine {

// Character attributes a drawing host may show.
inline constexpr uint8_t kCellNormal = 0;
inline constexpr uint8_t kCellFrame = 1;      // window borders: '+' corners, '-' and '|' lines
inline constexpr uint8_t kCellHighlight = 2;  // the highlighted menu item, the current entry
inline constexpr uint8_t kCellInput = 3;      // the inside of an edit box
inline constexpr uint8_t kCellPainted = 4;    // white text on grey
inline constexpr uint8_t kCellBar = 5;        // the menu bar and the status line
inline constexpr uint8_t kCellTitle = 6;      // a window's caption in its top border
inline constexpr uint8_t kCellHotkey = 7;     // the letter that chooses a button or menu item
inline constexpr uint8_t kCellBarHotkey = 8;  // the same letter in the menu bar
inline constexpr uint8_t kCellHeading = 9;    // the heading row of a list view

struct ScreenCell {
  char ch = ' ';  // Windows-1252
  uint8_t attr = kCellNormal;
};

// A place on the screen that a mouse click reaches. Later hotspots lie over earlier ones.
enum class HotspotKind : uint8_t {
  kWindow,       // a window's area without a control (it stops clicks reaching what is below)
  kControl,      // control: a control
  kListEntry,    // control: a list box or list view; index: its entry or row
  kMenuBarItem,  // window: the window of the bar; index: the item
  kMenuItem,     // level: the open menu level; index: the item
  kBoxButton,    // index: the button of the message box
};

struct ScreenHotspot {
  HotspotKind kind = HotspotKind::kWindow;
  int32_t row = 0;
  int32_t column = 0;
  int32_t width = 0;
  int32_t height = 1;
  WinHandle handle = kNoWindow;  // the control, or the window
  int32_t index = 0;
  int32_t level = 0;
};

struct ScreenGrid {
  static constexpr int32_t kColumns = WindowModel::kScreenColumns;
  static constexpr int32_t kRows = WindowModel::kScreenRows;
  ScreenCell cells[kRows][kColumns];
  // Where the caret of the focused edit box is; -1 when none is shown (also while a menu or a
  // message box has the keyboard).
  int32_t cursor_row = -1;
  int32_t cursor_column = -1;
  std::vector<ScreenHotspot> hotspots;
};

// Lays the model out on the grid.
void RenderScreen(const WindowModel& model, ScreenGrid* grid);
// The grid as 24 lines of text, each without trailing blanks, each ended by '\n'.
std::string ScreenText(const ScreenGrid& grid);
// The topmost hotspot at a cell; null when the cell has none.
const ScreenHotspot* HotspotAt(const ScreenGrid& grid, int32_t row, int32_t column);

}  // namespace engine
