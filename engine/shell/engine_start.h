// The road of a program through the engine: its limits, the start (memory, system variables,
// command line, identity and paths, data dictionary, fonts, configuration, run state), the start
// menu with the INPUT script and the RUN option, and the end with the exit status.
//
// An application module calls, in this order: SetMemoryLimits, SetTaskHandler (task_line.h),
// SetDefaultScreen (engine/ui/screen_extent.h), AddFont (engine/ui/fonts.h), EngineStart,
// ResolveStartMenu, RunStartMenu, RunState(kRunEnded) (run_state.h) and EngineEnd. When
// EngineStart fails its status is the exit status and the run ends there.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Start flags.
inline constexpr uint16_t kStartLoadDictionary = 2;
inline constexpr uint16_t kStartDictionaryOptional =
    4;  // a missing dictionary (156, 164) is no failure
inline constexpr uint16_t kStartDictionaryOnApName =
    8;  // load only when APNAME renamed the application

// What the module callback is asked: the low four bits of its code; the high bits repeat the
// start flags (code | flags << 4).
inline constexpr uint16_t kModuleInit = 1;  // before the dictionary: hooks, functions, commands
inline constexpr uint16_t kModuleConfigure = 2;  // after dictionary and fonts: the module's set-up
inline constexpr uint16_t kModuleEnd = 3;        // at the end: release the module's resources
using ModuleCallback = Status (*)(uint16_t code);

// The language when nothing set one.
inline constexpr StrRef kDefaultLanguage = StrLit("EN");

// Sets the StringArea size (KB) and the number of tracked heap blocks; 0xFFFF keeps a value.
void SetMemoryLimits(uint16_t area_kb, uint16_t handle_slots);

// Starts the engine for the application `identifier` ("code:family") titled `title`. The
// command line is the program's as a Windows program receives it (command_line.h). Statuses
// above 121 are shown to the user before returning; a start stopped by the start-up trace
// (TRACE bits 0x100 and 0x10) answers 121 quietly.
[[nodiscard]] Status EngineStart(StrRef command_line, StrRef identifier, StrRef title,
                                 uint16_t flags, ModuleCallback callback);

// The engine's part of the module callback's code 2, which each module runs after its own
// set-up: the help folder (item (0, 7)), the configuration files, RLV=1 and the run state.
[[nodiscard]] Status ModuleConfigure();

// The start menu: `menu` unchanged when given; else the APSTART option or the application prefix
// followed by "MENU", provided that a PMT or PPN file of that name exists along the search path
// (otherwise the empty string). Pushes one temporary.
StrRef ResolveStartMenu(StrRef menu);

// Runs the INPUT script's task lines while they succeed, then the RUN option's task line or,
// without it, the main window with the menu until it closes. 163 when there is neither a menu
// nor a RUN option. A non-zero status is shown.
[[nodiscard]] Status RunStartMenu(StrRef menu);

// Calls the module callback with code 3 and frees the engine. The result is the first non-zero
// of `status`, the module's end status and the engine's (178 when memory was left allocated); a
// result below 128 becomes 0.
[[nodiscard]] Status EngineEnd(ModuleCallback callback, Status status);

// Frees whatever a start left behind without asking the module anything (after a failed start;
// nothing when the engine is not started).
void EngineRelease();

}  // namespace engine
