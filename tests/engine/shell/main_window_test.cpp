// The close confirmation of the main window, and the main window of a run without a window
// layer, closed at once as the headless host does when no key is queued.
#include "engine/shell/main_window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/string_slots.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/shell/menus.h"
#include "engine/shell/task_line.h"
#include "engine/ui/screen_geometry.h"
#include "engine/ui/window_layer.h"
#include "engine/ui/window_stack.h"
#include "shell_fixture.h"

namespace engine {
namespace {

class MainWindowTest : public testing::ShellFixture {
 protected:
  void TearDown() override {
    WinLayerReset();
    ShellFixture::TearDown();
  }
};

std::vector<std::string> g_tasks;
Status RecordTask(const ParsedTask& task) {
  g_tasks.push_back(std::to_string(task.code) + ":" + ToString(task.argument));
  return task.code == kTaskReport ? Status(kFileNotFound) : Status(kOk);
}

uint16_t g_close_answer = 0;
uint16_t CloseHook(uint16_t) { return g_close_answer; }

TEST_F(MainWindowTest, CloseIsAskedUnlessWindowsAreOpenOrTheSettingSaysNotTo) {
  EXPECT_TRUE(ConfirmClose(0, 1));
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].kind, kBoxYesNo);
  EXPECT_NE(host_.boxes()[0].text.find("Do you want to Close Program? (0 Screens, 1 Windows)"),
            std::string::npos);
  host_.QueueAnswer(BoxButton::kNo);
  EXPECT_FALSE(ConfirmClose(0, 1));
  host_.Clear();
  EXPECT_FALSE(ConfirmClose(2, 1));
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].text, "There are windows open (2 Screens, 1 Windows)");
  host_.Clear();
  SysWordSetBits(kSysAuxStat, 0x20, true);
  EXPECT_TRUE(ConfirmClose(1, 1));
  EXPECT_TRUE(host_.boxes().empty());
}

TEST_F(MainWindowTest, TheCloseHookDecidesUnlessItAnswersFeatureRemoved) {
  RegisterHookAs<TaskWindowHook>(&CloseHook, kHookLowLevel);
  g_close_answer = kOk;
  EXPECT_TRUE(ConfirmClose(3, 3));
  g_close_answer = kUserCanceled;
  EXPECT_FALSE(ConfirmClose(0, 1));
  g_close_answer = kFeatureRemoved;
  EXPECT_TRUE(ConfirmClose(0, 1));
  EXPECT_EQ(host_.boxes().size(), 1u);
}

TEST_F(MainWindowTest, WithoutKeysTheMainWindowClosesAfterTheConfirmation) {
  host_.QueueAnswer(BoxButton::kNo);
  EXPECT_EQ(RunMainWindow(StrLit("Orvendal Accounts"), StrLit("C2MENU")), kOk);
  EXPECT_EQ(host_.boxes().size(), 2u);
  EXPECT_TRUE(SysWordTest(kSysScrStat, 2));
}

TEST_F(MainWindowTest, MenuOptionsChosenByKeysRunTheirTaskLines) {
  g_tasks.clear();
  SetTaskHandler(RecordTask);
  SetItem(kEnvAppDescription, "Orvendal Accounts");
  dir_.Write("C2MENU.PMT",
             "Files\n\tCustomers,MantMain CUST\n\tSuppliers,MantMain SUPP\nReports\n"
             "\tList,Report LIST01\n");
  for (const char* line : {"F10", "text:Files", "Enter", "Down", "Enter",  // Suppliers
                           "F10", "Right", "Enter", "Enter",               // List: fails
                           "Enter",                                        // its error box
                           "F10", "Esc", "Esc"}) {
    ASSERT_TRUE(host_.QueueLine(line)) << line;
  }
  host_.SetScreenLog((dir_.path() / "screens.txt").string());
  EXPECT_EQ(RunMainWindow(SlotGet(kGroupEnvironment, kEnvAppDescription), StrLit("C2MENU")), kOk);
  EXPECT_EQ(g_tasks, (std::vector<std::string>{"5:SUPP", "11:LIST01"}));
  ASSERT_EQ(host_.boxes().size(), 2u);
  EXPECT_EQ(host_.boxes()[0].kind, kBoxError);  // the failed task, shown
  EXPECT_EQ(host_.boxes()[1].kind, kBoxYesNo);  // the close confirmation, answered yes
  EXPECT_EQ(StackCount(), 0);
  const std::string screens = dir_.Read("screens.txt");
  EXPECT_NE(screens.find("[Files] Reports\r\n"
                         "+-----------+\r\n"
                         "|>Customers |\r\n"
                         "| Suppliers |\r\n"),
            std::string::npos)
      << screens;
  EXPECT_NE(screens.find("\r\n Orvendal Accounts  |  "), std::string::npos) << screens;
  EXPECT_NE(screens.find("Orvendal Accounts\r\n"), std::string::npos);  // the logo
  EXPECT_NE(screens.find("F10 or Alt with an initial letter opens the menu\r\n"),
            std::string::npos);
}

TEST_F(MainWindowTest, TheActionHandlerClosesOnlyWhenConfirmed) {
  SetExtentOverride(ScreenExtent{80, 22, 0, 0, 0, 0});
  const WinHandle main = WinOpen(kKindMain, 0, StrLit("Main"), kNoWindow, -1, -1, nullptr);
  ResetExtentOverride();
  WinShow(main);
  const WinHandle other = WinOpen(kKindMant, 0, StrLit("Mant"), kNoWindow, -1, -1, nullptr);
  // Two windows open: message 0032, nothing closes.
  EXPECT_EQ(MainWindowAction(main, MakeAction(kActCloseMain)), kOk);
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].text, "There are windows open (0 Screens, 2 Windows)");
  EXPECT_TRUE(CurrentWindowHost().IsWindow(main));
  WinDestroy(other);
  host_.QueueAnswer(BoxButton::kNo);
  EXPECT_EQ(MainWindowAction(main, MakeAction(kActCloseMain)), kOk);
  EXPECT_TRUE(CurrentWindowHost().IsWindow(main));
  EXPECT_EQ(MainWindowAction(main, MakeAction(kActCloseMain)), kOk);
  EXPECT_FALSE(CurrentWindowHost().IsWindow(main));
  EXPECT_EQ(StackCount(), 0);
  // Help is not part of the engine yet: its status comes back to be shown.
  EXPECT_EQ(MainWindowAction(kNoWindow, MakeAction(kActHelp)), kFeatureRemoved);
  EXPECT_EQ(MainWindowAction(kNoWindow, MakeAction(kActPopupItem, 0)), kOk);
}

TEST_F(MainWindowTest, AMenuThatCannotBeBuiltIsShownAndTheWindowOpensWithoutIt) {
  dir_.Write("BARE.PMT", "Go,ExpEval 1\n");
  EXPECT_EQ(RunMainWindow(StrLit("Title"), StrLit("BARE")), kBadInputData);
  ASSERT_EQ(host_.boxes().size(), 2u);
  EXPECT_NE(host_.boxes()[0].text.find("BARE.PMT"), std::string::npos);
  EXPECT_EQ(host_.boxes()[1].kind, kBoxYesNo);
}

}  // namespace
}  // namespace engine
