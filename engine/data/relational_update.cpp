// Loading, choosing and applying the relational-update texts, and the save routine.
#include "engine/data/relational_update.h"

#include <algorithm>
#include <bitset>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/messages.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/dictionary.h"
#include "engine/data/dictionary_load.h"
#include "engine/data/field_ref.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/data/relations.h"
#include "engine/lang/expression.h"
#include "engine/lang/number.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

constexpr uint16_t kRelupFileEntry = 3;  // entries of kDictFileNames
constexpr uint16_t kRelupSqlFileEntry = 4;
constexpr uint16_t kLineHead = 4;  // two digits of file, two of entry
constexpr StrRef kLineListDefault = StrLit("1+(N_LINE{}>0)");
constexpr StrRef kFirstEntryList = StrLit("1");
constexpr StrRef kListCharacters = StrLit("0123456789, ");

bool TwoDigits(StrRef text, uint16_t at) {
  return text.len >= at + 2u && text[at] >= '0' && text[at] <= '9' && text[at + 1u] >= '0' &&
         text[at + 1u] <= '9';
}

bool AllOf(StrRef text, StrRef set) {
  return std::all_of(text.begin(), text.end(),
                     [&](char c) { return set.view().find(c) != std::string_view::npos; });
}

bool IsNone(StrRef list) { return StrTrim(list, kTrimBoth).view() == kRelupNone.view(); }

// The texts file of the current flavour along the definition folders (pushed), or a status.
StrRef RelupFilePath() {
  StrAreaScope scope;
  const uint16_t entry =
      SysWordTest(kSysAuxStat, kAuxStatSql) ? kRelupSqlFileEntry : kRelupFileEntry;
  const Status status = StrConcat(AppPrefix(), ListField(kDictFileNames, ',', entry));
  if (!status.ok()) return StrError(status);
  return scope.Return(FindAlongFolders(SlotGet(kGroupEnvironment, kEnvSearchPath), StrAreaTop()));
}

// Stores the file's lines from the texts file under base + entry; *count receives the items.
Status ReadTexts(uint8_t file, StrRef path, uint16_t base, uint16_t* count) {
  uint16_t handle = kNoHandle;
  Status status = StreamOpen(path, kStreamReadOnly, &handle);
  if (!status.ok()) return DataReport(status, path);
  int64_t number = 0;
  for (;;) {
    StrAreaScope scope;
    const size_t room = StrAreaScratch().len;
    const StrRef line = StreamReadLine(handle, kPosCurrent, kReadLine);
    if (line.IsStatus()) {
      if (StrCheck(line) != kNothing) status = DataReport(StrCheck(line), path);
      break;
    }
    ++number;
    Status failed = kOk;
    if (line.len >= room) {
      failed = kStringTooLong;  // cut: its rest must not be read as lines of its own
    } else {
      if (line.len < kLineHead || !TwoDigits(line, 0) || !TwoDigits(line, 2)) continue;
      if (StrToInt64(StrSub(line, 0, 2)) != file) continue;
      const auto entry = static_cast<uint16_t>(StrToInt64(StrSub(line, 2, 2)));
      const StrRef text = StrTrim(StrSub(line, kLineHead, -1), kTrimLeft);
      const uint16_t item = base + entry;
      const StrRef before =
          item < SlotCount(kGroupRelUpdates) ? SlotGet(kGroupRelUpdates, item) : StrLit("");
      const StrRef joined = StrJoin(text, ';', before);
      failed = joined.IsStatus() ? StrCheck(joined) : SlotSet(kGroupRelUpdates, item, joined);
      if (failed.ok()) *count = std::max<uint16_t>(*count, entry + 1u);
    }
    if (!failed.ok()) {
      status = DataReport(failed, LineOfFile(path, number));
      break;
    }
  }
  StreamClose(handle);
  return status;
}

