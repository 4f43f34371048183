// Binary search over the key arrays, steps, and the changes that keep the arrays in order.
#include "engine/data/record_keys.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/data/dictionary.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"

namespace engine {

namespace {

enum class End : uint8_t { kFirst, kLast };

struct Found {
  uint16_t status = kEndOfFile;
  uint32_t pos = 0;
};

// The file to act on, open and indexed.
Status PrepareIndexed(uint8_t* file, OpenRecordFile** of) {
  Status status = ResolveOpenFile(file);
  if (!status.ok()) return status;
  *of = OpenRecord(*file);
  if (!*of) return DataReport(kFileNotInit, ToString(FileBaseName(*file)));
  if (!(*of)->indexed) return DataReport(kIndexCmdError, (*of)->data_path);
  return kOk;
}

// The key value of record r in key k, read from the data file (empty when unreadable).
const std::string& ProbeKey(OpenRecordFile* of, uint16_t k, uint32_t r) {
  size_t got = 0;
  const Status status = of->data->Read(uint64_t{r} * of->record_length,
                                       {of->scratch.data(), of->record_length}, &got);
  if (!status.ok() || got < of->record_length) {
    of->key_value.clear();
  } else {
    ExtractKey(of->keys[k - 1u], of->scratch.data(), of->record_length, &of->key_value);
  }
  return of->key_value;
}

// The text against a key value, over the length of the text: <0, 0, >0.
int CompareText(std::string_view text, std::string_view key) {
  const size_t common = std::min(text.size(), key.size());
  const int order = common ? std::memcmp(text.data(), key.data(), common) : 0;
  if (order != 0) return order;
  return key.size() < text.size() ? 1 : 0;
}

// The binary search over the first `n` entries of key k.
Found Search(OpenRecordFile* of, uint16_t k, std::string_view text, End end, uint32_t n) {
  if (n == 0) return Found{kEndOfFile, 0};
  const uint32_t* array = of->index.Array(k);
  uint32_t lo = 0;
  uint32_t hi = n;
  uint32_t mid = 0;
  int order = 1;
  while (order != 0 && lo < hi) {
    mid = lo + (hi - lo) / 2;
    order = CompareText(text, ProbeKey(of, k, array[mid]));
    if (order > 0) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  if (order == 0) {
    if (end == End::kFirst) {
      while (mid > 0 && CompareText(text, ProbeKey(of, k, array[mid - 1])) == 0) --mid;
    } else {
      while (mid + 1 < n && CompareText(text, ProbeKey(of, k, array[mid + 1])) == 0) ++mid;
    }
    return Found{kFound, mid};
  }
  if (order > 0) ++mid;
  return Found{static_cast<uint16_t>(mid < n ? kKeyNotFound : kEndOfFile), mid};
}

// Where a new entry with this value goes in key k: after the equal entries.
uint32_t InsertPlace(OpenRecordFile* of, uint16_t k, std::string_view value, uint32_t n) {
  const Found found = Search(of, k, value, End::kLast, n);
  return found.status == kFound ? found.pos + 1 : found.pos;
}

void InsertAt(uint32_t* array, uint32_t n, uint32_t pos, uint32_t record) {
  std::memmove(array + pos + 1, array + pos, size_t{n - pos} * sizeof(uint32_t));
  array[pos] = record;
}

void RemoveAt(uint32_t* array, uint32_t n, uint32_t pos) {
  std::memmove(array + pos, array + pos + 1, size_t{n - pos - 1} * sizeof(uint32_t));
}

// The position of record r in key k, looked up by its value `value` (the run of equal entries
// is searched for r); when the value does not lead to it, by walking the whole array.
uint32_t LocateEntry(OpenRecordFile* of, uint16_t k, std::string_view value, uint32_t r,
                     uint32_t hint) {
  const IndexState& index = of->index;
  const uint32_t* array = index.Array(k);
  if (hint < index.n && array[hint] == r) return hint;
  Found found = Search(of, k, value, End::kFirst, index.n);
  if (found.status == kFound) {
    for (uint32_t p = found.pos; p < index.n; ++p) {
      if (array[p] == r) return p;
      if (CompareText(value, ProbeKey(of, k, array[p])) != 0) break;
    }
  }
  const uint32_t* at = std::find(array, array + index.n, r);
  return at == array + index.n ? kNoRecord : static_cast<uint32_t>(at - array);
}

// Checkpoint of the index before its blocks grow: the changes so far reach the disk.
void Checkpoint(OpenRecordFile* of) {
  if (!of->index.changed || (of->mode & kModeReadOnly)) return;
  if (IndexSave(StrView(of->index_path), of->index).ok()) of->index.changed = false;
}

Status RoomForKeys(OpenRecordFile* of) {
  if (of->index.KeySlack() > 0) return kOk;
  Checkpoint(of);
  const Status status = IndexGrowKeys(&of->index);
  return status.ok() ? status : DataReport(status, of->index_path);
}

Status RoomForFree(OpenRecordFile* of) {
  if (of->index.FreeSlack() > 0) return kOk;
  Checkpoint(of);
  const Status status = IndexGrowFree(&of->index);
  return status.ok() ? status : DataReport(status, of->index_path);
}

std::string HalfCopy(uint8_t file, uint16_t half) {
  const StrRef view = BufferHalf(file, half);
  return view.IsStatus() ? std::string() : ToString(view);
}

// Holds the exclusive lock of a data file while it lives.
class DataLock {
 public:
  explicit DataLock(File* file) : file_(file) { (void)file_->Lock(true, true); }
  ~DataLock() { file_->Unlock(); }
  DataLock(const DataLock&) = delete;
  DataLock& operator=(const DataLock&) = delete;

 private:
  File* file_;
};

// Whether slot r still holds the record this process read there (live, with the same first
// key). Another process may have deleted it and given the slot to a new record meanwhile; an
// update or a deletion must then not write over that record. Called under the exclusive lock.
Status SlotStillHolds(OpenRecordFile* of, uint32_t r, const std::string& read_copy) {
  std::string disk(of->record_length, '\0');
  size_t got = 0;
  const Status read = of->data->Read(uint64_t{r} * of->record_length, disk, &got);
  const std::string where = of->data_path + " #" + std::to_string(r);
  if (!read.ok() || got != disk.size()) return DataReport(kDiskReadError, where);
  std::string on_disk;
  std::string expected;
  ExtractKey(of->keys[0], disk.data(), of->record_length, &on_disk);
  ExtractKey(of->keys[0], read_copy.data(), of->record_length, &expected);
  if (static_cast<uint8_t>(disk[0]) == kDeletedMark || on_disk != expected) {
    return DataReport(kNetAccessError, where + ": deleted or replaced by another user");
  }
  return kOk;
}

// Writes `bytes` over slot r under the exclusive lock, once the slot still holds the record read
// there (`read_copy`).
Status WriteOver(OpenRecordFile* of, uint32_t r, const std::string& read_copy,
                 std::span<const char> bytes) {
  const DataLock lock(of->data.get());
  const Status status = SlotStillHolds(of, r, read_copy);
  if (!status.ok()) return status;
  if (of->WriteData(uint64_t{r} * of->record_length, bytes).ok()) return kOk;
  return DataReport(kDiskWriteError, of->data_path + " #" + std::to_string(r));
}

// Writes a new record: into a free slot that still holds a deleted record, else at the end of
// the data file as it is now. Under the exclusive lock, so that two processes adding records to
// one file never take the same slot.
Status WriteNewRecord(OpenRecordFile* of, const std::string& record, uint32_t* slot) {
  const DataLock lock(of->data.get());
  uint64_t size = 0;
  if (!of->data->Size(&size).ok() || size % of->record_length != 0) {
    return DataReport(kFileIO, of->data_path + ": no whole number of records");
  }
  const uint64_t count = size / of->record_length;
  IndexState& index = of->index;
  while (index.f > 0) {
    const uint32_t candidate = index.free[index.f - 1];
    if (candidate < count) {
      char first = 0;
      size_t got = 0;
      const Status read =
          of->data->Read(uint64_t{candidate} * of->record_length, {&first, 1}, &got);
      if (read.ok() && got == 1 && static_cast<uint8_t>(first) == kDeletedMark) {
        const Status written = of->WriteData(uint64_t{candidate} * of->record_length, record);
        if (!written.ok()) {
          return DataReport(kDiskWriteError, of->data_path + " #" + std::to_string(candidate));
        }
        --index.f;
        index.changed = true;
        *slot = candidate;
        return kOk;
      }
    }
    // Another process has used the slot since: it is no longer free.
    --index.f;
    index.changed = true;
  }
  if (count >= kNoRecord) return DataReport(kFileIO, of->data_path);
  const Status written = of->WriteData(size, record);
  if (!written.ok()) {
    return DataReport(kDiskWriteError, of->data_path + " #" + std::to_string(count));
  }
  *slot = static_cast<uint32_t>(count);
  return kOk;
}

// Whether a record is current: found or stepped onto, or just inserted.
bool HasCurrent(const DataFileCtrl& ctrl) {
  return ctrl.last_status == kFound || ctrl.last_status == kRepeatedKey;
}

Status SetStatus(uint8_t file, Status status) {
  FileCtrl(file).last_status = status;
  return status;
}

Status MarkedDeleted(const OpenRecordFile* of) {
  return DataReport(kBadInputData, of->data_path + ": the record is marked deleted");
}

// The search text of a key: cut to the key's length, one blank for an empty text.
std::string SearchText(const OpenRecordFile* of, uint16_t k, StrRef text) {
  uint32_t length = 0;
  const KeySegments& key = of->keys[k - 1u];
  for (uint16_t s = 0; s < key.count; ++s) length += key.segment[s].length;
  std::string cut(text.view().substr(0, length));
  return cut.empty() ? std::string(" ") : cut;
}

}  // namespace

Status KeyFind(uint8_t file, uint16_t key, StrRef text, uint8_t flags) {
  OpenRecordFile* of = nullptr;
  Status status = PrepareIndexed(&file, &of);
  if (!status.ok()) return status;
  if (text.IsStatus()) return StrCheck(text);
  DataFileCtrl& ctrl = FileCtrl(file);
  if (key == kCurrentKey) key = ctrl.key;
  if (key == 0 || key > of->keys.size()) {
    return DataReport(kDataOutBound, of->data_path + " key " + std::to_string(key));
  }
  ctrl.key = key;
  const std::string wanted = SearchText(of, key, text);
  const Found found = Search(of, key, wanted, End::kFirst, of->index.n);
  of->index.cursor = found.pos;
  status = found.status;
  if (status == kFound || (status == kKeyNotFound && (flags & kFindGreater))) {
    const Status read = RecordRead(file, of->index.Array(key)[found.pos], kHalfBoth);
    if (!read.ok()) status = read;
  } else if (flags & kFindPrefill) {
    BufferClear(file, 1);
    const Status set = KeyFieldsSet(file, key, StrView(wanted));
    if (set.IsError()) status = set;
  }
  return SetStatus(file, status);
}

Status KeyStep(uint8_t file, uint8_t flags) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  if (flags & kStepClear) {
    BufferClear(file, 1);
    return SetStatus(file, kCleared);
  }
  OpenRecordFile* of = nullptr;
  status = PrepareIndexed(&file, &of);
  if (!status.ok()) return status;
  IndexState& index = of->index;
  const uint16_t key = std::min<uint16_t>(FileCtrl(file).key, of->keys.size());
  if (index.n == 0) {
    index.cursor = 0;
    BufferClear(file, 1);
    return SetStatus(file, kEndOfFile);
  }
  int64_t pos = index.cursor;
  switch (flags & kStepMoveMask) {
    case kStepNext:
      ++pos;
      break;
    case kStepPrevious:
      --pos;
      break;
    case kStepLast:
      pos = index.n - 1;
      break;
    case kStepFirst:
      pos = 0;
      break;
    default:
      break;
  }
  status = kFound;
  if (pos < 0) {
    status = kKeyNotFound;
    pos = 0;
  } else if (pos >= index.n) {
    status = kEndOfFile;
    pos = index.n - 1;
  }
  index.cursor = static_cast<uint32_t>(pos);
  if (status == kFound || (status == kKeyNotFound && (flags & kStepReadLower))) {
    const Status read = RecordRead(file, index.Array(key)[index.cursor], kHalfBoth);
    if (!read.ok()) status = read;
  } else {
    BufferClear(file, 1);
  }
  return SetStatus(file, status);
}

Status RecordInsert(uint8_t file) {
  OpenRecordFile* of = nullptr;
  Status status = PrepareIndexed(&file, &of);
  if (!status.ok()) return status;
  const std::string record = HalfCopy(file, kHalfCurrent);
  if (record.size() != of->record_length) return DataReport(kFileNotInit, of->data_path);
  if (static_cast<uint8_t>(record[0]) == kDeletedMark) return SetStatus(file, MarkedDeleted(of));
  status = RoomForKeys(of);
  if (!status.ok()) return SetStatus(file, status);

  const uint16_t key_count = static_cast<uint16_t>(of->keys.size());
  std::vector<std::string> values(key_count);
  for (uint16_t k = 1; k <= key_count; ++k) {
    ExtractKey(of->keys[k - 1u], record.data(), of->record_length, &values[k - 1u]);
  }
  uint32_t slot = 0;
  status = WriteNewRecord(of, record, &slot);
  if (!status.ok()) return SetStatus(file, status);

  IndexState& index = of->index;
  DataFileCtrl& ctrl = FileCtrl(file);
  const uint16_t current = std::min<uint16_t>(ctrl.key, key_count);
  uint32_t cursor = 0;
  for (uint16_t k = 1; k <= key_count; ++k) {
    const uint32_t pos = InsertPlace(of, k, values[k - 1u], index.n);
    InsertAt(index.Array(k), index.n, pos, slot);
    if (k == current) cursor = pos;
  }
  ++index.n;
  index.changed = true;
  index.cursor = cursor;
  status = kFound;
  if (FieldByName(file, kLineFieldName) == kNothing && cursor > 0 &&
      ProbeKey(of, current, index.Array(current)[cursor - 1]) == values[current - 1u]) {
    status = kRepeatedKey;
  }
  return SetStatus(file, status);
}

Status RecordUpdate(uint8_t file) {
  OpenRecordFile* of = nullptr;
  Status status = PrepareIndexed(&file, &of);
  if (!status.ok()) return status;
  DataFileCtrl& ctrl = FileCtrl(file);
  IndexState& index = of->index;
  if (!HasCurrent(ctrl)) return ctrl.last_status;
  if (index.cursor >= index.n) return SetStatus(file, kEndOfFile);
  const std::string record = HalfCopy(file, kHalfCurrent);
  const std::string old = HalfCopy(file, kHalfRead);
  if (record.size() != of->record_length) return DataReport(kFileNotInit, of->data_path);
  if (record == old) return SetStatus(file, kFound);
  if (static_cast<uint8_t>(record[0]) == kDeletedMark) return SetStatus(file, MarkedDeleted(of));

  const uint16_t key_count = static_cast<uint16_t>(of->keys.size());
  const uint16_t current = std::min<uint16_t>(ctrl.key, key_count);
  const uint32_t r = index.Array(current)[index.cursor];
  std::vector<std::string> values(key_count);
  std::vector<uint32_t> positions(key_count, kNoRecord);
  std::string previous;
  for (uint16_t k = 1; k <= key_count; ++k) {
    ExtractKey(of->keys[k - 1u], record.data(), of->record_length, &values[k - 1u]);
    ExtractKey(of->keys[k - 1u], old.data(), of->record_length, &previous);
    if (previous == values[k - 1u]) continue;
    positions[k - 1u] = LocateEntry(of, k, previous, r, k == current ? index.cursor : kNoRecord);
    if (positions[k - 1u] == kNoRecord) {
      return SetStatus(file, DataReport(kInternalError, of->index_path));
    }
  }
  status = WriteOver(of, r, old, record);
  if (!status.ok()) return SetStatus(file, status);
  for (uint16_t k = 1; k <= key_count; ++k) {
    if (positions[k - 1u] == kNoRecord) continue;
    uint32_t* array = index.Array(k);
    RemoveAt(array, index.n, positions[k - 1u]);
    const uint32_t pos = InsertPlace(of, k, values[k - 1u], index.n - 1);
    InsertAt(array, index.n - 1, pos, r);
    if (k == current) index.cursor = pos;
    index.changed = true;
  }
  return SetStatus(file, kFound);
}

Status RecordDelete(uint8_t file, uint8_t flags) {
  OpenRecordFile* of = nullptr;
  Status status = PrepareIndexed(&file, &of);
  if (!status.ok()) return status;
  DataFileCtrl& ctrl = FileCtrl(file);
  IndexState& index = of->index;
  if (!HasCurrent(ctrl)) return ctrl.last_status;
  if (index.cursor >= index.n) return SetStatus(file, kEndOfFile);
  status = RoomForFree(of);
  if (!status.ok()) return SetStatus(file, status);

  const uint16_t key_count = static_cast<uint16_t>(of->keys.size());
  const uint16_t current = std::min<uint16_t>(ctrl.key, key_count);
  const uint32_t r = index.Array(current)[index.cursor];
  const std::string old = HalfCopy(file, kHalfRead);
  std::vector<uint32_t> positions(key_count);
  std::string value;
  std::string current_value;
  for (uint16_t k = 1; k <= key_count; ++k) {
    ExtractKey(of->keys[k - 1u], old.data(), of->record_length, &value);
    if (k == current) current_value = value;
    positions[k - 1u] = LocateEntry(of, k, value, r, k == current ? index.cursor : kNoRecord);
    if (positions[k - 1u] == kNoRecord) {
      return SetStatus(file, DataReport(kInternalError, of->index_path));
    }
  }
  const StrRef half = BufferHalf(file, kHalfCurrent);
  if (half.IsStatus()) return DataReport(kFileNotInit, of->data_path);
  std::string deleted(half.ptr, half.len);
  deleted[0] = static_cast<char>(kDeletedMark);
  status = WriteOver(of, r, old, deleted);
  if (!status.ok()) return SetStatus(file, status);
  StrWritable(half)[0] = static_cast<char>(kDeletedMark);
  for (uint16_t k = 1; k <= key_count; ++k) RemoveAt(index.Array(k), index.n, positions[k - 1u]);
  --index.n;
  index.free[index.f++] = r;
  index.changed = true;
  index.cursor = std::min(index.cursor, index.n);
  if (flags & kDeleteFindNext) {
    return KeyFind(file, current, StrView(current_value), kFindGreater);
  }
  (void)SetStatus(file, kCleared);
  return kOk;
}

Status ScanNext(uint8_t file, uint32_t from, uint8_t flags, uint32_t* record) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  OpenRecordFile* of = OpenRecord(file);
  const StrRef half = BufferHalf(file, kHalfCurrent);
  if (!of || half.IsStatus()) return DataReport(kFileNotInit, ToString(FileBaseName(file)));
  uint64_t n = uint64_t{from} + ((flags & kScanAfter) ? 1 : 0);
  for (;; ++n) {
    size_t got = 0;
    if (n >= kNoRecord ||
        !of->data->Read(n * of->record_length, {StrWritable(half), half.len}, &got).ok() ||
        got < of->record_length) {
      *record = static_cast<uint32_t>(std::min<uint64_t>(n, kNoRecord));
      return SetStatus(file, kEndOfFile);
    }
    if (half.byte(0) != kDeletedMark) break;
  }
  *record = static_cast<uint32_t>(n);
  of->scan_record = *record;
  BufferCopy(file, 1);
  if (!of->indexed) return SetStatus(file, kFound);
  // The record read becomes the current one, so that an update or deletion acts on it.
  if (!KeyLocateRecord(file, *record).ok()) (void)SetStatus(file, kKeyNotFound);
  return kFound;
}

