// The dictionary tables, the counters over them, the structure stack and the queries.
#include "engine/data/dictionary.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/dictionary_load.h"
#include "engine/data/record_file.h"
#include "engine/lang/expression.h"
#include "engine/lang/number.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

constexpr StrRef kRestoreWord = StrLit("RESTORE");
constexpr StrRef kFieldCheckFormat = StrLit("(File:%s, Field:%s)");

// The element of table 3: a key's segments, always five places.
struct SegmentBlock {
  KeySegment segment[kMaxKeySegments];
};

struct Counts {
  uint8_t files = 0;
  uint16_t fields = 0;
  uint16_t keys = 0;
  uint8_t current = 0;
};

struct Dictionary {
  Counts counts;
  uint8_t keyed = 0;  // the highest file whose keys are complete
  std::array<Counts, kMaxStructures> stack{};
  uint16_t depth = 0;
} g_dict;

template <typename T>
T TableCopy(uint16_t table, uint32_t index) {
  T value{};
  if (const void* element = TableGet(table, index)) std::memcpy(&value, element, sizeof value);
  return value;
}

template <typename T>
Status TablePut(uint16_t table, uint32_t index, const T& value) {
  return TableSet(table, index, &value, sizeof value) ? Status(kOk) : Status(kStructMemError);
}

bool Defined(uint8_t file) { return file >= 1 && file <= g_dict.counts.files; }

// Global index of the first field (or key) of a file.
uint32_t FirstField(uint8_t file) {
  uint32_t first = 0;
  for (uint8_t f = 1; f < file; ++f) first += FileDefOf(f).field_count;
  return first;
}

uint32_t FirstKey(uint8_t file) {
  uint32_t first = 0;
  for (uint8_t f = 1; f < file; ++f) first += FileDefOf(f).key_count;
  return first;
}

Status StoreFileDef(const FileDef& def) { return TablePut(kTableFileDefs, def.file - 1u, def); }

// Appends the key to the tables of `file` (which must be the highest file with keys so far).
Status AppendKey(uint8_t file, const KeySegments& segments) {
  FileDef def = FileDefOf(file);
  const uint32_t index = FirstKey(file) + def.key_count;
  if (index != g_dict.counts.keys) return kBadInputData;
  KeyDef key;
  key.segment_count = segments.count;
  SegmentBlock block{};
  std::copy_n(segments.segment, std::min<uint16_t>(segments.count, kMaxKeySegments), block.segment);
  Status status = TablePut(kTableKeyDefs, index, key);
  if (status.ok()) status = TablePut(kTableKeySegments, index, block);
  if (!status.ok()) return status;
  ++def.key_count;
  ++g_dict.counts.keys;
  return StoreFileDef(def);
}

// Removes everything above the given counts (the options group keeps its items).
void TruncateTo(const Counts& keep) {
  CloseFilesAbove(keep.files);
  while (g_dict.counts.keys > keep.keys) {
    --g_dict.counts.keys;
    (void)TableRemove(kTableKeySegments, g_dict.counts.keys);
    (void)TableRemove(kTableKeyDefs, g_dict.counts.keys);
  }
  while (g_dict.counts.fields > keep.fields) {
    --g_dict.counts.fields;
    (void)SlotTruncate(kGroupDictFields, g_dict.counts.fields);
    (void)TableRemove(kTableFieldDefs, g_dict.counts.fields);
  }
  while (g_dict.counts.files > keep.files) {
    --g_dict.counts.files;
    (void)SlotTruncate(kGroupDictNames, g_dict.counts.files);
    (void)SlotTruncate(kGroupDictFolders, g_dict.counts.files);
    (void)TableRemove(kTableFileDefs, g_dict.counts.files);
  }
  g_dict.keyed = std::min(g_dict.keyed, g_dict.counts.files);
  SysWordSet(kSysCurFil, keep.current);
}

bool SegmentInside(const KeySegment& s, uint16_t record_length) {
  return s.length > 0 && uint32_t{s.start} + s.length <= record_length;
}

}  // namespace

Status DataReport(Status status, StrRef detail) {
  if (status.ok()) return status;
  (void)ReportStatus(status, detail);
  if (status.IsError()) LatchRecord(kLatchFirst, kSiteDataFile, status);
  return status;
}

// ---- Defining ----------------------------------------------------------------------------

