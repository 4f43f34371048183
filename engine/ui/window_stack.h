// WindowStack: the native windows of the engine in stacking order, at most 32; the last entry
// is the top window, the one that has the input. Each entry holds the window, the engine
// window (the form of the forms layer) shown in it or -1, and its show state.
//
// The table starts uninitialised and is cleared on first use. A window leaves it when it is
// destroyed; what follows from that (the quit request when the last one goes, the focus for
// the new top) is the window layer's.
#pragma once

#include <cstdint>

#include "engine/ui/window_host.h"

namespace engine {

inline constexpr uint16_t kWindowStackLimit = 32;

struct WindowStackEntry {
  WinHandle window = kNoWindow;
  int16_t engine_window = -1;
  uint8_t show = kShowNormal;
};

// Puts the window on top; a window already on the stack moves to the top and keeps its entry.
// False when the stack is full (the window is then not tracked).
bool StackPush(WinHandle window, uint8_t show);
// Removes the window; false when it is not on the stack.
bool StackRemove(WinHandle window);
// The top window, kNoWindow when the stack is empty.
WinHandle StackTop();
uint16_t StackCount();
// Entry n from the bottom (0); null beyond the top.
const WindowStackEntry* StackAt(uint16_t n);
// The entry of a window, null when it is not on the stack.
WindowStackEntry* StackFind(WinHandle window);
// Empties the table (end of a run, tests).
void StackReset();

}  // namespace engine