// The entry numbers of a list: its text when it is a plain comma list, else the value of the
// list as an expression evaluated with the file current (pushed).
StrRef ListEntries(uint8_t file, StrRef list) {
  StrAreaScope scope;
  const StrRef trimmed = StrTrim(list, kTrimBoth);
  if (AllOf(trimmed, kListCharacters)) return scope.Return(trimmed);
  const int16_t current = SysWord(kSysCurFil);
  SysWordSet(kSysCurFil, file);
  ValueKind kind;
  const Status status = Evaluate(trimmed, &kind);
  SysWordSet(kSysCurFil, current);
  if (IsEvalFailure(status)) return StrError(status);
  if (kind == ValueKind::kString) return scope.Return(StrAreaTop());
  const int64_t whole = NumberRoundWhole(NumberAt(StrAreaTop()));
  return scope.Return(StrView(std::to_string(whole)));
}

// Replaces half 1 by a text of the record's length.
Status PutCurrent(uint8_t file, StrRef text) { return BufferPut(file, kHalfCurrent, text); }

bool KeyBlank(uint8_t file) {
  StrAreaScope scope;
  const StrRef record = BufferHalf(file, kHalfCurrent);
  if (record.IsStatus()) return true;
  const StrRef key = KeyValue(file, 1, record);
  return key.IsStatus() || StrTrim(key, kTrimBoth).empty();
}

// The key check of a save: *passed tells whether the record may be saved.
Status KeyCheck(uint8_t file, StrRef key_expression, bool* passed) {
  *passed = !KeyBlank(file);
  if (!*passed || StrTrim(key_expression, kTrimBoth).empty()) return kOk;
  StrAreaScope scope;
  Status status = StrAreaPushCopy(key_expression);
  if (!status.ok()) return status;
  key_expression = StrAreaTop();
  const StrRef kept = BufferGet(file, kHalfCurrent);
  if (kept.IsStatus()) return StrCheck(kept);
  status = StrAreaAlloc(kept.len, ' ');
  if (!status.ok()) return status;
  status = PutCurrent(file, StrAreaTop());
  if (!status.ok()) return status;
  const StrRef blank = EvalText(key_expression);
  status = PutCurrent(file, kept);
  if (!status.ok()) return status;
  if (blank.IsStatus()) return StrCheck(blank);
  const StrRef own = EvalText(key_expression);
  if (own.IsStatus()) return StrCheck(own);
  *passed = own.view() != blank.view();
  return kOk;
}

// Whether key 1 already holds the record's key-1 value; the buffers and position are kept.
Status DuplicateKey(uint8_t file, bool* duplicate) {
  *duplicate = false;
  StrAreaScope scope;
  const StrRef snapshot = FileSnapshot(file);
  if (snapshot.IsStatus()) return StrCheck(snapshot);
  const StrRef value = KeyValue(file, 1, BufferHalf(file, kHalfCurrent));
  if (value.IsStatus()) return StrCheck(value);
  const Status status = KeyFind(file, 1, value, 0);
  *duplicate = status == kFound;
  const Status restored = FileRestore(file, snapshot);
  if (IsEvalFailure(status)) return status;
  return restored;
}

Status Holds(StrRef condition, bool* truth) {
  const Status status = EvalCondition(condition, truth);
  return IsEvalFailure(status) ? status : Status(kOk);
}

}  // namespace

Status RelupLoad(uint8_t file, StrRef list) {
  if (list.IsStatus()) return StrCheck(list);
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  DataFileCtrl& ctrl = FileCtrl(file);
  if (ctrl.relup_base >= 0 || IsNone(list)) return kOk;
  StrAreaScope scope;
  const uint16_t base = SlotCount(kGroupRelUpdates);
  uint16_t count = 0;
  const StrRef path = RelupFilePath();
  if (!path.IsStatus()) status = ReadTexts(file, path, base, &count);
  if (!status.ok()) {
    (void)SlotTruncate(kGroupRelUpdates, base);
    return status;
  }
  ctrl.relup_base = static_cast<int16_t>(base);
  ctrl.relup_count = static_cast<int16_t>(count);
  return kOk;
}

