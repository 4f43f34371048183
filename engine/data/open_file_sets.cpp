// Applying open sets and their stack.
#include "engine/data/open_file_sets.h"

#include <string>

#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/data/dictionary.h"
#include "engine/data/record_file.h"

namespace engine {

namespace {

// Opens or closes every defined file as the set says, from the highest file down.
Status ApplySet(StrRef modes) {
  Status first = kOk;
  for (uint8_t f = FileCount(); f >= 1; --f) {
    const uint8_t mode = f <= modes.len ? modes.byte(f - 1u) : 0;
    Status status = mode != 0 ? FileOpen(f, mode) : FileClose(f);
    // A data file that can be neither opened nor created answers "nothing" (its path is the
    // detail text); for the set that is a failure, not a file quietly left closed.
    if (status == kNothing) status = kDiskOpenError;
    if (first.ok() && status.IsError()) first = status;
  }
  return first;
}

Status RestoreSet() {
  if (SlotCount(kGroupOpenFileSets) == 0) return DataReport(kInternalError, kRestoreSet);
  Status status = SlotPop(kGroupOpenFileSets);
  if (!status.ok()) return status;
  if (SlotCount(kGroupOpenFileSets) == 0) return FileCloseAll();
  StrAreaScope scope;
  status = StrAreaPushCopy(SlotLast(kGroupOpenFileSets));
  return status.ok() ? ApplySet(StrAreaTop()) : status;
}

}  // namespace

Status OpenFileSet(StrRef list) {
  if (list.IsStatus()) return StrCheck(list);
  if (StrTrim(list, kTrimBoth).view() == kRestoreSet.view()) return RestoreSet();
  StrAreaScope scope;
  StrArray entries;
  Status status = ListSplit(list, ',', &entries);
  if (!status.ok()) return status;
  std::string modes(FileCount(), '\0');
  for (uint16_t i = 1; i <= entries.count; ++i) {
    const StrRef entry = ArrayItem(entries, i);
    const StrRef file_part = StrTrim(ListField(entry, ';', 1), kTrimBoth);
    const uint8_t file = file_part.empty() ? 0 : FileByName(file_part);
    if (file == 0 || file > FileCount()) return DataReport(kFileOpening, file_part);
    const bool last = i == entries.count;
    const bool has_mode = ListCount(entry, ';') >= 2;
    uint8_t mode = has_mode ? static_cast<uint8_t>(ListFieldInt(entry, ';', 2)) : (last ? 0 : 1);
    if (last) mode |= 8;
    modes[file - 1u] = static_cast<char>(mode);
  }
  status = SlotPush(kGroupOpenFileSets, StrView(modes));
  if (!status.ok()) return status;
  return ApplySet(StrView(modes));
}

uint16_t OpenSetDepth() { return SlotCount(kGroupOpenFileSets); }

Status OpenSetRestoreTo(uint16_t depth) {
  Status first = kOk;
  while (SlotCount(kGroupOpenFileSets) > depth) {
    const Status status = RestoreSet();
    if (first.ok() && !status.ok()) first = status;
    if (status == kInternalError) break;
  }
  return first;
}

}  // namespace engine
