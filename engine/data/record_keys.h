// Positioning in a record file by key and by step, and the changes that keep its index in
// order: insertion, update and deletion; and the physical-order scan.
//
// A search compares a text with the key values of the records it probes, reading each probed
// record from the data file: bytes compared unsigned over the length of the text (cut to the
// key's length; an empty text counts as one blank), so a shorter text finds the first record
// whose key begins with it.
//
// Every operation here sets the control record's last positioning status. A record is current
// after a find or step that reached it (status 0) and after an insertion (0 or 6); update and
// delete act only on a current record and otherwise answer the last status without writing.
// Changes write the record before they touch the index, so a failed write leaves the index as it
// was; a new record never lands on a live one.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/lang/function_seams.h"

namespace engine {

// KeyStep flags (the low byte of the navigation command words).
inline constexpr uint8_t kStepClear = 0x01;      // clear both halves: status 3
inline constexpr uint8_t kStepReadLower = 0x02;  // on status 1 read the record reached
inline constexpr uint8_t kStepMoveMask = 0x34;
inline constexpr uint8_t kStepNext = 0x10;
inline constexpr uint8_t kStepPrevious = 0x14;
inline constexpr uint8_t kStepLast = 0x20;
inline constexpr uint8_t kStepFirst = 0x24;
// KeyFind flags.
inline constexpr uint8_t kFindPrefill = 0x01;  // on a miss clear and set the key fields
inline constexpr uint8_t kFindGreater = 0x02;  // on status 1 read the next greater record
// RecordDelete flag: afterwards stand on the record that followed.
inline constexpr uint8_t kDeleteFindNext = 0x02;
// ScanNext flag: start after `from`.
inline constexpr uint8_t kScanAfter = 0x10;

// Searches `key` (kCurrentKey: the current one, which `key` then becomes) for `text`: 0 on the
// first equal entry, 1 on the next greater one, 2 past the end. Statuses 0 (and 1 with
// kFindGreater) read the record into both halves; otherwise kFindPrefill clears them and sets
// the key's fields from the text. 168 for an invalid key; 144 for a file opened without index.
[[nodiscard]] Status KeyFind(uint8_t file, uint16_t key, StrRef text, uint8_t flags);
// Clears (kStepClear, status 3) or moves the cursor of the current key: next, previous, last,
// first, or stays and reads the record again. Before the first record: status 1, cursor 0; after
// the last: status 2, cursor N - 1. Status 0 (and 1 with kStepReadLower) reads the record into
// both halves; any other clears them.
[[nodiscard]] Status KeyStep(uint8_t file, uint8_t flags);
// Writes half 1 as a new record (a free slot that still holds a deleted record, else a new slot
// at the end of the data file, taken under the data file's exclusive lock) and enters it in every
// key after the equal entries. The cursor then stands on it in the current key. 6 when the file
// has no N_LINE field and the current key held the value already (the record stays inserted).
// 163 for a record marked deleted; 137 when the write fails.
[[nodiscard]] Status RecordInsert(uint8_t file);
// Writes half 1 over the current record and moves its entries in the keys whose value changed
// from half 2. 0 without writing when the halves are equal.
[[nodiscard]] Status RecordUpdate(uint8_t file);
// Marks the current record deleted (first byte 27, the rest of half 1 kept), takes it out of
// every key and puts its slot on the free list. No record is current afterwards, unless
// kDeleteFindNext finds the record that followed it.
[[nodiscard]] Status RecordDelete(uint8_t file, uint8_t flags);
// Reads records in physical order from `from` (after it with kScanAfter), skipping deleted
// ones, into both halves: 0 and *record on a live record, 2 at the end. On an indexed file the
// record found becomes the current one.
[[nodiscard]] Status ScanNext(uint8_t file, uint32_t from, uint8_t flags, uint32_t* record);

// The record number at the cursor of the current key; kNoRecord when there is none.
uint32_t CurrentRecordNumber(uint8_t file);
// The cursor's position in the current key (0..N) and the number of entries N.
uint32_t CursorPosition(uint8_t file);
uint32_t IndexEntryCount(uint8_t file);
// Moves the cursor of the current key onto `record` and makes it the current record (status
// 0), without reading it. 1 when the key holds no such record.
[[nodiscard]] Status KeyLocateRecord(uint8_t file, uint32_t record);

// Whole-file deletion is done with record lists: always 148, reported with its name.
[[nodiscard]] Status DataFileDeleteAll();

}  // namespace engine
