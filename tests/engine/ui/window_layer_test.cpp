// Opening windows, the event loop, field-control hooks and the dispatching of actions.
#include "engine/ui/window_layer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/string_slots.h"
#include "engine/ui/controls.h"
#include "engine/ui/window_stack.h"
#include "support/temp_folder.h"
#include "ui_fixture.h"

namespace engine {
namespace {

// What the form behind the test windows was asked, and what it answers.
std::vector<ActionCode> g_actions;
Status g_answer = kOk;
Status g_close_answer = 4;

Status RecordingForm(WinHandle, ActionCode action) {
  const uint8_t cls = ActionClass(action);
  g_actions.push_back(action);
  if (cls == kActCloseForm || cls == kActCloseMain) return g_close_answer;
  return g_answer;
}

class WindowLayerTest : public testing::UiFixture {
 protected:
  void SetUp() override {
    UiFixture::SetUp();
    g_actions.clear();
    g_answer = kOk;
    g_close_answer = 4;
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvAppName, StrLit("COLDGR01:Orvendal")), kOk);
  }

  WinHandle Form(uint16_t columns = 40, uint16_t rows = 5) {
    const WinHandle w = OpenDialog(columns, rows);
    WinSetActionHandler(w, RecordingForm);
    return w;
  }
  WinHandle Field(uint16_t field, char type = 'A', uint16_t width = 10) {
    FieldControlDesc desc;
    desc.field = field;
    desc.row = field;
    desc.column = 10;
    desc.width = width;
    desc.length = width;
    desc.type = type;
    desc.checked_caption = StrLit("Y");
    return WinFieldControl(desc);
  }
  void Keys(std::initializer_list<const char*> lines) {
    for (const char* line : lines) ASSERT_TRUE(host_.QueueLine(line)) << line;
    (void)WinPump();
  }
  // The actions recorded, without the focus bookkeeping.
  std::vector<ActionCode> Actions() const {
    std::vector<ActionCode> shown;
    for (ActionCode a : g_actions) {
      const uint8_t cls = ActionClass(a);
      if (cls != kActFocusIn && cls != kActFocusOut && cls != kActFirstFocus &&
          cls != kActFieldEntered) {
        shown.push_back(a);
      }
    }
    return shown;
  }
};

TEST_F(WindowLayerTest, KindsChooseFrameAndClassAndTwelveIsRefused) {
  Status status = kOk;
  EXPECT_EQ(WinOpen(12, 0, StrLit("x"), kNoWindow, -1, -1, nullptr, &status), kNoWindow);
  EXPECT_EQ(status, kBadInputData);
  EXPECT_EQ(StackCount(), 0);
  const struct {
    uint16_t kind;
    const char* class_name;
    FrameStyle frame;
  } cases[] = {
      {kKindMain, "COWnd0", FrameStyle::kCaptioned},
      {kKindLnMant, "COLnMant", FrameStyle::kCaptioned},
      {kKindMant, "COMant", FrameStyle::kCaptioned},
      {kKindMantDlg, "COMantDlg", FrameStyle::kModalPopup},
      {kKindGrid, "COGrid", FrameStyle::kModalPopup},
      {kKindDialog, "CODialogx", FrameStyle::kModalPopup},
      {kKindDevSel, "CODevSel", FrameStyle::kModalPopup},
      {kKindProgress, "COProgress", FrameStyle::kModalPopup},
      {8, "COWnd8", FrameStyle::kCaptioned},
      {kKindPopup, "COWnd10", FrameStyle::kModalPopup},
      {kKindMaximized, "COWnd11", FrameStyle::kOverlapped},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    SetExtentOverride(ScreenExtent{20, 3, 0, 0, 0, 0});
    const WinHandle w = WinOpen(c.kind, 0, StrLit("T"), kNoWindow, -1, -1, nullptr, &status);
    ASSERT_NE(w, kNoWindow);
    EXPECT_EQ(status, kOk);
    EXPECT_EQ(host_.Find(w)->class_name, c.class_name);
    EXPECT_EQ(host_.Find(w)->frame, c.frame);
    EXPECT_EQ(StackTop(), w);
    EXPECT_EQ(StackFind(w)->show, c.kind == kKindMaximized ? kShowMaximized : kShowNormal);
    EXPECT_EQ(StackFind(w)->engine_window, -1);
    WinDestroy(w);
  }
}

