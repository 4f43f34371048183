// The string registers: one tracked block of counts, lengths and packed slot data.
#include "engine/core/string_slots.h"

#include <cstring>

#include "engine/core/block_pool.h"
#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"

namespace engine {

namespace {

static_assert((kSlotGroups + kSlotCount) * 2 < kSlotBlockSize, "slot layout exceeds the block");

struct Slots {
  unsigned char* block = nullptr;
  uint16_t* counts = nullptr;   // kSlotGroups item counts
  uint16_t* lengths = nullptr;  // kSlotCount lengths, in slot order
  char* data = nullptr;         // kSlotDataSize bytes
  uint16_t slots_used = 0;
  uint16_t bytes_used = 0;
} g_slots;

// Absolute number of the group's first slot.
uint32_t FirstSlot(uint16_t group) {
  uint32_t first = 0;
  for (uint16_t g = 0; g < group; ++g) first += g_slots.counts[g];
  return first;
}

uint32_t DataOffset(uint32_t slot) {
  uint32_t offset = 0;
  for (uint32_t i = 0; i < slot; ++i) offset += g_slots.lengths[i];
  return offset;
}

Status SlotFailure(Status status) {
  LatchRecord(kLatchFirst, kSiteStringAssign, kLoadStrError);
  return status;
}

}  // namespace

Status StringSlotsStart() {
  if (g_slots.block) return kOk;
  g_slots.block = static_cast<unsigned char*>(BlockAllocZero(kTagStringSlots, kSlotBlockSize));
  if (!g_slots.block) return kOutOfMemory;
  g_slots.counts = reinterpret_cast<uint16_t*>(g_slots.block);
  g_slots.lengths = g_slots.counts + kSlotGroups;
  g_slots.data = reinterpret_cast<char*>(g_slots.lengths + kSlotCount);
  g_slots.slots_used = 0;
  g_slots.bytes_used = 0;
  return kOk;
}

void StringSlotsStop() {
  if (g_slots.block) (void)BlockFree(kTagStringSlots, g_slots.block);
  g_slots = Slots{};
}

StrRef SlotGet(uint16_t group, uint16_t item) {
  const StrRef none{g_slots.data ? g_slots.data : "", 0};
  if (!g_slots.block || group >= kSlotGroups || item >= g_slots.counts[group]) return none;
  const uint32_t slot = FirstSlot(group) + item;
  if (slot >= kSlotCount) return none;
  return StrRef{g_slots.data + DataOffset(slot), g_slots.lengths[slot]};
}

Status SlotSet(uint16_t group, uint16_t item, StrRef s) {
  if (s.IsStatus()) return StrCheck(s);
  if (!g_slots.block) return SlotFailure(kStrOutBound);
  StrAreaScope scope;
  // s may point into the data that is about to move.
  Status status = StrAreaPushCopy(s);
  if (!status.ok()) return SlotFailure(status);
  s = StrAreaTop();

  if (group >= kSlotGroups) return SlotFailure(kStrOutBound);
  const uint32_t first = FirstSlot(group);
  const uint32_t slot = first + item;
  if (slot >= kSlotCount) return SlotFailure(kStrOutBound);
  const uint16_t count = g_slots.counts[group];
  const uint32_t needed = item >= count ? item - count + 1u : 0u;
  const uint32_t old = item < count ? g_slots.lengths[slot] : 0u;
  if (g_slots.slots_used + needed >= kSlotCount ||
      int64_t{g_slots.bytes_used} + s.len - old >= int64_t{kSlotDataSize}) {
    return SlotFailure(kStrOutBound);
  }

  if (needed) {
    const uint32_t next_group_start = first + count;
    std::memmove(g_slots.lengths + next_group_start + needed, g_slots.lengths + next_group_start,
                 (g_slots.slots_used - next_group_start) * sizeof(uint16_t));
    std::memset(g_slots.lengths + next_group_start, 0, needed * sizeof(uint16_t));
    g_slots.slots_used = static_cast<uint16_t>(g_slots.slots_used + needed);
    g_slots.counts[group] = static_cast<uint16_t>(item + 1);
  }

  const uint32_t offset = DataOffset(slot);
  const uint32_t after = offset + old;
  std::memmove(g_slots.data + offset + s.len, g_slots.data + after, g_slots.bytes_used - after);
  std::memcpy(g_slots.data + offset, s.ptr, s.len);
  g_slots.lengths[slot] = s.len;
  g_slots.bytes_used = static_cast<uint16_t>(g_slots.bytes_used + s.len - old);
  return kOk;
}

Status SlotPush(uint16_t group, StrRef s) { return SlotSet(group, SlotCount(group), s); }

StrRef SlotLast(uint16_t group) {
  const uint16_t count = SlotCount(group);
  if (group >= kGroupQueueA) return SlotGet(group, 0);
  return SlotGet(group, count ? count - 1 : 0);
}

Status SlotPop(uint16_t group) {
  const uint16_t count = SlotCount(group);
  if (count == 0) return kOk;
  return SlotDelete(group, group >= kGroupQueueA ? 0 : count - 1);
}

Status SlotDelete(uint16_t group, uint16_t item) {
  if (group >= kSlotGroups || !g_slots.block) return kStrOutBound;
  const uint16_t count = g_slots.counts[group];
  if (item >= count) return kOk;
  Status status = SlotSet(group, item, StrLit(""));
  if (!status.ok()) return status;
  const uint32_t slot = FirstSlot(group) + item;
  std::memmove(g_slots.lengths + slot, g_slots.lengths + slot + 1,
               (g_slots.slots_used - slot - 1) * sizeof(uint16_t));
  g_slots.lengths[g_slots.slots_used - 1] = 0;
  --g_slots.slots_used;
  --g_slots.counts[group];
  return kOk;
}

Status SlotTruncate(uint16_t group, uint16_t n) {
  while (SlotCount(group) > n) {
    Status status = SlotPop(group);
    if (!status.ok()) return status;
  }
  return kOk;
}

Status SlotClearGroup(uint16_t group) {
  for (uint16_t count = SlotCount(group); count > 0; --count) {
    Status status = SlotDelete(group, count - 1);
    if (!status.ok()) return status;
  }
  return kOk;
}

uint16_t SlotCount(uint16_t group) {
  return g_slots.block && group < kSlotGroups ? g_slots.counts[group] : 0;
}

SlotStats SlotGetStats() { return SlotStats{g_slots.slots_used, g_slots.bytes_used}; }

}  // namespace engine
