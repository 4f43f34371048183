// The two-half record buffers in the slot store, fields in them, and the stored encodings.
#include "engine/data/record_buffer.h"

#include <algorithm>
#include <cstring>

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/dictionary.h"
#include "engine/data/field_ref.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/lang/field_types.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

constexpr uint16_t kSnapshotHead = sizeof(DataFileCtrl) + 2 * sizeof(uint32_t);
constexpr uint16_t kShortDate = 6;
constexpr char kCenturyShift = 17;  // "0" + 17 is "A": a date of the 2000s
constexpr char kEncodedNumber = 'D';
constexpr int64_t kEncodedNumberMask = 10;
constexpr StrRef kFieldCheckFormat = StrLit("(File:%s, Field:%s)");

uint16_t Slot(uint8_t file) { return static_cast<uint16_t>(file - 1u); }

Status FieldFailure(Status status, uint8_t file, uint16_t field) {
  StrAreaScope scope;
  return DataReport(status, StrFormat(kMaxStrLen, kFieldCheckFormat,
                                      {FormatArg(int64_t{file}), FormatArg(int64_t{field})}));
}

// The file resolved and its field checked; *def receives the field and *half1 the buffer half.
Status FieldAccessPrepare(uint8_t* file, uint16_t field, uint16_t half, FieldDef* def,
                          StrRef* view) {
  *file = ResolveFile(*file);
  Status status = CheckFileField(*file, field);
  if (status.ok() && field == kAnyField) status = kDataOutBound;
  if (!status.ok()) return FieldFailure(status, *file, field);
  *view = BufferHalf(*file, half);
  if (view->IsStatus()) return FieldFailure(kFileNotInit, *file, field);
  *def = FieldDefOf(*file, field);
  if (uint32_t{def->offset} + def->length > view->len) {
    return FieldFailure(kFileNotInit, *file, field);
  }
  return kOk;
}

bool AllBlank(StrRef s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c == ' '; });
}

// Six-character F date as stored: the century in the first byte, blank tens of month and day.
void EncodeShortDate(StrRef value, char* stored) {
  if (AllBlank(StrMake(stored, kShortDate))) return;
  const StrRef trimmed = StrTrim(value, kTrimBoth);
  const bool nineteenth = trimmed.len == 8 && trimmed[0] == '1' && trimmed[1] == '9';
  if (!nineteenth) stored[0] = static_cast<char>(stored[0] + kCenturyShift);
  if (stored[2] == '0') stored[2] = ' ';
  if (stored[4] == '0') stored[4] = ' ';
}

StrRef DecodeShortDate(StrRef stored) {
  const uint16_t mark = StrAreaMark();
  Status status = StrAreaAlloc(kShortDate + 2, ' ');
  if (!status.ok()) return StrError(status);
  char* out = StrWritable(StrAreaTop());
  std::memcpy(out + 2, stored.ptr, kShortDate);
  if (stored[0] != ' ') {
    if (stored.byte(0) <= 64) {
      out[0] = '1';
      out[1] = '9';
    } else {
      out[0] = '2';
      out[1] = '0';
      out[2] = static_cast<char>(stored[0] - kCenturyShift);
    }
    std::replace(out, out + kShortDate + 2, ' ', '0');
  }
  return StrAreaReturn(mark, StrMake(out, kShortDate + 2));
}

bool ShortDateEncoded(const FieldDef& def) {
  return def.type == 'F' && def.length == kShortDate && SysWordTest(kSysCompat, kCompatDateCodes);
}

}  // namespace

Status BufferAllocate(uint8_t file, uint16_t record_length) {
  StrAreaScope scope;
  Status status = StrAreaAlloc(size_t{record_length} * 2, ' ');
  if (!status.ok()) return status;
  return SlotSet(kGroupRecordBuffers, Slot(file), StrAreaTop());
}

void BufferRelease(uint8_t file) {
  if (file >= 1 && SlotGet(kGroupRecordBuffers, Slot(file)).len > 0) {
    (void)SlotSet(kGroupRecordBuffers, Slot(file), StrLit(""));
  }
}

bool BufferExists(uint8_t file) { return !BufferHalf(ResolveFile(file), 1).IsStatus(); }

StrRef BufferHalf(uint8_t file, uint16_t half) {
  if (file < 1 || file > kMaxFiles) return StrError(kFileNotInit);
  const StrRef buffer = SlotGet(kGroupRecordBuffers, Slot(file));
  const uint16_t length = buffer.len / 2;
  if (length == 0 || (half != 1 && half != 2)) return StrError(kFileNotInit);
  return StrMake(buffer.ptr + (half == 2 ? length : 0), length);
}