TEST_F(WindowLayerTest, ModalWindowsDisableTheWindowBelowUntilTheyGo) {
  SetExtentOverride(ScreenExtent{60, 10, 0, 0, 0, 0});
  const WinHandle main = WinOpen(kKindMain, 0, StrLit("Main"), kNoWindow, -1, -1, nullptr);
  WinShow(main);
  const WinHandle mant = WinOpen(kKindMant, 0, StrLit("Mant"), kNoWindow, -1, -1, nullptr);
  WinShow(mant);
  EXPECT_TRUE(host_.IsWindowEnabled(main));  // a captioned kind is not modal
  const WinHandle dialog = Form();
  EXPECT_FALSE(host_.IsWindowEnabled(mant));
  EXPECT_EQ(host_.ParentOf(dialog), mant);
  EXPECT_EQ(host_.GetFocus(), dialog);
  WinDestroy(dialog);
  EXPECT_TRUE(host_.IsWindowEnabled(mant));
  EXPECT_EQ(host_.GetFocus(), mant);
  EXPECT_EQ(StackTop(), mant);
  WinDestroy(mant);
  WinDestroy(main);
  EXPECT_EQ(StackCount(), 0);
  HostEvent e;
  bool quit = false;
  while (host_.GetEvent(&e, ReadMode::kQueuedOnly)) quit = quit || e.kind == EventKind::kQuit;
  EXPECT_TRUE(quit);                       // the last window posts the quit request
  EXPECT_EQ(WinRunModal(kNoWindow), kOk);  // no window: at once
}

TEST_F(WindowLayerTest, PlacementCentresCascadesAndFollowsGivenCells) {
  const Rect work = host_.WorkArea();
  const WinHandle first = Form(40, 5);
  const Rect a = host_.GetWindowRect(first);
  const Insets frame = host_.FrameInsets(FrameStyle::kModalPopup, false);
  EXPECT_EQ(a.width, 40 * 12 + frame.left + frame.right);
  EXPECT_EQ(a.height, 5 * 24 + frame.top + frame.bottom);
  EXPECT_EQ(a.x, (work.width - a.width) / 2);
  EXPECT_EQ(a.y, (work.height - a.height) / 2);
  const WinHandle second = Form(40, 5);
  const Rect b = host_.GetWindowRect(second);
  EXPECT_EQ(b.x, a.x + 100);
  EXPECT_EQ(b.y, a.y + 60);
  SetExtentOverride(ScreenExtent{10, 2, 0, 0, 0, 0});
  const WinHandle placed = WinOpen(kKindDialog, 0, StrLit(""), kNoWindow, 3, 5, nullptr);
  EXPECT_EQ(host_.GetWindowRect(placed).x, ColumnX(5));
  EXPECT_EQ(host_.GetWindowRect(placed).y, RowY(3));
  // Beside the focused control of the window below.
  const WinHandle field = Field(1);
  WinShow(placed);
  ASSERT_NE(field, kNoWindow);
  host_.SetFocus(field);
  SetExtentOverride(ScreenExtent{5, 2, 0, 0, 0, 0});
  const WinHandle beside =
      WinOpen(kKindDialog, kPlaceBesideFocus, StrLit(""), kNoWindow, -1, -1, nullptr);
  const Rect control = host_.GetWindowRect(field);
  EXPECT_EQ(host_.GetWindowRect(beside).x,
            std::min(control.right() + 100, work.right() - host_.GetWindowRect(beside).width));
}