Status DefineFile(uint8_t attribute, StrRef base_name, StrRef folder) {
  if (g_dict.counts.files >= kMaxFiles) return kFileOutBound;
  StrAreaScope scope;
  const uint8_t file = static_cast<uint8_t>(g_dict.counts.files + 1);
  const StrRef name = SysWordTest(kSysAuxStat, kAuxKeepNameCase) ? base_name : StrLower(base_name);
  Status status = SlotSet(kGroupDictNames, file - 1, name);
  if (status.ok()) status = SlotSet(kGroupDictFolders, file - 1, folder);
  FileDef def;
  def.file = file;
  def.attribute = attribute;
  if (status.ok()) status = StoreFileDef(def);
  if (!status.ok()) {
    (void)SlotTruncate(kGroupDictNames, g_dict.counts.files);
    (void)SlotTruncate(kGroupDictFolders, g_dict.counts.files);
    return status;
  }
  if (file == 1) g_dict.keyed = 0;
  g_dict.counts.files = file;
  return kOk;
}

Status DefineField(StrRef name, uint16_t length, char type) {
  if (g_dict.counts.files == 0) return kFileOutBound;
  FileDef def = FileDefOf(g_dict.counts.files);
  if (length == 0 || uint32_t{def.record_length} + length > 0xFFFF) return kBadInputData;
  FieldDef field;
  field.file = def.file;
  field.field = static_cast<uint16_t>(def.field_count + 1);
  field.offset = def.record_length;
  field.length = length;
  field.type = type;
  const uint16_t index = g_dict.counts.fields;
  Status status = SlotSet(kGroupDictFields, index, name);
  if (status.ok()) status = TablePut(kTableFieldDefs, index, field);
  if (!status.ok()) {
    (void)SlotTruncate(kGroupDictFields, index);
    return status;
  }
  ++g_dict.counts.fields;
  ++def.field_count;
  def.record_length = static_cast<uint16_t>(def.record_length + length);
  return StoreFileDef(def);
}

Status CompleteDefaultKeys(uint8_t last) {
  last = std::min(last, g_dict.counts.files);
  for (uint8_t f = static_cast<uint8_t>(g_dict.keyed + 1); f <= last; ++f) {
    if (FileDefOf(f).key_count == 0 && FileDefOf(f).field_count > 0) {
      Status status = AppendKey(f, DefaultKey(f));
      if (!status.ok()) return status;
    }
    g_dict.keyed = f;
  }
  return kOk;
}

Status DefineKey(uint8_t file, const KeySegments& segments) {
  if (!Defined(file) || file < g_dict.keyed) return kBadInputData;
  if (segments.count == 0 || segments.count > kMaxKeySegments) return kBadInputData;
  const uint16_t length = RecordLength(file);
  for (uint16_t s = 0; s < segments.count; ++s) {
    if (!SegmentInside(segments.segment[s], length)) return kBadInputData;
  }
  Status status = CompleteDefaultKeys(static_cast<uint8_t>(file - 1));
  if (!status.ok()) return status;
  status = AppendKey(file, segments);
  if (status.ok()) g_dict.keyed = file;
  return status;
}

Status AddFileOptions(uint8_t file, StrRef text) {
  if (file > g_dict.counts.files || file == 0) return kBadFileNumber;
  StrAreaScope scope;
  return SlotSet(kGroupDictOptions, file - 1,
                 StrJoin(SlotGet(kGroupDictOptions, file - 1), ':', text));
}

Status DefineStructure(StrRef name, StrRef fields, StrRef keys) {
  if (name.view() == kRestoreWord.view()) return RestoreStructure();
  Status status = PushStructure();
  if (!status.ok()) return status;
  StrAreaScope scope;
  status = DefineFile(0, name, StrLit(""));
  StrArray list;
  if (status.ok()) status = ListSplit(fields, ',', &list);
  for (uint16_t i = 1; status.ok() && i <= list.count; ++i) {
    const StrRef entry = ArrayItem(list, i);
    const StrRef field_name = StrTrim(ListField(entry, ';', 1), kTrimBoth);
    Status eval = kOk;
    const int64_t length = NumberRoundWhole(EvalNumber(ListField(entry, ';', 2), &eval));
    const StrRef type = StrTrim(ListField(entry, ';', 3), kTrimBoth);
    if (IsEvalFailure(eval)) {
      status = eval;
    } else if (field_name.empty() || type.empty() || length <= 0 || length > 0xFFFF) {
      status = ReportStatus(kBadInputData, entry);
    } else {
      status = DefineField(field_name, static_cast<uint16_t>(length), type[0]);
    }
  }
  if (status.ok()) status = ListSplit(keys, ',', &list);
  const uint8_t file = g_dict.counts.files;
  for (uint16_t i = 1; status.ok() && i <= list.count; ++i) {
    const StrRef entry = ArrayItem(list, i);
    KeySegments segments;
    status = ParseKeyGroups(entry, &segments);
    if (status.ok()) status = DefineKey(file, segments);
    if (!status.ok()) status = ReportStatus(status, entry);
  }
  if (!status.ok()) {
    (void)RestoreStructure();
    return status;
  }
  SysWordSet(kSysCurFil, file);
  return kOk;
}

