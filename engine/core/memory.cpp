// Start-up and shutdown order of the tracked memory.
#include "engine/core/memory.h"

#include "engine/core/block_pool.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/value_tables.h"

namespace engine {

Status MemoryStart() {
  Status status = BlockPoolStart();
  if (!status.ok()) return status;
  status = StringSlotsStart();
  if (status.ok()) status = ValueTablesStart();
  if (!status.ok()) {
    ValueTablesStop();
    StringSlotsStop();
    StringAreaStop();
    (void)BlockPoolShutdown(true);
  }
  return status;
}

uint16_t MemoryStop() {
  ValueTablesStop();
  if (BlockPoolLiveCount() == 0) return BlockPoolShutdown(false);
  // With no leak the slot store holds the highest live handle; otherwise the block that does
  // names the owner that leaked it, and nothing more is freed.
  const uint16_t tag = BlockPoolShutdown(false);
  if (tag != kTagStringSlots) return tag;
  StringSlotsStop();
  StringAreaStop();
  return BlockPoolShutdown(true);
}

}  // namespace engine
