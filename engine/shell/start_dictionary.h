// The data files at program start: loading the application's data dictionary, the variables
// named after its files, and the recovery of the data files after a run that ended abnormally.
#pragma once

#include "engine/core/status.h"

namespace engine {

// Loads the dictionary of the application prefix along the definition search path (StringSlots
// item (0, 5)), always starting from an empty dictionary, so that a load that failed half-way
// leaves nothing behind for the next attempt.
[[nodiscard]] Status StartDictionaryLoad();
// Assigns each data file's number to an integer variable named after the file in lower case.
[[nodiscard]] Status StartDictionaryVariables();
// Rebuilds what an abnormal end may have left inconsistent in every data file.
[[nodiscard]] Status RecoverAfterAbnormalEnd();

}  // namespace engine
