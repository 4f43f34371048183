// The placement of the screen on a terminal, the message of a terminal too small for it, and
// frame line drawing.
#include "engine/ui/terminal_screen.h"

#include <algorithm>

namespace engine {

namespace {

bool IsFrame(const ScreenGrid& grid, int32_t row, int32_t column) {
  if (row < 0 || row >= ScreenGrid::kRows || column < 0 || column >= ScreenGrid::kColumns) {
    return false;
  }
  const ScreenCell& cell = grid.cells[row][column];
  return cell.attr == kCellFrame && (cell.ch == '+' || cell.ch == '-' || cell.ch == '|');
}

// A frame cell that joins the one beside it: a line in that direction or a corner, or the title
// a border holds.
bool JoinsAcross(const ScreenGrid& grid, int32_t row, int32_t column) {
  if (row < 0 || row >= ScreenGrid::kRows || column < 0 || column >= ScreenGrid::kColumns) {
    return false;
  }
  if (grid.cells[row][column].attr == kCellTitle) return true;
  return IsFrame(grid, row, column) && grid.cells[row][column].ch != '|';
}
bool JoinsAlong(const ScreenGrid& grid, int32_t row, int32_t column) {
  return IsFrame(grid, row, column) && grid.cells[row][column].ch != '-';
}

}  // namespace

ScreenPlacement PlaceScreen(int32_t terminal_rows, int32_t terminal_columns) {
  ScreenPlacement placement;
  placement.fits = terminal_rows >= ScreenGrid::kRows && terminal_columns >= ScreenGrid::kColumns;
  if (placement.fits) {
    placement.row = (terminal_rows - ScreenGrid::kRows) / 2;
    placement.column = (terminal_columns - ScreenGrid::kColumns) / 2;
  }
  return placement;
}

std::vector<std::string> TooSmallMessage(int32_t terminal_rows, int32_t terminal_columns) {
  std::vector<std::string> lines = {
      "This terminal is " + std::to_string(terminal_columns) + " x " +
          std::to_string(terminal_rows) + ".",
      "The program needs at least " + std::to_string(ScreenGrid::kColumns) + " x " +
          std::to_string(ScreenGrid::kRows) + ":",
      "please make the window larger.",
  };
  const size_t width = static_cast<size_t>(std::max(terminal_columns, 1));
  for (std::string& line : lines) {
    if (line.size() > width) line.resize(width);
  }
  if (terminal_rows < static_cast<int32_t>(lines.size())) {
    lines.resize(static_cast<size_t>(std::max(terminal_rows, 1)));
  }
  return lines;
}

char32_t FrameGlyph(const ScreenGrid& grid, int32_t row, int32_t column) {
  if (!IsFrame(grid, row, column)) return 0;
  const char ch = grid.cells[row][column].ch;
  if (ch == '-') return U'\u2500';
  if (ch == '|') return U'\u2502';
  const bool left = JoinsAcross(grid, row, column - 1);
  const bool right = JoinsAcross(grid, row, column + 1);
  const bool up = JoinsAlong(grid, row - 1, column);
  const bool down = JoinsAlong(grid, row + 1, column);
  const int joins = (left ? 1 : 0) | (right ? 2 : 0) | (up ? 4 : 0) | (down ? 8 : 0);
  switch (joins) {
    case 2 | 8:
      return U'\u250C';
    case 1 | 8:
      return U'\u2510';
    case 2 | 4:
      return U'\u2514';
    case 1 | 4:
      return U'\u2518';
    case 1 | 2 | 8:
      return U'\u252C';
    case 1 | 2 | 4:
      return U'\u2534';
    case 2 | 4 | 8:
      return U'\u251C';
    case 1 | 4 | 8:
      return U'\u2524';
    case 1 | 2 | 4 | 8:
      return U'\u253C';
    case 1:
    case 2:
    case 1 | 2:
      return U'\u2500';
    case 4:
    case 8:
    case 4 | 8:
      return U'\u2502';
    default:
      return U'+';
  }
}

const ScreenHotspot* HotspotAtTerminal(const ScreenGrid& grid, const ScreenPlacement& placement,
                                       int32_t terminal_row, int32_t terminal_column) {
  if (!placement.fits) return nullptr;
  return HotspotAt(grid, terminal_row - placement.row, terminal_column - placement.column);
}

}  // namespace engine
