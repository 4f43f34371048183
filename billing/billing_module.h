// The invoicing program's application module: its identity, its hooks, its module callback and
// its task handler.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/shell/task_line.h"

namespace billing {

inline constexpr engine::StrRef kIdentifier = engine::StrLit("GAINVC01:Orvendal");
inline constexpr engine::StrRef kTitle = engine::StrLit("Orvendal Billing");
inline constexpr engine::StrRef kStartMenu = engine::StrLit("G2MENU");

// Code 1 registers the hooks, code 2 sets the module up and configures the engine, code 3
// releases the module's resources.
engine::Status ModuleCallback(uint16_t code);
// After the run-state check: MantMain opens a file maintenance window, LnManMain the document
// window as a maintenance dialog with the documents toolbar; every other task goes to the
// engine's dispatcher.
engine::Status TaskHandler(const engine::ParsedTask& task);
// The program's run from its command line to its exit status.
engine::Status Main(engine::StrRef command_line);

}  // namespace billing
