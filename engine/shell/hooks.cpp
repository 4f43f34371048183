// The hook table.
#include "engine/shell/hooks.h"

#include <array>

namespace engine {

namespace {
std::array<HookFn, kHookSlots> g_hooks{};
}  // namespace

uint16_t RegisterHook(HookFn handler, uint16_t slot) {
  if (slot >= kHookSlots) return kHookRefused;
  g_hooks[slot] = handler;
  return slot;
}

HookFn HookAt(uint16_t slot) { return slot < kHookSlots ? g_hooks[slot] : nullptr; }

void HooksClear() { g_hooks.fill(nullptr); }

}  // namespace engine
