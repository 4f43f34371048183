// The screen as a character host draws it: list views, windows larger than the screen scrolled
// to the focused control, controls cut to their window, the caret, and the places a click
// reaches with what the model does with such a click.
#include "engine/ui/screen_render.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ui/headless_host.h"
#include "model_fixture.h"

namespace engine {
namespace {

// The headless host with its message box opened by hand.
class BoxHost : public HeadlessHost {
 public:
  using WindowModel::BoxClick;
  using WindowModel::BoxHide;
  using WindowModel::BoxKey;
  using WindowModel::BoxShow;
};

class ScreenRenderTest : public testing::ModelFixture<BoxHost> {
 protected:
  std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    const std::string dump = host_.Dump();
    size_t start = 0;
    for (size_t end = dump.find('\n'); end != std::string::npos; end = dump.find('\n', start)) {
      lines.push_back(dump.substr(start, end - start));
      start = end + 1;
    }
    return lines;
  }
  ScreenGrid Grid() {
    ScreenGrid grid;
    RenderScreen(host_, &grid);
    return grid;
  }
};

TEST_F(ScreenRenderTest, AListViewIsATableWithAHeadingThatScrollsToItsSelection) {
  const WinHandle w = Window(FrameStyle::kModalPopup, {120, 48, 480, 240}, StrLit("Lines"));
  const WinHandle view = Control(w, ControlKind::kListView, 3200, {0, 0, 384, 120});
  ASSERT_TRUE(host_.ListViewInsertColumn(view, 0, StrLit("Code"), 96, false));
  ASSERT_TRUE(host_.ListViewInsertColumn(view, 1, StrLit("Amount"), 96, true));
  ASSERT_TRUE(host_.ListViewInsertColumn(view, 1, StrLit("Name"), 168, false));
  EXPECT_EQ(host_.ListViewColumnWidth(view, 1), 168);
  EXPECT_EQ(host_.ListViewColumnWidth(view, 3), -1);
  for (int i = 0; i < 10; ++i) {
    const std::string n = std::to_string(i);
    ASSERT_TRUE(host_.ListViewSetCell(view, i, 0, StrView("C0" + n)));
    ASSERT_TRUE(host_.ListViewSetCell(view, i, 2, StrView(n + ".00")));
  }
  ASSERT_TRUE(host_.ListViewSetCell(view, 6, 1, StrLit("A name too long for its column")));
  EXPECT_FALSE(host_.ListViewSetCell(view, 0, 3, StrLit("x")));
  EXPECT_EQ(host_.ListViewRowCount(view), 10);
  host_.ShowWindow(w, kShowNormal);
  host_.ListViewSelect(view, 6);
  EXPECT_EQ(host_.ListViewSelection(view), 6);
  EXPECT_EQ(host_.ListViewTopRow(view), 3);  // four rows under the heading, the last the 7th
  std::vector<std::string> lines = Lines();
  EXPECT_EQ(lines[3], "          | Code    Name          Amount         |");
  EXPECT_EQ(lines[4], "          | C03                      3.00 ^      |");
  EXPECT_EQ(lines[7], "          |>C06     A name too lo    6.00 v      |");
  const Rect cell = host_.ListViewCellRect(view, 6, 1);
  EXPECT_EQ(cell.x, 96);
  EXPECT_EQ(cell.y, 4 * 24);
  EXPECT_EQ(cell.width, 168);

  // Keys move the selection and the rows follow it.
  host_.SetFocus(view);
  const struct {
    const char* key;
    int32_t selected;
    int32_t top;
  } moves[] = {{"Down", 7, 4}, {"PgDn", 9, 6}, {"Down", 9, 6},
               {"PgUp", 5, 5}, {"Home", 0, 0}, {"End", 9, 6}};
  for (const auto& m : moves) {
    SCOPED_TRACE(m.key);
    ASSERT_TRUE(host_.QueueLine(m.key));
    Drain();
    EXPECT_EQ(host_.ListViewSelection(view), m.selected);
    EXPECT_EQ(host_.ListViewTopRow(view), m.top);
  }
  host_.ListViewScroll(view, -100);
  EXPECT_EQ(host_.ListViewTopRow(view), 0);
  host_.ListViewDeleteRows(view);
  EXPECT_EQ(host_.ListViewRowCount(view), 0);
  EXPECT_EQ(host_.ListViewSelection(view), -1);
  lines = Lines();
  EXPECT_EQ(lines[4], "          |                                      |");
}

TEST_F(ScreenRenderTest, AWindowTallerThanTheScreenScrollsToTheFocusedControl) {
  // 22 rows inside the frame show, 32 rows are laid out.
  const WinHandle w = Window(FrameStyle::kModalPopup, {0, 0, 480, 24 * 24}, StrLit("Tall"));
  host_.SetScrollBar(w, kScrollVertical, ScrollBarState{true, 10 * 24, 22 * 24, 0});
  const WinHandle first = Control(w, ControlKind::kEdit, 2000, {0, 0, 120, 24}, StrLit("first"));
  const WinHandle last =
      Control(w, ControlKind::kEdit, 2001, {0, 30 * 24, 120, 24}, StrLit("last"));
  host_.ShowWindow(w, kShowNormal);
  host_.SetFocus(first);
  std::vector<std::string> lines = Lines();
  EXPECT_EQ(lines[1], "|first_____                            |");
  EXPECT_EQ(host_.Dump().find("last"), std::string::npos);

  host_.SetFocus(last);
  EXPECT_EQ(host_.GetScrollBar(w, kScrollVertical).position, 9 * 24);
  lines = Lines();
  EXPECT_EQ(lines[22], "|last______                            |");
  EXPECT_EQ(host_.Dump().find("first"), std::string::npos);
  const ScreenGrid grid = Grid();
  EXPECT_EQ(grid.cursor_row, 22);
  EXPECT_EQ(grid.cursor_column, 5);

  host_.SetFocus(first);
  EXPECT_EQ(host_.GetScrollBar(w, kScrollVertical).position, 0);
  EXPECT_EQ(Lines()[1], "|first_____                            |");
}

TEST_F(ScreenRenderTest, ControlsAreCutToTheirWindow) {
  const WinHandle w = Window(FrameStyle::kModalPopup, {120, 48, 120, 96}, StrLit("Small"));
  Control(w, ControlKind::kStatic, 4001, {0, 0, 480, 24}, StrLit("A label far wider than it"),
          kCtlVisible);
  const WinHandle edit =
      Control(w, ControlKind::kEdit, 2000, {96, 24, 240, 24}, StrLit("abcdefghij"));
  host_.ShowWindow(w, kShowNormal);
  host_.SetFocus(edit);
  const std::vector<std::string> lines = Lines();
  EXPECT_EQ(lines[2], "          +Small---+");  // a narrow box gives its title the border
  EXPECT_EQ(lines[3], "          |A label |");
  EXPECT_EQ(lines[4], "          |        |");  // the edit box starts beyond the frame
  const ScreenGrid grid = Grid();
  EXPECT_EQ(grid.cursor_row, -1);  // its caret is not on the screen
}

TEST_F(ScreenRenderTest, ClicksReachMenusListsAndBoxButtons) {
  const WinHandle main = Window(FrameStyle::kCaptioned, {0, 0, 960, 576}, StrLit("Status"));
  const MenuHandle bar = host_.CreateMenuBar();
  const MenuHandle files = host_.CreatePopupMenu();
  const MenuHandle tools = host_.CreatePopupMenu();
  ASSERT_TRUE(host_.AppendMenuItem(files, 1500, StrLit("Open")));
  ASSERT_TRUE(host_.AppendMenuItem(tools, 1501, StrLit("Check")));
  ASSERT_TRUE(host_.AppendMenuItem(tools, 1502, StrLit("Repair")));
  ASSERT_TRUE(host_.AppendSubMenu(bar, files, StrLit("Files")));
  ASSERT_TRUE(host_.AppendSubMenu(bar, tools, StrLit("Tools")));
  ASSERT_TRUE(host_.SetWindowMenu(main, bar));
  const WinHandle list = Control(main, ControlKind::kListBox, 3350, {24, 48, 240, 72});
  for (StrRef entry : {StrLit("one"), StrLit("two"), StrLit("three")}) host_.ListAdd(list, entry);
  host_.ShowWindow(main, kShowNormal);
  Drain();

  // The bar's items, their letters marked.
  ScreenGrid grid = Grid();
  const ScreenHotspot* spot = HotspotAt(grid, 0, 9);
  ASSERT_NE(spot, nullptr);
  EXPECT_EQ(spot->kind, HotspotKind::kMenuBarItem);
  EXPECT_EQ(spot->index, 1);
  EXPECT_EQ(grid.cells[0][8].attr, kCellBarHotkey);  // the T of Tools
  EXPECT_EQ(grid.cells[0][9].attr, kCellBar);

  host_.ClickMenuBar(main, spot->index);
  grid = Grid();
  spot = HotspotAt(grid, 3, 10);  // Repair in the open Tools popup
  ASSERT_NE(spot, nullptr);
  ASSERT_EQ(spot->kind, HotspotKind::kMenuItem);
  EXPECT_EQ(spot->index, 1);
  host_.ClickMenuItem(static_cast<size_t>(spot->level), spot->index);
  EXPECT_FALSE(host_.menu_track().active);
  std::vector<HostEvent> events = Drain();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].kind, EventKind::kCommand);
  EXPECT_EQ(events[0].id, 1502);
  // A second click on an open popup's bar item leaves the menu.
  host_.ClickMenuBar(main, 0);
  EXPECT_TRUE(host_.menu_track().active);
  host_.ClickMenuBar(main, 0);
  EXPECT_FALSE(host_.menu_track().active);

  // A list entry: a click makes it current, a second one of a double click picks it.
  grid = Grid();
  spot = HotspotAt(grid, 1 + 3, 3);
  ASSERT_NE(spot, nullptr);
  ASSERT_EQ(spot->kind, HotspotKind::kListEntry);
  EXPECT_EQ(spot->index, 1);
  host_.ClickListEntry(list, spot->index, false);
  EXPECT_EQ(host_.ListCurrent(list), 1);
  EXPECT_EQ(host_.GetFocus(), list);
  host_.ClickListEntry(list, spot->index, true);
  events = Drain();
  std::vector<uint16_t> codes;
  for (const HostEvent& e : events) {
    if (e.kind == EventKind::kCommand) codes.push_back(e.code);
  }
  EXPECT_EQ(codes, (std::vector<uint16_t>{kNotifySelChange, kNotifyDoubleClick}));

  // A box covers the window: its buttons are the places to click, and no caret shows.
  host_.BoxShow(StrLit("Close?"), StrLit("Question"), kBoxYesNo);
  grid = Grid();
  int buttons = 0;
  for (const ScreenHotspot& s : grid.hotspots) {
    if (s.kind != HotspotKind::kBoxButton) continue;
    ++buttons;
    EXPECT_EQ(grid.cells[s.row][s.column + 1].attr, kCellHotkey);
    EXPECT_EQ(grid.cells[s.row][s.column + 1].ch, s.index == 0 ? 'Y' : 'N');
  }
  EXPECT_EQ(buttons, 2);
  EXPECT_EQ(grid.cursor_row, -1);
  BoxButton answer = BoxButton::kOk;
  EXPECT_FALSE(host_.BoxClick(2, &answer));
  EXPECT_TRUE(host_.BoxClick(1, &answer));
  EXPECT_EQ(answer, BoxButton::kNo);
  host_.BoxHide();
}

}  // namespace
}  // namespace engine
