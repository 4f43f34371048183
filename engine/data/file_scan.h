// FILESCAN passes over a data file: ACUM accumulates the records of a range of a source file into
// the current file, EXPSET evaluates expressions for every record of a range, CLOSE closes the
// virtual file a pass opened; and virtual files, data files opened on new empty temporary copies
// in the temporary folder, which passes and recalculations fill and then throw away.
//
// The option text of a pass starts with its word ("ACUM", "EXPSET", "CLOSE") and may give
// FILE (the source file, default the current file), INDEX (its key, default its current key),
// MODE (bit 1: a progress window counting the records first), FROM and TO (expressions giving
// the range) and VIRTUAL (bit 1: no fill-in of related records during the pass; 2 or more: the
// current file is first opened as a virtual file), each written NAME=value or NAME:value.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kFileScanWords = StrLit("ACUM,EXPSET,CLOSE");
inline constexpr uint16_t kFileScanModeCount = 1;  // MODE bit: count first, progress window

// Opens the file on new empty temporary data and index files (mode 2, no lock marker), closing
// it first when it is open on its own files. A file already open as a virtual file is kept.
[[nodiscard]] Status VirtualOpen(uint8_t file);
bool IsVirtual(uint8_t file);
// Closes a virtual file and deletes its two temporary files; a file that is not virtual is left
// alone (0).
[[nodiscard]] Status VirtualClose(uint8_t file);

// An accumulate pass of the records of `source` (by `key` from..to under `condition`) into
// `target`. For each record: when `pre` holds, the target's buffers are cleared; when `assign`
// holds (it assigns the target's fields from the source record) the target is looked up by key 1
// with its key-1 value: a miss inserts the record, a hit evaluates `assign` again (adding the
// source record to the one found) and updates it. When `check` is given and false, a cancel of
// the progress window ends the pass with 122. The pass runs with _UPSTAT bit 4 and _SGN 1; the
// target is left on its first record (127 when it has none).
struct AccumulateParams {
  uint8_t source = 0;
  uint8_t target = 0;
  uint16_t key = 0xFFFF;  // kCurrentKey
  StrRef from{"", 0};
  StrRef to{"", 0};
  StrRef condition{"", 0};
  StrRef assign{"", 0};
  StrRef pre{"", 0};
  StrRef check{"", 0};
  bool counted = false;  // count the records first and show a progress window
};
[[nodiscard]] Status AccumulatePass(const AccumulateParams& params);

// FILESCAN(options, second .. fifth expression): the pass the option text names (see above);
// `second` is the condition, `third` the assignment, `fourth` the clearing condition and
// `fifth` the cancel check of ACUM; for EXPSET `fifth` is the comma list of expressions evaluated
// for each record, the source's position, buffers and the last condition being restored after.
// The final status also goes to _STAT (127 counts as success). A word that is none of the three
// is 163, or the virtual open's status when VIRTUAL was given.
[[nodiscard]] Status FileScan(StrRef options, StrRef second, StrRef third, StrRef fourth,
                              StrRef fifth);

}  // namespace engine
