// Screen extent, cell size and the cell-to-pixel rules.
#include "engine/ui/screen_geometry.h"

#include <algorithm>

#include "engine/core/list_string.h"
#include "engine/ui/native_fonts.h"
#include "engine/ui/window_host.h"

namespace engine {

namespace {

ScreenExtent g_override{0, 0, 0, 0, 0, 0};
int32_t g_fixed_width = 0;
int32_t g_fixed_height = 0;

int64_t RowPixels(int64_t rows, const CellSize& cell, const ScreenExtent& e) {
  return rows * cell.height * (100 + e.line_spacing) / 100;
}

}  // namespace

void SetExtentOverride(const ScreenExtent& extent) { g_override = extent; }

void ResetExtentOverride() { g_override = ScreenExtent{0, 0, 0, 0, 0, 0}; }

ScreenExtent ExtentOverride() { return g_override; }

ScreenExtent CurrentExtent() {
  return (g_override.columns != 0 && g_override.rows != 0) ? g_override : DefaultScreen();
}

void ApplyScreenSize(StrRef list) {
  ScreenExtent e = CurrentExtent();
  const uint16_t fields = ListCount(list, ',');
  if (fields == 0) return;
  auto field = [&](uint16_t n) { return static_cast<uint16_t>(ListFieldInt(list, ',', n)); };
  e.columns = std::max(e.columns, field(1));
  e.rows = std::max(e.rows, field(2));
  if (fields > 2) {
    e.origin_column = field(3);
    e.origin_row = field(4);
    e.extra_rows = field(5);
    e.line_spacing = field(6);
  }
  g_override = e;
}

void SetFixedScreenSize(int32_t width, int32_t height) {
  g_fixed_width = width;
  g_fixed_height = height;
}

bool FixedScreenSize(int32_t* width, int32_t* height) {
  if (g_fixed_width <= 0 || g_fixed_height <= 0) return false;
  *width = g_fixed_width;
  *height = g_fixed_height;
  return true;
}

void ScreenGeometryReset() {
  ResetExtentOverride();
  g_fixed_width = g_fixed_height = 0;
}

CellSize CurrentCellSize() {
  const TextMetrics metrics = CurrentFontMetrics();
  const CellSize cell{metrics.average_width + 1, metrics.height + 3};
  CurrentWindowHost().SetCellGrid(cell.width, cell.height);
  return cell;
}

int32_t ColumnX(int32_t column) {
  const ScreenExtent e = CurrentExtent();
  const CellSize cell = CurrentCellSize();
  if (column == -1) column = e.columns;
  return (column + e.origin_column - 1) * cell.width + 1;
}

int32_t RowY(int32_t row) {
  const ScreenExtent e = CurrentExtent();
  const CellSize cell = CurrentCellSize();
  if (row == -1) row = e.rows;
  return static_cast<int32_t>(RowPixels(row + e.origin_row - 1, cell, e)) + 1;
}

int32_t CellsWidth(int32_t columns) { return columns * CurrentCellSize().width; }

int32_t RowsHeight(int32_t rows) {
  return static_cast<int32_t>(RowPixels(rows, CurrentCellSize(), CurrentExtent()));
}

}  // namespace engine
