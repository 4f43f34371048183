// Value tables: creation, growth, element sizes, removal, and the system words of table 7.
#include "engine/core/value_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "support/core_fixture.h"

namespace engine {
namespace {

using ValueTablesTest = testing::CoreFixture;

int64_t NumberAt(uint32_t index) {
  int64_t value = 0;
  if (const void* element = TableGet(kTableNumbers, index)) std::memcpy(&value, element, 8);
  return value;
}

TEST_F(ValueTablesTest, GrowsWithZeroFilledElementsAndKeepsOldOnes) {
  const int64_t first = 11, far = -7;
  ASSERT_NE(TableSet(kTableNumbers, 0, &first, 8), nullptr);
  ASSERT_NE(TableSet(kTableNumbers, 100, &far, 8), nullptr);
  EXPECT_EQ(TableInfo(kTableNumbers, kTableInfoCount), 101u);
  EXPECT_EQ(TableInfo(kTableNumbers, kTableInfoElementSize), 8u);
  EXPECT_EQ(NumberAt(0), 11);
  EXPECT_EQ(NumberAt(50), 0);
  EXPECT_EQ(NumberAt(100), -7);
  EXPECT_EQ(TableGet(kTableNumbers, 101), nullptr);
  EXPECT_EQ(TableGet(3, 0), nullptr);  // never written
}

TEST_F(ValueTablesTest, RefusesAnotherElementSize) {
  const int64_t value = 1;
  ASSERT_NE(TableSet(kTableNumbers, 0, &value, 8), nullptr);
  EXPECT_EQ(TableSet(kTableNumbers, 1, &value, 4), nullptr);
  EXPECT_EQ(TableInfo(kTableNumbers, kTableInfoCount), 1u);
}

TEST_F(ValueTablesTest, RemoveMovesLaterElementsDownAndFreesAnEmptyTable) {
  for (int64_t v = 0; v < 4; ++v) ASSERT_NE(TableSet(kTableNumbers, v, &v, 8), nullptr);
  EXPECT_EQ(TableRemove(kTableNumbers, 1), kOk);
  EXPECT_EQ(TableInfo(kTableNumbers, kTableInfoCount), 3u);
  EXPECT_EQ(NumberAt(0), 0);
  EXPECT_EQ(NumberAt(1), 2);
  EXPECT_EQ(NumberAt(2), 3);
  EXPECT_EQ(TableRemove(kTableNumbers, 3), kStructMemError);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(TableRemove(kTableNumbers, 0), kOk);
  EXPECT_EQ(TableInfo(kTableNumbers, kTableInfoCount), 0u);
  EXPECT_EQ(TableRemove(kTableNumbers, 0), kStructMemError);
  // A freed table starts again with whatever element size its next write gives.
  const int32_t small = 5;
  EXPECT_NE(TableSet(kTableNumbers, 0, &small, 4), nullptr);
}

TEST_F(ValueTablesTest, SystemWordsReadZeroUntilSetAndTestBits) {
  constexpr uint16_t kTrace = 31;
  EXPECT_EQ(SysWord(kTrace), 0);
  SysWordSet(kTrace, 0x110);
  EXPECT_EQ(SysWord(kTrace), 0x110);
  EXPECT_TRUE(SysWordTest(kTrace, 0x100));
  EXPECT_FALSE(SysWordTest(kTrace, 0x01));
  EXPECT_TRUE(SysWordSetBits(kTrace, 0x01, true));
  EXPECT_EQ(SysWord(kTrace), 0x111);
  EXPECT_FALSE(SysWordSetBits(kTrace, 0x101, false));
  EXPECT_EQ(SysWord(kTrace), 0x10);
  EXPECT_EQ(SysWord(40), 0);  // inside the table, never set
}

}  // namespace
}  // namespace engine
