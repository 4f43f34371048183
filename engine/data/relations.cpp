// Relation rules in the option strings, FILEREL, and the engine's relation hook.
#include "engine/data/relations.h"

#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/data_tasks.h"
#include "engine/data/dictionary.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/data/scans.h"
#include "engine/lang/expression.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

constexpr StrRef kFillInPrefix = StrLit("TMP");

bool StartsEntry(StrRef options, uint16_t at) {
  if (at == 0) return true;
  const char before = options[at - 1u];
  return before == '\0' || kParamBreaks.view().find(before) != std::string_view::npos;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Where rule (b, c) is named in the options: the position of its key number, or kNothing.
struct RuleSpot {
  uint16_t key_at = kNothing;
  uint16_t key_length = 0;
};

RuleSpot FindRule(StrRef options, uint8_t b, uint16_t c) {
  const std::string head = std::to_string(b) + "R" + std::to_string(c) + "K";
  const StrRef needle = StrView(head);
  for (uint16_t at = StrSearch(options, 0, needle, FindKind::kText, false); at != kNothing;
       at = StrSearch(options, at + 1u, needle, FindKind::kText, false)) {
    if (!StartsEntry(options, at)) continue;
    const uint16_t digits = at + needle.len;
    uint16_t end = digits;
    while (end < options.len && IsDigit(options[end])) ++end;
    if (end > digits) return RuleSpot{digits, static_cast<uint16_t>(end - digits)};
  }
  return RuleSpot{};
}

bool AllBlank(StrRef s) { return StrTrim(s, kTrimBoth).empty(); }

// The rule's key and the key value for a's current record (pushed).
struct Rule {
  uint16_t key = 0;
  StrRef value;
};

Status FollowRule(uint8_t a, uint8_t b, uint16_t c, Rule* rule) {
  const StrRef expression = RelationExpression(a, b, c);
  rule->key = RelationKey(a, b, c);
  if (expression.IsStatus()) return StrCheck(expression);
  if (expression.empty() || rule->key == 0) {
    return ReportStatus(kBadInputData,
                        StrView("FILEREL: file " + std::to_string(a) + " has no relation " +
                                std::to_string(b) + "R" + std::to_string(c)));
  }
  const Status status = CheckFileKey(b, rule->key);
  if (!status.ok()) return DataReport(status, FileBaseName(b));
  rule->value = EvalText(expression);
  return StrCheck(rule->value);
}

// The files of a relation, resolved and open.
Status ResolvePair(uint8_t* a, uint8_t* b) {
  Status status = ResolveOpenFile(a);
  if (status.ok()) status = ResolveOpenFile(b);
  if (status.ok() && !FileIsOpen(*b)) status = DataReport(kFileNotInit, FileBaseName(*b));
  return status;
}

// What every relation operation does first: no outcome yet, the files resolved and open, the
// expression copied above the caller's mark (it may be a view into the string registers, which
// an evaluation moves), and the rule from a to b followed.
Status BeginRelation(uint8_t* a, uint8_t* b, uint16_t c, StrRef* expression, Rule* rule) {
  SysWordSet(kSysRelRes, kRelResNone);
  if (expression->IsStatus()) return StrCheck(*expression);
  Status status = ResolvePair(a, b);
  if (!status.ok()) return status;
  status = StrAreaPushCopy(*expression);
  if (!status.ok()) return status;
  *expression = StrAreaTop();
  return FollowRule(*a, *b, c, rule);
}

// A new related record: cleared buffers, the key fields set from the value.
Status StartRecord(uint8_t b, uint16_t key, StrRef value) {
  BufferClear(b, 1);
  return KeyFieldsSet(b, key, value);
}

// The fill-in of a related record the relation hook creates.
Status FillIn(uint8_t b) {
  StrAreaScope scope;
  const StrRef reset = CurrentDataTasks().TaskParam(kParamReset);
  if (!reset.IsStatus() && !AllBlank(reset)) return EvalStatus(reset);
  for (uint16_t f = 1; f <= FieldCount(b); ++f) {
    const StrRef name = FieldName(b, f);
    if (name.len < kFillInPrefix.len ||
        StrSub(name, 0, kFillInPrefix.len).view() != kFillInPrefix.view()) {
      continue;
    }
    const Status status = FieldSet(b, f, StrLit(""));
    if (!status.ok()) return status;
  }
  return kOk;
}

// After an insertion the record is the current one and its read copy what was written.
Status Inserted(uint8_t b) {
  const Status status = RecordInsert(b);
  if (status != kFound && status != kRepeatedKey) return status;
  BufferCopy(b, 1);
  FileCtrl(b).last_status = kFound;
  return status;
}

}  // namespace

