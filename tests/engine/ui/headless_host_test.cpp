// The window model's own behaviour (typing, lists, focus, the menu bar's keyboard mode, popup
// menus, timers) and the headless host's script, close rule, boxes and screen dump.
#include "engine/ui/headless_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ui/screen_render.h"
#include "model_fixture.h"
#include "support/temp_folder.h"

namespace engine {
namespace {

class HeadlessModelTest : public testing::ModelFixture<HeadlessHost> {
 protected:
  static std::vector<HostEvent> Commands(const std::vector<HostEvent>& events) {
    std::vector<HostEvent> commands;
    for (const HostEvent& e : events) {
      if (e.kind == EventKind::kCommand) commands.push_back(e);
    }
    return commands;
  }
};

TEST_F(HeadlessModelTest, WindowsNeedARegisteredClassAndControlsAWindow) {
  Status status = kOk;
  WindowDesc desc;
  desc.class_name = StrLit("Unknown");
  EXPECT_EQ(host_.CreateTopWindow(desc, &status), kNoWindow);
  EXPECT_EQ(status, kWindowsControlError);
  EXPECT_TRUE(host_.IsClassRegistered(StrLit("TEST")));
  ControlDesc control;
  control.parent = 12345;
  EXPECT_EQ(host_.CreateControl(control, &status), kNoWindow);
  EXPECT_EQ(status, kWindowsControlError);
  EXPECT_EQ(host_.RegisterWindowClass(StrLit("")), kBadInputData);
}

TEST_F(HeadlessModelTest, TypingGoesToTheFocusedEditWithinItsLimit) {
  const WinHandle w = Window();
  const WinHandle edit = Control(w, ControlKind::kEdit, 2001, {12, 24, 120, 24}, StrLit("old"));
  host_.SetTextLimit(edit, 5);
  host_.ShowWindow(w, kShowNormal);
  host_.SetFocus(edit);
  host_.SelectAllText(edit);
  host_.QueueText("abcdefg");
  host_.QueueKey({kVkBack, 0, 8});
  host_.QueueKey({kVkHome, 0, 0});
  host_.QueueText("X");
  host_.QueueKey({kVkEnd, 0, 0});
  host_.QueueKey({kVkLeft, 0, 0});
  host_.QueueKey({kVkDelete, 0, 0});
  Drain();
  // "old" was replaced (all of it selected), the limit kept "abcde", Backspace took the "e".
  EXPECT_EQ(host_.Find(edit)->text, "Xabc");
  host_.EnableWindow(w, true);
  const WinHandle read_only = Control(w, ControlKind::kEdit, 2002, {12, 48, 120, 24},
                                      StrLit("fixed"), kCtlVisible | kCtlTabStop | kCtlReadOnly);
  host_.SetFocus(read_only);
  host_.QueueText("zz");
  Drain();
  EXPECT_EQ(host_.Find(read_only)->text, "fixed");
  // A script line is UTF-8; what reaches the control is Windows-1252.
  host_.SetFocus(edit);
  host_.SelectAllText(edit);
  ASSERT_TRUE(host_.QueueLine("text:a\u00F1o\u20AC"));
  Drain();
  EXPECT_EQ(host_.Find(edit)->text, "a\xF1o\x80");
}

TEST_F(HeadlessModelTest, FocusChangesAreEventsAndTabMovesAmongTabStops) {
  const WinHandle w = Window();
  const WinHandle a = Control(w, ControlKind::kEdit, 2001, {12, 24, 120, 24});
  const WinHandle b = Control(w, ControlKind::kButton, 3100, {12, 48, 120, 24}, StrLit("Ok"));
  Control(w, ControlKind::kStatic, 4081, {12, 72, 120, 24}, StrLit("label"), kCtlVisible);
  host_.ShowWindow(w, kShowNormal);
  EXPECT_EQ(host_.GetFocus(), w);
  host_.SetFocus(a);
  std::vector<HostEvent> events = Drain();
  ASSERT_GE(events.size(), 3u);
  EXPECT_EQ(events[events.size() - 2].kind, EventKind::kKillFocus);
  EXPECT_EQ(events.back().kind, EventKind::kSetFocus);
  EXPECT_EQ(events.back().target, a);
  host_.QueueKey({kVkTab, 0, '\t'});
  Drain();
  EXPECT_EQ(host_.GetFocus(), b);
  host_.QueueKey({kVkTab, 0, '\t'});  // the label is no tab stop
  Drain();
  EXPECT_EQ(host_.GetFocus(), a);
  host_.QueueKey({kVkTab, kModShift, '\t'});
  Drain();
  EXPECT_EQ(host_.GetFocus(), b);
  // A focused button clicks on Space and Enter.
  host_.QueueKey({kVkSpace, 0, ' '});
  host_.QueueKey({kVkReturn, 0, '\r'});
  const std::vector<HostEvent> commands = Commands(Drain());
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].id, 3100);
  EXPECT_EQ(commands[0].target, w);
  EXPECT_EQ(commands[0].param, static_cast<int32_t>(b));
  // A disabled window takes neither focus nor keys; events of a destroyed one are dropped.
  host_.EnableWindow(w, false);
  host_.SetFocus(a);
  EXPECT_EQ(host_.GetFocus(), b);
  host_.EnableWindow(w, true);
  host_.PostEvent(HostEvent{EventKind::kClose, w, 0, 0, 0, 0});
  host_.DestroyWindow(w);
  EXPECT_FALSE(host_.IsWindow(a));
  HostEvent e;
  EXPECT_FALSE(host_.GetEvent(&e, ReadMode::kQueuedOnly));
}

