// What an application module tells the engine about itself, and the run of a program from its
// command line to its exit status, in the order every module follows.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/shell/engine_start.h"
#include "engine/shell/task_line.h"

namespace engine {

struct Application {
  StrRef identifier;  // "code:family"; the code's first two letters prefix the file names
  StrRef title;
  StrRef start_menu;
  uint16_t flags = kStartLoadDictionary;
  ModuleCallback callback = nullptr;
  TaskHandler task_handler = nullptr;
};

// The programs' limits, screen and font.
inline constexpr uint16_t kProgramAreaKb = 512;
inline constexpr uint16_t kProgramFontHeight = 24;
inline constexpr uint16_t kProgramFontWidth = 12;
inline constexpr uint16_t kProgramFontWeight = 400;
inline constexpr StrRef kProgramFontFace = StrLit("Lucida Console");
inline constexpr uint16_t kProgramColumns = 80;
inline constexpr uint16_t kProgramRows = 24;

// Sets the limits, the task handler, the default screen and the default font, starts the
// engine (a failed start answers its status at once), resolves and runs the start menu, marks
// the run ended and ends the engine. Answers the exit status.
[[nodiscard]] Status RunApplication(const Application& app, StrRef command_line);

// The first checks of every module's task handler: the run state (a changed run state file
// refuses the task with 139).
[[nodiscard]] Status TaskPreamble();

}  // namespace engine
