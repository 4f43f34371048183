// Start and stop of the expression language: the system variables, and the connections from
// the runtime core to the evaluator (the language-variables file evaluates its assignments
// through it).
#pragma once

#include "engine/core/status.h"

namespace engine {

// Creates the system variables and connects the core's callbacks to the evaluator.
[[nodiscard]] Status LangStart();
// Disconnects the callbacks and frees the variables and arrays; runs before the memory stops.
void LangStop();

}  // namespace engine
