// Relations between data files: the rules in a file's option string that say how to find the
// record of another file that belongs to the current record, and FILEREL, which follows a rule
// and can create, update or delete the related record; with the engine's relation hook, which
// performs FILEREL's creating form inside accumulate passes.
//
// A rule is an entry of file a's options written b R c K n = expression (or ':' for '='): file b
// is searched by its key n for the value of the expression, evaluated on a's current record; the
// pair (b, c) names the rule. A rule is only recognised where an entry starts (at the start of
// the options or after one of ': &/'), so the rule 2R1K is not found inside the rule 12R1K. The
// expression ends at the next blank, ':', '&' or '/' unless it is quoted.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// _RELRES: the outcome of the last relation operation.
inline constexpr int16_t kRelResNone = 0;
inline constexpr int16_t kRelResStepped = 2;
inline constexpr int16_t kRelResCreated = 4;
inline constexpr int16_t kRelResDeleted = 12;

// FILEREL mode bits (with the KeyFind flags 1 and 2 in the low bits).
inline constexpr uint16_t kRelModePrefill = 1;
inline constexpr uint16_t kRelModeGreater = 2;
inline constexpr uint16_t kRelModeCreate = 4;
inline constexpr uint16_t kRelModeNoChange = 8;  // with kRelModeCreate: delete the record found
// Bits of the system words the relations read.
inline constexpr uint16_t kUpStatRelations = 1;    // _UPSTAT: relational updates on
inline constexpr uint16_t kUpStatInPass = 4;       // _UPSTAT: inside an accumulate pass
inline constexpr uint16_t kUpStatNoFillIn = 8;     // _UPSTAT: no fill-in of a created record
inline constexpr uint16_t kUpStatSql = 32;         // _UPSTAT: texts in the SQL flavour
inline constexpr uint16_t kUpStatNoKeyCheck = 64;  // _UPSTAT: no duplicate-key check
inline constexpr uint16_t kAuxStatSql = 2048;      // _AUXSTAT: the SQL flavour
inline constexpr uint16_t kScrStatNeighbour = 64;  // _SCRSTAT: step to the neighbour record
inline constexpr int16_t kLastKeyBackward = 23;    // _LASTKEY that steps backward

// The expression of rule (b, c) in file a's options (pushed); the empty text when there is none.
StrRef RelationExpression(uint8_t a, uint8_t b, uint16_t c);
// The key number n of rule (b, c) in file a's options; 0 when there is none.
uint16_t RelationKey(uint8_t a, uint8_t b, uint16_t c);

// FILEREL(a, b, c, mode, expression): follows rule (b, c) of file a to file b. 163 (reported)
// when there is no such rule; the failure of the rule's expression. In the SQL flavour (_UPSTAT
// bit 32) with an expression, every record of b whose key begins with the value is updated by
// the expression (the keyed update pass, inserting under kRelModeCreate). Otherwise b is searched
// with the low mode bits: a record found under kRelModeCreate | kRelModeNoChange is deleted
// (_RELRES 12); else, unless kRelModeNoChange, a record found is updated by a given expression,
// and a miss under kRelModeCreate makes a new record from cleared buffers with the key fields set
// from the value, evaluates the expression on it and inserts it (_RELRES 4 when the search ended
// past the last key). With kRelModeGreater and _SCRSTAT bit 64 the search then steps to the
// neighbour record (backward when _LASTKEY is 23), under kRelModeNoChange on until the
// expression holds (_RELRES 2). The status of the last record operation.
[[nodiscard]] Status FileRel(uint8_t a, uint8_t b, uint16_t c, uint16_t mode, StrRef expression);

// The engine's relation hook (hook slot 3), used for FILEREL's creating form inside accumulate
// passes: finds the related record by the rule; on a miss starts a new record from cleared
// buffers with the key fields set and fills it in (unless _UPSTAT bit 8, a blank value or a file
// without a base name): the task parameter RESET$ is evaluated when the task defines it, else
// every field whose name begins with "TMP" is emptied; inserts it (_RELRES 4); then evaluates
// the expression on the record and updates it. A deletion request is FileRel's.
[[nodiscard]] Status EngineRelationHook(uint16_t a, uint16_t b, uint16_t c, uint16_t mode,
                                        StrRef expression);

}  // namespace engine
