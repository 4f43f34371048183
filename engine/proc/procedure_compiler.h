// The procedure compiler. A procedure file is compiled once before it runs: its lines are
// classified (statements, labels, function entry points, comments), jump targets resolved and
// blocks matched, and the result is kept as a compiled procedure in ValueTables table 10, whose
// positions are the procedure numbers (0 the oldest). Expressions are not looked into; they stay
// as text and are evaluated when they run.
//
// Everything a compiled procedure holds (statements, texts, function names and entries) lives in
// one tracked block; the record in table 10 points into it. The run state (current statement,
// subroutine returns) belongs to each run, not to the compiled procedure, so that two runs of one
// procedure can be active at once.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// ---- Keywords --------------------------------------------------------------------------
// The numbers of the statement keywords; 0 is an expression statement. Commands are the
// keywords from kKwAccept on, carried out by the command-handler chain.
enum Keyword : uint16_t {
  kKwExpression = 0,
  kKwGoto,
  kKwGosub,
  kKwCall,
  kKwReturn,
  kKwEndIf,
  kKwLoop,
  kKwLoopWhile,
  kKwLoopUntil,
  kKwElse,
  kKwIf,
  kKwIfTrue,
  kKwDoWhile,
  kKwIfFalse,
  kKwDoUntil,
  kKwDo,
  kKwDefFn,
  kKwLocalVars,
  kKwEnd,
  kKwAccept,
  kKwBounds,
  kKwColor,
  kKwConnect,
  kKwDevice,
  kKwDLocate,
  kKwDPrint,
  kKwEndDevice,
  kKwExport,
  kKwFileSelect,
  kKwImport,
  kKwKill,
  kKwLoadStruct,
  kKwLocate,
  kKwMessage,
  kKwPrint,
  kKwShell,
  kKwRead,
  kKwRemote,
  kKwReport,
  kKwDocPrint,
  kKwWait,
  kKwWinMenu,
  kKwWinOpen,
  kKwWinClose,
  kKwWinSelect,
  kKwWinProg,
  kKwRcDelete,
  kKwRcInsert,
  kKwRcUpdate,
  kKwRcWrite,
  kKwFileStruct,
  kKwFileScan,
  kKwStatSteps,
  kKwSystem,
};
inline constexpr uint16_t kKeywordCount = kKwSystem;
inline constexpr uint16_t kFirstCommand = kKwAccept;

// The keyword's name ("GOTO"); the empty string for 0 and numbers beyond the table.
StrRef KeywordName(uint16_t keyword);
// The number of a keyword, matched exactly and then in capitals; 0 when the word is none.
uint16_t KeywordNumber(StrRef word);
// The keyword table with NUL separators, in keyword order (a view of constant text).
StrRef ProcedureKeywords();

// ---- Compiled procedures ---------------------------------------------------------------

inline constexpr uint16_t kTableProcedures = 10;  // ValueTables table of the compiled records
inline constexpr uint16_t kTagProcedures = 7;     // owner tag of their blocks
inline constexpr uint16_t kMaxLabels = 128;
inline constexpr uint16_t kMaxFunctions = 128;
inline constexpr uint16_t kMaxBlockDepth = 16;

// One statement: its keyword, its target statement (a jump's label, the other end of a block)
// and where its text lies in the procedure's texts.
struct Statement {
  uint16_t keyword = 0;
  uint16_t target = 0;
  uint16_t text_offset = 0;
  uint16_t text_length = 0;
};

// The record kept in table 10. Statement indexes are 0-based and count statements only.
struct CompiledProcedure {
  void* block = nullptr;
  const Statement* statements = nullptr;
  const uint16_t* function_starts = nullptr;  // per function, its first statement
  const char* function_names = nullptr;       // comma list, in order of definition
  const char* texts = nullptr;                // statement texts, NUL-separated
  uint16_t statement_count = 0;
  uint16_t function_count = 0;
  uint16_t function_names_length = 0;
  uint16_t texts_length = 0;

  // The argument text of a statement (the whole line of an expression statement, the label of
  // GOTO and GOSUB); the empty string beyond the last statement.
  StrRef Text(uint16_t statement) const;
  StrRef FunctionNames() const { return StrMake(function_names, function_names_length); }
  // The first statement of the function called `name` (the first of that name), or kNothing.
  uint16_t FunctionStart(StrRef name) const;
};

// Compiles the procedure file `path`, looked up as given and then along the definition search
// path, and appends the compiled record to table 10; *number receives its procedure number.
// 164 (File Not Found) reported with the path for a file missing or empty; 146 for a file longer
// than a string; the compile failures reported with their line (147 an unknown label, a block
// closer without an opener or an opener never closed; 145 past 128 labels or functions, or
// blocks nested deeper than 16); 141 when the record cannot be stored. A failure leaves nothing
// behind: no record, no block, no source lines.
[[nodiscard]] Status ProcedureCompile(StrRef path, uint16_t* number);
// Releases the procedure's block and removes its record (later procedures move down by one). 141
// for an unknown number or a procedure that is running.
[[nodiscard]] Status ProcedureFree(uint16_t number);
// Frees every compiled procedure, the newest first (the engine's stop).
void ProceduresFreeAll();

uint16_t ProcedureCount();
// A copy of the record of procedure `number`; false when there is none.
bool ProcedureGet(uint16_t number, CompiledProcedure* procedure);
// The newest procedure that defines the function `name`, and the function's first statement;
// false when none does.
bool ProcedureFindFunction(StrRef name, uint16_t* number, uint16_t* start);

// Marks a procedure's block as used by a run (ProcedureFree refuses it meanwhile); runs nest, so
// the marks are counted.
void ProcedureEnter(const void* block);
void ProcedureLeave(const void* block);

}  // namespace engine
