// The process-wide current Clock.
#include "engine/core/clock.h"

namespace engine {

namespace {
Clock* g_clock = nullptr;
}  // namespace

Clock& CurrentClock() { return g_clock ? *g_clock : PlatformClock(); }

void SetClock(Clock* clock) { g_clock = clock; }

}  // namespace engine
