// The evaluator's extension points, filled by the subsystems that own the work: field references
// (the data files), function calls (the function library) and cells of the open grid
// (`_NAME(n)`, the maintenance and document windows). Each has one process-wide current
// implementation; until a subsystem installs its own, the defaults answer as the engine does
// without that subsystem.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/lang/variables.h"

namespace engine {

// ---- Field references ------------------------------------------------------------------

// What a field reference reads: the field's text and its type letter (see FieldTypeIsText).
struct FieldValue {
  StrRef text;
  char type = 'A';
};

// Whether fields of a type code read as strings in expressions (A, B, C, D, F); all others read
// as numbers.
bool FieldTypeIsText(char type);

// Reads and writes the field named by a reference of the form FIELD{FILE} (the operand's whole
// text) in the current record of the file.
class FieldAccess {
 public:
  virtual ~FieldAccess() = default;
  // The field's text (a view or a temporary that stays valid until the caller releases its
  // mark or the record changes) and type.
  [[nodiscard]] virtual Status Read(StrRef reference, FieldValue* value) = 0;
  // Stores `text` in the field.
  [[nodiscard]] virtual Status Write(StrRef reference, StrRef text) = 0;
};

// The current implementation; null restores the default, which knows no data file and answers
// 161 (FILEOUTBOUND) to every reference.
void SetFieldAccess(FieldAccess* access);
FieldAccess& CurrentFieldAccess();

// ---- Function calls --------------------------------------------------------------------

inline constexpr uint16_t kMaxArguments = 16;
inline constexpr char kOmittedArgument = 0x1B;  // the stored form of an empty argument

// The kinds of the evaluated arguments of a call, one flag word per argument.
inline constexpr uint16_t kArgString = 1;   // bit 0: a string (else a number)
inline constexpr uint16_t kArgOmitted = 2;  // the argument was empty (stored as 0x1B)
struct ArgKinds {
  uint16_t count = 0;
  uint16_t kind[kMaxArguments] = {};
};

// The argument text of a call (between its parentheses, already prepared by the evaluator) and
// the position of the first argument not yet read. Reading the last argument moves the position
// past the end of the text, so that an empty argument after a final separator still counts.
struct ArgList {
  StrRef text;
  uint32_t pos = 0;
  bool AtEnd() const;
};

// The function table. Numbers are the functions' numbers (1 and up); 0 is "no function".
class FunctionTable {
 public:
  virtual ~FunctionTable() = default;
  // The number of the function called `name` (looked up exactly, then in capitals), 0 when the
  // name is no function.
  virtual uint16_t Find(StrRef name) = 0;
  // How many leading arguments are evaluated before the function runs (at most kMaxArguments).
  virtual uint16_t PreEvaluated(uint16_t number) = 0;
  // Runs the function. Its evaluated arguments are on StringSlots group 35 (the last on top),
  // described by `kinds`; `rest` holds the arguments left as text. On success the function has
  // pushed exactly one result, of the kind its name gives (a string when the name holds '$').
  [[nodiscard]] virtual Status Run(uint16_t number, const ArgKinds& kinds, ArgList* rest) = 0;
  // Assigns `value` through the function used as an assignment target (`_#(n)=v`); `args` is
  // the target's argument text. 147 for a function that cannot be a target.
  [[nodiscard]] virtual Status Assign(uint16_t number, ArgList args, StrRef value, ValueKind kind);
};

// The current table; null restores the default, which holds no function.
void SetFunctionTable(FunctionTable* table);
FunctionTable& CurrentFunctionTable();

// ---- Grid cells ------------------------------------------------------------------------

// Reads `_NAME(n)` (hook slot 2 of the engine's hook table): the cell of line n in the column of
// the form field NAME; answers the cell's text or a status value.
using CellResolver = StrRef (*)(StrRef name, int16_t line);
void SetCellResolver(CellResolver resolver);
CellResolver CurrentCellResolver();

}  // namespace engine
