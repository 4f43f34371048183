// Tracked heap blocks: the handle table, allocation with guard, checked free and shutdown.
#include "engine/core/block_pool.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/core/string_area.h"

namespace engine {

namespace {

constexpr unsigned char kGuard[4] = {0x00, 0x21, 0x21, 0x00};

struct BlockSlot {
  uint16_t tag = 0;
  uint32_t size = 0;
  unsigned char* address = nullptr;
};

struct Pool {
  BlockPoolSettings settings;
  bool started = false;
  std::vector<BlockSlot> slots;  // the handle table itself is not a tracked block
  int16_t balance = 0;
} g_pool;

void ReleaseSlot(BlockSlot& slot) {
  std::free(slot.address);
  slot = BlockSlot{};
  --g_pool.balance;
}

}  // namespace

BlockPoolSettings& BlockPoolConfig() { return g_pool.settings; }

bool BlockPoolStarted() { return g_pool.started; }

Status BlockPoolStart() {
  if (g_pool.started) return kUndefWarning;
  g_pool.slots.assign(g_pool.settings.handle_slots, BlockSlot{});
  g_pool.balance = 0;
  g_pool.started = true;
  Status status = StringAreaStart(g_pool.settings.area_kb);
  if (!status.ok()) {
    (void)BlockPoolShutdown(true);
    return kOutOfMemory;
  }
  return kOk;
}

uint16_t BlockAlloc(uint16_t tag, uint32_t size, uint8_t fill) {
  for (size_t h = 0; h < g_pool.slots.size(); ++h) {
    BlockSlot& slot = g_pool.slots[h];
    if (slot.address) continue;
    slot.tag = tag;
    slot.size = size;
    slot.address = static_cast<unsigned char*>(std::malloc(size_t{size} + sizeof kGuard));
    if (slot.address) {
      ++g_pool.balance;
      if (fill != kNoFill) std::memset(slot.address, fill, size);
      std::memcpy(slot.address + size, kGuard, sizeof kGuard);
    }
    return static_cast<uint16_t>(h);
  }
  return kNothing;
}

void* BlockAddress(uint16_t handle) {
  return handle < g_pool.slots.size() ? g_pool.slots[handle].address : nullptr;
}

void* BlockAllocZero(uint16_t tag, uint32_t size) { return BlockAddress(BlockAlloc(tag, size, 0)); }

Status BlockFree(uint16_t tag, void* address) {
  if (!address) return kMemoryAllocError;
  for (BlockSlot& slot : g_pool.slots) {
    if (slot.address != address) continue;
    if (std::memcmp(slot.address + slot.size, kGuard, sizeof kGuard) != 0) return kMemoryOverflow;
    if (slot.tag != tag) return kInternalError;
    ReleaseSlot(slot);
    return kOk;
  }
  return kMemoryAllocError;
}

uint16_t BlockPoolShutdown(bool force) {
  uint16_t last_tag = 0;
  for (const BlockSlot& slot : g_pool.slots) {
    if (slot.address) last_tag = slot.tag;
  }
  if (BlockPoolLiveCount() > 0 && !force) return last_tag;
  for (BlockSlot& slot : g_pool.slots) {
    if (slot.address) ReleaseSlot(slot);
  }
  g_pool.slots.clear();
  g_pool.slots.shrink_to_fit();
  g_pool.started = false;
  return 0;
}

uint16_t BlockPoolLiveCount() {
  uint16_t live = 0;
  for (const BlockSlot& slot : g_pool.slots) live += slot.address != nullptr;
  return live;
}

int16_t BlockPoolBalance() { return g_pool.balance; }

}  // namespace engine
