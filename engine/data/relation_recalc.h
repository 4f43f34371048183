// The recalculation pass: a file rebuilt from scratch, as a virtual file, from the relational
// updates of other files. Each step accumulates the records of one source file into it with the
// source's relational-update texts; other tasks of the list (a report, a transfer) then use it
// before it is thrown away.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kNoRelupDefined = StrLit("No RELOPT defined");

// RelationRecalc(target, task list): a target above the file count is first defined from the
// task parameter STRUCT$ (three comma-separated expressions: name, fields, keys) and removed at
// the end. With _UPSTAT bit 4 set the target is opened as a fresh virtual file (a target that was
// open is reopened as it was afterwards) and the comma list of tasks runs in order, each item a
// text expression that gives a task line (as in a list of steps): a recalculation step (the task
// Perform, parameters "source expression,entries" with the entries separated by ';') loads the
// source's texts (opening it read-only when it is closed) and runs an
// accumulate pass from it into the target by the key INDEX%, between the two comma items of
// LIMITS$, under RD_COND$ and COND$, with the texts of entry 0 and the entries as the
// per-record expression and a progress window; other items run as ordinary tasks. The first
// failure stops the list and is shown with its message; an empty list is 163, a step whose
// texts are empty 163 reported as "No RELOPT defined".
[[nodiscard]] Status RelationRecalc(uint8_t target, StrRef tasks);
// One recalculation step into `target` with the step's parameters.
[[nodiscard]] Status RecalcStep(uint8_t target, StrRef parameters);

}  // namespace engine
