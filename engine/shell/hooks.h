// The hook table: 25 slots through which an application module (and the engine itself) extends
// fixed points of the engine. An empty slot means the engine's own behaviour applies.
//
// Each slot has its own handler signature, declared by the subsystem that calls the slot next
// to the call; the table stores handlers type-erased and RegisterHookAs / HookAs restore the
// type, so a slot is always registered and read with the same signature.
#pragma once

#include <cstdint>

namespace engine {

inline constexpr uint16_t kHookSlots = 25;
inline constexpr uint16_t kHookRefused = 255;

// Slots with a fixed meaning.
inline constexpr uint16_t kHookScreenField = 0;  // value of a screen field for the evaluator
inline constexpr uint16_t kHookProcedure = 1;    // run a procedure (EXEC$)
inline constexpr uint16_t kHookGridCell = 2;     // a grid cell or _NAME(n) value
inline constexpr uint16_t kHookRelation = 3;     // relation operation of the evaluator
inline constexpr uint16_t kHookTaskFirst = 4;    // 4..7: actions of task windows
inline constexpr uint16_t kHookParamFile = 4;
inline constexpr uint16_t kHookPrintDocument = 5;
inline constexpr uint16_t kHookSteps = 6;
inline constexpr uint16_t kHookStatSteps = 7;
inline constexpr uint16_t kHookTaskLast = 7;
inline constexpr uint16_t kHookDocSearch = 8;     // application document search
inline constexpr uint16_t kHookScreenFirst = 10;  // 10..17: screen handlers by number
inline constexpr uint16_t kHookScreenLast = 17;
inline constexpr uint16_t kHookTransfer = 21;
inline constexpr uint16_t kHookHelp = 22;
inline constexpr uint16_t kHookLowLevel = 23;

using HookFn = void (*)();

// The handlers of task windows (slots 4..17 and 23) are called with the class of the form's
// action; most act only when the form is confirmed. A handler answers kNothing (0xFFFF) for a
// class it leaves to the form's own handling.
using TaskWindowHook = uint16_t (*)(uint16_t action_class);
inline constexpr uint16_t kFormConfirmed = 25;

// Stores the handler (null empties the slot); answers the slot, or 255 for a slot above 24,
// leaving the table unchanged.
uint16_t RegisterHook(HookFn handler, uint16_t slot);
// The handler in the slot, or null.
HookFn HookAt(uint16_t slot);
// Empties every slot (engine end, tests).
void HooksClear();

template <typename Fn>
uint16_t RegisterHookAs(Fn handler, uint16_t slot) {
  return RegisterHook(reinterpret_cast<HookFn>(handler), slot);
}
template <typename Fn>
Fn HookAs(uint16_t slot) {
  return reinterpret_cast<Fn>(HookAt(slot));
}

}  // namespace engine
