// The operations behind what a procedure run reaches, and their defaults.
#include "engine/proc/run_resources.h"

#include <array>

#include "engine/core/string_slots.h"
#include "engine/data/dictionary.h"
#include "engine/lang/function_seams.h"
#include "engine/ui/progress_window.h"
#include "engine/ui/window_layer.h"
#include "engine/ui/window_stack.h"

namespace engine {

namespace {

constexpr StrRef kRestoreSet = StrLit("RESTORE");

uint16_t FileSetDepth() { return SlotCount(kGroupOpenFileSets); }
Status RestoreFileSet() { return CurrentDataFileFunctions().OpenFileSet(kRestoreSet); }
uint16_t NoneOpen() { return 0; }
Status NothingToClose() { return kOk; }

uint16_t WindowCount() { return StackCount(); }
Status CloseNewestWindow() {
  const WinHandle top = StackTop();
  if (top == ProgressWindowHandle()) {
    ProgressClose();
  } else if (top != kNoWindow) {
    WinDestroy(top);
  }
  return kOk;
}

// The windows' pending events. While the progress window is open the user's input is taken too,
// so that its Cancel can stop the run; otherwise input stays for the form or WAIT that asks for
// it next.
Status WindowEvents() {
  if (ProgressIsOpen()) return ProgressCheck();
  WinDeliverQueued();
  return ProgressCancelled() ? kUserCanceled : kOk;
}

constexpr std::array<RunResource, kRunResourceKinds> kDefaults = {{
    {FileSetDepth, RestoreFileSet},
    {StructureDepth, RestoreStructure},
    {NoneOpen, NothingToClose},
    {WindowCount, CloseNewestWindow},
}};

std::array<RunResource, kRunResourceKinds> g_resources = kDefaults;
EventPump g_pump = WindowEvents;

}  // namespace

void SetRunResource(RunResourceKind kind, RunResource resource) {
  const auto k = static_cast<size_t>(kind);
  g_resources[k] = resource.count && resource.close_newest ? resource : kDefaults[k];
}

void SetEventPump(EventPump pump) { g_pump = pump ? pump : WindowEvents; }

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
