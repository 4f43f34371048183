// Tracked blocks: guard, owner tags, exhaustion of the handle table, shutdown and leaks.
#include "engine/core/block_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/core/memory.h"
#include "support/core_fixture.h"

namespace engine {
namespace {

using BlockPoolTest = testing::CoreFixture;

TEST_F(BlockPoolTest, FillsBlockAndWritesGuardBehindIt) {
  uint16_t handle = BlockAlloc(20, 10, 0xAB);
  ASSERT_NE(handle, kNothing);
  auto* block = static_cast<unsigned char*>(BlockAddress(handle));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(block[i], 0xAB) << i;
  const unsigned char guard[4] = {0x00, 0x21, 0x21, 0x00};
  EXPECT_EQ(std::memcmp(block + 10, guard, 4), 0);
  EXPECT_EQ(BlockFree(20, block), kOk);
}

TEST_F(BlockPoolTest, FreeRefusesBadRequestsAndKeepsTheBlock) {
  auto* block = static_cast<unsigned char*>(BlockAllocZero(20, 8));
  ASSERT_NE(block, nullptr);
  int stack_byte = 0;
  EXPECT_EQ(BlockFree(20, &stack_byte), kMemoryAllocError);
  EXPECT_EQ(BlockFree(21, block), kInternalError);

  const unsigned char saved = block[8];
  block[8] = 'x';  // one byte past the end
  EXPECT_EQ(BlockFree(20, block), kMemoryOverflow);
  block[8] = saved;
  EXPECT_EQ(BlockFree(20, block), kOk);  // still allocated until now
  EXPECT_EQ(BlockFree(20, block), kMemoryAllocError);
}

TEST_F(BlockPoolTest, HandleTableExhaustionAndLowestFreeSlotReuse) {
  std::vector<void*> blocks;
  for (;;) {
    uint16_t handle = BlockAlloc(19, 4, 0);
    if (handle == kNothing) break;
    blocks.push_back(BlockAddress(handle));
  }
  EXPECT_EQ(BlockPoolLiveCount(), 64);
  EXPECT_EQ(BlockAllocZero(19, 4), nullptr);

  void* middle = blocks[blocks.size() / 2];
  ASSERT_EQ(BlockFree(19, middle), kOk);
  const uint16_t reused = BlockAlloc(19, 4, 0);
  ASSERT_NE(reused, kNothing);
  blocks[blocks.size() / 2] = BlockAddress(reused);
  for (void* block : blocks) EXPECT_EQ(BlockFree(19, block), kOk);
}

TEST_F(BlockPoolTest, MemoryStopNamesTheOwnerOfALeakedBlock) {
  void* leaked = BlockAllocZero(21, 16);
  ASSERT_NE(leaked, nullptr);
  EXPECT_EQ(MemoryStop(), 21);
  EXPECT_TRUE(BlockPoolStarted());  // nothing more was freed
  EXPECT_EQ(BlockFree(21, leaked), kOk);
  EXPECT_EQ(MemoryStop(), 0);
  EXPECT_FALSE(BlockPoolStarted());
  ASSERT_EQ(MemoryStart(), kOk);  // for the fixture's own stop
}

TEST_F(BlockPoolTest, SecondStartIsRefused) { EXPECT_EQ(BlockPoolStart(), kUndefWarning); }

}  // namespace
}  // namespace engine
