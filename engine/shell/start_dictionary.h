// The data files at program start: loading the application's data dictionary (with the
// variables named after its files), the recovery of the data files after a run that ended
// abnormally, and the data files' stop at the end of the run.
#pragma once

#include "engine/core/status.h"

namespace engine {

// Loads the dictionary of the application prefix along the definition search path (StringSlots
// item (0, 5)), data files in the current folder, always starting from an empty dictionary, so
// that a load that failed half-way leaves nothing behind for the next attempt. Each file's number
// is assigned to an integer variable named after the file in lower case.
[[nodiscard]] Status StartDictionaryLoad();
// Rebuilds every data file of the dictionary, as an abnormal end may have left its index out of
// step with its records.
[[nodiscard]] Status RecoverAfterAbnormalEnd();
// Closes every data file and forgets the dictionary.
[[nodiscard]] Status StopDataFiles();

}  // namespace engine
