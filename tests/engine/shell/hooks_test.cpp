// The hook table: registration, typed read-back, the refused slot.
#include "engine/shell/hooks.h"

#include <gtest/gtest.h>

namespace engine {
namespace {

int Twice(int x) { return 2 * x; }

class HooksTest : public ::testing::Test {
 protected:
  void TearDown() override { HooksClear(); }
};

TEST_F(HooksTest, ASlotAnswersTheHandlerItWasGiven) {
  EXPECT_EQ(HookAt(kHookProcedure), nullptr);
  EXPECT_EQ(RegisterHookAs(&Twice, kHookProcedure), kHookProcedure);
  auto handler = HookAs<int (*)(int)>(kHookProcedure);
  ASSERT_NE(handler, nullptr);
  EXPECT_EQ(handler(21), 42);
  EXPECT_EQ(RegisterHook(nullptr, kHookProcedure), kHookProcedure);
  EXPECT_EQ(HookAt(kHookProcedure), nullptr);
}

TEST_F(HooksTest, SlotTwentyFiveIsRefusedAndChangesNothing) {
  EXPECT_EQ(RegisterHookAs(&Twice, 25), kHookRefused);
  for (uint16_t slot = 0; slot < 30; ++slot) EXPECT_EQ(HookAt(slot), nullptr) << slot;
}

}  // namespace
}  // namespace engine
