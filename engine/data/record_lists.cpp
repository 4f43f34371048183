// The program's record-list slots and the per-file stack of lists in the control records.
#include "engine/data/record_lists.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "engine/core/block_pool.h"
#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/data/dictionary.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_index.h"
#include "engine/data/record_keys.h"
#include "engine/data/scans.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_seams.h"

namespace engine {

namespace {

struct ListSlot {
  bool used = false;
  uint8_t file = 0;
  uint32_t* entries = nullptr;
  uint32_t count = 0;
  uint32_t capacity = 0;
};

std::array<ListSlot, kListSlots> g_slots;

constexpr uint16_t kSavedShift = 8;
constexpr uint16_t kSavedMask = 0xFF;

void ReleaseSlot(uint16_t slot) {
  ListSlot& list = g_slots[slot];
  if (list.entries) (void)BlockFree(kTagRecordLists, list.entries);
  list = ListSlot{};
}

// The slot of the file's current list, or kListSlots when it has none.
uint16_t CurrentSlot(uint8_t file) {
  const uint16_t code = FileCtrl(file).list_slot;
  return code >= 1 && code <= kListSlots && g_slots[code - 1u].used ? code - 1u : kListSlots;
}

Status Append(ListSlot* list, uint32_t record) {
  if (list->count == list->capacity) {
    const uint64_t wanted = std::max<uint64_t>(uint64_t{list->capacity} + kListGrowth,
                                               uint64_t{list->capacity} * 3 / 2);
    const uint64_t capacity = (wanted + kListGrowth - 1) / kListGrowth * kListGrowth;
    if (capacity * sizeof(uint32_t) > UINT32_MAX) return kOutOfMemory;
    auto* grown = static_cast<uint32_t*>(
        BlockAllocZero(kTagRecordLists, static_cast<uint32_t>(capacity * sizeof(uint32_t))));
    if (!grown) return kOutOfMemory;
    if (list->entries) {
      std::memcpy(grown, list->entries, size_t{list->count} * sizeof(uint32_t));
      (void)BlockFree(kTagRecordLists, list->entries);
    }
    list->entries = grown;
    list->capacity = static_cast<uint32_t>(capacity);
  }
  list->entries[list->count++] = record;
  return kOk;
}

// Takes a free slot for the file and makes it the current list, saving the one it had.
Status PushList(uint8_t file, uint16_t* slot) {
  DataFileCtrl& ctrl = FileCtrl(file);
  if (ctrl.list_slot != 0 && ctrl.list_nesting >= kListSavedMax) {
    return DataReport(kDataOutBound, ToString(FileBaseName(file)) + ": two record lists are saved");
  }
  const auto free_slot =
      std::find_if(g_slots.begin(), g_slots.end(), [](const ListSlot& s) { return !s.used; });
  if (free_slot == g_slots.end()) {
    return DataReport(kDataOutBound, ToString(FileBaseName(file)) + ": no record list is free");
  }
  *slot = static_cast<uint16_t>(free_slot - g_slots.begin());
  *free_slot = ListSlot{true, file, nullptr, 0, 0};
  if (ctrl.list_slot != 0) {
    ctrl.saved_list_slot =
        static_cast<uint16_t>((ctrl.saved_list_slot << kSavedShift) | ctrl.list_slot);
    ++ctrl.list_nesting;
  }
  ctrl.list_slot = static_cast<uint16_t>(*slot + 1u);
  return kOk;
}

}  // namespace

Status RecListBuild(uint8_t file, uint16_t key, StrRef from, StrRef to, uint32_t maximum,
                    uint16_t from_mode, StrRef condition) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  if (from.IsStatus()) return StrCheck(from);
  if (!FileIsOpen(file)) return DataReport(kFileNotInit, FileBaseName(file));
  if (key == kCurrentKey) key = FileCtrl(file).key;
  status = CheckFileKey(file, key);
  if (!status.ok()) return DataReport(status, FileBaseName(file));

  StrAreaScope scope;
  const StrRef snapshot = FileSnapshot(file);
  if (snapshot.IsStatus()) return StrCheck(snapshot);
  std::string start(from.view());
  const bool has_start = from_mode != kListAfterStart || KeySuccessor(from, &start);
  uint16_t slot = 0;
  status = PushList(file, &slot);
  if (!status.ok()) return status;

