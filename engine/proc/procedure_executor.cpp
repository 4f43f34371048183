// The statement loop of a run: control statements, CALL and LOCALVARS, command statements, the
// trace log, the run's value, the report of a failure and the clean-up after a whole run.
#include "engine/proc/procedure_executor.h"

#include <cstring>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/bracket_expansion.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/number.h"
#include "engine/lang/variables.h"
#include "engine/proc/command_chain.h"
#include "engine/proc/procedure_compiler.h"
#include "engine/proc/procedure_run.h"
#include "engine/proc/run_resources.h"

namespace engine {

namespace {

constexpr StrRef kLineReport = StrLit("Line: %s (+ remmarks):\r\n%s %s");
constexpr StrRef kTraceLine = StrLit("%s\t%s %s\r\n");
constexpr StrRef kLocalVars = StrLit("LOCALVARS");
constexpr char kListSeparator = ',';

// A statement status that ends the run: a cancel, or an error.
bool Stops(Status status) { return status == kUserCanceled || status >= kTypeMismatch; }

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The state of one run. Each run has its own, nested runs of the same procedure included.
struct Run {
  CompiledProcedure procedure;
  const CallArguments* args = nullptr;
  uint16_t flags = 0;
  uint16_t current = 0;
  uint16_t last = kNothing;  // the statement that ran last
  uint16_t depth = 0;
  uint16_t returns[kReturnStackDepth] = {};
  uint16_t mark = 0;
  // The value of the last expression statement, kept just above `mark` when the run's value
  // is wanted.
  bool has_value = false;
  ValueKind value_kind = ValueKind::kNumber;
  StrRef value;