TEST_F(HeadlessModelTest, ListsMoveWithTheArrowsAndPickWithEnter) {
  const WinHandle w = Window();
  const WinHandle list = Control(w, ControlKind::kListBox, 3350, {12, 24, 120, 72});
  for (const char* item : {"one", "two", "three"}) host_.ListAdd(list, StrFromC(item));
  host_.ListSetCurrent(list, 0);
  const WinHandle combo = Control(w, ControlKind::kComboBox, 3500, {12, 120, 120, 24});
  host_.ListAdd(combo, StrLit("COM1"));
  host_.ListAdd(combo, StrLit("COM2"));
  host_.ShowWindow(w, kShowNormal);
  host_.SetFocus(list);
  host_.QueueKey({kVkDown, 0, 0});
  host_.QueueKey({kVkDown, 0, 0});
  host_.QueueKey({kVkDown, 0, 0});  // stays on the last
  host_.QueueKey({kVkReturn, 0, '\r'});
  std::vector<HostEvent> commands = Commands(Drain());
  EXPECT_EQ(host_.ListCurrent(list), 2);
  ASSERT_EQ(commands.size(), 3u);
  EXPECT_EQ(commands[0].code, kNotifySelChange);
  EXPECT_EQ(commands[2].code, kNotifyDoubleClick);
  host_.SetFocus(combo);
  host_.QueueKey({kVkDown, 0, 0});
  commands = Commands(Drain());
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].code, kNotifySelEndOk);
  EXPECT_EQ(ToString(host_.GetText(combo, 100)), "COM1");
}

class MenuModeTest : public HeadlessModelTest {
 protected:
  void SetUp() override {
    HeadlessModelTest::SetUp();
    main_ = Window(FrameStyle::kCaptioned, {0, 0, 960, 576}, StrLit(" Status"));
    const MenuHandle bar = host_.CreateMenuBar();
    const MenuHandle files = host_.CreatePopupMenu();
    host_.AppendMenuItem(files, 1500, StrLit("Customers"));
    host_.AppendMenuItem(files, 1501, StrLit("Suppliers"));
    const MenuHandle more = host_.CreatePopupMenu();
    host_.AppendMenuItem(more, 1502, StrLit("Banks"));
    host_.AppendSubMenu(files, more, StrLit("More"));
    const MenuHandle reports = host_.CreatePopupMenu();
    host_.AppendMenuItem(reports, 1503, StrLit("List"));
    host_.AppendSubMenu(bar, files, StrLit("Files"));
    host_.AppendSubMenu(bar, reports, StrLit("Reports"));
    host_.AppendMenuItem(bar, 1504, StrLit("Exit"));
    ASSERT_TRUE(host_.SetWindowMenu(main_, bar));
    host_.ShowWindow(main_, kShowNormal);
  }
  uint16_t Pick(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) EXPECT_TRUE(host_.QueueLine(line)) << line;
    const std::vector<HostEvent> commands = Commands(Drain());
    EXPECT_FALSE(host_.menu_track().active);
    return commands.empty() ? 0 : commands.back().id;
  }
  WinHandle main_ = kNoWindow;
};

