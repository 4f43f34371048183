// The small tasks of the dispatcher (ExpEval, MantAux, FontSet, PrcExec), the font file, and the
// standard task-window handlers both programs put into the hook table.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Evaluates the argument as a statement list: its status when 128 or more, else 0.
[[nodiscard]] Status ExpEval(StrRef statements);

// Field 1 of the argument: 0 copies the task's parameter file (PARM_FILE$) to PARM_FILE_WRITE$
// when both are set; 1 pushes the current window's definition on the definition stack (field 2
// not 0) or pops it (field 2 is 0); any other value is 163.
[[nodiscard]] Status MantAux(StrRef argument);

// A procedure by name; a name holding '*' offers the matching procedure files of the definition
// folders in a selection window (message 0088), runs the one picked and offers them again, until
// the user cancels or a run fails.
[[nodiscard]] Status PrcExec(StrRef argument);
// The procedure files matching `pattern` in the definition folders (the current folder when
// there are none), in name order: *files receives their paths and *titles their titles, quoted,
// both as comma lists (two temporaries). A title is the file's TITLE$ parameter, else the rest of
// a first line that starts with ';', else the file's name. 164 with message 0031 as detail text
// when nothing matches.
[[nodiscard]] Status ProcedureChoices(StrRef pattern, StrRef* titles, StrRef* files);

// Adds the first entry of the font file (QNFONT.PPN) to the user fonts; a missing file leaves
// them as they are.
[[nodiscard]] Status LoadFontFile();
// Offers the entries of the font file in a selection window titled "Font"; the entry picked
// becomes the file's first entry, used from the next start on.
[[nodiscard]] Status FontSet();
// The font file's text with entry k (from 1) of the ':'-separated entries moved to the front,
// entries ended by CR LF. Pushes one temporary.
StrRef FontEntriesPicked(StrRef entries, uint16_t k);

// Hook slot 6: when the form is confirmed, stores the task's COND$ in StringSlots item (9, 1)
// and runs its STEPS$ as a list of steps.
uint16_t StepsHook(uint16_t action_class);
// Hook slot 23: 148 (FEATUREREMOVED) with the detail text "TaskLowLevel".
uint16_t LowLevelTaskHook(uint16_t action_class);
// Fills the hook slots both programs give the engine's own handlers.
void RegisterStandardHooks();

}  // namespace engine