TEST_F(WindowLayerTest, AWindowLargerThanTheScreenIsCutWithScrollBars) {
  SetExtentOverride(ScreenExtent{100, 30, 0, 0, 0, 0});
  const WinHandle big = WinOpen(kKindDialog, 0, StrLit("Big"), kNoWindow, -1, -1, nullptr);
  const Rect work = host_.WorkArea();
  const Rect r = host_.GetWindowRect(big);
  EXPECT_EQ(r.width, work.width + kScrollBarPixels);
  EXPECT_EQ(r.height, work.height + kScrollBarPixels);
  const ScrollBarState v = host_.GetScrollBar(big, kScrollVertical);
  const Insets frame = host_.FrameInsets(FrameStyle::kModalPopup, false);
  EXPECT_TRUE(v.shown);
  EXPECT_EQ(v.range, 30 * 24 + frame.top + frame.bottom - work.height);
  EXPECT_TRUE(host_.GetScrollBar(big, kScrollHorizontal).shown);
  // Scrolling moves the controls by the difference, clamped to the range.
  ASSERT_EQ(WinLabel(2, 1, StrLit("Row two")), kOk);
  const WinHandle label = host_.FindControl(big, static_cast<uint16_t>(kIdLabelBase + 2 * 100 + 1));
  const int32_t y = host_.Find(label)->rect.y;
  host_.PostEvent(HostEvent{EventKind::kScroll, big, 0, kScrollVertical, kScrollPageDown, 0});
  host_.PostEvent(HostEvent{EventKind::kScroll, big, 0, kScrollVertical, kScrollLineDown, 0});
  (void)WinPump();
  EXPECT_EQ(host_.Find(label)->rect.y, y - 24 - 2);
  host_.PostEvent(HostEvent{EventKind::kScroll, big, 0, kScrollVertical, kScrollBottom, 0});
  host_.PostEvent(HostEvent{EventKind::kScroll, big, 0, kScrollVertical, kScrollPageDown, 0});
  (void)WinPump();
  EXPECT_EQ(host_.GetScrollBar(big, kScrollVertical).position, v.range);
  EXPECT_EQ(host_.Find(label)->rect.y, y - v.range);
  host_.PostEvent(HostEvent{EventKind::kScroll, big, 0, kScrollVertical, kScrollThumbTrack, 5});
  (void)WinPump();
  EXPECT_EQ(host_.Find(label)->rect.y, y - 5);
}

TEST_F(WindowLayerTest, CloseRequestsAskTheFormAndOnlyANonZeroAnswerCloses) {
  SetExtentOverride(ScreenExtent{60, 10, 0, 0, 0, 0});
  const WinHandle main = WinOpen(kKindMain, 0, StrLit("Main"), kNoWindow, -1, -1, nullptr);
  WinSetActionHandler(main, RecordingForm);
  WinShow(main);
  const WinHandle w = Form();
  g_close_answer = kOk;
  WinPostClose(w);
  (void)WinPump();
  EXPECT_TRUE(host_.IsWindow(w));
  ASSERT_FALSE(Actions().empty());
  EXPECT_EQ(Actions().back(), MakeAction(kActCloseForm));
  g_close_answer = 4;
  WinPostClose(w);
  (void)WinPump();
  EXPECT_FALSE(host_.IsWindow(w));
  // The main window is asked with action 17.
  g_actions.clear();
  g_close_answer = kOk;
  WinPostClose(main);
  (void)WinPump();
  EXPECT_EQ(Actions(), std::vector<ActionCode>{MakeAction(kActCloseMain)});
  EXPECT_TRUE(host_.IsWindow(main));
}

TEST_F(WindowLayerTest, TheFirstFocusOfAWindowIs95AndLaterOnes91) {
  const WinHandle w = Form();
  (void)WinPump();
  ASSERT_FALSE(g_actions.empty());
  EXPECT_EQ(g_actions.front(), MakeAction(kActFirstFocus));
  const WinHandle other = Form();
  (void)WinPump();
  WinDestroy(other);
  g_actions.clear();
  (void)WinPump();
  EXPECT_EQ(g_actions, std::vector<ActionCode>{MakeAction(kActFocusIn)});
  EXPECT_EQ(StackTop(), w);
}

TEST_F(WindowLayerTest, KeysInAFieldBecomeKeyCodesAndKeyMapActions) {
  const struct {
    const char* key;
    int16_t map;
    std::vector<ActionCode> actions;
    int16_t last_key;
  } cases[] = {
      {"F3", 0, {MakeAction(kActNavigate, 13)}, 13},
      {"F3", 1, {MakeAction(kActNavigate, 15)}, 13},
      {"F4", 1, {}, 14},
      {"PgDn", 0, {MakeAction(kActNavigate, 5)}, 29},
      {"PgDn", 1, {MakeAction(kActNavigate, 5)}, 29},
      {"Ctrl+End", 0, {MakeAction(kActEndForm)}, 32},
      {"End", 0, {}, 4},
      {"Shift+Tab", 0, {MakeAction(kActPreviousField)}, 8},
      {"Tab", 0, {MakeAction(kActNextField)}, 9},
      {"Enter", 0, {MakeAction(kActNextField)}, 0},
      {"Esc", 0, {MakeAction(kActCancel)}, 3},
      {"F1", 0, {MakeAction(kActHelp)}, 11},
      {"Up", 0, {MakeAction(kActRowUp)}, 22},
      {"text:a", 0, {}, 4},
  };
  const WinHandle w = Form();
  const WinHandle field = Field(1);
  ASSERT_NE(field, kNoWindow);
  EXPECT_TRUE(WinIsHooked(field));
  host_.SetFocus(field);
  (void)WinPump();
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " map " + std::to_string(c.map));
    SysWordSet(kSysKeyMap, c.map);
    g_actions.clear();
    Keys({c.key});
    EXPECT_EQ(Actions(), c.actions);
    EXPECT_EQ(LastKey(), c.last_key);
  }
  EXPECT_TRUE(host_.IsWindow(w));
  // End alone moved the caret; Ctrl+End did not reach the control.
  host_.SetText(field, StrLit("abc"));
  Keys({"Home", "End", "text:d"});
  EXPECT_EQ(host_.Find(field)->text, "abcd");
}