TEST_F(MenuModeTest, F10TypedCaptionsArrowsEnterAndEscWalkTheMenu) {
  const struct {
    std::vector<std::string> keys;
    uint16_t chosen;
  } cases[] = {
      {{"F10", "Enter", "Down", "Enter"}, 1501},
      {{"F10", "text:Files", "Enter", "text:s", "Enter"}, 1501},
      {{"F10", "text:rep", "Down", "Enter"}, 1503},
      {{"F10", "Right", "Right", "Enter"}, 1504},
      {{"F10", "Enter", "text:More", "Right", "Enter"}, 1502},
      {{"F10", "Enter", "Right", "Enter"}, 1503},  // Right from a popup: the next one
      {{"F10", "Left", "Enter"}, 1504},            // Left wraps on the bar
      {{"Alt+R", "Enter"}, 1503},
      {{"F10", "Enter", "Esc", "Esc"}, 0},
      {{"F10", "F10"}, 0},
      {{"Alt+Q"}, 0},  // no caption starts with Q: no menu
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys.front() + "," + std::to_string(c.keys.size()));
    EXPECT_EQ(Pick(c.keys), c.chosen);
  }
}

TEST_F(MenuModeTest, TheOpenMenuIsDrawnOverTheMainWindow) {
  ASSERT_TRUE(host_.QueueLine("F10"));
  ASSERT_TRUE(host_.QueueLine("Enter"));
  ASSERT_TRUE(host_.QueueLine("Down"));
  Drain();
  ASSERT_TRUE(host_.menu_track().active);
  const std::string dump = host_.Dump();
  const std::string expected_top =
      "[Files] Reports  Exit\n"
      "+-----------+\n"
      "| Customers |\n"
      "|>Suppliers |\n"
      "| More     >|\n"
      "+-----------+\n";
  EXPECT_EQ(dump.substr(0, expected_top.size()), expected_top);
  EXPECT_NE(dump.find("\n Status\n"), std::string::npos);  // the status line, last row
}

TEST_F(MenuModeTest, ClosingTheWindowWhenTheKeysRunOutLeavesTheMenuFirst) {
  ASSERT_TRUE(host_.QueueLine("F10"));
  ASSERT_TRUE(host_.QueueLine("Enter"));
  Drain();
  ASSERT_TRUE(host_.menu_track().active);
  HostEvent e;
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kWait));
  EXPECT_EQ(e.kind, EventKind::kClose);
  EXPECT_EQ(e.target, main_);
  EXPECT_FALSE(host_.menu_track().active);
}

TEST_F(MenuModeTest, APopupMenuAnswersTheChosenIdentifierOrNothing) {
  const MenuHandle popup = host_.CreatePopupMenu();
  host_.AppendMenuItem(popup, 1700, StrLit("First"));
  host_.AppendMenuItem(popup, 1701, StrLit("Second"));
  host_.AppendMenuItem(popup, 1702, StrLit("Third"));
  Drain();
  ASSERT_TRUE(host_.QueueLine("Down"));
  ASSERT_TRUE(host_.QueueLine("Down"));
  ASSERT_TRUE(host_.QueueLine("Enter"));
  EXPECT_EQ(host_.TrackPopupMenu(popup, {480, 288}, main_), 1702);
  ASSERT_TRUE(host_.QueueLine("text:s"));
  ASSERT_TRUE(host_.QueueLine("Enter"));
  EXPECT_EQ(host_.TrackPopupMenu(popup, {480, 288}, main_), 1701);
  ASSERT_TRUE(host_.QueueLine("Esc"));
  EXPECT_EQ(host_.TrackPopupMenu(popup, {480, 288}, main_), 0);
  EXPECT_EQ(host_.TrackPopupMenu(popup, {480, 288}, main_), 0);  // nothing queued
  HostEvent e;
  EXPECT_FALSE(host_.GetEvent(&e, ReadMode::kQueuedOnly));  // a popup posts no command
}

TEST_F(HeadlessModelTest, AQueuedAnswerWaitsForItsBox) {
  const WinHandle w = Window();
  host_.ShowWindow(w, kShowNormal);
  host_.QueueAnswer(BoxButton::kNo);
  HostEvent e;
  while (host_.GetEvent(&e, ReadMode::kQueuedOnly)) {
  }
  EXPECT_FALSE(host_.GetEvent(&e, ReadMode::kPoll));  // an answer is no key
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kWait));   // so the window is closed
  EXPECT_EQ(e.kind, EventKind::kClose);
  EXPECT_EQ(host_.MessageBox(StrLit("Close?"), StrLit("Q"), kBoxYesNo), BoxButton::kNo);
  // The box answered: the same window may be closed once more before the loop ends.
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kWait));
  EXPECT_EQ(e.kind, EventKind::kClose);
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kWait));
  EXPECT_EQ(e.kind, EventKind::kQuit);
}