Status PushStructure() {
  if (g_dict.depth >= kMaxStructures) return kDataOutBound;
  Counts saved = g_dict.counts;
  saved.current = static_cast<uint8_t>(SysWord(kSysCurFil));
  g_dict.stack[g_dict.depth++] = saved;
  return kOk;
}

Status RestoreStructure() {
  if (g_dict.depth == 0) {
    DictClear();
    return kOk;
  }
  TruncateTo(g_dict.stack[--g_dict.depth]);
  return kOk;
}

uint16_t StructureDepth() { return g_dict.depth; }

void DictClear() {
  g_dict.depth = 0;
  TruncateTo(Counts{});
  g_dict.keyed = 0;
}

// ---- Queries -----------------------------------------------------------------------------

uint8_t FileCount() { return g_dict.counts.files; }
uint16_t FieldDefCount() { return g_dict.counts.fields; }
uint16_t KeyDefCount() { return g_dict.counts.keys; }

FileDef FileDefOf(uint8_t file) {
  if (!Defined(file)) return FileDef{};
  return TableCopy<FileDef>(kTableFileDefs, file - 1u);
}

uint16_t RecordLength(uint8_t file) { return FileDefOf(file).record_length; }
uint16_t FieldCount(uint8_t file) { return FileDefOf(file).field_count; }
uint16_t KeyCount(uint8_t file) { return FileDefOf(file).key_count; }

uint8_t ResolveFile(uint8_t file) {
  if (file == 0 || file == kAlwaysCurrentFile || file > g_dict.counts.files) {
    return static_cast<uint8_t>(SysWord(kSysCurFil));
  }
  return file;
}

FieldDef FieldDefOf(uint8_t file, uint16_t field) {
  if (!Defined(file) || field == 0 || field > FieldCount(file)) return FieldDef{};
  return TableCopy<FieldDef>(kTableFieldDefs, FirstField(file) + field - 1);
}

StrRef FieldName(uint8_t file, uint16_t field) {
  if (!Defined(file) || field == 0 || field > FieldCount(file)) return StrLit("");
  return SlotGet(kGroupDictFields, static_cast<uint16_t>(FirstField(file) + field - 1));
}

StrRef FileBaseName(uint8_t file) {
  return Defined(file) ? SlotGet(kGroupDictNames, file - 1) : StrLit("");
}
StrRef FileFolder(uint8_t file) {
  return Defined(file) ? SlotGet(kGroupDictFolders, file - 1) : StrLit("");
}
StrRef FileOptions(uint8_t file) {
  return file >= 1 ? SlotGet(kGroupDictOptions, file - 1) : StrLit("");
}

Status CheckFileField(uint8_t file, uint16_t field) {
  if (Defined(file) && field != 0 && (field == kAnyField || field <= FieldCount(file))) {
    return kOk;
  }
  StrAreaScope scope;
  return ReportStatus(kDataOutBound,
                      StrFormat(kMaxStrLen, kFieldCheckFormat,
                                {FormatArg(int64_t{file}), FormatArg(int64_t{field})}));
}

Status CheckFileKey(uint8_t file, uint16_t key) {
  if (!Defined(file) || key == 0 || key > KeyCount(file)) return kDataOutBound;
  return kOk;
}

KeySegments KeySegmentsOf(uint8_t file, uint16_t key) {
  KeySegments out;
  if (!CheckFileKey(file, key).ok()) return out;
  const uint32_t index = FirstKey(file) + key - 1;
  const KeyDef def = TableCopy<KeyDef>(kTableKeyDefs, index);
  const SegmentBlock block = TableCopy<SegmentBlock>(kTableKeySegments, index);
  out.count = static_cast<uint16_t>(std::min<uint32_t>(def.segment_count, kMaxKeySegments));
  std::copy_n(block.segment, out.count, out.segment);
  return out;
}

