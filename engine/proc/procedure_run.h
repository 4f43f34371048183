// Running procedures: ProcedureRun, the procedure runner of hook slot 1 (EXEC$) that CALL uses
// too; the procedure task of the dispatcher (PrcExec); and the start and stop of the procedure
// subsystem.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/lang/function_seams.h"
#include "engine/proc/procedure_executor.h"

namespace engine {

// Runs the function `function` of the compiled procedures, or, without a function name, the
// whole of the newest procedure; a `file` is compiled first and freed after the run. Flags are
// kRunLocal (variables created during the run are removed at its end) and kRunWantsResult (the
// run's value is pushed on StringSlots group 30, see ProcedureExecute).
// 147 with neither a function nor a file; 147 reported with the name for a function that no
// compiled procedure defines; a compile failure; else the run's status (a failure to free or to
// release the variables only when the run succeeded).
[[nodiscard]] Status ProcedureRun(StrRef function, StrRef file, uint16_t flags);
// ProcedureRun for CALL, whose arguments the function's LOCALVARS binds.
[[nodiscard]] Status ProcedureRunWith(StrRef function, StrRef file, uint16_t flags,
                                      const CallArguments& args);

// The procedure task: its parameter is a comma list of the procedure files (separated by ';': the
// first is the main procedure, the others are compiled first, from the last to the second, so
// that their functions can be called), the main procedure's function (empty: the whole
// procedure) and expression files evaluated, in order, before anything is compiled (the first
// failure stops the task). The main procedure runs as a local run; afterwards every procedure
// the task compiled is freed, the newest first, and pending window events are processed.
[[nodiscard]] Status ProcedureTask(StrRef parameter);

// Registers ProcedureRun in hook slot 1 and the engine's command handlers in slots 0 to 5 of the
// chain. The engine's start calls it before the application module registers its own.
void ProceduresStart();
// Frees every compiled procedure and empties the chain and the hook (the engine's stop).
void ProceduresStop();

}  // namespace engine
