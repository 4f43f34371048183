// Relational updates: the texts of prefix + "RELUP.DAT" (or "RELUPSQL.DAT" under bit 2048 of
// _AUXSTAT) that are evaluated whenever a record is saved or deleted, once with the sign -1 for
// the record as it was and once with +1 for the record as saved, so that totals kept in other
// files follow every change; and the save routine that combines a save with them.
//
// The texts file holds lines of two digits (a data-file number), two digits (an entry number 00
// to 99) and the text. A file's texts are loaded when it first needs them into StringSlots group
// 7 from item `base` on (its entry e at base + e, several lines of one entry joined with ';' the
// last line first); the file's control record keeps the base and the number of items it took. An
// entry the file does not have reads as empty, never as another file's text. The items form a
// stack: unloading to a level forgets every file whose texts reached above it.
//
// A relational-update list names the entries to apply: a comma list of entry numbers, or an
// expression whose value is one (evaluated with the file as the current file); entry 0 always
// applies, each entry at most once; "NONE" means none at all.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kRelupNone = StrLit("NONE");
inline constexpr uint16_t kRelupEntries = 100;

// Save words: the high byte of the navigation command words.
inline constexpr uint16_t kSaveApplyNew = 0x0100;  // apply the record as saved
inline constexpr uint16_t kSaveWithdraw = 0x0200;  // withdraw the record as it was
inline constexpr uint16_t kSaveAction = 0x0700;
inline constexpr uint16_t kSaveInsert = 0x0500;
inline constexpr uint16_t kSaveDelete = 0x0600;
inline constexpr uint16_t kSaveUpdate = 0x0700;
inline constexpr uint16_t kSaveKeyCheck = 0x0800;
inline constexpr uint16_t kSaveNoRelup = 0x1000;

// Loads the file's texts unless they are loaded or the list is "NONE". A missing texts file
// gives no texts (no error). The slot store's status when the texts do not fit (nothing of them
// is then kept).
[[nodiscard]] Status RelupLoad(uint8_t file, StrRef list);
// Deletes the group-7 items from `level` on and forgets the texts of every file that had items
// there (their base at or above the level, or items reaching above it).
void RelupUnload(uint8_t file, uint16_t level);
bool RelupLoaded(uint8_t file);
// The group-7 item count before the file's texts (kNothing when not loaded) and their number.
uint16_t RelupBase(uint8_t file);
uint16_t RelupItemCount(uint8_t file);

// The list a screen uses when it gives none: "NONE" for "NONE"; for an empty text right after
// the texts were loaded, "1" when one or two items were loaded, else "1+(N_LINE{}>0)" when the
// file has a field N_LINE; otherwise the text as given. Pushed.
StrRef RelupDefaultList(uint8_t file, StrRef text, bool just_loaded);
// The texts of entry 0 and of the entries of the list, joined with ';' (pushed); the empty text
// when the file's texts are not loaded. The failure of the list's evaluation as a status value.
StrRef RelupText(uint8_t file, StrRef list);
// Evaluates the text when bit 1 of _UPSTAT is set: with sign -1 on the read copy (put in place
// of the current record for the evaluation), with +1 on the current record; _SGN holds the sign
// (1 or -1) and _UPSTAT bit 32 the SQL flavour meanwhile. The evaluation's failure is the status.
[[nodiscard]] Status RelupApply(uint8_t file, int sign, StrRef text);

// The save routine of the command words (see the kSave bits), with h = word & kSaveAction:
// 1. with kSaveKeyCheck: the record's key-1 value must not be blank, and a key expression given
//    must not yield for the record what it yields for a blank record; an insertion (h 0x0500,
//    0x0D00 words) without _UPSTAT bit 64 is refused with 5 (Bad Key) when key 1 already holds
//    the value (the buffers and position are kept). A failed check writes and applies nothing
//    and answers 0;
// 2. h 0x0500 inserts, h 0x0700 updates;
// 3. unless kSaveNoRelup, the texts of the list are built;
// 4. with kSaveWithdraw: h 0x0600 deletes; then, unless kSaveNoRelup, the record as it was is
//    withdrawn (sign -1);
// 5. with kSaveApplyNew and without kSaveNoRelup, the record as saved is applied (sign +1).
// Each step runs while the status is 0; an insertion that reports a repeated key (6) is written,
// so its update is applied too and 6 is the result. After a save the read copy is the record as
// written, so that the next save withdraws what this one applied.
[[nodiscard]] Status SaveWithRelations(uint16_t word, uint8_t file, StrRef list,
                                       StrRef key_expression);

// Called for each record InsertWhile inserts, and after every step (122 stops the loop).
using InsertCallback = std::function<Status()>;

// When the start condition holds, repeats: when the step condition holds, evaluates the record
// condition; when that holds the current record is inserted with its relational updates
// (SaveWithRelations with 0x0500) and counted, and the per-record callback runs; when it does not
// the loop ends without error. The progress callback runs after every step; the loop ends when
// the until condition holds. *count receives the records inserted.
[[nodiscard]] Status InsertWhile(uint8_t file, StrRef start, StrRef step, StrRef record,
                                 StrRef list, StrRef until, const InsertCallback& per_record,
                                 const InsertCallback& progress, uint32_t* count);

}  // namespace engine
