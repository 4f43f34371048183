// The screen extent, the cell size from the fonts, cell-to-pixel conversion, field control
// widths and the window stack.
#include <gtest/gtest.h>

#include "engine/ui/controls.h"
#include "engine/ui/native_fonts.h"
#include "engine/ui/screen_geometry.h"
#include "engine/ui/window_stack.h"
#include "ui_fixture.h"

namespace engine {
namespace {

using testing::UiFixture;

class GeometryTest : public UiFixture {};

TEST_F(GeometryTest, WithoutUserFontTheBuiltInExtentMapsRowOneColumnOneToPixelOneOne) {
  SetDefaultScreen(80, 25, 0, 0, 0);
  const ScreenExtent e = CurrentExtent();
  EXPECT_EQ(e.columns, 80);
  EXPECT_EQ(e.rows, 25);
  EXPECT_EQ(ColumnX(1), 1);
  EXPECT_EQ(RowY(1), 1);
  // The headless host's default font: 11 wide, 21 high, so a cell of 12 x 24.
  const CellSize cell = CurrentCellSize();
  EXPECT_EQ(cell.width, 12);
  EXPECT_EQ(cell.height, 24);
  EXPECT_EQ(ColumnX(3), 2 * 12 + 1);
  EXPECT_EQ(ColumnX(-1), 79 * 12 + 1);  // the far edge
  EXPECT_EQ(RowY(-1), 24 * 24 + 1);
  EXPECT_EQ(CellsWidth(10), 120);
  EXPECT_EQ(RowsHeight(2), 48);
}

TEST_F(GeometryTest, OriginAndLineSpacingMoveRows) {
  SetDefaultScreen(80, 24, 2, 1, 50);
  EXPECT_EQ(ColumnX(1), 2 * 12 + 1);
  // Row 3 with origin row 1: three rows down, each 150 percent of a cell.
  EXPECT_EQ(RowY(3), 3 * 24 * 150 / 100 + 1);
  SetDefaultScreen(80, 24, 0, 0, 50);
  EXPECT_EQ(RowY(3), 2 * 24 * 150 / 100 + 1);
  EXPECT_EQ(RowsHeight(3), 3 * 24 * 150 / 100);
}

TEST_F(GeometryTest, TheOverrideReplacesTheDefaultUntilReset) {
  SetExtentOverride(ScreenExtent{30, 5, 1, 1, 2, 0});
  EXPECT_EQ(CurrentExtent().columns, 30);
  EXPECT_EQ(ColumnX(1), 12 + 1);
  ResetExtentOverride();
  EXPECT_EQ(CurrentExtent().columns, 80);
  EXPECT_EQ(ExtentOverride().columns, 0);
  // Columns set but no rows is no override.
  SetExtentOverride(ScreenExtent{30, 0, 0, 0, 0, 0});
  EXPECT_EQ(CurrentExtent().columns, 80);
}

TEST_F(GeometryTest, ScreenSizeOnlyEnlargesAndSetsTheRestFromTheThirdField) {
  const struct {
    const char* list;
    ScreenExtent expected;
  } cases[] = {
      {"40,10", {40, 10, 0, 0, 0, 0}},
      {"10,3", {30, 5, 0, 0, 0, 0}},  // smaller than the computed extent: kept
      {"35,4", {35, 5, 0, 0, 0, 0}},
      {"20,20,2,1,2,10", {30, 20, 2, 1, 2, 10}},
      {"", {30, 5, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    SetExtentOverride(ScreenExtent{30, 5, 0, 0, 0, 0});
    ApplyScreenSize(StrFromC(c.list));
    const ScreenExtent e = CurrentExtent();
    EXPECT_EQ(e.columns, c.expected.columns);
    EXPECT_EQ(e.rows, c.expected.rows);
    EXPECT_EQ(e.origin_column, c.expected.origin_column);
    EXPECT_EQ(e.origin_row, c.expected.origin_row);
    EXPECT_EQ(e.extra_rows, c.expected.extra_rows);
    EXPECT_EQ(e.line_spacing, c.expected.line_spacing);
  }
}

TEST_F(GeometryTest, TheTopUserFontGivesTheCellAndItsNativeFont) {
  // The programs' font, 24 x 12: native 21 x 11, cell 12 x 24.
  ASSERT_EQ(AddFont(24, 12, 0, StrLit("Lucida Console")), kOk);
  FontDesc native = NativeFontDesc(*CurrentFont());
  EXPECT_EQ(native.height, 21);
  EXPECT_EQ(native.width, 11);
  EXPECT_EQ(native.weight, 400);
  EXPECT_EQ(native.face.view(), "Lucida Console");
  EXPECT_EQ(CurrentCellSize().width, 12);
  EXPECT_EQ(CurrentCellSize().height, 24);
  // A larger font: 32 wide gives a native width of 30, a cell of 31.
  ASSERT_EQ(AddFont(30, 32, 1, StrLit("Courier")), kOk);
  native = NativeFontDesc(*CurrentFont());
  EXPECT_EQ(native.width, 30);
  EXPECT_EQ(native.weight, 700);
  EXPECT_EQ(CurrentCellSize().width, 31);
  EXPECT_EQ(CurrentCellSize().height, 30);
  EXPECT_EQ(host_.cell_width(), 31);  // the host is told the grid
  // -1 takes the cell of the fonts below.
  ASSERT_EQ(AddFont(-1, -1, 0, StrLit("")), kOk);
  native = NativeFontDesc(*CurrentFont());
  EXPECT_EQ(native.height, 27);
  EXPECT_EQ(native.width, 31 - 1);
}

TEST_F(GeometryTest, ControlsAskForFontZeroOrTwoOnly) {
  const WinHandle window = OpenDialog(20, 3);
  ASSERT_EQ(WinLabel(1, 1, StrLit("Name")), kOk);
  // Laid out in the default extent of 80 columns.
  const WinHandle label = host_.FindControl(window, kIdLabelBase + 80 + 1);
  ASSERT_NE(label, kNoWindow);
  EXPECT_EQ(host_.Find(label)->font, host_.GetStockFont(StockFont::kOemFixed));
  EXPECT_EQ(FontApply(label, kFontSystem), kOk);
  EXPECT_EQ(host_.Find(label)->font, host_.GetStockFont(StockFont::kSystem));
  EXPECT_EQ(FontApply(label, 1), kBadInputData);
  EXPECT_EQ(FontApply(label, 3), kBadInputData);
  EXPECT_EQ(host_.Find(label)->font, host_.GetStockFont(StockFont::kSystem));
  ASSERT_EQ(AddFont(24, 12, 0, StrLit("Lucida Console")), kOk);
  EXPECT_EQ(FontApply(label, kFontUser), kOk);
  EXPECT_EQ(host_.GetTextMetrics(host_.Find(label)->font).height, 21);
}

TEST_F(GeometryTest, FieldControlWidthsShrinkByHalfACellPerTenCells) {
  const struct {
    uint16_t width;
    int32_t pixels;
  } cases[] = {
      {10, 120},                   // q = 1
      {15, 180},                   // remainder 5 does not round up
      {16, 192 - 6},               // remainder 6 rounds up: q = 2
      {30, 360 - 2 * 6},           // q = 3
      {4, 48 + 6},                 // q = 0: half a cell wider
      {1, 18},           {0, 15},  // at least 15 pixels
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.width);
    EXPECT_EQ(FieldControlWidth(c.width), c.pixels);
  }
}

TEST_F(GeometryTest, TheWindowStackKeepsStackingOrderAndRefusesA33rd) {
  StackReset();
  EXPECT_EQ(StackTop(), kNoWindow);
  for (WinHandle w = 1; w <= kWindowStackLimit; ++w) ASSERT_TRUE(StackPush(w, kShowNormal));
  EXPECT_FALSE(StackPush(100, kShowNormal));  // the 33rd is not tracked
  EXPECT_EQ(StackCount(), kWindowStackLimit);
  EXPECT_EQ(StackFind(100), nullptr);
  EXPECT_EQ(StackTop(), 32u);
  // A window already there moves to the top with its entry.
  StackFind(5)->engine_window = 7;
  EXPECT_TRUE(StackPush(5, kShowMaximized));
  EXPECT_EQ(StackTop(), 5u);
  EXPECT_EQ(StackAt(31)->engine_window, 7);
  EXPECT_EQ(StackAt(31)->show, kShowNormal);
  EXPECT_EQ(StackAt(4)->window, 6u);
  EXPECT_TRUE(StackRemove(5));
  EXPECT_FALSE(StackRemove(5));
  EXPECT_EQ(StackTop(), 32u);
  EXPECT_EQ(StackCount(), 31);
  StackReset();
  EXPECT_EQ(StackCount(), 0);
}

}  // namespace
}  // namespace engine
