// String registers: gaps, growth across groups, deletion, stacks and queues, and a full store.
#include "engine/core/string_slots.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "support/core_fixture.h"

namespace engine {
namespace {

using testing::Show;
using StringSlotsTest = testing::CoreFixture;

void Set(uint16_t group, uint16_t item, std::string_view text) {
  ASSERT_EQ(SlotSet(group, item, StrView(text)), kOk);
}

TEST_F(StringSlotsTest, SettingBeyondTheEndCreatesEmptyItems) {
  Set(4, 0, "a");
  Set(4, 1, "b");
  Set(4, 5, "s");
  EXPECT_EQ(SlotCount(4), 6);
  for (uint16_t i = 2; i < 5; ++i) EXPECT_EQ(Show(SlotGet(4, i)), "") << i;
  EXPECT_EQ(Show(SlotGet(4, 5)), "s");
  EXPECT_EQ(Show(SlotGet(4, 6)), "");
}

TEST_F(StringSlotsTest, GroupsKeepTheirItemsWhileOthersGrowAndShrink) {
  Set(3, 0, "three-0");
  Set(5, 0, "five-0");
  Set(5, 1, "five-1");
  Set(4, 0, "four-0");          // inserted between groups 3 and 5
  Set(3, 1, "three-1 longer");  // grows the first group: every later slot moves
  Set(5, 0, "5");               // shrinks a value in the last group
  EXPECT_EQ(Show(SlotGet(3, 0)), "three-0");
  EXPECT_EQ(Show(SlotGet(3, 1)), "three-1 longer");
  EXPECT_EQ(Show(SlotGet(4, 0)), "four-0");
  EXPECT_EQ(Show(SlotGet(5, 0)), "5");
  EXPECT_EQ(Show(SlotGet(5, 1)), "five-1");

  EXPECT_EQ(SlotDelete(3, 0), kOk);
  EXPECT_EQ(SlotCount(3), 1);
  EXPECT_EQ(Show(SlotGet(3, 0)), "three-1 longer");
  EXPECT_EQ(Show(SlotGet(4, 0)), "four-0");
  EXPECT_EQ(Show(SlotGet(5, 1)), "five-1");
  const SlotStats stats = SlotGetStats();
  EXPECT_EQ(stats.slots_used, 4);
  EXPECT_EQ(stats.bytes_used, std::string("three-1 longer"
                                          "four-0"
                                          "5"
                                          "five-1")
                                  .size());
}

TEST_F(StringSlotsTest, AValueMayComeFromTheSlotStoreItself) {
  Set(2, 0, "abc");
  Set(2, 1, "defgh");
  ASSERT_EQ(SlotSet(2, 0, SlotGet(2, 1)), kOk);
  ASSERT_EQ(SlotSet(2, 1, SlotGet(2, 0)), kOk);
  EXPECT_EQ(Show(SlotGet(2, 0)), "defgh");
  EXPECT_EQ(Show(SlotGet(2, 1)), "defgh");
}

TEST_F(StringSlotsTest, BadNumbersReadEmptyAndWritesFail) {
  EXPECT_EQ(Show(SlotGet(39, 0)), "");
  EXPECT_EQ(Show(SlotGet(1000, 0)), "");
  EXPECT_EQ(SlotSet(39, 0, StrLit("x")), kStrOutBound);
  EXPECT_EQ(LatchedCode(), kLoadStrError);
  EXPECT_EQ(LatchedSite(), kSiteStringAssign);
  LatchClear();
  EXPECT_EQ(SlotSet(1, 2048, StrLit("x")), kStrOutBound);
  EXPECT_EQ(SlotSet(1, 0, StrError(kFileNotFound)), kFileNotFound);  // passed through
}

TEST_F(StringSlotsTest, StacksPopTheNewestQueuesTheOldest) {
  EXPECT_EQ(SlotPop(kGroupDefinitionStack), kOk);  // empty: nothing happens
  for (const char* t : {"1", "2", "3"}) {
    ASSERT_EQ(SlotPush(kGroupDefinitionStack, StrFromC(t)), kOk);
    ASSERT_EQ(SlotPush(kGroupQueueA, StrFromC(t)), kOk);
  }
  EXPECT_EQ(Show(SlotLast(kGroupDefinitionStack)), "3");
  EXPECT_EQ(Show(SlotLast(kGroupQueueA)), "1");
  ASSERT_EQ(SlotPop(kGroupDefinitionStack), kOk);
  ASSERT_EQ(SlotPop(kGroupQueueA), kOk);
  EXPECT_EQ(Show(SlotLast(kGroupDefinitionStack)), "2");
  EXPECT_EQ(Show(SlotLast(kGroupQueueA)), "2");
  ASSERT_EQ(SlotTruncate(kGroupDefinitionStack, 1), kOk);
  EXPECT_EQ(Show(SlotLast(kGroupDefinitionStack)), "1");
  ASSERT_EQ(SlotClearGroup(kGroupQueueA), kOk);
  EXPECT_EQ(SlotCount(kGroupQueueA), 0);
}

TEST_F(StringSlotsTest, AFullStoreRefusesMoreDataAndSlots) {
  ASSERT_EQ(StrAreaAlloc(30000, 'x'), kOk);
  StrRef big = StrAreaTop();
  ASSERT_EQ(SlotSet(6, 0, big), kOk);
  ASSERT_EQ(SlotSet(6, 1, big), kOk);
  EXPECT_EQ(SlotSet(6, 2, big), kStrOutBound);  // 90,000 bytes do not fit
  EXPECT_EQ(SlotCount(6), 2);
  EXPECT_EQ(LatchedCode(), kLoadStrError);
  LatchClear();
  ASSERT_EQ(SlotClearGroup(6), kOk);
  StrAreaRelease(0);

  EXPECT_EQ(SlotSet(7, 2047, StrLit("x")), kStrOutBound);  // would use every slot
  EXPECT_EQ(SlotCount(7), 0);
  ASSERT_EQ(SlotSet(7, 2046, StrLit("x")), kOk);
  EXPECT_EQ(SlotCount(7), 2047);
  EXPECT_EQ(SlotSet(8, 0, StrLit("y")), kStrOutBound);
}

}  // namespace
}  // namespace engine
