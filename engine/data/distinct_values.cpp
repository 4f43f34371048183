// The distinct-value list of StGetList.
#include "engine/data/distinct_values.h"

#include <algorithm>
#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/data/dictionary.h"
#include "engine/data/field_ref.h"
#include "engine/data/pass_progress.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/data/record_lists.h"
#include "engine/data/scans.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_table.h"
#include "engine/lang/number.h"
#include "engine/lang/sorted_list.h"

namespace engine {

namespace {

enum StGetListWord : uint16_t { kNew = 1, kGet, kKill };

constexpr uint16_t kDuplicateRefused = 5;

struct DistinctList {
  bool exists = false;
  uint32_t list = 0;
};
DistinctList g_distinct;

struct ListedField {
  uint8_t file = 0;
  uint16_t field = 0;
};

// Whether a value passes the bound(s).
bool WithinBound(StrRef value, const DistinctQuery& query) {
  if (query.bound.empty()) return true;
  int order = 0;
  if (query.bound_is_number) {
    int64_t number = 0;
    int64_t bound = 0;
    if (!NumberFromText(value, &number).ok() || !NumberFromText(query.bound, &bound).ok()) {
      return false;
    }
    order = number < bound ? -1 : (number > bound ? 1 : 0);
  } else {
    (void)StrCompare(StrTrim(value, kTrimBoth), StrTrim(query.bound, kTrimBoth), &order);
  }
  return order >= 0 && (!query.bound_is_upper || order <= 0);
}

// The records of the current list: each listed field's value added to the sorted list.
Status AddGroup(uint8_t file, const ListedField* fields, uint16_t count,
                const DistinctQuery& query) {
  for (uint32_t i = 0; i < RecListCount(file); ++i) {
    if (RecListRead(file, kHalfBoth, i) != kOk) continue;
    for (uint16_t n = 0; n < count; ++n) {
      StrAreaScope scope;
      const StrRef value = FieldGet(fields[n].file, fields[n].field);
      if (value.IsStatus()) return StrCheck(value);
      if (!WithinBound(value, query)) continue;
      const Status status = SortedListAdd(g_distinct.list, value);
      if (!status.ok() && status != kDuplicateRefused) return status;
    }
  }
  return kOk;
}

Status DistinctFunction(FunctionCall& call) {
  Status status = call.ArgCount(1, 10);
  StrRef command;
  if (status.ok()) status = call.ArgString(1, StrLit(""), &command);
  if (!status.ok()) return status;
  switch (ListFind(kStGetListWords, ',', StrUpper(command))) {
    case kNew: {
      DistinctQuery query;
      int16_t key = 1;
      int16_t compare = 0;
      int16_t flags = 0;
      int16_t upper = 0;
      if (status.ok()) status = call.ArgInteger(2, 1, &key);
      if (status.ok()) status = call.ArgText(3, StrLit(""), &query.from);
      if (status.ok()) status = call.ArgText(4, StrLit(""), &query.to);
      if (status.ok()) status = call.ArgInteger(5, 0, &compare);
      if (status.ok()) status = call.ArgInteger(6, 0, &flags);
      if (status.ok()) status = call.ArgString(7, StrLit(""), &query.fields);
      if (status.ok()) status = call.ArgText(8, StrLit(""), &query.bound);
      if (status.ok()) status = call.ArgInteger(10, 0, &upper);
      if (!status.ok()) return status;
      query.key = static_cast<uint16_t>(key);
      query.compare = static_cast<uint16_t>(std::max<int16_t>(compare, 0));
      query.flags = static_cast<uint8_t>(flags);
      query.bound_is_number = call.Given(8) && !call.IsString(8);
      query.bound_is_upper = upper != 0;
      status = DistinctValuesNew(query);
      break;
    }
    case kGet:
      status = kOk;
      break;
    case kKill:
      DistinctValuesKill();
      status = kOk;
      break;
    default:
      return ReportStatus(kSyntaxError, command);
  }
  if (status.IsError() || status == kUserCanceled) return status;
  return ReturnWhole(status.code());
}

// Closes the progress window however the pass ends.
struct ClosingProgress {
  ~ClosingProgress() { CurrentPassProgress().Close(); }
};

}  // namespace

Status DistinctValuesNew(const DistinctQuery& query) {
  uint8_t file = 0;
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  if (!FileIsOpen(file)) return DataReport(kFileNotInit, FileBaseName(file));
  status = CheckFileKey(file, query.key);
  if (!status.ok()) return DataReport(status, FileBaseName(file));
  KeyFields key_fields;
  status = KeyFieldList(file, query.key, &key_fields);
  if (!status.ok() || key_fields.count == 0) return DataReport(kInternalError, FileBaseName(file));
  const uint16_t group_length = FieldDefOf(file, key_fields.field[0]).length;

  StrAreaScope scope;
  StrRef texts[] = {query.from, query.to, query.fields, query.bound};
  for (StrRef& text : texts) {
    status = StrAreaPushCopy(text);
    if (!status.ok()) return status;
    text = StrAreaTop();
  }
  DistinctQuery kept = query;
  kept.from = texts[0];
  kept.to = texts[1];
  kept.fields = texts[2];
  kept.bound = texts[3];

  const uint16_t count = ListCount(kept.fields, ',');
  if (count == 0 || count > kStGetListMaxFields) return ReportStatus(kSyntaxError, kept.fields);
  ListedField fields[kStGetListMaxFields];
  uint16_t width = 0;
  for (uint16_t n = 1; n <= count; ++n) {
    FieldRef ref;
    status = ParseFieldRef(StrTrim(ListField(kept.fields, ',', n), kTrimBoth), &ref);
    if (!status.ok())
      return status == kFileOutBound ? ReportStatus(kSyntaxError, kept.fields) : status;
    fields[n - 1u] = ListedField{ref.file, ref.field};
    width = std::max(width, ref.def.length);
  }
  if (!g_distinct.exists) {
    status =
        SortedListCreate(width, kept.compare ? kept.compare : width, kept.flags, &g_distinct.list);
    if (!status.ok()) return status;
    g_distinct.exists = true;
  }

  ClosingProgress closing;
  if (kept.from.empty()) {
    FileCtrl(file).key = kept.key;
    status = KeyStep(file, kStepFirst);
  } else {
    status = KeyFind(file, kept.key, kept.from, kFindGreater);
  }
  while ((status == kFound || status == kKeyNotFound) &&
         RangeCheck(file, kStepNext, kept.to) == kOk) {
    StrAreaScope group_scope;
    const StrRef value = KeyValue(file, kept.key, BufferHalf(file, kHalfCurrent));
    if (value.IsStatus()) return StrCheck(value);
    const StrRef group = StrSub(value, 0, group_length);
    status = CurrentPassProgress().Text(group);
    if (status.ok())
      status = RecListBuild(file, kept.key, group, group, kListNoLimit, 0, StrLit(""));
    if (status.ok()) {
      status = AddGroup(file, fields, count, kept);
      RecListFree(file);
    } else if (status == kEndOfFile) {
      RecListFree(file);
    }
    if (IsEvalFailure(status)) return status;
    std::string next;
    if (!KeySuccessor(group, &next)) break;
    status = KeyFind(file, kept.key, StrView(next), kFindGreater);
  }
  return IsEvalFailure(status) ? status : Status(kOk);
}

uint32_t DistinctValueCount() { return g_distinct.exists ? SortedListCount(g_distinct.list) : 0; }

StrRef DistinctValue(uint32_t i) {
  return g_distinct.exists ? SortedListItem(g_distinct.list, i) : StrLit("");
}

void DistinctValuesKill() {
  if (g_distinct.exists) SortedListRelease(g_distinct.list);
  g_distinct = DistinctList{};
}

Status RegisterStGetList() { return FunctionRegister(kStGetListName, DistinctFunction); }

}  // namespace engine
