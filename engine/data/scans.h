// Scans over a key range under a condition, and counts: the range check, the step to the next
// record that satisfies a condition, the start of a scan (by key, or in physical order for key 0
// and files opened without index), its continuation, and the count of a range.
//
// A range is given by a start text ("from") and an end text ("to"): a record is within it when
// its value of the current key, cut to the length of the end text, is not greater than the end
// text (stepping forward) or not smaller (stepping backward); an empty end text has no bound. A
// condition is an expression; the empty one always holds. The condition of the last scan started
// is remembered (StringSlots item (9, 11)) and later steps of StatMove reuse it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// The item of StringSlots group 9 that holds the last condition.
inline constexpr uint16_t kDiagLastCondition = 11;

// ScanStep flags: the KeyStep flags of the step (0x10 next, 0x14 previous), and
inline constexpr uint8_t kScanMoveFirst = 0x80;  // step once before looking at a record

// Called after every step with the display value of the current key's first field; a status
// other than 0 (122 when the user cancelled) ends the scan with it.
using ScanProgress = std::function<Status(StrRef key_text)>;

StrRef LastCondition();
[[nodiscard]] Status SetLastCondition(StrRef condition);

// The smallest text greater than every text that begins with `text`: its last byte increased by
// one, a last byte 0xFF dropped and the increase carried into the byte before. False when there
// is none (the text is empty or all 0xFF).
bool KeySuccessor(StrRef text, std::string* successor);

// 0 when the current record lies within the range (see above); 2 when it lies beyond; the
// file's last positioning status instead when that is above 1. Backward for the previous step
// (0x14), forward otherwise.
[[nodiscard]] Status RangeCheck(uint8_t file, uint8_t flags, StrRef to);
// From the current record (after one step with kScanMoveFirst) steps with KeyStep(flags) until a
// record within the range satisfies the condition: 0 on it, 2 when the range or the file ends, a
// failure (of a step, the condition or the progress) as it is.
[[nodiscard]] Status ScanStep(uint8_t file, uint8_t flags, StrRef condition, StrRef to,
                              const ScanProgress& progress);
// Positions on the first record of the range that satisfies the condition: by `key` from `from`
// (an empty start text: from the first record), or for key 0 and files opened without index in
// physical order from record 0. When the status is below 2 the condition becomes the last
// condition.
[[nodiscard]] Status ScanStart(uint8_t file, uint16_t key, StrRef from, StrRef to, StrRef condition,
                               const ScanProgress& progress);
// The next record of a scan: ScanStep with next and kScanMoveFirst on an indexed file; for key 0
// and files opened without index the physical scan goes on after the current record.
[[nodiscard]] Status ScanNextMatching(uint8_t file, uint16_t key, StrRef condition, StrRef to,
                                      const ScanProgress& progress);

// The number of records in the range that satisfy the condition (the data file's records for a
// file opened without index), in 32 bits. The file's position, buffers, current list and the last
// condition are as they were afterwards. A failure of the scan is the status.
[[nodiscard]] Status RecordCount(uint8_t file, uint16_t key, StrRef from, StrRef to,
                                 StrRef condition, uint32_t* count);

// The keyed update pass: every record whose value of `key` begins with `prefix` is made current
// in turn, the update expression is evaluated on it and the record updated. When no record has
// the prefix and `insert` is asked, a record is first made from cleared buffers with the key
// fields set from the prefix, inserted (_RELRES 4) and updated like the others. The file's
// position and buffers are as before afterwards. The first failure is the status.
[[nodiscard]] Status KeyedUpdatePass(uint8_t file, uint16_t key, StrRef prefix, StrRef expression,
                                     bool insert);

}  // namespace engine
