// The window stack table.
#include "engine/ui/window_stack.h"

#include <algorithm>
#include <array>

namespace engine {

namespace {

struct Table {
  bool initialised = false;
  uint16_t count = 0;
  std::array<WindowStackEntry, kWindowStackLimit> entries;
};

Table g_table;

Table& Used() {
  if (!g_table.initialised) {
    g_table.entries.fill(WindowStackEntry{});
    g_table.count = 0;
    g_table.initialised = true;
  }
  return g_table;
}

int32_t IndexOf(const Table& t, WinHandle window) {
  for (uint16_t i = 0; i < t.count; ++i) {
    if (t.entries[i].window == window) return i;
  }
  return -1;
}

}  // namespace

bool StackPush(WinHandle window, uint8_t show) {
  Table& t = Used();
  if (window == kNoWindow) return false;
  const int32_t at = IndexOf(t, window);
  if (at >= 0) {
    std::rotate(t.entries.begin() + at, t.entries.begin() + at + 1, t.entries.begin() + t.count);
    return true;
  }
  if (t.count >= kWindowStackLimit) return false;
  t.entries[t.count++] = WindowStackEntry{window, -1, show};
  return true;
}

bool StackRemove(WinHandle window) {
  Table& t = Used();
  const int32_t at = IndexOf(t, window);
  if (at < 0) return false;
  std::copy(t.entries.begin() + at + 1, t.entries.begin() + t.count, t.entries.begin() + at);
  t.entries[--t.count] = WindowStackEntry{};
  return true;
}

WinHandle StackTop() {
  const Table& t = Used();
  return t.count == 0 ? kNoWindow : t.entries[t.count - 1].window;
}

uint16_t StackCount() { return Used().count; }

const WindowStackEntry* StackAt(uint16_t n) {
  const Table& t = Used();
  return n < t.count ? &t.entries[n] : nullptr;
}

WindowStackEntry* StackFind(WinHandle window) {
  Table& t = Used();
  const int32_t at = IndexOf(t, window);
  return at < 0 ? nullptr : &t.entries[static_cast<size_t>(at)];
}

void StackReset() { g_table.initialised = false; }

}  // namespace engine