uint16_t KeyLength(uint8_t file, uint16_t key, uint16_t n) {
  const KeySegments segments = KeySegmentsOf(file, key);
  if (n == 0 || n == 0xFFFF || n > segments.count) n = segments.count;
  uint32_t length = 0;
  for (uint16_t s = 0; s < n; ++s) length += segments.segment[s].length;
  return static_cast<uint16_t>(std::min<uint32_t>(length, 0xFFFF));
}

StrRef KeyValue(uint8_t file, uint16_t key, StrRef record) {
  if (record.IsStatus()) return record;
  const KeySegments segments = KeySegmentsOf(file, key);
  const uint16_t mark = StrAreaMark();
  Status status = StrAreaAlloc(KeyLength(file, key, 0), ' ');
  if (!status.ok()) return StrError(status);
  char* out = StrWritable(StrAreaTop());
  uint16_t length = 0;
  for (uint16_t s = 0; s < segments.count; ++s) {
    const KeySegment& seg = segments.segment[s];
    if (seg.start >= record.len) continue;
    const uint16_t take = std::min<uint16_t>(seg.length, record.len - seg.start);
    std::memcpy(out + length, record.ptr + seg.start, take);
    length = static_cast<uint16_t>(length + take);
  }
  return StrAreaReturn(mark, StrMake(out, length));
}

Status KeyFieldList(uint8_t file, uint16_t key, KeyFields* fields) {
  *fields = KeyFields{};
  const FileDef def = FileDefOf(file);
  if (!CheckFileKey(file, key).ok()) return kOk;
  const uint32_t index = FirstKey(file) + key - 1;
  if (TableCopy<KeyDef>(kTableKeyDefs, index).segment_count > kMaxKeySegments) return kOk;
  const KeySegments segments = KeySegmentsOf(file, key);
  for (uint16_t s = 0; s < segments.count; ++s) {
    uint16_t found = 0;
    for (uint16_t f = 1; f <= def.field_count && found == 0; ++f) {
      const FieldDef field = FieldDefOf(file, f);
      if (uint32_t{field.offset} + field.length > segments.segment[s].start) found = f;
    }
    if (found == 0) {
      *fields = KeyFields{};
      return kInternalError;
    }
    fields->field[fields->count++] = found;
  }
  return kOk;
}

uint16_t KeyByFirstField(uint8_t file, uint16_t field) {
  for (uint16_t k = 1; k <= KeyCount(file); ++k) {
    KeyFields fields;
    if (KeyFieldList(file, k, &fields).ok() && fields.count > 0 && fields.field[0] == field) {
      return k;
    }
  }
  return 0;
}

uint16_t KeyByDateField(uint8_t file) {
  for (uint16_t k = 1; k <= KeyCount(file); ++k) {
    KeyFields fields;
    if (KeyFieldList(file, k, &fields).ok() && fields.count > 0 &&
        FieldDefOf(file, fields.field[0]).type == 'D') {
      return k;
    }
  }
  return kNothing;
}

uint16_t FieldByName(uint8_t file, StrRef name) {
  if (!Defined(file) || name.IsStatus()) return kNothing;
  const uint32_t first = FirstField(file);
  const uint16_t count = FieldCount(file);
  for (uint16_t f = 0; f < count; ++f) {
    if (SlotGet(kGroupDictFields, static_cast<uint16_t>(first + f)).view() == name.view()) {
      return static_cast<uint16_t>(f + 1);
    }
  }
  return kNothing;
}

uint8_t FileByName(StrRef text) {
  if (text.IsStatus() || text.empty()) return ResolveFile(0);
  if (text.byte(0) <= 64) {
    const int64_t n = StrToInt64(text);
    return static_cast<uint8_t>(n < 0 || n > 255 ? 0 : n);
  }
  StrAreaScope scope;
  const StrRef name = SysWordTest(kSysAuxStat, kAuxKeepNameCase) ? text : StrLower(text);
  for (uint8_t f = 1; f <= g_dict.counts.files; ++f) {
    if (SlotGet(kGroupDictNames, f - 1).view() == name.view()) return f;
  }
  return 0;
}

KeySegments DefaultKey(uint8_t file) {
  KeySegments key;
  uint16_t field = FieldByName(file, kLineFieldName);
  if (field == kNothing) field = 1;
  const FieldDef def = FieldDefOf(file, field);
  key.count = 1;
  key.segment[0] = KeySegment{0, static_cast<uint16_t>(def.offset + def.length)};
  return key;
}

}  // namespace engine
