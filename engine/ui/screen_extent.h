// The screen extent: the grid of character cells windows are laid out on. One extent is the
// default (built in as 80 columns by 25 rows); the programs replace it before the engine starts.
#pragma once

#include <cstdint>

namespace engine {

struct ScreenExtent {
  uint16_t columns = 80;
  uint16_t rows = 25;
  uint16_t origin_column = 0;
  uint16_t origin_row = 0;
  uint16_t extra_rows = 0;
  uint16_t line_spacing = 0;  // percent
};

// Replaces the default extent with the given values and no extra rows.
void SetDefaultScreen(uint16_t columns, uint16_t rows, uint16_t origin_column, uint16_t origin_row,
                      uint16_t line_spacing);
const ScreenExtent& DefaultScreen();

}  // namespace engine
