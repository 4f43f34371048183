// A test fixture that starts the engine's memory with the programs' settings (512 KB area,
// 64 handle slots) before each test and stops it afterwards, failing the test on a leak.
#pragma once

#include <gtest/gtest.h>

#include "engine/core/block_pool.h"
#include "engine/core/error_latch.h"
#include "engine/core/memory.h"
#include "engine/core/str_ref.h"

namespace engine::testing {

class CoreFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    BlockPoolConfig() = BlockPoolSettings{64, 512};
    LatchClear();
    ASSERT_EQ(MemoryStart(), kOk);
  }
  void TearDown() override {
    const uint16_t leaked_tag = MemoryStop();
    if (leaked_tag != 0) (void)BlockPoolShutdown(true);
    EXPECT_EQ(leaked_tag, 0) << "a tracked block was not freed";
  }
};

// The bytes of a value as a std::string, or "<status N>" for a status value, so that a
// failing comparison shows what came back.
inline std::string Show(StrRef s) {
  if (s.IsStatus()) return "<status " + std::to_string(StrCheck(s)) + ">";
  return ToString(s);
}

}  // namespace engine::testing
