// Open sets: a list of files with their open modes, applied as a whole and kept on a stack
// (StringSlots group 33, one byte per file holding its mode) so that "RESTORE" returns to the set
// that was in force before.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kRestoreSet = StrLit("RESTORE");

// Applies a comma list of entries FILE or FILE;MODE (a number, or a name for FileByName). An
// entry without a mode is opened read-only, except the last, which is opened read-write; the last
// entry also becomes the current file. Every other file is closed. The set is pushed first; 166
// (reported with the entry's file part) for an entry naming no file, and nothing is applied.
// "RESTORE" pops the newest set and applies the one below it, or closes every file when it was
// the only one; 141 reported with "RESTORE" when no set is saved. The first failure of an open or
// close is the result; the other files are still applied.
[[nodiscard]] Status OpenFileSet(StrRef list);
// The number of saved sets, and the return to a depth (the procedure executor restores the depth
// it found at the start of a procedure).
uint16_t OpenSetDepth();
[[nodiscard]] Status OpenSetRestoreTo(uint16_t depth);

}  // namespace engine