void BufferClear(uint8_t file, uint16_t how) {
  file = ResolveFile(file);
  const StrRef buffer = SlotGet(kGroupRecordBuffers, Slot(file));
  if (buffer.len < 2) return;
  std::memset(StrWritable(buffer), ' ', buffer.len);
  if (how == 2) StrWritable(buffer)[0] = static_cast<char>(kDeletedMark);
}

void BufferCopy(uint8_t file, uint16_t direction) {
  file = ResolveFile(file);
  const StrRef one = BufferHalf(file, 1);
  const StrRef two = BufferHalf(file, 2);
  if (one.IsStatus()) return;
  if (direction == 1) std::memcpy(StrWritable(two), one.ptr, one.len);
  if (direction == 2) std::memcpy(StrWritable(one), two.ptr, two.len);
}

StrRef BufferGet(uint8_t file, uint16_t half) {
  const StrRef view = BufferHalf(ResolveFile(file), half);
  return StrAreaReturn(StrAreaMark(), view);
}

Status BufferPut(uint8_t file, uint16_t half, StrRef text) {
  if (text.IsStatus()) return StrCheck(text);
  file = ResolveFile(file);
  for (uint16_t h = 1; h <= 2; ++h) {
    if (half != h && half != kHalfBoth) continue;
    const StrRef view = BufferHalf(file, h);
    if (view.IsStatus()) return FieldFailure(kFileNotInit, file, 0);
    std::memcpy(StrWritable(view), text.ptr, std::min(text.len, view.len));
  }
  return kOk;
}

bool BuffersDiffer(uint8_t file) {
  file = ResolveFile(file);
  const StrRef one = BufferHalf(file, 1);
  const StrRef two = BufferHalf(file, 2);
  return !one.IsStatus() && one.view() != two.view();
}

StrRef FileSnapshot(uint8_t file) {
  file = ResolveFile(file);
  const StrRef buffer = SlotGet(kGroupRecordBuffers, Slot(file));
  if (file < 1 || file > kMaxFiles || buffer.len == 0) return StrError(kFileNotInit);
  const uint16_t mark = StrAreaMark();
  Status status = StrAreaAlloc(size_t{kSnapshotHead} + buffer.len, 0);
  if (!status.ok()) return StrError(status);
  char* out = StrWritable(StrAreaTop());
  const uint32_t cursor = CursorPosition(file);
  const uint32_t record = CurrentRecordNumber(file);
  std::memcpy(out, &FileCtrl(file), sizeof(DataFileCtrl));
  std::memcpy(out + sizeof(DataFileCtrl), &cursor, sizeof cursor);
  std::memcpy(out + sizeof(DataFileCtrl) + sizeof cursor, &record, sizeof record);
  // The slot store has not been written since `buffer` was taken.
  std::memcpy(out + kSnapshotHead, SlotGet(kGroupRecordBuffers, Slot(file)).ptr, buffer.len);
  return StrAreaReturn(mark, StrMake(out, kSnapshotHead + buffer.len));
}

Status FileRestore(uint8_t file, StrRef snapshot) {
  if (snapshot.IsStatus()) return StrCheck(snapshot);
  file = ResolveFile(file);
  const StrRef buffer = SlotGet(kGroupRecordBuffers, Slot(file));
  if (file < 1 || file > kMaxFiles || buffer.len == 0 ||
      snapshot.len != kSnapshotHead + buffer.len) {
    return DataReport(kBadInputData, StrLit("FileRestore"));
  }
  DataFileCtrl saved;
  uint32_t cursor = 0;
  uint32_t record = kNoRecord;
  std::memcpy(&saved, snapshot.ptr, sizeof saved);
  std::memcpy(&cursor, snapshot.ptr + sizeof saved, sizeof cursor);
  std::memcpy(&record, snapshot.ptr + sizeof saved + sizeof cursor, sizeof record);
  std::memcpy(StrWritable(buffer), snapshot.ptr + kSnapshotHead, buffer.len);
  DataFileCtrl& ctrl = FileCtrl(file);
  saved.mode = ctrl.mode;
  saved.data_handle = ctrl.data_handle;
  // The record lists and relational-update texts the file holds now stay its own: they are
  // owned, not positions, and the snapshot's may have been freed since.
  saved.list_slot = ctrl.list_slot;
  saved.saved_list_slot = ctrl.saved_list_slot;
  saved.list_nesting = ctrl.list_nesting;
  saved.relup_base = ctrl.relup_base;
  saved.relup_count = ctrl.relup_count;
  ctrl = saved;
  if (OpenRecordFile* of = OpenRecord(file); of && of->indexed) {
    of->index.cursor = std::min(cursor, of->index.n);
    if (record != kNoRecord && CurrentRecordNumber(file) != record) {
      (void)KeyLocateRecord(file, record);
    }
    ctrl.last_status = saved.last_status;
  }
  return kOk;
}

