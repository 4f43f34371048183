// Record lists: the record numbers of one file selected by a key range and a condition, in key
// order, which reports, screens and the application modules step through, read and delete.
//
// There are kListSlots lists for the whole program; a slot is taken when a list is built and
// given back when it is freed. Each file's control record keeps its current list and up to two
// saved ones: building a list for a file that has one saves the old one, freeing pops it back.
// In the control record a slot is written as its number + 1, so 0 is "no list"; the saved lists
// share one word (the newer in the low byte) and the nesting word counts them.
//
// Entries and counts are 32-bit: a list holds every record of its range, however many. The
// entries live in a tracked block (owner tag 19) grown in multiples of 32 entries.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr uint16_t kListSlots = 8;
inline constexpr uint16_t kListSavedMax = 2;
inline constexpr uint16_t kTagRecordLists = 19;
inline constexpr uint32_t kListGrowth = 32;
// A maximum of this value or more means no limit (0xFFFF is the limit-free value callers give).
inline constexpr uint32_t kListNoLimit = 0xFFFF;
// From-mode 2: records whose key begins with the start text are left out.
inline constexpr uint16_t kListAfterStart = 2;

// Builds the list of the records whose value of `key` (which becomes the current key) lies in
// the range from..to and that satisfy the condition, at most `maximum` of them, and makes it the
// file's current list. 0 when records were listed; 2 for an empty list (which is still the
// current list until freed), the buffers, position and current key then as before the build. 168
// when two lists are saved already or no slot is free; 145 when the list cannot grow.
[[nodiscard]] Status RecListBuild(uint8_t file, uint16_t key, StrRef from, StrRef to,
                                  uint32_t maximum, uint16_t from_mode, StrRef condition);
// The number of entries of the file's current list (0 without one).
uint32_t RecListCount(uint8_t file);
// The record number of entry i (0-based) of the current list; kNoRecord when there is none.
uint32_t RecListEntry(uint8_t file, uint32_t i);
// Reads entry i into half 1 (both halves with half 3) and makes it the current record, so that a
// following update or deletion acts on it. 168 when i is beyond the list or there is no list; 1
// when the record is no longer in the file (it is then not current).
[[nodiscard]] Status RecListRead(uint8_t file, uint16_t half, uint32_t i);
// The FieldGet value of a field of entry i, read into half 1; the empty text when the entry
// cannot be read. Pushed.
StrRef RecListField(uint8_t file, uint32_t i, uint16_t field);
// Frees the current list and makes the newest saved one current.
void RecListFree(uint8_t file);
// Deletes the records whose key begins with `prefix` and that satisfy the condition: builds
// their list, reads and deletes each entry in order, frees the list. The first deletion that
// fails stops it with its status. *deleted (when given) receives the number deleted.
[[nodiscard]] Status RecListDeleteAll(uint8_t file, uint16_t key, StrRef prefix, StrRef condition,
                                      uint32_t* deleted = nullptr);

// Frees every list of the file, saved ones included (its close calls it).
void RecListReleaseFile(uint8_t file);
// The slots in use (diagnostics, tests).
uint16_t RecListSlotsInUse();

}  // namespace engine
