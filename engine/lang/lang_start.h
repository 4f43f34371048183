// Start and stop of the expression language: the system variables, the function table with its
// accumulators, and the connections from the runtime core to the evaluator (the
// language-variables file evaluates its assignments through it).
#pragma once

#include "engine/core/status.h"

namespace engine {

// Creates the system variables, installs the function table (the engine's functions; the module
// registers its own afterwards) and connects the core's callbacks to the evaluator.
[[nodiscard]] Status LangStart();
// Disconnects the callbacks, releases what the functions hold (sorted lists, files opened by
// FILESEL) and frees the variables and arrays; runs before the memory stops.
void LangStop();

}  // namespace engine