TEST_F(WindowLayerTest, ScannerTextIsQueuedAndRaisesAction24) {
  Form();
  const WinHandle field = Field(1);
  host_.SetFocus(field);
  (void)WinPump();
  SysWordSet(kSysLastKey, 4);
  g_actions.clear();
  Keys({"Ctrl+]", "text:123", "Enter"});
  EXPECT_EQ(Actions(), std::vector<ActionCode>{MakeAction(kActScannerText)});
  EXPECT_EQ(host_.Find(field)->text, "123");
  EXPECT_EQ(LastKey(), 4);  // the Enter was not translated
  EXPECT_EQ(testing::Show(ScannerInputTake()), "123");
  EXPECT_EQ(StrCheck(ScannerInputTake()), kNothing);
  // Typing goes on as usual afterwards.
  Keys({"Enter"});
  EXPECT_EQ(Actions().back(), MakeAction(kActNextField));
}

TEST_F(WindowLayerTest, FieldControlsFollowTheirType) {
  Form();
  char type = 0;
  Status status = kOk;
  FieldControlDesc hidden;
  hidden.type = 'Q';
  EXPECT_EQ(WinFieldControl(hidden, &type, &status), kNoWindow);
  EXPECT_EQ(status, kOk);
  FieldControlDesc password;
  password.field = 2;
  password.type = 'P';
  password.width = 8;
  password.length = 8;
  const WinHandle p = WinFieldControl(password, &type, &status);
  ASSERT_NE(p, kNoWindow);
  EXPECT_EQ(type, 'A');
  EXPECT_TRUE(host_.Find(p)->style & kCtlPassword);
  EXPECT_EQ(host_.ControlId(p), 2001);
  EXPECT_EQ(host_.Find(p)->text_limit, 8);
  EXPECT_EQ(host_.Find(p)->rect.x, ColumnX(1) - 12 / 4 < 1 ? 1 : ColumnX(1) - 3);
  const struct {
    char type;
    bool editable;
    bool right;
    bool read_only;
  } cases[] = {{'A', true, false, false},
               {'N', true, true, false},
               {'5', true, true, false},
               {'L', true, true, false},
               {'D', false, false, true}};
  uint16_t n = 3;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    FieldControlDesc desc;
    desc.field = n++;
    desc.type = c.type;
    desc.editable = c.editable;
    const WinHandle h = WinFieldControl(desc, &type, &status);
    ASSERT_NE(h, kNoWindow);
    EXPECT_EQ(host_.KindOf(h), ControlKind::kEdit);
    EXPECT_EQ((host_.Find(h)->style & kCtlRightAlign) != 0, c.right);
    EXPECT_EQ((host_.Find(h)->style & kCtlReadOnly) != 0, c.read_only);
    EXPECT_TRUE(host_.Find(h)->style & kCtlSunken);
  }
  FieldControlDesc grid;
  grid.field = 20;
  grid.grid = true;
  grid.column = 5;
  const WinHandle g = WinFieldControl(grid);
  EXPECT_EQ(host_.Find(g)->rect.x, ColumnX(5));
  EXPECT_EQ(host_.Find(g)->rect.height, 24 * 7 / 8);
  EXPECT_FALSE(host_.Find(g)->style & kCtlSunken);
  // Bit 512 of _COMPAT leaves controls unhooked.
  SysWordSet(kSysCompat, 512);
  grid.field = 21;
  EXPECT_FALSE(WinIsHooked(WinFieldControl(grid)));
}

