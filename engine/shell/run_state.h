// The run state file "%APNAME%FSTAT.DAT" in the current folder: "1" while a copy of the program
// runs, "0" after a normal end. It is the guard between copies of a program that share a folder.
//
// Every running copy holds an advisory lock on the file for its whole run (a shared one once its
// start is through), so that a "1" can be told apart: when no copy holds a lock, the last run
// ended abnormally and the data files are recovered; when another copy holds one, that copy is
// still running and nothing is recovered under it.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kRunStateFile = StrLit("%APNAME%FSTAT.DAT");

inline constexpr uint16_t kRunEnded = 0;
inline constexpr uint16_t kRunStarting = 1;
inline constexpr uint16_t kRunCheck = 2;

// kRunStarting: opens the file and takes the lock. When the file says "1" and no other copy
// holds the lock, asks message 0115 and, on yes, recovers every data file (on no the result is
// 122); when another copy holds it, goes on without asking. Then writes "1" and remembers the
// file's modification time (nanoseconds).
// kRunCheck (before every task): 139 (NETACCESERROR) when the file's modification time differs
// from the remembered one, that is when another program wrote the file; 0 before a start.
// kRunEnded: writes "0" unless another copy still holds a lock, then closes the file.
// Failures to open or write the file carry its name as detail text.
[[nodiscard]] Status RunState(uint16_t state);

// Closes the file and forgets the run (an abandoned start, tests).
void RunStateRelease();

}  // namespace engine
