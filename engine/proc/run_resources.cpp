// The operations behind what a procedure run reaches, and their defaults.
#include "engine/proc/run_resources.h"

#include <array>

#include "engine/core/string_slots.h"
#include "engine/data/dictionary.h"
#include "engine/lang/function_seams.h"

namespace engine {

namespace {

constexpr StrRef kRestoreSet = StrLit("RESTORE");

uint16_t FileSetDepth() { return SlotCount(kGroupOpenFileSets); }
Status RestoreFileSet() { return CurrentDataFileFunctions().OpenFileSet(kRestoreSet); }
uint16_t NoneOpen() { return 0; }
Status NothingToClose() { return kOk; }
Status NoEvents() { return kOk; }

constexpr std::array<RunResource, kRunResourceKinds> kDefaults = {{
    {FileSetDepth, RestoreFileSet},
    {StructureDepth, RestoreStructure},
    {NoneOpen, NothingToClose},
    {NoneOpen, NothingToClose},
}};

std::array<RunResource, kRunResourceKinds> g_resources = kDefaults;
EventPump g_pump = NoEvents;

}  // namespace

void SetRunResource(RunResourceKind kind, RunResource resource) {
  const auto k = static_cast<size_t>(kind);
  g_resources[k] = resource.count && resource.close_newest ? resource : kDefaults[k];
}

void SetEventPump(EventPump pump) { g_pump = pump ? pump : NoEvents; }

Status PumpEvents() { return g_pump(); }

OpenCounts CountOpen() {
  OpenCounts counts;
  for (int k = 0; k < kRunResourceKinds; ++k) counts.count[k] = g_resources[k].count();
  return counts;
}

Status CloseDownTo(const OpenCounts& counts) {
  Status first = kOk;
  for (int k = 0; k < kRunResourceKinds; ++k) {
    const RunResource& resource = g_resources[k];
    for (uint16_t open = resource.count(); open > counts.count[k];) {
      const Status status = resource.close_newest();
      if (first.ok() && status.IsError()) first = status;
      const uint16_t now = resource.count();
      if (status.IsError() || now >= open) break;
      open = now;
    }
  }
  (void)PumpEvents();
  return first;
}

}  // namespace engine
