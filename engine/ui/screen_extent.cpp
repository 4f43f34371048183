// The default screen extent.
#include "engine/ui/screen_extent.h"

namespace engine {

namespace {
ScreenExtent g_default;
}  // namespace

void SetDefaultScreen(uint16_t columns, uint16_t rows, uint16_t origin_column, uint16_t origin_row,
                      uint16_t line_spacing) {
  g_default = ScreenExtent{columns, rows, origin_column, origin_row, 0, line_spacing};
}

const ScreenExtent& DefaultScreen() { return g_default; }

}  // namespace engine
