// BlockPool: the engine's table of tracked heap blocks. Every block carries an owner tag and
// a 4-byte guard pattern behind its last byte, so that an overrun is caught when the block
// is freed and a block that nobody freed is named by its owner at shutdown.
#pragma once

#include <cstdint>

#include "engine/core/status.h"

namespace engine {

// Owner tags of the engine's blocks.
inline constexpr uint16_t kTagStringSlots = 1;
inline constexpr uint16_t kTagStringArea = 9;
inline constexpr uint16_t kTagKeyArrays = 12;
inline constexpr uint16_t kTagKeyArraysAlt = 13;
inline constexpr uint16_t kTagValueTables = 15;

inline constexpr uint16_t kDefaultHandleSlots = 64;
inline constexpr uint16_t kDefaultAreaKb = 128;
inline constexpr uint8_t kNoFill = 255;  // leave a new block uncleared

// Settings read by BlockPoolStart; an application module may change them before the start.
struct BlockPoolSettings {
  uint16_t handle_slots = kDefaultHandleSlots;
  uint16_t area_kb = kDefaultAreaKb;
};
BlockPoolSettings& BlockPoolConfig();

// Allocates the handle table, then starts the StringArea. 124 if the pool already exists,
// 145 if any allocation fails.
[[nodiscard]] Status BlockPoolStart();
bool BlockPoolStarted();

// Takes the lowest free handle slot; returns its handle or 0xFFFF when none is free. When the
// heap refuses the memory the slot keeps a null address (BlockAddress gives null).
uint16_t BlockAlloc(uint16_t tag, uint32_t size, uint8_t fill);
void* BlockAddress(uint16_t handle);
// BlockAlloc with fill 0; the block's address, or null.
void* BlockAllocZero(uint16_t tag, uint32_t size);
// 154 when no slot holds the address, 180 when the guard was overwritten, 141 when the tag
// does not match; in the last two cases the block stays allocated.
[[nodiscard]] Status BlockFree(uint16_t tag, void* address);

// Counts the live blocks. With none, or with `force`, frees every block and the handle table
// and returns 0; otherwise frees nothing and returns the owner tag of the live block with the
// highest handle.
uint16_t BlockPoolShutdown(bool force);

// Diagnostics: live blocks, and allocations minus frees.
uint16_t BlockPoolLiveCount();
int16_t BlockPoolBalance();

}  // namespace engine
