// How the 80 by 24 screen of the window model sits on a terminal of any size, free of the
// terminal library: where it goes (centred on a larger terminal), the message a terminal too
// small for it shows instead, the line-drawing character of each frame cell, and which place a
// click on the terminal reaches.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ui/screen_render.h"

namespace engine {

struct ScreenPlacement {
  bool fits = false;  // the terminal holds the whole screen
  int32_t row = 0;    // the terminal cell of the screen's top left corner
  int32_t column = 0;
};
ScreenPlacement PlaceScreen(int32_t terminal_rows, int32_t terminal_columns);

// The message for a terminal of the given size that is too small: lines no wider than the
// terminal (cut when it is narrower than they are).
std::vector<std::string> TooSmallMessage(int32_t terminal_rows, int32_t terminal_columns);

// The box-drawing character (a Unicode code point) a frame cell of the grid is drawn with,
// chosen from the frame cells around it; 0 for a cell that is no frame line or corner.
char32_t FrameGlyph(const ScreenGrid& grid, int32_t row, int32_t column);

// The hotspot under a terminal cell, with the screen placed as given; null for none (also
// outside the screen).
const ScreenHotspot* HotspotAtTerminal(const ScreenGrid& grid, const ScreenPlacement& placement,
                                       int32_t terminal_row, int32_t terminal_column);

}  // namespace engine
