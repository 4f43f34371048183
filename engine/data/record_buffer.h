// The record buffer of an open file and the fields in it.
//
// Each open file has one buffer of 2 x L bytes in StringSlots group 6, item file - 1: half 1 is
// the current record (what fields are set in and what is written), half 2 the read copy (the
// record as it was read, against which an update decides what changed). Halves are named 1, 2,
// or 3 for both. Operations write the halves in place; a buffer that does not exist is 169
// (FILENOTINIT).
//
// Fields are formatted to their type and length when set, and two stored encodings are applied:
// six-character F dates while bit 4 of _COMPAT is set (the century in the first byte, blank
// tens of month and day), and N fields stored as "D" followed by an integer (read only).
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr uint16_t kHalfCurrent = 1;
inline constexpr uint16_t kHalfRead = 2;
inline constexpr uint16_t kHalfBoth = 3;

// Allocates the buffer with both halves blank (the slot store's status on failure), and frees it.
[[nodiscard]] Status BufferAllocate(uint8_t file, uint16_t record_length);
void BufferRelease(uint8_t file);
bool BufferExists(uint8_t file);

// A writable view of a half (1 or 2) inside the slot store, valid until the next slot write; the
// status value 169 when the buffer does not exist.
StrRef BufferHalf(uint8_t file, uint16_t half);

// Fills both halves with blanks; with how = 2 the first byte of half 1 then becomes 27.
void BufferClear(uint8_t file, uint16_t how);
// direction 1: half 1 to half 2; 2: half 2 to half 1.
void BufferCopy(uint8_t file, uint16_t direction);
// The text of a half (pushed), or the status value 169.
StrRef BufferGet(uint8_t file, uint16_t half);
// Copies `text` into a half (3: both) from its first byte, cut to the record length.
[[nodiscard]] Status BufferPut(uint8_t file, uint16_t half, StrRef text);
bool BuffersDiffer(uint8_t file);

// The control record, the cursor with the record it stands on, and both halves (pushed); and
// their return. FileRestore puts the control record back (except the open mode and handle, the
// record lists and the relational-update texts, which stay as they are now), the halves, and the
// cursor on the same record, found again when records moved meanwhile. 163 for a snapshot that
// is not one of this file.
StrRef FileSnapshot(uint8_t file);
[[nodiscard]] Status FileRestore(uint8_t file, StrRef snapshot);

// The field's text from half 1 with the stored encodings undone (pushed), or an error value (168
// for an invalid field, 169 without buffer, reported with "(File:%s, Field:%s)").
StrRef FieldGet(uint8_t file, uint16_t field);
// The field's bytes from half 1 or 2 exactly as stored (pushed).
StrRef FieldGetRaw(uint8_t file, uint16_t field, uint16_t half);
// Formats `value` to the field's type and length, applies the stored encoding and writes it into
// half 1. A value that does not fit a numeric field is 168 and leaves the field as it was.
[[nodiscard]] Status FieldSet(uint8_t file, uint16_t field, StrRef value);
// FieldSet of a field reference NAME{file}.
[[nodiscard]] Status FieldSetByRef(StrRef reference, StrRef value);
// Cuts `text` into the parts of the key's segments and sets in each the fields the segment
// covers (all of them, when a segment spans several fields; the bytes alone of a field covered in
// part), stopping at the end of the text or at the first failure. 168 for an invalid key.
[[nodiscard]] Status KeyFieldsSet(uint8_t file, uint16_t key, StrRef text);

}  // namespace engine
