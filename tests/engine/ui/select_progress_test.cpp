// The selection window, popup menus, the progress window and the floating text window, driven
// by key scripts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/string_slots.h"
#include "engine/ui/floating_text.h"
#include "engine/ui/progress_window.h"
#include "engine/ui/select_window.h"
#include "engine/ui/window_stack.h"
#include "ui_fixture.h"

namespace engine {
namespace {

class SelectTest : public testing::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    main_ = OpenMain();
    (void)WinPump();
  }
  void Script(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) ASSERT_TRUE(host_.QueueLine(line)) << line;
  }
  WinHandle main_ = kNoWindow;
};

TEST_F(SelectTest, ButtonsAndListsPickByKeys) {
  const struct {
    uint16_t flags;
    std::vector<std::string> keys;
    uint16_t picked;
  } cases[] = {
      {kSelectPopup, {"Enter"}, 1},
      {kSelectPopup, {"Down", "Down", "Enter"}, 3},
      {kSelectPopup, {"Down", "Down", "Down", "Enter"}, 1},  // Down on the last: the first
      {kSelectPopup, {"Up", "Enter"}, 3},
      {kSelectPopup, {"Tab", "Space"}, 2},
      {kSelectPopup, {"click:1501"}, 2},
      {kSelectPopup, {"Esc"}, 0},
      {kSelectPopup, {}, 0},  // nothing queued: the user closes it
      {kSelectPopup | kSelectListBox, {"Down", "Enter"}, 2},
      {kSelectPopup | kSelectListBox, {"Down", "Down", "Down", "Enter"}, 3},
      {kSelectPopup | kSelectListBox, {"Esc"}, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.flags) + ":" + std::to_string(c.keys.size()) + " keys");
    host_.Clear();
    Script(c.keys);
    SysWordSet(kSysStat, 99);
    const uint16_t picked =
        WinSelect(StrLit("Choose"), StrLit("'Customers',Suppliers,Banks"), c.flags);
    EXPECT_EQ(picked, c.picked);
    EXPECT_EQ(SysWord(kSysStat), c.picked);
    if (picked != 0) {
      // A pick leaves the window open for the caller to remove.
      ASSERT_NE(StackTop(), main_);
      EXPECT_EQ(host_.Find(StackTop())->text, "Choose");
      WinDestroy(StackTop());
    }
    EXPECT_EQ(StackTop(), main_);
    EXPECT_EQ(StackCount(), 1);
    EXPECT_FALSE(WinQuitRequested());
    (void)WinPump();
  }
}

TEST_F(SelectTest, TheListIsAsWideAsItsLongestEntryOrTitle) {
  Script({"Down"});
  host_.SetScreenLog("");
  (void)WinPump();
  // Seen while it waits: taken with the screen log of the host.
  testing::TempFolder dir;
  host_.SetScreenLog(dir / "screens.txt");
  Script({"Enter"});
  EXPECT_EQ(WinSelect(StrLit("Font"), StrLit("24;12;;Lucida Console,16;8;BOLD;Courier"),
                      kSelectPopup | kSelectListBox),
            1);
  const WinHandle popup = StackTop();
  const Rect client = host_.GetClientRect(popup);
  EXPECT_EQ(client.width, (21 + 5) * 12);  // the longest entry + 5
  EXPECT_EQ(client.height, 2 * 24);
  const std::string log = dir.Read("screens.txt");
  EXPECT_NE(log.find(">24;12;;Lucida Console"), std::string::npos) << log;
  EXPECT_NE(log.find("+- Font -"), std::string::npos) << log;
  WinDestroy(popup);
}