TEST_F(HeadlessModelTest, ScriptLinesNameKeysTextAndClicks) {
  const char* good[] = {"Enter",  "esc",       "Tab",      "Shift+Tab", "F1",         "f11",
                        "F12",    "Up",        "Down",     "Left",      "Right",      "PgUp",
                        "PgDn",   "Home",      "End",      "Ctrl+End",  "Ctrl+]",     "Del",
                        "Space",  "Backspace", "Alt+F",    "text:abc",  "text: a,b ", "click:1110",
                        "# note", "",          "  Enter  "};
  for (const char* line : good) {
    SCOPED_TRACE(line);
    EXPECT_TRUE(host_.QueueLine(line));
  }
  const char* bad[] = {"F0",          "F13",  "Enterr", "click:",     "click:x",
                       "click:70000", "Alt+", "Ctrl",   "text:\u4E2D"};
  const size_t queued = host_.queued();
  for (const char* line : bad) {
    SCOPED_TRACE(line);
    EXPECT_FALSE(host_.QueueLine(line));
  }
  EXPECT_EQ(host_.queued(), queued);
  size_t bad_line = 0;
  EXPECT_EQ(host_.QueueScript("Enter\nF3\nwhat\nEsc\n", &bad_line), kBadInputData);
  EXPECT_EQ(bad_line, 3u);
  EXPECT_EQ(host_.queued(), queued);  // nothing of a bad script is queued
  EXPECT_EQ(host_.QueueScript("Enter\r\n# c\r\ntext:x\r\n", &bad_line), kOk);
  EXPECT_EQ(host_.queued(), queued + 2);
}

TEST_F(HeadlessModelTest, AScriptFileFillsTheQueue) {
  engine::testing::TempFolder dir;
  dir.Write("keys.txt", "F10\ntext:Files\nEnter\n");
  EXPECT_EQ(host_.LoadScriptFile(dir / "keys.txt"), kOk);
  EXPECT_EQ(host_.queued(), 3u);
  EXPECT_EQ(host_.LoadScriptFile(dir / "missing.txt"), kFileNotFound);
  dir.Write("bad.txt", "Enter\nNoSuchKey\n");
  size_t bad_line = 0;
  EXPECT_EQ(host_.LoadScriptFile(dir / "bad.txt", &bad_line), kBadInputData);
  EXPECT_EQ(bad_line, 2u);
  EXPECT_EQ(host_.queued(), 3u);
}

TEST_F(HeadlessModelTest, WithTheScriptUsedUpTheActiveWindowIsClosedThenTheLoopQuits) {
  const WinHandle main = Window(FrameStyle::kCaptioned, {0, 0, 960, 576});
  host_.ShowWindow(main, kShowNormal);
  const WinHandle dialog = Window();
  host_.ShowWindow(dialog, kShowNormal);
  HostEvent e;
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kPoll));  // focus events
  while (host_.GetEvent(&e, ReadMode::kQueuedOnly)) {
  }
  EXPECT_FALSE(host_.GetEvent(&e, ReadMode::kPoll));  // polling never closes anything
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kWait));
  EXPECT_EQ(e.kind, EventKind::kClose);
  EXPECT_EQ(e.target, dialog);
  host_.DestroyWindow(dialog);
  host_.SetFocus(main);
  while (host_.GetEvent(&e, ReadMode::kQueuedOnly)) {
  }
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kWait));
  EXPECT_EQ(e.kind, EventKind::kClose);
  EXPECT_EQ(e.target, main);
  // The main window refused to close: the next wait ends the loop.
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kWait));
  EXPECT_EQ(e.kind, EventKind::kQuit);
  host_.DestroyWindow(main);
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kWait));
  EXPECT_EQ(e.kind, EventKind::kQuit);
}

TEST_F(HeadlessModelTest, MessageBoxesTakeTheirAnswersFromTheScript) {
  const struct {
    std::vector<std::string> keys;
    int kind;
    BoxButton answer;
    size_t left;  // entries the box did not use
  } cases[] = {
      {{}, kBoxYesNo, BoxButton::kYes, 0},
      {{"Enter"}, kBoxYesNo, BoxButton::kYes, 0},
      {{"Esc"}, kBoxYesNo, BoxButton::kNo, 0},
      {{"Esc"}, kBoxYesNoCancel, BoxButton::kCancel, 0},
      {{"Esc"}, kBoxInformation, BoxButton::kOk, 0},
      {{"text:n"}, kBoxYesNo, BoxButton::kNo, 0},
      {{"Tab", "Enter"}, kBoxYesNo, BoxButton::kNo, 0},
      {{"Right", "Right", "Enter"}, kBoxYesNoCancel, BoxButton::kCancel, 0},
      {{"Left", "Enter"}, kBoxOkCancel, BoxButton::kCancel, 0},
      {{"F5", "text:r"}, kBoxRetryCancel, BoxButton::kRetry, 0},
      {{"Enter", "Down"}, kBoxError, BoxButton::kOk, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.kind) + ":" + (c.keys.empty() ? "" : c.keys.front()));
    host_.Clear();
    for (const std::string& k : c.keys) ASSERT_TRUE(host_.QueueLine(k));
    EXPECT_EQ(host_.MessageBox(StrLit("Sure?"), StrLit("Question"), c.kind), c.answer);
    EXPECT_EQ(host_.queued(), c.left);
    EXPECT_FALSE(host_.box().shown);
  }
}