StrRef RelationExpression(uint8_t a, uint8_t b, uint16_t c) {
  const uint16_t mark = StrAreaMark();
  a = ResolveFile(a);
  b = ResolveFile(b);
  const StrRef options = FileOptions(a);
  const RuleSpot spot = FindRule(options, b, c);
  if (spot.key_at == kNothing) return StrAreaReturn(mark, StrLit(""));
  const std::string name = std::to_string(b) + "R" + std::to_string(c) + "K" +
                           std::string(options.view().substr(spot.key_at, spot.key_length));
  return StrAreaReturn(mark, ParamValue(options, StrView(name), kParamUnquoted));
}

uint16_t RelationKey(uint8_t a, uint8_t b, uint16_t c) {
  a = ResolveFile(a);
  b = ResolveFile(b);
  const StrRef options = FileOptions(a);
  const RuleSpot spot = FindRule(options, b, c);
  if (spot.key_at == kNothing) return 0;
  const int64_t key = StrToInt64(StrSub(options, spot.key_at, spot.key_length));
  return key > 0 && key <= 0xFFFF ? static_cast<uint16_t>(key) : 0;
}

Status FileRel(uint8_t a, uint8_t b, uint16_t c, uint16_t mode, StrRef expression) {
  StrAreaScope scope;
  Rule rule;
  Status status = BeginRelation(&a, &b, c, &expression, &rule);
  if (!status.ok()) return status;
  const bool deleting = ((mode >> 2) & 3) == 3;
  const bool given = !AllBlank(expression);

  if (SysWordTest(kSysUpStat, kUpStatSql) && !deleting && given) {
    return KeyedUpdatePass(b, rule.key, rule.value, expression, mode & kRelModeCreate);
  }
  auto flags = static_cast<uint8_t>(mode & (kRelModePrefill | kRelModeGreater));
  if (AllBlank(rule.value) && !SysWordTest(kSysScrStat, kScrStatNeighbour)) {
    flags &= static_cast<uint8_t>(~kRelModeGreater);
  }
  status = KeyFind(b, rule.key, rule.value, flags);
  if (IsEvalFailure(status)) return status;
  const bool found = status == kFound;
  const bool missed = status == kKeyNotFound || status == kEndOfFile;
  if (found && deleting) {
    SysWordSet(kSysRelRes, kRelResDeleted);
    status = RecordDelete(b, 0);
    if (!status.ok()) return status;
  } else if (!(mode & kRelModeNoChange) &&
             ((found && given) || (missed && (mode & kRelModeCreate)))) {
    if (status == kEndOfFile) SysWordSet(kSysRelRes, kRelResCreated);
    if (missed) {
      status = StartRecord(b, rule.key, rule.value);
      if (!status.ok()) return status;
    }
    if (given) {
      status = EvalStatus(expression);
      if (!status.ok()) return status;
    }
    status = missed ? Inserted(b) : RecordUpdate(b);
    if (IsEvalFailure(status)) return status;
  }
  if (status <= kEndOfFile && (mode & kRelModeGreater) &&
      SysWordTest(kSysScrStat, kScrStatNeighbour)) {
    const uint8_t step = SysWord(kSysLastKey) == kLastKeyBackward ? kStepPrevious : kStepNext;
    for (;;) {
      status = KeyStep(b, step);
      if (status != kFound || !(mode & kRelModeNoChange)) break;
      bool truth = false;
      const Status held = EvalCondition(expression, &truth);
      if (IsEvalFailure(held)) return held;
      if (truth) break;
    }
    SysWordSet(kSysRelRes, kRelResStepped);
    (void)SysWordSetBits(kSysScrStat, kScrStatNeighbour, false);
  }
  return status;
}

Status EngineRelationHook(uint16_t a16, uint16_t b16, uint16_t c, uint16_t mode,
                          StrRef expression) {
  auto a = static_cast<uint8_t>(a16 > kMaxFiles ? 0 : a16);
  auto b = static_cast<uint8_t>(b16 > kMaxFiles ? 0 : b16);
  if (((mode >> 2) & 3) == 3) return FileRel(a, b, c, mode, expression);
  StrAreaScope scope;
  Rule rule;
  Status status = BeginRelation(&a, &b, c, &expression, &rule);
  if (!status.ok()) return status;
  status = KeyFind(b, rule.key, rule.value, kFindPrefill);
  if (IsEvalFailure(status)) return status;
  if (status != kFound) {
    if (!(mode & kRelModeCreate)) return status;
    if (!SysWordTest(kSysUpStat, kUpStatNoFillIn) && !FileBaseName(b).empty() &&
        !AllBlank(rule.value)) {
      status = FillIn(b);
      if (IsEvalFailure(status)) return status;
    }
    status = Inserted(b);
    if (IsEvalFailure(status)) return status;
    SysWordSet(kSysRelRes, kRelResCreated);
  }
  status = EvalStatus(expression);
  if (!status.ok()) return status;
  return RecordUpdate(b);
}

}  // namespace engine
