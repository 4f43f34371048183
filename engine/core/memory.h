// The start and stop of the engine's memory: BlockPool with the StringArea, StringSlots and
// ValueTables, in the order the rest of the engine relies on.
#pragma once

#include <cstdint>

#include "engine/core/status.h"

namespace engine {

// Starts the pool (with the area, sized by BlockPoolConfig()), the slot store and the value
// tables. On failure everything started so far is stopped again.
[[nodiscard]] Status MemoryStart();

// Frees what the memory start made, in its order. Returns 0 when everything was freed, else the
// owner tag of a block that is still alive (a leak); the pool is then left as it is.
uint16_t MemoryStop();

}  // namespace engine
