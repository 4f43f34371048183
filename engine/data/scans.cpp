// Range checks, scans under a condition, and counts over the record files.
#include "engine/data/scans.h"

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/dictionary.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/data/relations.h"
#include "engine/lang/expression.h"
#include "engine/lang/field_types.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

constexpr uint8_t kStepTop = kStepFirst;

// A scan that stopped: failures as they are, anything else the end of the range or file.
Status Ended(Status status) { return IsEvalFailure(status) ? status : Status(kEndOfFile); }

Status SetStatus(uint8_t file, Status status) {
  if (!status.IsError() && status != kUserCanceled) FileCtrl(file).last_status = status;
  return status;
}

// The file resolved, open, with its open state.
Status Prepare(uint8_t* file, OpenRecordFile** of) {
  const Status status = ResolveOpenFile(file);
  if (!status.ok()) return status;
  *of = OpenRecord(*file);
  if (!*of) return DataReport(kFileNotInit, FileBaseName(*file));
  return kOk;
}

// Copies of texts that may live in the slot store, which an evaluation can move.
StrRef Keep(StrRef text) {
  if (text.IsStatus()) return text;
  return StrAreaPushCopy(text).ok() ? StrAreaTop() : StrError(kOutOfMemory);
}

Status Holds(StrRef condition, bool* truth) {
  const Status status = EvalCondition(condition, truth);
  return IsEvalFailure(status) ? status : Status(kOk);
}

// The display value of the current key's first field, for a progress callback.
Status Report(uint8_t file, const ScanProgress& progress) {
  if (!progress) return kOk;
  StrAreaScope scope;
  KeyFields fields;
  if (!KeyFieldList(file, FileCtrl(file).key, &fields).ok() || fields.count == 0) {
    return progress(StrLit(""));
  }
  const StrRef value = FieldGet(file, fields.field[0]);
  if (value.IsStatus()) return progress(StrLit(""));
  const FieldDef def = FieldDefOf(file, fields.field[0]);
  if (def.type != 'D') return progress(value);
  const StrRef shown = FormatDisplay(def.type, value, kWidthAsIs);
  return progress(shown.IsStatus() ? value : shown);
}

// Physical-order scan from record `from` (after it with kScanAfter) to the first record that
// satisfies the condition.
Status PhysicalScan(uint8_t file, uint32_t from, uint8_t flags, StrRef condition,
                    const ScanProgress& progress) {
  uint32_t record = 0;
  Status status = ScanNext(file, from, flags, &record);
  while (status == kFound) {
    bool truth = false;
    status = Holds(condition, &truth);
    if (!status.ok()) return status;
    if (truth) return SetStatus(file, kFound);
    status = Report(file, progress);
    if (!status.ok()) return status;
    status = ScanNext(file, record, kScanAfter, &record);
  }
  return SetStatus(file, Ended(status));
}

bool Physical(const OpenRecordFile* of, uint16_t key) { return key == 0 || !of->indexed; }

}  // namespace

StrRef LastCondition() { return SlotGet(kGroupDiagnostics, kDiagLastCondition); }

Status SetLastCondition(StrRef condition) {
  return SlotSet(kGroupDiagnostics, kDiagLastCondition, condition);
}

bool KeySuccessor(StrRef text, std::string* successor) {
  successor->assign(text.view());
  while (!successor->empty() && static_cast<uint8_t>(successor->back()) == 0xFF) {
    successor->pop_back();
  }
  if (successor->empty()) return false;
  successor->back() = static_cast<char>(static_cast<uint8_t>(successor->back()) + 1);
  return true;
}

Status RangeCheck(uint8_t file, uint8_t flags, StrRef to) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  const DataFileCtrl& ctrl = FileCtrl(file);
  if (ctrl.last_status > kKeyNotFound) return ctrl.last_status;
  if (to.IsStatus()) return StrCheck(to);
  if (to.empty()) return kOk;
  StrAreaScope scope;
  const StrRef record = BufferHalf(file, kHalfCurrent);
  if (record.IsStatus()) return DataReport(kFileNotInit, FileBaseName(file));
  const StrRef value = KeyValue(file, ctrl.key, record);
  if (value.IsStatus()) return StrCheck(value);
  int order = 0;
  status = StrCompare(StrSub(value, 0, to.len), to, &order);
  if (!status.ok()) return status;
  const bool backward = (flags & kStepMoveMask) == kStepPrevious;
  return (backward ? order >= 0 : order <= 0) ? Status(kOk) : Status(kEndOfFile);
}

Status ScanStep(uint8_t file, uint8_t flags, StrRef condition, StrRef to,
                const ScanProgress& progress) {
  OpenRecordFile* of = nullptr;
  Status status = Prepare(&file, &of);
  if (!status.ok()) return status;
  StrAreaScope scope;
  condition = Keep(condition);
  to = Keep(to);
  if (condition.IsStatus()) return StrCheck(condition);
  if (to.IsStatus()) return StrCheck(to);
  const auto step = static_cast<uint8_t>(flags & ~kScanMoveFirst);
  if (flags & kScanMoveFirst) {
    status = KeyStep(file, step);
    if (status != kFound) return SetStatus(file, Ended(status));
    status = Report(file, progress);
    if (!status.ok()) return status;
  } else if (FileCtrl(file).last_status > kKeyNotFound) {
    return SetStatus(file, Ended(FileCtrl(file).last_status));
  }
  for (;;) {
    status = RangeCheck(file, step, to);
    if (!status.ok()) return SetStatus(file, Ended(status));
    bool truth = false;
    status = Holds(condition, &truth);
    if (!status.ok()) return status;
    if (truth) return SetStatus(file, kFound);
    status = KeyStep(file, step);
    if (status != kFound) return SetStatus(file, Ended(status));
    status = Report(file, progress);
    if (!status.ok()) return status;
  }
}