uint32_t CurrentRecordNumber(uint8_t file) {
  file = ResolveFile(file);
  const OpenRecordFile* of = OpenRecord(file);
  if (!of || !of->indexed || of->index.cursor >= of->index.n) return kNoRecord;
  const uint16_t key = std::min<uint16_t>(FileCtrl(file).key, of->keys.size());
  return of->index.Array(key)[of->index.cursor];
}

uint32_t CursorPosition(uint8_t file) {
  const OpenRecordFile* of = OpenRecord(ResolveFile(file));
  return of && of->indexed ? of->index.cursor : 0;
}

uint32_t IndexEntryCount(uint8_t file) {
  const OpenRecordFile* of = OpenRecord(ResolveFile(file));
  return of && of->indexed ? of->index.n : 0;
}

Status KeyLocateRecord(uint8_t file, uint32_t record) {
  OpenRecordFile* of = nullptr;
  Status status = PrepareIndexed(&file, &of);
  if (!status.ok()) return status;
  const uint16_t key = std::min<uint16_t>(FileCtrl(file).key, of->keys.size());
  const std::string value = ProbeKey(of, key, record);
  const uint32_t pos = LocateEntry(of, key, value, record, of->index.cursor);
  if (pos == kNoRecord) return kKeyNotFound;
  of->index.cursor = pos;
  return SetStatus(file, kFound);
}

Status DataFileDeleteAll() { return DataReport(kFeatureRemoved, StrLit("DataFileDeleteAll")); }

}  // namespace engine