  if (!has_start) {
    status = kEndOfFile;
  } else if (start.empty()) {
    FileCtrl(file).key = key;
    status = KeyStep(file, kStepFirst);
  } else {
    status = KeyFind(file, key, StrView(start), kFindGreater);
  }
  ListSlot& list = g_slots[slot];
  const uint32_t limit = maximum >= kListNoLimit ? UINT32_MAX : maximum;
  bool first = true;
  while (!IsEvalFailure(status) && list.count < limit && FileCtrl(file).last_status < kEndOfFile) {
    status = ScanStep(file, first ? kStepNext : (kStepNext | kScanMoveFirst), condition, to,
                      ScanProgress());
    first = false;
    if (status != kFound) break;
    status = Append(&list, CurrentRecordNumber(file));
    if (!status.ok()) status = DataReport(status, FileBaseName(file));
  }
  if (IsEvalFailure(status)) {
    RecListFree(file);
    return status;
  }
  if (list.count == 0) {
    status = FileRestore(file, snapshot);
    return status.ok() ? Status(kEndOfFile) : status;
  }
  return kOk;
}

uint32_t RecListCount(uint8_t file) {
  const uint16_t slot = CurrentSlot(ResolveFile(file));
  return slot < kListSlots ? g_slots[slot].count : 0;
}

uint32_t RecListEntry(uint8_t file, uint32_t i) {
  const uint16_t slot = CurrentSlot(ResolveFile(file));
  if (slot >= kListSlots || i >= g_slots[slot].count) return kNoRecord;
  return g_slots[slot].entries[i];
}

Status RecListRead(uint8_t file, uint16_t half, uint32_t i) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  const uint32_t record = RecListEntry(file, i);
  if (record == kNoRecord) {
    return DataReport(kDataOutBound, ToString(FileBaseName(file)) + ": record list entry " +
                                         std::to_string(i) + " of " +
                                         std::to_string(RecListCount(file)));
  }
  status = RecordRead(file, record, half == kHalfBoth ? kHalfBoth : kHalfCurrent);
  if (!status.ok()) return status;
  const StrRef current = BufferHalf(file, kHalfCurrent);
  if (current.IsStatus() || current.byte(0) == kDeletedMark ||
      KeyLocateRecord(file, record) != kFound) {
    FileCtrl(file).last_status = kKeyNotFound;
    return kKeyNotFound;
  }
  return kOk;
}

StrRef RecListField(uint8_t file, uint32_t i, uint16_t field) {
  const uint16_t mark = StrAreaMark();
  if (!RecListRead(file, kHalfCurrent, i).ok()) return StrAreaReturn(mark, StrLit(""));
  const StrRef value = FieldGet(file, field);
  return StrAreaReturn(mark, value.IsStatus() ? StrLit("") : value);
}

void RecListFree(uint8_t file) {
  file = ResolveFile(file);
  DataFileCtrl& ctrl = FileCtrl(file);
  if (ctrl.list_slot == 0) return;
  const uint16_t slot = CurrentSlot(file);
  if (slot < kListSlots) ReleaseSlot(slot);
  ctrl.list_slot = ctrl.list_nesting > 0 ? (ctrl.saved_list_slot & kSavedMask) : 0;
  ctrl.saved_list_slot = static_cast<uint16_t>(ctrl.saved_list_slot >> kSavedShift);
  if (ctrl.list_nesting > 0) --ctrl.list_nesting;
}

Status RecListDeleteAll(uint8_t file, uint16_t key, StrRef prefix, StrRef condition,
                        uint32_t* deleted) {
  if (deleted) *deleted = 0;
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  status = RecListBuild(file, key, prefix, prefix, kListNoLimit, 0, condition);
  if (status == kEndOfFile) {
    RecListFree(file);
    return kOk;
  }
  if (!status.ok()) return status;
  const uint32_t count = RecListCount(file);
  uint32_t done = 0;
  for (uint32_t i = 0; i < count && status.ok(); ++i) {
    status = RecListRead(file, kHalfBoth, i);
    if (status == kKeyNotFound) {
      status = kOk;
      continue;
    }
    if (status.ok()) status = RecordDelete(file, 0);
    if (status.ok()) ++done;
  }
  RecListFree(file);
  if (deleted) *deleted = done;
  return status;
}

void RecListReleaseFile(uint8_t file) {
  if (file < 1 || file > kMaxFiles) return;
  for (uint16_t slot = 0; slot < kListSlots; ++slot) {
    if (g_slots[slot].used && g_slots[slot].file == file) ReleaseSlot(slot);
  }
  DataFileCtrl& ctrl = FileCtrl(file);
  ctrl.list_slot = 0;
  ctrl.saved_list_slot = 0;
  ctrl.list_nesting = 0;
}

uint16_t RecListSlotsInUse() {
  return static_cast<uint16_t>(
      std::count_if(g_slots.begin(), g_slots.end(), [](const ListSlot& s) { return s.used; }));
}

}  // namespace engine