TEST_F(HeadlessModelTest, TheScreenDumpShowsWindowsControlsAndBoxes) {
  const WinHandle w = Window(FrameStyle::kModalPopup, {120, 48, 480, 168}, StrLit("Customer"));
  Control(w, ControlKind::kStatic, 4081, {1, 1, 60, 24}, StrLit("Code:"), kCtlVisible);
  const WinHandle code = Control(w, ControlKind::kEdit, 2000, {73, 1, 120, 24}, StrLit("C01"));
  Control(w, ControlKind::kEdit, 2001, {73, 25, 60, 24}, StrLit("secret"),
          kCtlVisible | kCtlPassword);
  const WinHandle box = Control(w, ControlKind::kCheckBox, 2002, {73, 49, 48, 24}, StrLit("Y"));
  host_.SetCheck(box, true);
  const WinHandle ok = Control(w, ControlKind::kButton, 3100, {264, 73, 96, 24}, StrLit("Ok"));
  const WinHandle bar = Control(w, ControlKind::kProgress, 0, {1, 97, 120, 17}, StrLit(""));
  host_.ProgressSetRange(bar, 0, 10);
  host_.ProgressSetPosition(bar, 5);
  host_.ShowWindow(w, kShowNormal);
  host_.SetFocus(code);
  host_.SetButtonPressed(ok, true);
  const std::string expected =
      "\n"
      "\n"
      "          +- Customer ---------------------------+\n"
      "          |Code: C01_______                      |\n"
      "          |      *****                           |\n"
      "          |      [X]Y                            |\n"
      "          |                      <  Ok  >        |\n"
      "          |#####.....                            |\n"
      "          +--------------------------------------+\n";
  EXPECT_EQ(host_.Dump().substr(0, expected.size()), expected);
  ScreenGrid grid;
  RenderScreen(host_, &grid);
  EXPECT_EQ(grid.cursor_row, 3);
  EXPECT_EQ(grid.cursor_column, 17 + 3);
}

TEST_F(HeadlessModelTest, ABoxIsDrawnCentredWithItsButtons) {
  host_.QueueLine("Tab");
  std::string shown;
  host_.SetScreenLog("");
  // The dump while the box waits: taken through the screen log.
  engine::testing::TempFolder dir;
  host_.SetScreenLog(dir / "screens.txt");
  (void)host_.MessageBox(StrLit("Close the program?"), StrLit("Question"), kBoxYesNo);
  const std::string log = dir.Read("screens.txt");
  EXPECT_NE(log.find("--- screen 1\r\n"), std::string::npos);
  EXPECT_NE(log.find("| Close the program? |"), std::string::npos) << log;
  EXPECT_NE(log.find("<Yes>  [No]"), std::string::npos) << log;
  EXPECT_NE(log.find("--- screen 2\r\n"), std::string::npos);
  EXPECT_NE(log.find("[Yes]  <No>"), std::string::npos) << log;
}

TEST_F(HeadlessModelTest, TimersTickWhenTheirTimeHasCome) {
  host_.UseManualTicks(true);
  const WinHandle w = Window();
  host_.SetTimer(w, 7, 350);
  HostEvent e;
  EXPECT_FALSE(host_.GetEvent(&e, ReadMode::kPoll));
  host_.AdvanceTicks(349);
  EXPECT_FALSE(host_.GetEvent(&e, ReadMode::kPoll));
  host_.AdvanceTicks(1);
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kPoll));
  EXPECT_EQ(e.kind, EventKind::kTimer);
  EXPECT_EQ(e.id, 7);
  host_.AdvanceTicks(10000);
  ASSERT_TRUE(host_.GetEvent(&e, ReadMode::kPoll));
  EXPECT_FALSE(host_.GetEvent(&e, ReadMode::kPoll));  // ticks that are due are one event
  host_.KillTimer(w, 7);
  host_.AdvanceTicks(10000);
  EXPECT_FALSE(host_.GetEvent(&e, ReadMode::kPoll));
}

}  // namespace
}  // namespace engine