void RelupUnload(uint8_t file, uint16_t level) {
  (void)file;
  (void)SlotTruncate(kGroupRelUpdates, level);
  for (uint8_t f = 1; f <= kMaxFiles; ++f) {
    DataFileCtrl& ctrl = FileCtrl(f);
    if (ctrl.relup_base < 0) continue;
    const int32_t end = ctrl.relup_base + std::max<int16_t>(ctrl.relup_count, 0);
    if (ctrl.relup_base >= level || end > level) {
      ctrl.relup_base = -1;
      ctrl.relup_count = -1;
    }
  }
}

bool RelupLoaded(uint8_t file) { return FileCtrl(ResolveFile(file)).relup_base >= 0; }

uint16_t RelupBase(uint8_t file) {
  const DataFileCtrl& ctrl = FileCtrl(ResolveFile(file));
  return ctrl.relup_base >= 0 ? static_cast<uint16_t>(ctrl.relup_base) : kNothing;
}

uint16_t RelupItemCount(uint8_t file) {
  const DataFileCtrl& ctrl = FileCtrl(ResolveFile(file));
  return ctrl.relup_base >= 0 ? static_cast<uint16_t>(std::max<int16_t>(ctrl.relup_count, 0)) : 0;
}

StrRef RelupDefaultList(uint8_t file, StrRef text, bool just_loaded) {
  const uint16_t mark = StrAreaMark();
  if (text.IsStatus()) return text;
  file = ResolveFile(file);
  if (IsNone(text)) return StrAreaReturn(mark, kRelupNone);
  if (!text.empty() || !just_loaded) return StrAreaReturn(mark, text);
  const uint16_t items = RelupItemCount(file);
  if (items == 1 || items == 2) return StrAreaReturn(mark, kFirstEntryList);
  if (FieldByName(file, kLineFieldName) != kNothing) return StrAreaReturn(mark, kLineListDefault);
  return StrAreaReturn(mark, text);
}

StrRef RelupText(uint8_t file, StrRef list) {
  const uint16_t mark = StrAreaMark();
  if (list.IsStatus()) return list;
  file = ResolveFile(file);
  const DataFileCtrl& ctrl = FileCtrl(file);
  if (ctrl.relup_base < 0 || IsNone(list)) return StrAreaReturn(mark, StrLit(""));
  const auto base = static_cast<uint16_t>(ctrl.relup_base);
  const auto count = static_cast<uint16_t>(std::max<int16_t>(ctrl.relup_count, 0));
  const StrRef entries = ListEntries(file, list);
  if (entries.IsStatus()) return StrAreaReturn(mark, entries);
  Status status = StrConcat(StrLit("0,"), entries);
  if (!status.ok()) return StrAreaReturn(mark, StrError(status));
  const StrRef all = StrAreaTop();
  std::bitset<kRelupEntries> applied;
  StrRef text = StrLit("");
  for (uint16_t n = 1; n <= ListCount(all, ','); ++n) {
    const StrRef item = StrTrim(ListField(all, ',', n), kTrimBoth);
    if (item.empty()) continue;
    const int64_t entry = StrToInt64(item);
    if (entry < 0 || entry >= kRelupEntries || applied.test(static_cast<size_t>(entry))) continue;
    applied.set(static_cast<size_t>(entry));
    if (entry >= count) continue;
    text = StrJoin(text, ';', SlotGet(kGroupRelUpdates, static_cast<uint16_t>(base + entry)));
    if (text.IsStatus()) break;
  }
  return StrAreaReturn(mark, text);
}