TEST_F(WindowLayerTest, LogicalFieldsAreCheckBoxesWithTheirOwnKeys) {
  Form();
  SysWordSet(kSysAuxStat, 16);
  const WinHandle box = Field(1, 'L');
  ASSERT_EQ(host_.KindOf(box), ControlKind::kCheckBox);
  EXPECT_EQ(host_.Find(box)->rect.width, 4 * 12);
  host_.SetFocus(box);
  (void)WinPump();
  g_actions.clear();
  Keys({"Space"});
  EXPECT_TRUE(host_.IsChecked(box));
  EXPECT_EQ(host_.Find(box)->text, "Y");
  Keys({"Space"});
  EXPECT_FALSE(host_.IsChecked(box));
  EXPECT_EQ(host_.Find(box)->text, "");
  host_.Click(box);
  (void)WinPump();
  EXPECT_EQ(host_.Find(box)->text, "Y");
  Keys({"Enter", "F3"});  // F3 is left to the control
  EXPECT_EQ(Actions(), std::vector<ActionCode>{MakeAction(kActNextField)});
  SysWordSet(kSysAuxStat, 0);
  EXPECT_EQ(host_.KindOf(Field(2, 'L')), ControlKind::kEdit);
}

TEST_F(WindowLayerTest, DropDownListsSendOkOnEnter) {
  const WinHandle w = Form();
  ControlDesc desc;
  desc.kind = ControlKind::kComboBox;
  desc.style = kCtlVisible | kCtlTabStop;
  desc.parent = w;
  desc.id = kIdDropDownBase;
  desc.rect = Rect{10, 10, 120, 24};
  const WinHandle combo = host_.CreateControl(desc, nullptr);
  host_.ListAdd(combo, StrLit("LPT1"));
  host_.ListAdd(combo, StrLit("COM1"));
  WinHookControl(combo, StrLit(""));
  host_.SetFocus(combo);
  (void)WinPump();
  g_actions.clear();
  Keys({"Down", "Enter", "Esc"});
  EXPECT_EQ(Actions(), (std::vector<ActionCode>{MakeAction(kActListSelect),
                                                MakeAction(kActNavigate, kNavConfirm),
                                                MakeAction(kActCancel)}));
}

TEST_F(WindowLayerTest, CommandsSetLastKeyAndBecomeTheirActions) {
  const WinHandle w = Form();
  ASSERT_EQ(WinFitForm(w), kOk);
  const uint16_t commands[] = {3, 5, 8};
  ASSERT_EQ(WinToolbar(w, commands, 3, StrLit("Prev.,Next,'Save'"), 1, 1, false), kOk);
  EXPECT_EQ(host_.Find(host_.FindControl(w, 3008))->text, "Save");
  (void)WinPump();
  g_actions.clear();
  SysWordSet(kSysLastKey, 3);
  Keys({"click:3100"});
  EXPECT_EQ(LastKey(), 4);
  Keys({"click:3005"});
  WinPostEngineEvent(w, 7);
  host_.PostEvent(HostEvent{EventKind::kCommand, w, 0, 2500, 0, 0});  // no action
  (void)WinPump();
  EXPECT_EQ(Actions(),
            (std::vector<ActionCode>{MakeAction(kActNavigate, kNavConfirm),
                                     MakeAction(kActNavigate, 5), MakeAction(kActEvent, 7)}));
}

TEST_F(WindowLayerTest, AStatusWithBit8ClosesTheTopWindowAndErrorsAreShown) {
  OpenMain();
  const WinHandle w = Form();
  const WinHandle field = Field(1);
  host_.SetFocus(field);
  (void)WinPump();
  g_answer = 24;
  Keys({"Esc"});
  EXPECT_FALSE(host_.IsWindow(w));
  EXPECT_TRUE(host_.boxes().empty());
  g_answer = kOk;
  const WinHandle second = Form();
  const WinHandle f2 = Field(1);
  host_.SetFocus(f2);
  (void)WinPump();
  g_answer = kFileNotFound;
  Keys({"F6"});
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].kind, kBoxError);
  EXPECT_TRUE(host_.IsWindow(second));
}

