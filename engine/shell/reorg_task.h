// The Reorg task: rebuilds one data file of the dictionary, chosen by the user, and its index,
// inside a progress window that the user can cancel.
#pragma once

#include "engine/core/status.h"

namespace engine {

// Offers the base names of the dictionary's data files in a selection window titled "Table
// Selection"; the file picked is reorganised with a progress window (400 pixels, a bar stepped
// once per record read). Nothing picked: 122. Cancelled: 122, with the data file as it was.
// Success shows "Process Completed Succesfully" and answers 0; a failure answers its status.
[[nodiscard]] Status ReorgTask();

}  // namespace engine
