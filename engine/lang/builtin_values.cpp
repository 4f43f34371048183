// Built-in functions on values: the accumulators, the summing loop, the conditionals, nested
// evaluation, the string registers, the environment strings, field and variable values, numbers
// and dates read from texts, masks and times.
#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/builtins.h"
#include "engine/lang/dates.h"
#include "engine/lang/expression.h"
#include "engine/lang/field_types.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/masks.h"
#include "engine/lang/number.h"
#include "engine/lang/operators.h"
#include "engine/lang/variables.h"

namespace engine::builtins {

namespace {

// The accumulators: a number array of 257 elements, 0..256.
constexpr StrRef kAccumulators = StrLit("_#(");
constexpr int32_t kAccumulatorCount = 257;
constexpr StrRef kClearWord = StrLit("CLS");
constexpr StrRef kDimensionWord = StrLit("DIM");

constexpr int16_t kMaxSqlDepth = 7;
constexpr int16_t kFirstStackGroup = 30;
// Groups that hold the engine's own structures: the variable names and strings, and the argument
// stack of the calls in progress. `_$` reads them but never writes or pops them.
constexpr uint16_t kProtectedGroups[] = {kGroupVarNames, kGroupVarStrings, kGroupArguments};

constexpr uint16_t kMaxAccumulateTexts = 4;
// A number of this value and above given as FN#VALN's third argument is a date.
constexpr int64_t kFirstDateNumber = 10001;

ArrayIndices OneIndex(int32_t index) {
  ArrayIndices indices;
  indices.count = 1;
  indices.index[0] = index;
  return indices;
}

// The accumulator an argument designates: a number n, or a name whose position k in _ACUMX$
// gives k - 1 ("DIM" is position 0), plus the offset. *found is false for a name that is not in
// the list. 168 outside 0..256.
Status AccumulatorNumber(ValueKind kind, StrRef first, int32_t offset, int32_t* number,
                         bool* found) {
  *found = true;
  int32_t n;
  if (kind == ValueKind::kString) {
    uint16_t position = 0;
    if (first.view() != kDimensionWord.view()) {
      position = ListFind(SlotGet(kGroupVarStrings, kSysAcumX), ',', first);
      if (position == 0) {
        *found = false;
        return kOk;
      }
    }
    n = position - 1;
  } else {
    n = NumberToInteger(NumberAt(first));
  }
  *number = n + offset;
  return *number < 0 || *number >= kAccumulatorCount ? Status(kDataOutBound) : Status(kOk);
}

// Sets `count` accumulators from `from` on to 0; the range must lie within the 257.
Status AccumulatorsClear(FunctionCall& call) {
  if (ArrayElementCount(kAccumulators) == 0) return ReturnNumber(0);
  int16_t from = 0;
  Status status = call.ArgInteger(3, 0, &from);
  if (!status.ok()) return status;
  int16_t count = 0;
  status = call.ArgInteger(2, static_cast<int16_t>(kAccumulatorCount - from), &count);
  if (!status.ok()) return status;
  if (from < 0 || count < 0 || from + count > kAccumulatorCount) return kDataOutBound;
  if (count > 0) {
    const int64_t zero = 0;
    status =
        ArrayFill(kAccumulators, StrMake(reinterpret_cast<const char*>(&zero), kNumberSize),
                  ValueKind::kNumber, static_cast<uint32_t>(from), static_cast<uint32_t>(count));
    if (!status.ok()) return status;
  }
  return ReturnNumber(0);
}

// Adds the value of `expression` (a string read as a number) to *sum.
Status AddValue(StrRef expression, int64_t* sum) {
  StrAreaScope scope;
  ValueKind kind;
  Status status = Evaluate(expression, &kind);
  if (IsEvalFailure(status)) return status;
  int64_t value = NumberAt(StrAreaTop());
  if (kind == ValueKind::kString) {
    status = NumberFromText(StrAreaTop(), &value);
    if (!status.ok()) return status;
  }
  return NumberAdd(*sum, value, sum);
}

// A text wholly enclosed in one pair of parentheses is its inner text.
StrRef Unwrapped(StrRef text) {
  const StrRef t = StrTrim(text, kTrimBoth);
  if (t.len < 2 || t[0] != '(' || t[t.len - 1] != ')') return t;
  const StrRef inner = StrBracketed(t, '(', false);
  return inner.len == t.len - 2 ? inner : t;
}

Status AccumulateCounted(StrRef expression, StrRef variable, StrRef first, StrRef last,
                         int64_t* sum) {
  if (!IsPlainVariableName(variable) || VarKindOf(variable) != VarKind::kInteger) {
    return ReportStatus(kSyntaxError, variable);
  }
  {
    StrAreaScope scope;
    Status status =
        EvalStatus(StrFormat(kMaxStrLen, StrLit("%s=%s"), {variable, StrTrim(first, kTrimBoth)}));
    if (!status.ok()) return status;
  }
  Status status;
  const int16_t end = EvalInteger(last, &status);
  if (IsEvalFailure(status)) return status;
  int16_t v = 0;
  while (VarInteger(variable, &v) && v <= end) {
    status = AddValue(expression, sum);
    if (!status.ok()) return status;
    // The loop variable cannot pass the last integer without turning round.
    if (v == INT16_MAX) break;
    status = VarAssignInteger(variable, static_cast<int16_t>(v + 1));
    if (!status.ok()) return status;
  }
  return kOk;
}

Status AccumulateWhile(StrRef expression, StrRef condition, StrRef repeat, int64_t* sum) {
  bool truth = false;
  Status status = EvalCondition(condition, &truth);
  while (status.ok() && truth) {
    status = AddValue(expression, sum);
    if (status.ok()) status = EvalCondition(repeat, &truth);
  }
  return status;
}

// CHK# and CHK$: the branch chosen by the condition is evaluated, the other is never read.
Status Check(FunctionCall& call, ValueKind promised) {
  int16_t condition = 0;
  Status status = call.ArgInteger(1, 0, &condition);
  if (!status.ok()) return status;
  ArgList* rest = call.rest();
  if (condition == 0) (void)NextArgumentText(rest);
  if (rest->AtEnd()) {
    return promised == ValueKind::kString ? ReturnText(StrLit("")) : ReturnNumber(0);
  }
  ValueKind kind;
  status = EvalNextArgument(rest, &kind);
  if (IsEvalFailure(status)) return status;
  if (status == kNullExpression) {
    // An empty branch: the empty value of the function's kind.
    return promised == ValueKind::kString ? ReturnText(StrLit("")) : Status(kOk);
  }
  return kind == promised ? status : Status(kTypeWarning);
}

bool IsProtectedGroup(int16_t group) {
  return std::find(std::begin(kProtectedGroups), std::end(kProtectedGroups), group) !=
         std::end(kProtectedGroups);
}

}  // namespace

bool IsPlainVariableName(StrRef name) {
  const VarKind kind = VarKindOf(name);
  if (name.empty() || name.byte(0) < 'A' || kind == VarKind::kInvalid || kind == VarKind::kArray) {
    return false;
  }
  for (const char c : name.view()) {
    if (IsDelimiter(c) || IsQuoteChar(c) || c == '{' || static_cast<unsigned char>(c) <= ' ') {
      return false;
    }
  }
  return true;
}

// ---- Accumulators ------------------------------------------------------------------------

Status AccumulatorsCreate() {
  if (ArrayElementCount(kAccumulators) != 0) return kOk;
  return ArrayCreate(kAccumulators, VarKind::kNumber, OneIndex(kAccumulatorCount - 1), StrRef{});
}

Status Accumulator(FunctionCall& call) {
  Status status = call.ArgCount(1, 3);
  if (!status.ok()) return status;
  ValueKind kind;
  StrRef first;
  status = call.ArgValue(1, &kind, &first);
  if (!status.ok()) return status;
  if (kind == ValueKind::kString && first.view() == kClearWord.view()) {
    return AccumulatorsClear(call);
  }
  if (call.Total() > 2) return kSyntaxError;
  int16_t offset = 0;
  status = call.ArgInteger(2, 0, &offset);
  if (!status.ok()) return status;
  int32_t number = 0;
  bool found = true;
  status = AccumulatorNumber(kind, first, offset, &number, &found);
  if (!status.ok()) return status;
  if (!found) return ReturnNumber(0);
  status = AccumulatorsCreate();
  return status.ok() ? ArrayPush(kAccumulators, OneIndex(number)) : status;
}

Status AccumulatorAssign(ArgList args, StrRef value, ValueKind kind) {
  if (kind != ValueKind::kNumber) return kTypeMismatch;
  StrAreaScope scope;
  ValueKind first_kind;
  Status status = EvalNextArgument(&args, &first_kind);
  if (IsEvalFailure(status)) return status;
  const StrRef first = StrAreaTop();
  if (first_kind == ValueKind::kString && first.view() == kClearWord.view()) return kSyntaxError;
  int64_t offset = 0;
  if (!args.AtEnd()) {
    ValueKind offset_kind;
    status = EvalNextArgument(&args, &offset_kind);
    if (IsEvalFailure(status)) return status;
    if (offset_kind == ValueKind::kString) return kTypeMismatch;
    offset = NumberToInteger(NumberAt(StrAreaTop()));
  }
  if (!args.AtEnd()) return kSyntaxError;
  int32_t number = 0;
  bool found = true;
  status = AccumulatorNumber(first_kind, first, static_cast<int32_t>(offset), &number, &found);
  if (!status.ok()) return status;
  if (!found) return kDataOutBound;
  status = AccumulatorsCreate();
  return status.ok() ? ArrayAssign(kAccumulators, OneIndex(number), value, kind) : status;
}

Status Accumulate(FunctionCall& call) {
  ArgList* rest = call.rest();
  StrRef texts[kMaxAccumulateTexts];
  uint16_t count = 0;
  while (!rest->AtEnd()) {
    if (count == kMaxAccumulateTexts) return kSyntaxError;
    texts[count++] = Unwrapped(NextArgumentText(rest));
  }
  if (count < 2) return kSyntaxError;
  int64_t sum = 0;
  const Status status =
      count == kMaxAccumulateTexts
          ? AccumulateCounted(texts[0], texts[1], texts[2], texts[3], &sum)
          : AccumulateWhile(texts[0], texts[1], count == 3 ? texts[2] : texts[1], &sum);
  return status.ok() ? ReturnNumber(sum) : status;
}

// ---- Conditionals and nesting ------------------------------------------------------------

Status CheckNumber(FunctionCall& call) { return Check(call, ValueKind::kNumber); }

Status CheckText(FunctionCall& call) { return Check(call, ValueKind::kString); }

Status SqlChild(FunctionCall& call) {
  const int16_t depth = SysWord(kSysSqlStk);
  if (depth >= kMaxSqlDepth) return kStrOutBound;
  const int16_t row = SysWord(kSysCurRow);
  const int16_t ier = SysWord(kSysIer);
  SysWordSet(kSysSqlStk, static_cast<int16_t>(depth + 1));
  SysWordSet(kSysCurRow, 0);
  Status status = kOk;
  ArgList* rest = call.rest();
  while (!rest->AtEnd()) {
    StrAreaScope scope;
    ValueKind kind;
    const Status item = EvalNextArgument(rest, &kind);
    if (IsEvalFailure(item)) {
      status = item;
      break;
    }
  }
  SysWordSet(kSysSqlStk, depth);
  SysWordSet(kSysCurRow, row);
  SysWordSet(kSysIer, ier);
  return status.ok() ? ReturnNumber(0) : status;
}

// ---- String registers and environment ------------------------------------------------------

Status Slots(FunctionCall& call) {
  Status status = call.ArgCount(0, 3);
  if (!status.ok()) return status;
  int16_t group = kFirstStackGroup;
  int16_t item = 0;
  status = call.ArgInteger(1, kFirstStackGroup, &group);
  if (status.ok()) status = call.ArgInteger(2, 0, &item);
  if (!status.ok()) return status;
  if (group < 0 || group >= static_cast<int16_t>(kSlotGroups)) return kSyntaxError;
  const bool set = call.Total() >= 3;
  const bool changes = set || (group >= kFirstStackGroup && item < 0);
  if (changes && IsProtectedGroup(group)) return kSyntaxError;
  const uint16_t g = static_cast<uint16_t>(group);
  if (set) {
    StrRef value;
    status = call.ArgText(3, StrLit(""), &value);
    if (!status.ok()) return status;
    if (group < kFirstStackGroup) {
      if (item < 0) return kSyntaxError;
      status = SlotSet(g, static_cast<uint16_t>(item), value);
    } else {
      status = SlotPush(g, value);
    }
    if (!status.ok()) return status;
  }
  if (group < kFirstStackGroup) {
    if (item < 0) return kSyntaxError;
    return ReturnText(SlotGet(g, static_cast<uint16_t>(item)));
  }
  if (item >= 0) return ReturnText(SlotCount(g) ? SlotLast(g) : StrLit(""));
  for (int32_t n = -int32_t{item}; n > 0; --n) {
    if (SlotCount(g) == 0) return kOutOfData;
    status = SlotPop(g);
    if (!status.ok()) return status;
  }
  return kOk;
}

Status Environ(FunctionCall& call) {
  Status status = call.ArgCount(1, 2);
  if (!status.ok()) return status;
  StrRef name;
  int16_t group = 1;
  status = call.ArgText(1, StrLit(""), &name);
  if (status.ok()) status = call.ArgInteger(2, 1, &group);
  if (!status.ok()) return status;
  if (group < 0) return kSyntaxError;
  const StrRef item = SlotGet(kGroupEnvironment, static_cast<uint16_t>(group));
  if (group > 1) return ReturnText(item);
  return ReturnText(ParamValue(item, name, kParamFieldValue));
}

// ---- Field and variable values -----------------------------------------------------------

Status Fields(FunctionCall& call) {
  ArgList* rest = call.rest();
  const StrRef target = StrTrim(NextArgumentText(rest), kTrimBoth);
  int16_t mode = 1;
  if (!rest->AtEnd()) {
    const StrRef mode_text = NextArgumentText(rest);
    Status status = kOk;
    if (!StrTrim(mode_text, kTrimBoth).empty()) mode = EvalInteger(mode_text, &status);
    if (IsEvalFailure(status)) return status;
  }
  if (!rest->AtEnd()) return kSyntaxError;
  if (target.empty()) return kSyntaxError;
  if (StrFindChar(target, 0, '{', false) != kNothing) {
    return ReturnText(CurrentDataFileFunctions().FieldRaw(target, static_cast<uint16_t>(mode)));
  }
  if (StrFindChar(target, 0, '(', false) != kNothing) return ReturnText(EvalText(target));
  const VarRef ref = VarFind(target);
  if (ref.kind == VarKind::kInvalid || ref.kind == VarKind::kArray) return kSyntaxError;
  if (ref.found()) {
    Status status = VarPush(target);
    if (!status.ok()) return status;
    if (ref.kind == VarKind::kString) return kOk;
    return ReturnText(NumberToText(NumberAt(StrAreaTop())));
  }
  const NameResolver resolver = CurrentNameResolver();
  if (!resolver) return kSyntaxError;
  const StrRef answer = resolver(target, mode);
  if (answer.IsStatus() || answer.empty()) return kSyntaxError;
  return ReturnText(answer);
}

// ---- Numbers, dates, masks, times --------------------------------------------------------

Status ValueOf(FunctionCall& call) {
  Status status = call.ArgCount(1, 3);
  if (!status.ok()) return status;
  StrRef text;
  StrRef unit_text;
  status = call.ArgText(1, StrLit(""), &text);
  if (status.ok()) status = call.ArgString(2, StrLit("N"), &unit_text);
  if (!status.ok()) return status;
  const char unit = unit_text.empty() ? 'N' : AsciiUpper(unit_text[0]);
  int64_t number = 0;
  if (unit == 'N') {
    status = NumberFromText(CleanNumber(text), &number);
    return status.ok() ? ReturnNumber(number) : status;
  }
  if (unit != 'D' && unit != 'M' && unit != 'Y' && unit != 'V') return kSyntaxError;
  const StrRef date = StrTrim(text, kTrimBoth);
  Date parsed;
  if (unit == 'V') {
    if (!DateFromText(date, &parsed)) return ReturnNumber(0);
    status = NumberFromText(date, &number);
    return status.ok() ? ReturnNumber(number) : status;
  }
  StrRef other;
  if (call.IsString(3)) {
    status = call.ArgString(3, StrLit(""), &other);
    if (!status.ok()) return status;
  } else {
    int64_t n = 0;
    status = call.ArgNumber(3, 0, &n);
    if (!status.ok()) return status;
    const int64_t whole = NumberRoundWhole(n);
    if (whole < kFirstDateNumber) {
      const int32_t step = static_cast<int32_t>(std::clamp<int64_t>(whole, INT32_MIN, INT32_MAX));
      const StrRef result = DateAdd(date, step, unit);
      if (result.IsStatus()) return StrCheck(result);
      status = NumberFromText(result, &number);
      return status.ok() ? ReturnNumber(number) : status;
    }
    other = NumberToText(n);
    if (other.IsStatus()) return StrCheck(other);
  }
  int32_t difference = 0;
  status = DateDiff(date, other, unit, &difference);
  if (status == kBadInputData) return ReturnNumber(0);
  return status.ok() ? ReturnWhole(difference) : status;
}

Status DateShown(FunctionCall& call) {
  Status status = call.ArgCount(0, 2);
  if (!status.ok()) return status;
  StrRef date;
  int16_t style = 0;
  status = call.ArgText(1, StrLit(""), &date);
  if (status.ok()) status = call.ArgInteger(2, 0, &style);
  if (!status.ok()) return status;
  const uint16_t bits = static_cast<uint16_t>(style);
  if (bits & kTimeWithDate) date = DatePartOf(date);
  if (HasDateSeparator(date)) {
    // A typed date that does not read stays as given, so that it shows as no date (an empty
    // one would be today).
    const StrRef parsed = ParseDate(date);
    if (parsed.IsStatus()) return StrCheck(parsed);
    if (!parsed.empty()) date = parsed;
  }
  return ReturnText(FormatDate(date, bits & kTimeFormatMask));
}

Status Mask(FunctionCall& call) {
  Status status = call.ArgCount(1, 3);
  if (!status.ok()) return status;
  StrRef mask;
  StrRef value;
  int16_t mode = kMaskDefault;
  status = call.ArgText(1, StrLit(""), &mask);
  if (status.ok()) status = call.ArgText(2, StrLit(""), &value);
  if (status.ok()) status = call.ArgInteger(3, kMaskDefault, &mode);
  if (!status.ok()) return status;
  return ReturnText(ApplyMask(mask, value, static_cast<uint16_t>(mode)));
}

Status Time(FunctionCall& call) {
  Status status = call.ArgCount(0, 2);
  if (!status.ok()) return status;
  StrRef text;
  int16_t format = 0;
  status = call.ArgString(1, StrLit(""), &text);
  if (status.ok()) status = call.ArgInteger(2, 0, &format);
  if (!status.ok()) return status;
  return ReturnText(TimeText(text, static_cast<uint16_t>(format)));
}

}  // namespace engine::builtins
