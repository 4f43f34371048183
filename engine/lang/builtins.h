// The engine's own functions, by the files that implement them; the function table lists them in
// their fixed order. Internal to the expression language.
#pragma once

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/lang/eval_hooks.h"
#include "engine/lang/function_table.h"

namespace engine::builtins {

// builtin_values.cpp: accumulators, loops, conditionals, string registers, dates, masks, times.
Status Accumulator(FunctionCall& call);  // _#
Status Accumulate(FunctionCall& call);   // FN#ACUM
Status CheckNumber(FunctionCall& call);  // CHK#
Status CheckText(FunctionCall& call);    // CHK$
Status ValueOf(FunctionCall& call);      // FN#VALN
Status DateShown(FunctionCall& call);    // FN$DATE
Status Fields(FunctionCall& call);       // FN$FLDS
Status Mask(FunctionCall& call);         // FN$MASK
Status Environ(FunctionCall& call);      // ENVRON$
Status Slots(FunctionCall& call);        // _$
Status Time(FunctionCall& call);         // TIME$
Status SqlChild(FunctionCall& call);     // SQLCHILD
// `_#(args)=value`.
Status AccumulatorAssign(ArgList args, StrRef value, ValueKind kind);
// Creates the 257 accumulators when they do not exist.
Status AccumulatorsCreate();
// Whether the text is the name of a scalar variable and nothing more, so that it can stand left
// of '=' in an assignment built as text.
bool IsPlainVariableName(StrRef name);

// builtin_text.cpp: texts and lists.
Status TextLength(FunctionCall& call);  // FN#SLEN
Status ListNumber(FunctionCall& call);  // FN#PARM
Status Change(FunctionCall& call);      // FN$CHNG
Status Chars(FunctionCall& call);       // FN$CHRS
Status Mid(FunctionCall& call);         // FN$MIDS
Status ListItem(FunctionCall& call);    // FN$PARM
Status Trim(FunctionCall& call);        // FN$TRIM
Status Envelop(FunctionCall& call);     // ENVELOP$
Status Macro(FunctionCall& call);       // MACRO$
Status Expand(FunctionCall& call);      // EXP$

// builtin_files.cpp: disk files, expression files and procedures, data files.
Status FileLength(FunctionCall& call);  // FN#FLEN
Status FileFind(FunctionCall& call);    // FILEFIND
Status FileRel(FunctionCall& call);     // FILEREL
Status FileLocate(FunctionCall& call);  // FILELOCATE
Status FileSel(FunctionCall& call);     // FILESEL
Status Exec(FunctionCall& call);        // EXEC$
Status Read(FunctionCall& call);        // READ$
Status Write(FunctionCall& call);       // WRITE
Status Key(FunctionCall& call);         // KEY$
Status Ier(FunctionCall& call);         // IER
// Closes every file FILESEL opened.
void FileSelCloseAll();

// sorted_list.cpp
Status Sort(FunctionCall& call);  // SORT$
// Frees every sorted list.
void SortedListsFree();

}  // namespace engine::builtins
