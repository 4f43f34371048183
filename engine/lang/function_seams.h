// The seams through which built-in functions reach other subsystems: the data files (keyed
// search, relations, navigation, keys, last statuses, record counts, open sets, raw field bytes),
// the procedure runner and the relation hook of the hook table, and the shell's expansion of
// path variables and its process environment.
//
// Each has one process-wide current implementation. Until the subsystem that owns the work
// installs its own, the defaults answer as the engine does without it: the data-file operations
// fail with 148 (FEATUREREMOVED) reported with the function's name, no name is a data file,
// paths are taken as written and the environment is empty.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// File and key numbers meaning "the current one".
inline constexpr uint16_t kCurrentFile = 0;
inline constexpr uint16_t kCurrentKey = 0xFFFF;

// The data-file operations behind FILEFIND, FILEREL, FILELOCATE, FILESEL (a file set), KEY$,
// IER, FN#FLEN and FN$FLDS. Results below 128 are the operation's answer (a positioning status,
// a count); 128 and above are failures.
class DataFileFunctions {
 public:
  virtual ~DataFileFunctions() = default;
  // Keyed search of `file` by `key` for `text` with the mode bits of FILEFIND.
  [[nodiscard]] virtual Status Find(StrRef text, uint16_t file, uint16_t key, uint16_t mode) = 0;
  // Follows relation `rule` from `file` to `target`; `expression` is the unevaluated rest of the
  // call's argument text (possibly empty).
  [[nodiscard]] virtual Status Relation(uint16_t file, uint16_t target, uint16_t rule,
                                        uint16_t mode, StrRef expression) = 0;
  // A navigation command ("NXT", "TOP", ..., also NEXT, PREVIOUS, BOTTOM) on the file.
  [[nodiscard]] virtual Status Locate(StrRef command, uint16_t file) = 0;
  // The key of the file's current record for `key` from record half `half`, cut to the key's
  // length; pushed, or a status value.
  virtual StrRef KeyText(uint16_t file, uint16_t key, uint16_t half, uint16_t option) = 0;
  // The last positioning status of the file, in *status.
  [[nodiscard]] virtual Status LastStatus(uint16_t file, uint16_t* status) = 0;
  // The number of records of the data file `name` designates (all records of key 1); kNothing
  // when the name designates no data file.
  [[nodiscard]] virtual Status RecordCount(StrRef name, uint64_t* count) = 0;
  // Applies a file set ("RESTORE": the one in force before).
  [[nodiscard]] virtual Status OpenFileSet(StrRef list) = 0;
  // The bytes of the field named by `reference` (FIELD{FILE}) as stored, from record half
  // `half` (1 the current record, 2 the read copy); pushed, or a status value.
  virtual StrRef FieldRaw(StrRef reference, uint16_t half) = 0;
};

// The current implementation; null restores the default.
void SetDataFileFunctions(DataFileFunctions* functions);
DataFileFunctions& CurrentDataFileFunctions();

// Hook slot 1 (kHookProcedure): the procedure runner. Runs the function `function` of the
// procedure file `file` (empty: the procedures already compiled); with kRunWantsResult the
// procedure's return value is left as the newest item of StringSlots group 30.
using ProcedureRunner = Status (*)(StrRef function, StrRef file, uint16_t flags);
inline constexpr uint16_t kRunLocal = 1;
inline constexpr uint16_t kRunWantsResult = 2;

// Hook slot 3 (kHookRelation): performs FILEREL's relation operation inside accumulate passes
// (mode bit 4 with _UPSTAT bit 4), with the same arguments as DataFileFunctions::Relation.
using RelationHook = Status (*)(uint16_t file, uint16_t target, uint16_t rule, uint16_t mode,
                                StrRef expression);

// A text looked up or rewritten by the shell; answers a pushed text or a status value.
using TextLookup = StrRef (*)(StrRef text);
// Expands %NAME% path and environment variables in a file name; null: names as written.
void SetPathExpander(TextLookup expander);
StrRef ExpandPath(StrRef name);
// The process environment's value of a variable; null: no variable has a value.
void SetEnvironmentReader(TextLookup reader);
StrRef EnvironmentValue(StrRef name);

}  // namespace engine
