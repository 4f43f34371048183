// The procedure commands served by the window layer: the progress window with its cancel, the
// key wait, the selection window, the window clean-up of a whole run, and the forms of the
// commands that belong to the procedure windows.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/value_tables.h"
#include "engine/proc/command_chain.h"
#include "engine/proc/engine_commands.h"
#include "engine/ui/keys.h"
#include "engine/ui/window_stack.h"
#include "proc_fixture.h"

namespace engine {
namespace {

class WindowCommandsTest : public testing::ProcFixture {
 protected:
  // A main window under the procedure's windows, as a program has one.
  void OpenMain() {
    SetExtentOverride(ScreenExtent{80, 22, 0, 0, 0, 0});
    const WinHandle window = WinOpen(kKindMain, 0, StrLit("Main"), kNoWindow, -1, -1, nullptr);
    ResetExtentOverride();
    ASSERT_NE(window, kNoWindow);
    WinShow(window);
  }
};

HeadlessHost* g_host = nullptr;
// PRINT: the user presses a key of the script line given as its text.
Status PressKey(const CommandArgs& args) {
  return g_host->QueueLine(args.Text(1).view()) ? Status(kOk) : Status(kBadInputData);
}

TEST_F(WindowCommandsTest, TheProgressWindowCancelsALongLoop) {
  g_host = &host_;
  CommandOperationSet(kKwPrint, PressKey);
  const struct {
    const char* cancel;
    uint16_t windows_before;
  } cases[] = {{"Esc", 0}, {"click:1110", 0}, {"Esc", 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.cancel) + " over " + std::to_string(c.windows_before));
    // Closing the last window asks the event loop to end; each case starts afresh.
    WinLayerReset();
    if (c.windows_before > 0) OpenMain();
    const std::string text =
        "WINOPEN 300,0,'PROGRESS'\r\nN=0\r\nDO_WHILE N<1000\r\nN=N+1\r\nIF N==50\r\nPRINT '" +
        std::string(c.cancel) + "'\r\nENDIF\r\nWINPROG '',1\r\nLOOP\r\nDONE=1";
    EXPECT_EQ(RunText(text), kUserCanceled);
    EXPECT_EQ(Eval("N"), "50");
    EXPECT_EQ(Eval("DONE"), "");
    EXPECT_EQ(LatchedCode(), 0);
    // The whole run closed the progress window, and only that.
    EXPECT_FALSE(ProgressIsOpen());
    EXPECT_FALSE(ProgressCancelled());
    EXPECT_EQ(StackCount(), c.windows_before);
  }
}

TEST_F(WindowCommandsTest, ProgressWindowsOpenAtTheFirstStepAndCloseOnRequest) {
  OpenMain();
  Write(
      "P.PRC",
      "DEF_FN BAR\r\nWINOPEN 200,4,'PROGRESS'\r\nWINPROG '',1\r\nWINPROG '',2\r\nA=_STAT\r\nEND\r\n"
      "DEF_FN TEXT\r\nWINPROG 'Copying'\r\nEND\r\n"
      "DEF_FN CLOSE\r\nWINCLOSE 'PROGRESS'\r\nEND\r\n");
  uint16_t number = kNothing;
  ASSERT_EQ(ProcedureCompile(StrLit("P.PRC"), &number), kOk);
  // Run by function name, the window stays open.
  ASSERT_EQ(ProcedureRun(StrLit("BAR"), StrLit(""), 0), kOk) << Detail();
  EXPECT_TRUE(ProgressIsOpen());
  EXPECT_EQ(ProgressPosition(), 3);
  EXPECT_EQ(ProgressTotal(), 4u);
  EXPECT_EQ(Eval("A"), "");
  ASSERT_EQ(ProcedureRun(StrLit("CLOSE"), StrLit(""), 0), kOk);
  EXPECT_FALSE(ProgressIsOpen());
  ASSERT_EQ(ProcedureRun(StrLit("TEXT"), StrLit(""), 0), kOk);
  EXPECT_TRUE(ProgressIsOpen());
  EXPECT_NE(host_.Dump().find("Copying"), std::string::npos) << host_.Dump();
  ASSERT_EQ(ProcedureRun(StrLit("CLOSE"), StrLit(""), 0), kOk);
  EXPECT_EQ(StackCount(), 1);
  EXPECT_EQ(ProcedureFree(number), kOk);
}

TEST_F(WindowCommandsTest, KeysTypedAheadWaitForTheCommandThatAsks) {
  OpenMain();
  ASSERT_TRUE(host_.QueueLine("F3"));
  ASSERT_EQ(RunText("A=1\r\nB=2\r\nWAIT 'KEY'\r\nK=_LASTKEY"), kOk) << Detail();
  EXPECT_EQ(Eval("K"), std::to_string(kKeyF3));
}

TEST_F(WindowCommandsTest, WinMenuPutsThePickInStat) {
  OpenMain();
  const struct {
    const char* keys;
    const char* picked;
  } cases[] = {{"Down\nEnter", "2"}, {"Enter", "1"}, {"Esc", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    ASSERT_EQ(host_.QueueScript(c.keys), kOk);
    ASSERT_EQ(RunText("_STAT=9\r\nWINMENU 'Pick one','One,Two,Three'\r\nP=_STAT"), kOk) << Detail();
    EXPECT_EQ(Eval("P"), c.picked);
    EXPECT_EQ(StackCount(), 1);
  }
}

TEST_F(WindowCommandsTest, ProcedureWindowsBelongToTheForms) {
  const struct {
    const char* statement;
    const char* detail;
  } cases[] = {
      {"WINOPEN 20,5,'Title'", "WINOPEN"},
      {"WINCLOSE", "WINCLOSE"},
      {"PRINT 'x'", "PRINT"},
      {"READ ''", "READ"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statement);
    EXPECT_EQ(RunText(c.statement), kFeatureRemoved);
    EXPECT_NE(Detail().find(c.detail), std::string::npos) << Detail();
  }
}

}  // namespace
}  // namespace engine
