// The close confirmation of the main window, and the main window of a run without a window
// layer, closed at once as the headless host does when no key is queued.
#include "engine/shell/main_window.h"

#include <gtest/gtest.h>

#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "shell_fixture.h"

namespace engine {
namespace {

class MainWindowTest : public testing::ShellFixture {};

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

}  // namespace
}  // namespace engine
