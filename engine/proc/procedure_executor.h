// The procedure executor: walks the statements of a compiled procedure, evaluates expression
// statements and conditions, follows jumps, subroutines and blocks, calls functions (CALL) and
// binds their arguments (LOCALVARS), hands command statements to the command-handler chain,
// writes the trace log, lets window events through before each statement, and after a whole run
// closes what the run left open.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/lang/eval_hooks.h"

namespace engine {

// _TRACE bit that writes one line per statement to the trace log.
inline constexpr uint16_t kTraceProcedures = 8;
inline constexpr StrRef kProcedureTraceFile = StrLit("PrcLog.txt");
// Depth of the subroutine return stack of a run.
inline constexpr uint16_t kReturnStackDepth = 64;

// The arguments a CALL pushed for the function it runs: the items of StringSlots group 35 from
// `base` up, with their kinds. LOCALVARS binds these and no others; a run that no CALL started
// has none (base is the item count when it starts).
struct CallArguments {
  uint16_t base = 0;
  ArgKinds kinds;
};

// Runs procedure `procedure` from statement `start` to its end. `flags` are the run flags of
// ProcedureRun (kRunLocal, kRunWantsResult): with kRunWantsResult, an END (or the end of the
// statements) pushes the canonical text of the last expression statement's value on StringSlots
// group 30 (nothing when no expression ran). A whole run (one started without a function name)
// then closes what it left open, whatever its status. A failure of 128 or more is latched and
// reported with the statement that failed ("Line: n (+ remmarks):" and the statement).
//
// The run ends at END, at a RETURN with no subroutine open, at the end of the statements, on a
// status of 122 or above from a statement, or when a command answers anything but 0; that status
// is the result. 141 for an unknown procedure.
[[nodiscard]] Status ProcedureExecute(uint16_t procedure, uint16_t start, uint16_t flags,
                                      bool whole_run, const CallArguments& args);

}  // namespace engine