  uint16_t Floor() const { return has_value ? mark + 1 : mark; }
};

enum class Next : uint8_t { kStatement, kCommand, kEnd };

void Trace(uint16_t index, uint16_t keyword, StrRef text) {
  StrAreaScope scope;
  const bool latched = LatchedError() != 0;
  const StrRef line = StrFormat(kMaxStrLen, kTraceLine,
                                {static_cast<int64_t>(index) + 1, KeywordName(keyword), text});
  // A trace log that cannot be written costs the trace, never the run.
  if (!FileWriteAt(kProcedureTraceFile, kPosEnd, line).ok() && !latched) LatchClear();
}

Status Expression(Run& run, StrRef text) {
  ValueKind kind;
  const Status status = Evaluate(text, &kind);
  if (IsEvalFailure(status)) return status;
  if (!(run.flags & kRunWantsResult)) {
    StrAreaRelease(run.Floor());
    return kOk;
  }
  run.value = StrAreaReturn(run.mark, StrAreaTop());
  run.has_value = !run.value.IsStatus();
  run.value_kind = kind;
  return StrCheck(run.value);
}

// END: the run's value, as text, on the return values when it is wanted.
Status End(Run& run) {
  if (!(run.flags & kRunWantsResult) || !run.has_value) return kOk;
  StrAreaScope scope;
  const StrRef text =
      run.value_kind == ValueKind::kString ? run.value : NumberToText(NumberAt(run.value));
  return SlotPush(kGroupReturnValues, text);
}

Status Condition(StrRef text, bool* truth) {
  const Status status = EvalCondition(text, truth);
  return IsEvalFailure(status) ? status : Status(kOk);
}

// Evaluates the arguments of a CALL and pushes them on StringSlots group 35.
Status PushArguments(StrRef list, ArgKinds* kinds) {
  ArgList args{list, 0};
  while (!args.AtEnd()) {
    if (kinds->count == kMaxArguments) return ReportStatus(kSyntaxError, list);
    StrAreaScope scope;
    const StrRef text = NextArgumentText(&args);
    if (StrTrim(text, kTrimBoth).empty()) {
      Status status = SlotPush(kGroupArguments, StrMake(&kOmittedArgument, 1));
      if (!status.ok()) return status;
      kinds->kind[kinds->count++] = kArgOmitted;
      continue;
    }
    ValueKind kind;
    Status status = Evaluate(text, &kind);
    if (IsEvalFailure(status)) return status;
    status = SlotPush(kGroupArguments, StrAreaTop());
    if (!status.ok()) return status;
    kinds->kind[kinds->count++] = kind == ValueKind::kString ? kArgString : 0;
  }
  return kOk;
}

// CALL name,file,local (arguments)
Status Call(StrRef text) {
  StrAreaScope scope;
  text = StrTrim(text, kTrimBoth);
  uint16_t end = 0;
  while (end < text.len && !IsBlank(text[end]) && text[end] != '(') ++end;
  const StrRef head = StrMake(text.ptr, end);
  const StrRef rest = StrTrim(StrSub(text, end, -1), kTrimBoth);
  const StrRef name = StrTrim(ListField(head, kListSeparator, 1), kTrimBoth);
  const StrRef file = StrUnquote(StrTrim(ListField(head, kListSeparator, 2), kTrimBoth));
  const StrRef local_text = StrTrim(ListField(head, kListSeparator, 3), kTrimBoth);
  bool local = true;
  if (!local_text.empty()) {
    Status status;
    const int16_t flag = EvalInteger(local_text, &status);
    if (IsEvalFailure(status)) return status;
    local = flag != 0;
  }
  if (!rest.empty() && rest[0] != '(') return ReportStatus(kSyntaxError, text);

  CallArguments call;
  call.base = SlotCount(kGroupArguments);
  Status status =
      rest.empty() ? Status(kOk) : PushArguments(StrBracketed(rest, '(', false), &call.kinds);
  if (status.ok()) status = ProcedureRunWith(name, file, local ? kRunLocal : 0, call);
  // Whatever happened, the arguments go: none may outlive the call.
  const bool unbound = SlotCount(kGroupArguments) != call.base;
  const Status truncated = SlotTruncate(kGroupArguments, call.base);
  if (status.ok() && unbound) status = ReportStatus(kSyntaxError, kLocalVars);
  return status.ok() ? truncated : status;
}

// LOCALVARS names: from the last name to the first, each takes the newest argument of the call.
Status LocalVars(const Run& run, StrRef text) {
  StrAreaScope scope;
  StrArray names;
  Status status = ListSplit(text, kListSeparator, &names);
  if (!status.ok()) return status;
  const CallArguments& args = *run.args;
  for (uint16_t n = names.count; n >= 1; --n) {
    const StrRef name = StrTrim(ArrayItem(names, n), kTrimBoth);
    const VarKind var_kind = VarKindOf(name);
    if (var_kind != VarKind::kInteger && var_kind != VarKind::kString &&
        var_kind != VarKind::kNumber) {
      return ReportStatus(kTypeMismatch, name);
    }
    const uint16_t count = SlotCount(kGroupArguments);
    if (count <= args.base) return ReportStatus(kSyntaxError, kLocalVars);
    const uint16_t index = count - 1 - args.base;
    const uint16_t kind_bits = index < args.kinds.count ? args.kinds.kind[index] : 0;
    ValueKind kind = (kind_bits & kArgString) ? ValueKind::kString : ValueKind::kNumber;
    if (kind_bits & kArgOmitted) {
      kind = var_kind == VarKind::kString ? ValueKind::kString : ValueKind::kNumber;
      status = kind == ValueKind::kString ? StrAreaPushCopy(StrLit("")) : PushNumber(0);
    } else {
      status = StrAreaPushCopy(SlotLast(kGroupArguments));
    }
    if (!status.ok()) return status;
    const StrRef value = StrAreaTop();
    status = SlotPop(kGroupArguments);
    if (status.ok()) status = VarAssign(name, value, kind);
    if (!status.ok()) return ReportStatus(status, name, true);
  }
  return kOk;
}

// Runs one statement. *next says whether it was a command (left to the caller) or ended the run.
Status Step(Run& run, Next* next) {
  *next = Next::kStatement;
  if (run.current >= run.procedure.statement_count) {
    *next = Next::kEnd;
    return End(run);
  }
  const uint16_t index = run.current;
  const Statement& s = run.procedure.statements[index];
  const StrRef text = run.procedure.Text(index);
  run.last = index;
  if (SysWordTest(kSysTrace, kTraceProcedures)) Trace(index, s.keyword, text);
  Status status = PumpEvents();
  if (Stops(status)) return status;
  run.current = index + 1;
  bool truth = false;
  switch (s.keyword) {
    case kKwExpression:
      return Expression(run, text);
    case kKwGoto:
      run.current = s.target;
      return kOk;
    case kKwGosub:
      if (run.depth == kReturnStackDepth) return ReportStatus(kOutOfMemory, text);
      run.returns[run.depth++] = index + 1;
      run.current = s.target;
      return kOk;
    case kKwCall:
      return Call(text);
    case kKwReturn:
      if (run.depth == 0) {
        *next = Next::kEnd;
        return kOk;
      }
      run.current = run.returns[--run.depth];
      return kOk;
    case kKwEndIf:
    case kKwDo:
      return kOk;
    case kKwLoop:
    case kKwElse:
      run.current = s.target;
      return kOk;
    case kKwLoopWhile:
    case kKwIfFalse:
    case kKwDoUntil:
      status = Condition(text, &truth);
      if (status.ok() && truth) run.current = s.target;
      return status;
    case kKwIf:
    case kKwIfTrue:
    case kKwDoWhile:
    case kKwLoopUntil:
      status = Condition(text, &truth);
      if (status.ok() && !truth) run.current = s.target;
      return status;
    case kKwLocalVars:
      return LocalVars(run, text);
    case kKwEnd:
      *next = Next::kEnd;
      return End(run);
    default:
      *next = Next::kCommand;
      return kOk;
  }
}

// A command statement: bracket expansion (inside quotes too), the arguments, the chain.
Status Command(uint16_t keyword, StrRef text) {
  StrRef expanded = text;
  if (std::memchr(text.ptr, '[', text.len)) {
    expanded = BracketExpand(text, kBracketInQuotes, StrLit(""));
    if (expanded.IsStatus()) return StrCheck(expanded);
  }
  CommandArgs args;
  const Status status = CommandArgsEvaluate(expanded, &args);
  if (!status.ok()) return status;
  return CommandDispatch(keyword, args);
}

Status Loop(Run& run) {
  LatchClear();
  while (true) {
    Next next;
    Status status = Step(run, &next);
    if (next == Next::kEnd || Stops(status)) return status;
    if (next != Next::kCommand) continue;
    status = Command(run.procedure.statements[run.last].keyword, run.procedure.Text(run.last));
    StrAreaRelease(run.Floor());
    if (!status.ok()) return status;
    LatchClear();
  }
}

// Adds the statement that failed to the detail text of a latched failure.
void ReportLine(const Run& run) {
  if (run.last == kNothing) return;
  StrAreaScope scope;
  const uint16_t keyword = run.procedure.statements[run.last].keyword;
  const StrRef line = StrFormat(
      kMaxStrLen, kLineReport,
      {static_cast<int64_t>(run.last) + 1, KeywordName(keyword), run.procedure.Text(run.last)});
  (void)ReportStatus(LatchedCode(), line, true);
}

}  // namespace

Status ProcedureExecute(uint16_t procedure, uint16_t start, uint16_t flags, bool whole_run,
                        const CallArguments& args) {
  Run run;
  if (!ProcedureGet(procedure, &run.procedure)) return kInternalError;
  run.args = &args;
  run.flags = flags;
  run.current = start;
  const OpenCounts open = CountOpen();
  run.mark = StrAreaMark();
  ProcedureEnter(run.procedure.block);
  Status status = Loop(run);
  ProcedureLeave(run.procedure.block);
  StrAreaRelease(run.mark);
  if (Stops(status) && status != kUserCanceled) {
    LatchRecord(kLatchFirst, kSiteExecRunTime, status);
    if (LatchedCode() != 0) ReportLine(run);
  }
  if (whole_run) {
    const Status closed = CloseDownTo(open);
    if (status.ok() && closed.IsError()) status = closed;
  }
  return status;
}

}  // namespace engine