TEST_F(SelectTest, ManyButtonsAreLaidInColumns) {
  std::string entries;
  for (int i = 1; i <= 20; ++i)
    entries += (i > 1 ? "," : "") + std::string("E") + std::to_string(i);
  Script({"Esc"});
  EXPECT_EQ(WinSelect(StrLit("Many"), StrView(entries), kSelectPopup), 0);
  // 20 rows do not fit three times in 24 rows: halved to 10, then 5 (three times 5 rows fits).
  Script({"Down", "Down", "Down", "Down", "Down", "Enter"});
  EXPECT_EQ(WinSelect(StrLit("Many"), StrView(entries), kSelectPopup), 6);
  const WinHandle popup = StackTop();
  EXPECT_EQ(host_.GetClientRect(popup).height, 5 * 24);
  EXPECT_EQ(host_.GetClientRect(popup).width, 4 * (3 + 5) * 12);
  const WinHandle sixth = host_.FindControl(popup, 1505);
  EXPECT_EQ(host_.Find(sixth)->rect.x, ColumnX(1) + (3 + 5) * 12);
  WinDestroy(popup);
}

TEST_F(SelectTest, WithoutTheModalFlagTheEntriesGoIntoTheTopWindowAndLeaveAgain) {
  Script({"Down", "Enter"});
  EXPECT_EQ(WinSelect(StrLit("Here"), StrLit("A,B"), 0), 2);
  EXPECT_EQ(StackTop(), main_);
  EXPECT_TRUE(host_.ControlsOf(main_).empty());
  EXPECT_EQ(WinSelect(StrLit("Empty"), StrLit(""), kSelectPopup), 0);
}

TEST_F(SelectTest, APopupMenuAnswersThePositionChosen) {
  const struct {
    std::vector<std::string> keys;
    uint16_t chosen;
  } cases[] = {
      {{"Down", "Down", "Enter"}, 3},
      {{"Enter"}, 1},
      {{"text:Se", "Enter"}, 2},
      {{"Esc"}, 0},
      {{}, 0},
  };
  const Point at{100, 300};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys.size());
    Script(c.keys);
    EXPECT_EQ(WinPopupMenu(StrLit("First,Second,'Third'"), &at), c.chosen);
    EXPECT_FALSE(host_.menu_track().active);
  }
  WinDestroy(main_);
  Script({"Down", "Enter"});
  EXPECT_EQ(WinPopupMenu(StrLit("First,Second")), 2);  // with no window to own it
}

class ProgressTest : public SelectTest {};

TEST_F(ProgressTest, ALargeTotalIsHalvedAndStepsDivided) {
  ASSERT_EQ(ProgressOpen(200, 100000, false), kOk);
  EXPECT_EQ(ProgressTotal(), 50000u);
  const WinHandle window = ProgressWindowHandle();
  EXPECT_FALSE(host_.IsWindowEnabled(main_));
  EXPECT_EQ(host_.Find(window)->text, "Process in progress.....");
  const Insets frame = host_.FrameInsets(FrameStyle::kModalPopup, false);
  EXPECT_EQ(host_.GetWindowRect(window).width, 240 + frame.left + frame.right);
  EXPECT_EQ(host_.GetClientRect(window).height, 90);
  const WinHandle cancel = host_.FindControl(window, kIdProgressCancel);
  EXPECT_EQ(host_.Find(cancel)->text, "Cancel");
  EXPECT_EQ(host_.Find(cancel)->rect.x, 150);
  ASSERT_EQ(ProgressStep(2), kOk);
  EXPECT_EQ(ProgressPosition(), 1);
  ASSERT_EQ(ProgressStep(0), kOk);  // one unit: not a whole bar step yet
  EXPECT_EQ(ProgressPosition(), 1);
  ASSERT_EQ(ProgressStep(1), kOk);
  EXPECT_EQ(ProgressPosition(), 2);
  ProgressClose();
  EXPECT_FALSE(host_.IsWindow(window));
  EXPECT_TRUE(host_.IsWindowEnabled(main_));
  EXPECT_FALSE(ProgressIsOpen());
}

TEST_F(ProgressTest, WithoutATotalTheBarWrapsAfter200) {
  ASSERT_EQ(ProgressOpen(0, 0, false), kOk);
  EXPECT_EQ(ProgressTotal(), 200u);
  for (int i = 0; i < 200; ++i) ASSERT_EQ(ProgressStep(1), kOk);
  EXPECT_EQ(ProgressPosition(), 200);
  ASSERT_EQ(ProgressStep(1), kOk);
  EXPECT_EQ(ProgressPosition(), 1);
}

