// The recalculation pass over a virtual target file.
#include "engine/data/relation_recalc.h"

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/message_box.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/data_tasks.h"
#include "engine/data/dictionary.h"
#include "engine/data/file_scan.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/data/relational_update.h"
#include "engine/data/relations.h"
#include "engine/lang/expression.h"
#include "engine/lang/number.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

// A comma item of a parameter, trimmed and unquoted.
StrRef Item(StrRef text, uint16_t n) {
  return StrUnquote(StrTrim(ListField(text, ',', n), kTrimBoth));
}

// The file an expression names: a number, or the text of a file name.
Status SourceFile(StrRef expression, uint8_t* file) {
  StrAreaScope scope;
  ValueKind kind;
  const Status status = Evaluate(StrTrim(expression, kTrimBoth), &kind);
  if (IsEvalFailure(status)) return status;
  int64_t number = 0;
  if (kind == ValueKind::kString) {
    *file = FileByName(StrAreaTop());
  } else {
    number = NumberRoundWhole(NumberAt(StrAreaTop()));
    *file = number > 0 && number <= FileCount() ? static_cast<uint8_t>(number) : 0;
  }
  if (*file == 0 || *file > FileCount()) return ReportStatus(kFileOpening, expression);
  return kOk;
}

// RD_COND$ and COND$ joined with "&&" (pushed).
StrRef ScanCondition() {
  StrAreaScope scope;
  DataTasks& tasks = CurrentDataTasks();
  const StrRef read = StrTrim(tasks.TaskParam(kParamReadCondition), kTrimBoth);
  const StrRef cond = StrTrim(tasks.TaskParam(kParamCondition), kTrimBoth);
  if (read.IsStatus() || read.empty()) return scope.Return(cond);
  if (cond.IsStatus() || cond.empty()) return scope.Return(read);
  const StrRef joined = StrFormat(kMaxStrLen, StrLit("(%s)&&(%s)"), {read, cond});
  return scope.Return(joined);
}

Status DefineFromStruct(uint8_t* target) {
  StrAreaScope scope;
  const StrRef params = CurrentDataTasks().TaskParam(kParamStruct);
  if (params.IsStatus()) return StrCheck(params);
  StrRef parts[3];
  for (uint16_t n = 1; n <= 3; ++n) {
    parts[n - 1u] = EvalText(StrTrim(ListField(params, ',', n), kTrimBoth));
    if (parts[n - 1u].IsStatus()) return StrCheck(parts[n - 1u]);
  }
  const Status status = DefineStructure(parts[0], parts[1], parts[2]);
  if (status.ok()) *target = FileCount();
  return status;
}

// Runs the task items in order; the first failure stops them.
Status RunItems(uint8_t target, StrRef tasks) {
  const uint16_t count = ListCount(tasks, ',');
  if (count == 0) return ReportStatus(kBadInputData, StrLit("RelationRecalc"));
  Status status = kOk;
  for (uint16_t n = 1; n <= count && !IsEvalFailure(status); ++n) {
    StrAreaScope scope;
    const StrRef text = StrTrim(ListField(tasks, ',', n), kTrimBoth);
    if (text.empty()) continue;
    const StrRef item = StrTrim(EvalText(text), kTrimBoth);
    if (item.IsStatus()) return StrCheck(item);
    bool step = false;
    StrRef parameters;
    status = CurrentDataTasks().ParseItem(item, &step, &parameters);
    if (!status.ok()) break;
    status = step ? RecalcStep(target, parameters) : CurrentDataTasks().RunTask(item);
  }
  return IsEvalFailure(status) ? status : Status(kOk);
}

}  // namespace

Status RecalcStep(uint8_t target, StrRef parameters) {
  if (parameters.IsStatus()) return StrCheck(parameters);
  StrAreaScope scope;
  Status status = StrAreaPushCopy(parameters);
  if (!status.ok()) return status;
  parameters = StrAreaTop();
  uint8_t source = 0;
  status = SourceFile(ListField(parameters, ',', 1), &source);
  if (!status.ok()) return status;
  const bool opened = !FileIsOpen(source);
  if (opened) {
    status = FileOpen(source, kModeReadOnly);
    if (!status.ok()) return status;
  }
  const uint16_t level = SlotCount(kGroupRelUpdates);
  const bool loaded = !RelupLoaded(source);
  // The recalculation always reads the plain texts file; the flavour is given back afterwards.
  const bool sql = SysWordTest(kSysAuxStat, kAuxStatSql);
  (void)SysWordSetBits(kSysAuxStat, kAuxStatSql, false);
  status = RelupLoad(source, StrLit(""));
  (void)SysWordSetBits(kSysAuxStat, kAuxStatSql, sql);
  StrRef text = StrLit("");
  if (status.ok()) {
    const StrRef entries = StrReplace(Item(parameters, 2), StrLit(";"), StrLit(","), true);
    text = RelupText(source, entries);
    if (text.IsStatus()) {
      status = StrCheck(text);
    } else if (StrTrim(text, kTrimBoth).empty()) {
      status = ReportStatus(kBadInputData, kNoRelupDefined);
    }
  }
  if (status.ok()) {
    DataTasks& tasks = CurrentDataTasks();
    const StrRef limits = tasks.TaskParam(kParamLimits);
    const StrRef index = tasks.TaskParam(kParamIndex);
    AccumulateParams params;
    params.source = source;
    params.target = target;
    params.key = static_cast<uint16_t>(StrToInt(index));
    params.from = Item(limits, 1);
    params.to = Item(limits, 2);
    params.condition = ScanCondition();
    params.assign = text;
    params.counted = true;
    status = AccumulatePass(params);
    if (status == kOutOfData) status = kOk;
  }
  if (loaded) RelupUnload(source, level);
  if (opened) {
    const Status closed = FileClose(source);
    if (status.ok()) status = closed;
  }
  return status;
}

Status RelationRecalc(uint8_t target, StrRef tasks) {
  if (tasks.IsStatus()) return StrCheck(tasks);
  StrAreaScope scope;
  Status status = StrAreaPushCopy(tasks);
  if (!status.ok()) return status;
  tasks = StrAreaTop();
  const int16_t current = SysWord(kSysCurFil);
  const bool defined = target > FileCount();
  if (defined) status = DefineFromStruct(&target);
  if (status.ok()) status = ResolveOpenFile(&target);
  if (status.ok()) {
    const bool was_virtual = IsVirtual(target);
    const bool reopen = !was_virtual && FileIsOpen(target);
    const uint8_t reopen_mode = FileMode(target);
    (void)SysWordSetBits(kSysUpStat, kUpStatInPass, true);
    if (was_virtual) status = VirtualClose(target);
    if (status.ok()) status = VirtualOpen(target);
    if (status.ok() && IndexEntryCount(target) != 0) {
      status = ReportStatus(kFileExist, FileBaseName(target));
    }
    if (status.ok()) status = RunItems(target, tasks);
    const Status closed = VirtualClose(target);
    if (status.ok()) status = closed;
    (void)SysWordSetBits(kSysUpStat, kUpStatInPass, false);
    if (reopen) {
      const Status reopened = FileOpen(target, reopen_mode);
      if (status.ok()) status = reopened;
    }
  }
  if (defined && StructureDepth() > 0) {
    const Status restored = RestoreStructure();
    if (status.ok()) status = restored;
  }
  SysWordSet(kSysCurFil, current);
  if (IsEvalFailure(status)) (void)ShowStatus(status);
  return status;
}

}  // namespace engine
