// StatMove over the scans of the current file, and its registration.
#include "engine/data/stat_move.h"

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/dictionary.h"
#include "engine/data/navigation.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_index.h"
#include "engine/data/record_keys.h"
#include "engine/data/record_lists.h"
#include "engine/data/relations.h"
#include "engine/data/scans.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/function_table.h"
#include "engine/lang/variables.h"
#include "engine/shell/hooks.h"

namespace engine {

namespace {

constexpr uint8_t kNextWord = 0x12;  // the step of NXT's command word
constexpr StrRef kIndexName = StrLit("INDEX");

Status Holds(StrRef condition, bool* truth) {
  const Status status = EvalCondition(condition, truth);
  return IsEvalFailure(status) ? status : Status(kOk);
}

// Whether the current key's value, cut to the length of `from`, is greater than `from`.
bool PastGroup(uint8_t file, StrRef from) {
  StrAreaScope scope;
  const StrRef value = KeyValue(file, FileCtrl(file).key, BufferHalf(file, kHalfCurrent));
  int order = 0;
  return !value.IsStatus() && StrCompare(StrSub(value, 0, from.len), from, &order).ok() &&
         order > 0;
}

Status Top(uint8_t file, uint16_t key, StrRef from, StrRef to, uint16_t given) {
  const bool in_pass = SysWordTest(kSysUpStat, kUpStatInPass);
  const uint16_t by =
      given > 1 ? static_cast<uint16_t>(StrToInt(ParamValue(to, kIndexName, kParamUnquoted))) : key;
  if (in_pass && by != 0) {
    if (!from.empty()) return KeyFind(file, by, from, kFindGreater);
    const Status status = CheckFileKey(file, by);
    if (!status.ok()) return DataReport(status, FileBaseName(file));
    FileCtrl(file).key = by;
    return KeyStep(file, kStepFirst);
  }
  RecListFree(file);
  return ScanStart(file, key, from, to, LastCondition(), ScanProgress());
}

Status Next(uint8_t file, uint16_t key, StrRef to, StrRef condition) {
  if (!SysWordTest(kSysUpStat, kUpStatInPass)) {
    if (!to.empty()) return ScanNextMatching(file, key, LastCondition(), to, ScanProgress());
    return ScanStep(file, kNextWord | kScanMoveFirst, LastCondition(), StrLit(""), ScanProgress());
  }
  Status status = KeyStep(file, kNextWord);
  while (status == kFound) {
    status = RangeCheck(file, kNextWord, to);
    if (!status.ok()) return IsEvalFailure(status) ? status : Status(kEndOfFile);
    bool truth = false;
    status = Holds(condition, &truth);
    if (!status.ok() || truth) return status;
    status = KeyStep(file, kNextWord);
  }
  return status;
}

Status Bottom(uint8_t file, uint16_t key, StrRef from, uint16_t given) {
  StrAreaScope scope;
  // A copy: the last condition lives in the string registers, which evaluations move.
  Status status = StrAreaPushCopy(given == 3 ? StrLit("") : LastCondition());
  if (!status.ok()) return status;
  const StrRef condition = StrAreaTop();
  status = FileCtrl(file).move_status;
  while (status == kFound && !PastGroup(file, from)) {
    status = SysWordTest(kSysUpStat, kUpStatInPass)
                 ? KeyStep(file, kStepNext)
                 : ScanNextMatching(file, key, condition, StrLit(""), ScanProgress());
  }
  return status;
}

Status Reload(uint8_t file) {
  const uint32_t record = FileCtrl(file).move_record;
  if (record == kNoRecord) return kEndOfFile;
  Status status = RecordRead(file, record, kHalfBoth);
  if (!status.ok()) return status;
  if (BufferHalf(file, kHalfCurrent).byte(0) == kDeletedMark) return kEndOfFile;
  status = KeyLocateRecord(file, record);
  return status == kFound ? status : Status(kEndOfFile);
}

Status StatMoveFunction(FunctionCall& call) {
  Status status = call.ArgCount(0, 4);
  StrRef texts[4];
  const StrRef defaults[4] = {StrLit("NXT"), StrLit(""), StrLit(""), StrLit("")};
  for (uint16_t n = 1; status.ok() && n <= 4; ++n) {
    status = call.ArgText(n, defaults[n - 1u], &texts[n - 1u]);
  }
  if (!status.ok()) return status;
  status = StatMove(texts[0], texts[1], texts[2], texts[3], call.Total());
  if (IsEvalFailure(status)) return status;
  return ReturnWhole(status.code());
}

}  // namespace

Status StatMove(StrRef command, StrRef from, StrRef to, StrRef condition, uint16_t given) {
  uint8_t file = 0;
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  if (!FileIsOpen(file)) return DataReport(kFileNotInit, FileBaseName(file));
  StrAreaScope scope;
  for (StrRef* text : {&command, &from, &to, &condition}) {
    if (text->IsStatus()) return StrCheck(*text);
    status = StrAreaPushCopy(*text);
    if (!status.ok()) return status;
    *text = StrAreaTop();
  }
  const uint16_t key = FileCtrl(file).key;
  const uint16_t number = NavCommandNumber(command);
  switch (number) {
    case kNavNew:
      status = ScanStart(file, key, from, to, condition, ScanProgress());
      break;
    case kNavTop:
      status = Top(file, key, from, to, given);
      break;
    case kNavReload:
      status = Reload(file);
      break;
    case kNavNext:
      status = Next(file, key, to, condition);
      break;
    case kNavBottom:
      status = Bottom(file, key, from, given);
      break;
    case kNavSave:
      status = SysWordTest(kSysUpStat, kUpStatInPass) ? KeyedUpdatePass(file, key, from, to, false)
                                                      : Status(kOk);
      break;
    default:
      return ReportStatus(kSyntaxError, command);
  }
  if (status.IsError() || status == kUserCanceled) return status;
  DataFileCtrl& ctrl = FileCtrl(file);
  ctrl.last_status = status;
  ctrl.move_status = status;
  ctrl.move_status2 = number;
  ctrl.move_word = NavCommandWordOf(number);
  if (number != kNavReload) ctrl.move_record = CurrentRecordNumber(file);
  return status;
}

Status RegisterStatMove() {
  const Status status = FunctionRegister(kStatMoveName, StatMoveFunction);
  if (!status.ok()) return status;
  (void)RegisterHookAs<RelationHook>(EngineRelationHook, kHookRelation);
  return kOk;
}

}  // namespace engine