StrRef FieldGet(uint8_t file, uint16_t field) {
  FieldDef def;
  StrRef half;
  const Status status = FieldAccessPrepare(&file, field, kHalfCurrent, &def, &half);
  if (!status.ok()) return StrError(status);
  const StrRef stored = StrMake(half.ptr + def.offset, def.length);
  const uint16_t mark = StrAreaMark();
  if (ShortDateEncoded(def)) return StrAreaReturn(mark, DecodeShortDate(stored));
  if (def.type == 'N' && !stored.empty() && stored[0] == kEncodedNumber) {
    const int64_t value = StrToInt64(StrSub(stored, 1, -1)) ^ kEncodedNumberMask;
    const std::string text = std::to_string(value);
    return StrAreaReturn(mark, StrView(text));
  }
  return StrAreaReturn(mark, stored);
}

StrRef FieldGetRaw(uint8_t file, uint16_t field, uint16_t half) {
  FieldDef def;
  StrRef view;
  const Status status = FieldAccessPrepare(&file, field, half == 2 ? 2 : 1, &def, &view);
  if (!status.ok()) return StrError(status);
  return StrAreaReturn(StrAreaMark(), StrMake(view.ptr + def.offset, def.length));
}

Status FieldSet(uint8_t file, uint16_t field, StrRef value) {
  if (value.IsStatus()) return StrCheck(value);
  FieldDef def;
  StrRef half;
  Status status = FieldAccessPrepare(&file, field, kHalfCurrent, &def, &half);
  if (!status.ok()) return status;
  StrAreaScope scope;
  const StrRef formatted = FormatStored(def.type, value, def.length);
  if (formatted.IsStatus()) return FieldFailure(StrCheck(formatted), file, field);
  status = StrAreaAlloc(def.length, ' ');
  if (!status.ok()) return status;
  char* stored = StrWritable(StrAreaTop());
  std::memcpy(stored, formatted.ptr, std::min(formatted.len, def.length));
  if (ShortDateEncoded(def)) EncodeShortDate(value, stored);
  // The slot store was not written since the half was taken.
  half = BufferHalf(file, kHalfCurrent);
  std::memcpy(StrWritable(half) + def.offset, stored, def.length);
  return kOk;
}

Status FieldSetByRef(StrRef reference, StrRef value) {
  FieldRef ref;
  const Status status = ParseFieldRef(reference, &ref);
  if (!status.ok()) return status;
  return FieldSet(ref.file, ref.field, value);
}

Status KeyFieldsSet(uint8_t file, uint16_t key, StrRef text) {
  if (text.IsStatus()) return StrCheck(text);
  file = ResolveFile(file);
  const KeySegments segments = KeySegmentsOf(file, key);
  if (segments.count == 0) return DataReport(kDataOutBound, FileBaseName(file));
  // Each segment's part of the text goes to every field the segment covers: a field within the
  // segment is set (formatted), the bytes of a field the segment covers only in part are copied.
  uint32_t at = 0;
  for (uint16_t s = 0; s < segments.count && at < text.len; ++s) {
    const uint32_t start = segments.segment[s].start;
    const uint32_t end = start + segments.segment[s].length;
    for (uint16_t f = 1; f <= FieldCount(file) && at < text.len; ++f) {
      const FieldDef def = FieldDefOf(file, f);
      const uint32_t from = std::max<uint32_t>(start, def.offset);
      const uint32_t to = std::min<uint32_t>(end, uint32_t{def.offset} + def.length);
      if (from >= to) continue;
      const StrRef part = StrSub(text, static_cast<int32_t>(at), static_cast<int32_t>(to - from));
      at += to - from;
      if (from == def.offset && to == uint32_t{def.offset} + def.length) {
        const Status status = FieldSet(file, f, part);
        if (!status.ok()) return status;
        continue;
      }
      const StrRef half = BufferHalf(file, kHalfCurrent);
      if (half.IsStatus()) return FieldFailure(kFileNotInit, file, f);
      std::memcpy(StrWritable(half) + from, part.ptr, part.len);
    }
  }
  return kOk;
}

}  // namespace engine