Status RelupApply(uint8_t file, int sign, StrRef text) {
  if (text.IsStatus()) return StrCheck(text);
  if (!SysWordTest(kSysUpStat, kUpStatRelations) || StrTrim(text, kTrimBoth).empty()) return kOk;
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  StrAreaScope scope;
  status = StrAreaPushCopy(text);
  if (!status.ok()) return status;
  text = StrAreaTop();
  StrRef kept = StrLit("");
  if (sign < 0) {
    kept = BufferGet(file, kHalfCurrent);
    if (kept.IsStatus()) return StrCheck(kept);
    BufferCopy(file, 2);
  }
  (void)SysWordSetBits(kSysUpStat, kUpStatSql, SysWordTest(kSysAuxStat, kAuxStatSql));
  SysWordSet(kSysSgn, static_cast<int16_t>(sign < 0 ? -1 : 1));
  status = EvalStatus(text);
  SysWordSet(kSysSgn, 0);
  (void)SysWordSetBits(kSysUpStat, kUpStatSql, false);
  if (sign < 0) {
    const Status put = PutCurrent(file, kept);
    if (status.ok()) status = put;
  }
  return status;
}

Status SaveWithRelations(uint16_t word, uint8_t file, StrRef list, StrRef key_expression) {
  if (list.IsStatus()) return StrCheck(list);
  if (key_expression.IsStatus()) return StrCheck(key_expression);
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  StrAreaScope scope;
  const uint16_t action = word & kSaveAction;
  if (word & kSaveKeyCheck) {
    bool passed = false;
    status = KeyCheck(file, key_expression, &passed);
    if (!status.ok()) return status;
    if (!passed) return kOk;
    if (((word >> 8) & 3) == 1 && !SysWordTest(kSysUpStat, kUpStatNoKeyCheck)) {
      bool duplicate = false;
      status = DuplicateKey(file, &duplicate);
      if (!status.ok()) return status;
      if (duplicate) return kBadKey;
    }
  }
  // The texts are read when the file first needs them, before anything is written.
  if (!(word & kSaveNoRelup)) {
    status = RelupLoad(file, list);
    if (!status.ok()) return status;
  }
  bool repeated = false;
  if (action == kSaveInsert) {
    status = RecordInsert(file);
    repeated = status == kRepeatedKey;
    if (repeated) status = kOk;
  } else if (action == kSaveUpdate) {
    status = RecordUpdate(file);
  }
  if (!status.ok()) return status;
  StrRef text = StrLit("");
  if (!(word & kSaveNoRelup)) {
    text = RelupText(file, list);
    if (text.IsStatus()) return StrCheck(text);
  }
  if (word & kSaveWithdraw) {
    if (action == kSaveDelete) status = RecordDelete(file, 0);
    if (status.ok() && !(word & kSaveNoRelup)) status = RelupApply(file, -1, text);
  }
  if (status.ok() && (word & (kSaveApplyNew | kSaveNoRelup)) == kSaveApplyNew) {
    status = RelupApply(file, 1, text);
  }
  if (action == kSaveInsert || action == kSaveUpdate) BufferCopy(file, 1);
  if (!status.ok()) return status;
  return repeated ? Status(kRepeatedKey) : Status(kOk);
}

Status InsertWhile(uint8_t file, StrRef start, StrRef step, StrRef record, StrRef list,
                   StrRef until, const InsertCallback& per_record, const InsertCallback& progress,
                   uint32_t* count) {
  *count = 0;
  StrAreaScope scope;
  for (StrRef* text : {&start, &step, &record, &list, &until}) {
    const Status status = StrAreaPushCopy(*text);
    if (!status.ok()) return status;
    *text = StrAreaTop();
  }
  bool truth = false;
  Status status = Holds(start, &truth);
  if (!status.ok() || !truth) return status;
  for (;;) {
    status = Holds(step, &truth);
    if (!status.ok()) return status;
    if (truth) {
      status = Holds(record, &truth);
      if (!status.ok()) return status;
      if (!truth) return kOk;
      status = SaveWithRelations(kSaveInsert, file, list, StrLit(""));
      if (status != kOk && status != kRepeatedKey) return status;
      ++*count;
      if (per_record) {
        status = per_record();
        if (!status.ok()) return status;
      }
    }
    if (progress) {
      status = progress();
      if (!status.ok()) return status;
    }
    status = Holds(until, &truth);
    if (!status.ok() || truth) return status;
  }
}

}  // namespace engine