TEST_F(ProgressTest, EscOrTheCancelButtonCancelsEveryStepAfter) {
  const struct { const char* key; } cases[] = {{"Esc"}, {"click:1110"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    ASSERT_EQ(ProgressOpen(300, 10, false), kOk);
    ASSERT_EQ(ProgressStep(1), kOk);
    Script({c.key});
    EXPECT_EQ(ProgressStep(1), kUserCanceled);
    EXPECT_TRUE(ProgressCancelled());
    EXPECT_EQ(ProgressStep(1), kUserCanceled);
    EXPECT_EQ(ProgressText(StrLit("still")), kUserCanceled);
    EXPECT_EQ(ProgressCheck(), kUserCanceled);
    ProgressClose();
    EXPECT_FALSE(ProgressCancelled());
  }
}

TEST_F(ProgressTest, StepsAndTextsOpenWhatIsMissing) {
  ProgressPrepare(250, 40, false);
  EXPECT_FALSE(ProgressIsOpen());
  ASSERT_EQ(ProgressStep(4), kOk);
  EXPECT_TRUE(ProgressIsOpen());
  EXPECT_EQ(ProgressTotal(), 40u);
  EXPECT_EQ(host_.GetClientRect(ProgressWindowHandle()).width, 290);
  ProgressClose();
  ASSERT_EQ(ProgressText(StrLit("Copying CUST.FD")), kOk);
  EXPECT_EQ(host_.GetClientRect(ProgressWindowHandle()).width, 440);
  EXPECT_EQ(host_.Find(ProgressWindowHandle())->painted, "Copying CUST.FD");
  EXPECT_NE(host_.Dump().find("Copying CUST.FD"), std::string::npos);
  ProgressClose();
  ASSERT_EQ(ProgressStep(1), kOk);  // no prepared width: 400 pixels
  EXPECT_EQ(host_.GetClientRect(ProgressWindowHandle()).width, 440);
}

TEST_F(ProgressTest, PollingStepsAtMostEvery32Milliseconds) {
  host_.UseManualTicks(true);
  ASSERT_EQ(ProgressOpen(100, 100, false), kOk);
  ASSERT_EQ(ProgressPoll(), kOk);
  EXPECT_EQ(ProgressPosition(), 0);
  host_.AdvanceTicks(32);
  ASSERT_EQ(ProgressPoll(), kOk);
  EXPECT_EQ(ProgressPosition(), 1);
  host_.AdvanceTicks(31);
  ASSERT_EQ(ProgressPoll(), kOk);
  EXPECT_EQ(ProgressPosition(), 1);
}

TEST_F(ProgressTest, TheFloatingTextIsCentredAndReplaced) {
  ASSERT_EQ(FloatingTextShow(StrLit("Please wait\r\nreading the files")), kOk);
  const WinHandle w = FloatingTextWindow();
  const Rect r = host_.GetWindowRect(w);
  EXPECT_EQ(r.width, 17 * 12);
  EXPECT_EQ(r.height, (2 + 3) * 24);
  EXPECT_EQ(r.x, (host_.ScreenRect().width - r.width) / 2);
  EXPECT_EQ(host_.GetFocus(), main_);  // it never takes the focus
  EXPECT_EQ(StackCount(), 1);
  ASSERT_EQ(FloatingTextShow(StrLit("Done")), kOk);
  EXPECT_EQ(FloatingTextWindow(), w);
  EXPECT_EQ(host_.Find(w)->painted, "Done");
  EXPECT_NE(host_.Dump().find("Done"), std::string::npos);
  std::string wide(200, 'x');
  ASSERT_EQ(FloatingTextShow(StrView(wide)), kOk);
  EXPECT_EQ(host_.GetWindowRect(w).width, host_.ScreenRect().width - 10);
  FloatingTextClose();
  EXPECT_FALSE(host_.IsWindow(w));
}

}  // namespace
}  // namespace engine
