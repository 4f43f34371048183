// What a procedure run reaches beyond the language: the window events it lets through before
// each statement (with the user's request to cancel), and the things a whole run may leave open
// (data-file set selections, run-time file structures, output devices, windows), counted before
// the run and closed again down to those counts after it, whatever the run's status.
//
// Each kind is served by the subsystem that owns it, which may install its own operations. The
// defaults: file sets are the stack of StringSlots group 33 restored through the data-file seam,
// structures the dictionary's structure stack, windows the WindowStack (the progress window
// closed as such), and the events those of the window layer, the user cancelling through the
// progress window; no output device is open until the output devices install theirs.
#pragma once

#include <cstdint>

#include "engine/core/status.h"

namespace engine {

enum class RunResourceKind : uint8_t { kFileSets, kStructures, kDevices, kWindows };
inline constexpr int kRunResourceKinds = 4;

// How many of a kind are open, and the closing of the newest one.
struct RunResource {
  uint16_t (*count)() = nullptr;
  Status (*close_newest)() = nullptr;
};
// Installs the operations of a kind; a resource with a null member restores the default.
void SetRunResource(RunResourceKind kind, RunResource resource);

// Processes the pending window events; answers 122 (User Canceled) when the user asked to
// cancel the run, else 0.
using EventPump = Status (*)();
// Installs the pump; null restores the default.
void SetEventPump(EventPump pump);
[[nodiscard]] Status PumpEvents();

struct OpenCounts {
  uint16_t count[kRunResourceKinds] = {};
};
OpenCounts CountOpen();
// Closes, kind by kind (file sets, structures, devices, windows), the newest ones until no more are
// open than `counts` says, and then lets the remaining queued window work through. A close that
// fails, or that leaves the count where it was, ends that kind. The first failure is the result.
[[nodiscard]] Status CloseDownTo(const OpenCounts& counts);

}  // namespace engine