// The forms side: the current field is 1, its check fails while g_reject is set, stored texts
// are recorded.
bool g_reject = false;
std::vector<std::string> g_stored;
const FormFieldOps kOps{
    [](WinHandle) -> Status { return g_reject ? Status(kBadUserData) : Status(kOk); },
    [](WinHandle) -> uint16_t { return 1; },
    [](WinHandle, uint16_t field) { return field != 3; },
    [](WinHandle, uint16_t field, StrRef text) -> Status {
      g_stored.push_back(std::to_string(field) + "=" + ToString(text));
      return text.view() == "bad" ? Status(kBadUserData) : Status(kOk);
    },
};

TEST_F(WindowLayerTest, NavigationKeysStoreTheFieldFirstAndFocusChecksTheCurrentField) {
  g_reject = false;
  g_stored.clear();
  SetFormFieldOps(&kOps);
  Form();
  const WinHandle one = Field(1);
  const WinHandle two = Field(2);
  const WinHandle three = Field(3);
  host_.SetFocus(one);
  (void)WinPump();
  g_actions.clear();
  Keys({"text:abc", "Tab"});
  EXPECT_EQ(g_stored, std::vector<std::string>{"1=abc"});
  EXPECT_EQ(Actions(), std::vector<ActionCode>{MakeAction(kActNextField)});
  // Esc reads nothing back; a failing store ends the dispatch before the form.
  g_actions.clear();
  Keys({"Esc"});
  EXPECT_EQ(g_stored.size(), 1u);
  host_.SetText(one, StrLit("bad"));
  g_actions.clear();
  Keys({"Enter"});
  EXPECT_TRUE(Actions().empty());
  // 126 has the close bit among its bits, but it is shown and the form stays open.
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.GetFocus(), one);
  // Losing the focus by a mouse (no navigation key) stores; focusing another field checks.
  g_stored.clear();
  g_actions.clear();
  SysWordSet(kSysLastKey, 4);
  host_.SetText(one, StrLit("xyz"));
  host_.SetFocus(two);
  (void)WinPump();
  EXPECT_EQ(g_stored, std::vector<std::string>{"1=xyz"});
  EXPECT_EQ(g_actions, std::vector<ActionCode>{MakeAction(kActFieldEntered, 2)});
  EXPECT_TRUE(host_.Find(two)->all_selected);
  g_reject = true;
  g_actions.clear();
  host_.SetFocus(three);
  (void)WinPump();
  EXPECT_EQ(Actions(), std::vector<ActionCode>{MakeAction(kActCheckRejected)});
  g_reject = false;
  g_actions.clear();
  host_.SetFocus(one);  // the current field: no check
  (void)WinPump();
  g_actions.clear();
  host_.SetFocus(three);  // passes, but not editable: nothing
  (void)WinPump();
  EXPECT_TRUE(g_actions.empty());  // a focus-out only stores, the form is not asked
}

TEST_F(WindowLayerTest, RunModalEndsWhenTheWindowIsNoLongerOnTop) {
  OpenMain();
  const WinHandle w = Form();
  Keys({});
  host_.QueueLine("click:3100");  // no such control: nothing
  host_.QueueLine("Esc");         // a close request, accepted by the form
  EXPECT_EQ(WinRunModal(w), kOk);
  EXPECT_FALSE(host_.IsWindow(w));
  EXPECT_EQ(Actions().back(), MakeAction(kActCloseForm));
  // With nothing queued the user closes the window.
  const WinHandle again = Form();
  EXPECT_EQ(WinRunModal(again), kOk);
  EXPECT_FALSE(host_.IsWindow(again));
  // A window that refuses twice ends the loop with a quit request.
  const WinHandle stubborn = Form();
  g_close_answer = kOk;
  EXPECT_EQ(WinRunModal(stubborn), kUserCanceled);
  EXPECT_TRUE(WinQuitRequested());
  EXPECT_TRUE(host_.IsWindow(stubborn));
}

TEST_F(WindowLayerTest, WaitKeyAnswersTheNextKeyCode) {
  Form();
  host_.QueueLine("F5");
  EXPECT_EQ(WinWaitKey(), kKeyF1 + 4);
  host_.QueueLine("text:x");
  EXPECT_EQ(WinWaitKey(), kKeyOther);
  EXPECT_EQ(WinWaitKey(), kKeyEsc);  // nothing queued: the window closes
  EXPECT_EQ(StackCount(), 0);
}