Status ScanStart(uint8_t file, uint16_t key, StrRef from, StrRef to, StrRef condition,
                 const ScanProgress& progress) {
  OpenRecordFile* of = nullptr;
  Status status = Prepare(&file, &of);
  if (!status.ok()) return status;
  if (from.IsStatus()) return StrCheck(from);
  StrAreaScope scope;
  condition = Keep(condition);
  if (condition.IsStatus()) return StrCheck(condition);
  if (key == kCurrentKey) key = FileCtrl(file).key;
  if (Physical(of, key)) {
    status = PhysicalScan(file, 0, 0, condition, progress);
  } else {
    if (from.empty()) {
      status = CheckFileKey(file, key);
      if (!status.ok()) return DataReport(status, FileBaseName(file));
      FileCtrl(file).key = key;
      status = KeyStep(file, kStepTop);
    } else {
      status = KeyFind(file, key, from, kFindGreater);
    }
    if (status == kFound || status == kKeyNotFound) {
      status = ScanStep(file, kStepNext, condition, to, progress);
    } else if (!IsEvalFailure(status)) {
      status = SetStatus(file, kEndOfFile);
    }
  }
  if (status < kEndOfFile) {
    const Status kept = SetLastCondition(condition);
    if (!kept.ok()) return kept;
  }
  return status;
}

Status ScanNextMatching(uint8_t file, uint16_t key, StrRef condition, StrRef to,
                        const ScanProgress& progress) {
  OpenRecordFile* of = nullptr;
  const Status status = Prepare(&file, &of);
  if (!status.ok()) return status;
  if (key == kCurrentKey) key = FileCtrl(file).key;
  if (!Physical(of, key)) {
    return ScanStep(file, kStepNext | kScanMoveFirst, condition, to, progress);
  }
  StrAreaScope scope;
  condition = Keep(condition);
  if (condition.IsStatus()) return StrCheck(condition);
  const uint32_t from = of->scan_record;
  return PhysicalScan(file, from == kNoRecord ? 0 : from, from == kNoRecord ? 0 : kScanAfter,
                      condition, progress);
}

Status RecordCount(uint8_t file, uint16_t key, StrRef from, StrRef to, StrRef condition,
                   uint32_t* count) {
  *count = 0;
  OpenRecordFile* of = nullptr;
  Status status = Prepare(&file, &of);
  if (!status.ok()) return status;
  if (!of->indexed) {
    *count = FileRecordCount(file);
    return kOk;
  }
  if (key == kCurrentKey) key = FileCtrl(file).key;
  if (key != 0) {
    status = CheckFileKey(file, key);
    if (!status.ok()) return DataReport(status, FileBaseName(file));
  }
  if (key != 0 && from.empty() && to.empty() && StrTrim(condition, kTrimBoth).empty()) {
    *count = IndexEntryCount(file);
    return kOk;
  }
  StrAreaScope scope;
  const StrRef snapshot = FileSnapshot(file);
  if (snapshot.IsStatus()) return StrCheck(snapshot);
  const StrRef last = Keep(LastCondition());
  if (last.IsStatus()) return StrCheck(last);
  uint32_t counted = 0;
  status = ScanStart(file, key, from, to, condition, ScanProgress());
  while (status == kFound) {
    ++counted;
    status = ScanNextMatching(file, key, condition, to, ScanProgress());
  }
  const Status restored = FileRestore(file, snapshot);
  const Status kept = SetLastCondition(last);
  if (IsEvalFailure(status)) return status;
  *count = counted;
  return restored.ok() ? kept : restored;
}

Status KeyedUpdatePass(uint8_t file, uint16_t key, StrRef prefix, StrRef expression, bool insert) {
  OpenRecordFile* of = nullptr;
  Status status = Prepare(&file, &of);
  if (!status.ok()) return status;
  if (prefix.IsStatus()) return StrCheck(prefix);
  StrAreaScope scope;
  prefix = Keep(prefix);
  expression = Keep(expression);
  if (prefix.IsStatus()) return StrCheck(prefix);
  if (expression.IsStatus()) return StrCheck(expression);
  const StrRef snapshot = FileSnapshot(file);
  if (snapshot.IsStatus()) return StrCheck(snapshot);
  if (key == kCurrentKey) key = FileCtrl(file).key;
  status = KeyFind(file, key, prefix, 0);
  if (status != kFound && !IsEvalFailure(status)) {
    if (!insert) status = kEndOfFile;
    if (insert) {
      BufferClear(file, 1);
      status = KeyFieldsSet(file, key, prefix);
      if (status.ok()) status = RecordInsert(file);
      if (status == kFound || status == kRepeatedKey) {
        SysWordSet(kSysRelRes, kRelResCreated);
        BufferCopy(file, 1);
        status = SetStatus(file, kFound);
      }
    }
  }
  while (status == kFound && RangeCheck(file, kStepNext, prefix) == kOk) {
    status = EvalStatus(expression);
    if (status.ok()) status = RecordUpdate(file);
    if (status.ok()) status = KeyStep(file, kStepNext);
  }
  const Status restored = FileRestore(file, snapshot);
  if (IsEvalFailure(status)) return status;
  return restored;
}

}  // namespace engine
