// The character-cell grid that windows are laid out on: the screen extent (the default one of
// screen_extent.h and a temporary override while a window with its own size is built), the cell
// size that follows from the current font, and the conversion of cells to pixels. Geometry is
// computed afresh on every call.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/ui/screen_extent.h"

namespace engine {

// The override while a window is built; reset to 0 columns and rows.
void SetExtentOverride(const ScreenExtent& extent);
void ResetExtentOverride();
// The override as it is (0 columns and rows when none is set).
ScreenExtent ExtentOverride();
// The override when its columns and rows are set, else the default.
ScreenExtent CurrentExtent();
// Applies a SCREENSIZE$ list (columns, rows, origin column, origin row, extra rows, spacing)
// to the current extent and makes the result the override: columns and rows only enlarge it;
// the other four are set when the list has more than two fields.
void ApplyScreenSize(StrRef list);
// A fixed screen size in pixels (0, 0: none). With one, windows take their size from it.
void SetFixedScreenSize(int32_t width, int32_t height);
bool FixedScreenSize(int32_t* width, int32_t* height);
// No override and no fixed size (end of a run, tests).
void ScreenGeometryReset();

struct CellSize {
  int32_t width = 0;
  int32_t height = 0;
};

// The current font's average character width + 1 by its text height + 3. Also tells the
// current host, so that a character host can map pixels to its grid.
CellSize CurrentCellSize();

// Pixel position of column c / row r in the current extent; -1 stands for the extent's own
// number of columns or rows (the far edge).
int32_t ColumnX(int32_t column);
int32_t RowY(int32_t row);
// Pixel width of n cells and pixel height of n rows.
int32_t CellsWidth(int32_t columns);
int32_t RowsHeight(int32_t rows);

}  // namespace engine
