// The accounting program's application module: its identity, its hooks, its module callback and
// its task handler.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/shell/task_line.h"

namespace ledger {

inline constexpr engine::StrRef kIdentifier = engine::StrLit("COLDGR01:Orvendal");
inline constexpr engine::StrRef kTitle = engine::StrLit("Orvendal Accounts");
inline constexpr engine::StrRef kStartMenu = engine::StrLit("C2MENU");

// Code 1 registers the hooks, code 2 sets the module up and configures the engine, code 3
// releases nothing (the module holds no resources).
engine::Status ModuleCallback(uint16_t code);
// After the run-state check: MantMain opens a file maintenance window, LnManMain does nothing,
// LnNavMain opens the journal (the document window in navigation mode); every other task goes
// to the engine's dispatcher.
engine::Status TaskHandler(const engine::ParsedTask& task);
// The program's run from its command line to its exit status.
engine::Status Main(engine::StrRef command_line);

}  // namespace ledger