TEST_F(WindowLayerTest, FitFormPlacesTheOkButtonOnce) {
  SetExtentOverride(ScreenExtent{30, 4, 0, 0, 0, 0});
  const WinHandle w = WinOpen(kKindDialog, 0, StrLit("Form"), kNoWindow, -1, -1, nullptr);
  ASSERT_EQ(WinFitForm(w), kOk);
  const Rect client = host_.GetClientRect(w);
  EXPECT_EQ(client.width, 30 * 12);
  EXPECT_EQ(client.height, 6 * 24);
  const WinHandle ok = host_.FindControl(w, kIdOk);
  ASSERT_NE(ok, kNoWindow);
  EXPECT_EQ(host_.Find(ok)->rect.x, client.width - 14 * 12);
  EXPECT_EQ(host_.Find(ok)->rect.y, client.height - 24 - 12);
  EXPECT_EQ(host_.Find(ok)->rect.width, 12 * 12);
  ASSERT_EQ(WinFitForm(w), kOk);
  EXPECT_EQ(host_.ControlsOf(w).size(), 1u);
}

TEST_F(WindowLayerTest, LabelsReplaceTheirPlaceAndFourCharacterTextsAreMessages) {
  const WinHandle w = Form(40, 5);
  SetExtentOverride(ScreenExtent{40, 5, 0, 0, 0, 0});
  ASSERT_EQ(WinLabel(2, 3, StrLit("First")), kOk);
  ASSERT_EQ(WinLabel(2, 3, StrLit("0020")), kOk);
  ASSERT_EQ(WinLabel(3, 3, StrLit("0000")), kOk);
  ASSERT_EQ(WinLabel(4, 3, StrLit("00201")), kOk);
  const WinHandle label = host_.FindControl(w, kIdLabelBase + 2 * 40 + 3);
  ASSERT_NE(label, kNoWindow);
  EXPECT_EQ(host_.Find(label)->text, "Cancel");
  EXPECT_EQ(host_.Find(label)->rect.width, 6 * 12);
  EXPECT_EQ(host_.Find(host_.FindControl(w, kIdLabelBase + 3 * 40 + 3))->text, "0000");
  EXPECT_EQ(host_.Find(host_.FindControl(w, kIdLabelBase + 4 * 40 + 3))->text, "00201");
  EXPECT_EQ(host_.ControlsOf(w).size(), 3u);
  // A label "<?>..." at row 1, column 1 makes the title the status line instead.
  ASSERT_EQ(WinLabel(1, 1, StrLit("<?>Customers")), kOk);
  EXPECT_EQ(host_.Find(w)->text.rfind(" Customers  |  ", 0), 0u) << host_.Find(w)->text;
  EXPECT_EQ(host_.FindControl(w, kIdLabelBase + 40 + 1), kNoWindow);
  ASSERT_EQ(WinSetTitle(w, StrLit("0016")), kOk);
  EXPECT_EQ(host_.Find(w)->text, "Process in progress.....");
  WinLayerReset();
  EXPECT_EQ(WinLabel(1, 1, StrLit("x")), kBadInputData);  // no window
}

TEST_F(WindowLayerTest, TheLogoNamesTheApplicationAndTakesTheBitmapFile) {
  testing::TempFolder dir(true);
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvAppDescription, StrLit("Orvendal Accounts")), kOk);
  SetExtentOverride(ScreenExtent{80, 22, 0, 0, 0, 0});
  const WinHandle main = WinOpen(kKindMain, 0, StrLit("Main"), kNoWindow, -1, -1, nullptr);
  ASSERT_EQ(WinShowLogo(main), kOk);
  std::vector<WinHandle> controls = host_.ControlsOf(main);
  ASSERT_EQ(controls.size(), 1u);
  const ModelWindow* logo = host_.Find(controls[0]);
  EXPECT_EQ(logo->text, "Orvendal Accounts");
  EXPECT_EQ(logo->bitmap, kNoBitmap);
  EXPECT_EQ(logo->rect.x, 3);
  EXPECT_EQ(logo->rect.width, host_.GetClientRect(main).width - 6);
  dir.Write("logo_partner.bmp", "BM");
  ASSERT_EQ(WinShowLogo(main), kOk);
  controls = host_.ControlsOf(main);
  EXPECT_NE(host_.Find(controls.back())->bitmap, kNoBitmap);
}

}  // namespace
}  // namespace engine
