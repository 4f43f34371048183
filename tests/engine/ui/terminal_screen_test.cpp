// The screen on terminals of other sizes: where it goes, what a terminal too small shows, the
// line drawing of frames and which place a click on the terminal reaches.
#include "engine/ui/terminal_screen.h"

#include <gtest/gtest.h>

#include <string>

namespace engine {
namespace {

TEST(TerminalScreenTest, TheScreenIsCentredOnATerminalThatHoldsIt) {
  const struct {
    int32_t rows, columns;
    bool fits;
    int32_t row, column;
  } cases[] = {
      {24, 80, true, 0, 0},  {40, 120, true, 8, 20}, {25, 81, true, 0, 0},
      {23, 80, false, 0, 0}, {24, 79, false, 0, 0},  {0, 0, false, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.columns) + "x" + std::to_string(c.rows));
    const ScreenPlacement p = PlaceScreen(c.rows, c.columns);
    EXPECT_EQ(p.fits, c.fits);
    EXPECT_EQ(p.row, c.row);
    EXPECT_EQ(p.column, c.column);
  }
}

TEST(TerminalScreenTest, ATerminalTooSmallSaysWhatItIsAndWhatIsNeeded) {
  const auto lines = TooSmallMessage(20, 60);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "This terminal is 60 x 20.");
  EXPECT_EQ(lines[1], "The program needs at least 80 x 24:");
  EXPECT_EQ(lines[2], "please make the window larger.");
  // A tiny terminal gets what fits.
  const auto tiny = TooSmallMessage(2, 10);
  ASSERT_EQ(tiny.size(), 2u);
  for (const std::string& line : tiny) EXPECT_LE(line.size(), 10u);
  EXPECT_EQ(tiny[0], "This termi");
}

TEST(TerminalScreenTest, FramesAreDrawnWithLinesAndTheirCorners) {
  ScreenGrid grid;
  // Two boxes side by side sharing nothing, and a '-' that is text, not frame.
  auto box = [&](int32_t row, int32_t column, int32_t width, int32_t height) {
    for (int32_t c = column; c < column + width; ++c) {
      grid.cells[row][c] = {'-', kCellFrame};
      grid.cells[row + height - 1][c] = {'-', kCellFrame};
    }
    for (int32_t r = row; r < row + height; ++r) {
      grid.cells[r][column] = {'|', kCellFrame};
      grid.cells[r][column + width - 1] = {'|', kCellFrame};
    }
    for (auto [r, c] :
         {std::pair{row, column}, std::pair{row, column + width - 1},
          std::pair{row + height - 1, column}, std::pair{row + height - 1, column + width - 1}}) {
      grid.cells[r][c] = {'+', kCellFrame};
    }
  };
  box(2, 10, 6, 4);
  grid.cells[3][12] = {'-', kCellNormal};
  const struct {
    int32_t row, column;
    char32_t glyph;
  } cases[] = {
      {2, 10, U'\u250C'}, {2, 15, U'\u2510'}, {5, 10, U'\u2514'}, {5, 15, U'\u2518'},
      {2, 12, U'\u2500'}, {3, 10, U'\u2502'}, {3, 12, 0},         {0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.row) + "," + std::to_string(c.column));
    EXPECT_EQ(FrameGlyph(grid, c.row, c.column), c.glyph);
  }
  // A title that fills the border still leaves the corners corners.
  grid.cells[5][11] = {'T', kCellTitle};
  EXPECT_EQ(FrameGlyph(grid, 5, 10), U'\u2514');
  // A corner of a box that meets another's side becomes a tee.
  grid.cells[3][15] = {'+', kCellFrame};
  grid.cells[3][16] = {'-', kCellFrame};
  EXPECT_EQ(FrameGlyph(grid, 3, 15), U'\u251C');
}

TEST(TerminalScreenTest, AClickIsFoundThroughThePlacement) {
  ScreenGrid grid;
  grid.hotspots.push_back(ScreenHotspot{HotspotKind::kWindow, 5, 10, 20, 6, 7});
  grid.hotspots.push_back(ScreenHotspot{HotspotKind::kControl, 6, 12, 4, 1, 8});
  const ScreenPlacement placed = PlaceScreen(40, 120);  // the screen at row 8, column 20
  const ScreenHotspot* spot = HotspotAtTerminal(grid, placed, 8 + 6, 20 + 13);
  ASSERT_NE(spot, nullptr);
  EXPECT_EQ(spot->handle, 8u);  // the control over its window
  spot = HotspotAtTerminal(grid, placed, 8 + 7, 20 + 13);
  ASSERT_NE(spot, nullptr);
  EXPECT_EQ(spot->handle, 7u);
  EXPECT_EQ(HotspotAtTerminal(grid, placed, 6, 13), nullptr);               // beside the screen
  EXPECT_EQ(HotspotAtTerminal(grid, PlaceScreen(20, 60), 6, 13), nullptr);  // too small
}

}  // namespace
}  // namespace engine
