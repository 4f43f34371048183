// The expression evaluator: preparation of a text, the cursor walk over operands and operators,
// priority climbing, assignment, and the evaluator's side of function calls.
#include "engine/lang/expression.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/lang/number.h"
#include "engine/lang/operators.h"

namespace engine {

namespace {

// Macros replaced before evaluation: each reads field x of the values of the last accept dialog.
struct Macro {
  StrRef call;       // the macro up to and including its '('
  StrRef expansion;  // %s stands for the argument text
};
constexpr Macro kMacros[] = {
    {StrLit("_ACCEPT#("), StrLit("FN#VALN(FN$TRIM(FN$PARM(_$(.envvar;.dialog);%s);'FIT'))")},
    {StrLit("_ACCEPT$("), StrLit("FN$TRIM(FN$PARM(_$(.envvar;.dialog);%s);'FIT')")},
};

// A prefix sign takes as its operand what binds tighter than a binary + or - and than the
// operator in front of the sign.
constexpr uint8_t kSignOperandPriority = 4;

constexpr uint32_t kNoPosition = UINT32_MAX;

bool IsItemEnd(char c) { return c == ';' || c == ',' || c == ':'; }

// A status that a value carries without stopping anything (123 excepted: an empty operand).
bool IsWarning(Status status) {
  return !status.ok() && status != kNullExpression && !IsEvalFailure(status);
}

StrRef Span(StrRef text, uint32_t from, uint32_t to) {
  to = std::min<uint32_t>(to, text.len);
  from = std::min(from, to);
  return StrMake(text.ptr + from, to - from);
}

// A failure, reported with the text it concerns (added to the detail text).
Status Fail(Status status, StrRef text) { return ReportStatus(status, text, true); }

// A status from outside the evaluator that is not 0 and yet no failure cannot be acted on.
Status AsFailure(Status status) {
  return status.ok() || IsEvalFailure(status) ? status : Status(kInternalError);
}

// ---- Scanning --------------------------------------------------------------------------

// Position of the quote that closes the one at `open`; the end of the text when unclosed.
uint32_t SkipQuote(StrRef text, uint32_t open) {
  const void* close = std::memchr(text.ptr + open + 1, text[open], text.len - open - 1);
  return close ? static_cast<uint32_t>(static_cast<const char*>(close) - text.ptr) : text.len;
}

// Position of the ')' that matches the '(' at `open`, nesting counted and quotes skipped.
uint32_t MatchParen(StrRef text, uint32_t open) {
  int depth = 0;
  for (uint32_t i = open; i < text.len; ++i) {
    const char c = text[i];
    if (IsQuoteChar(c)) {
      i = SkipQuote(text, i);
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && --depth == 0) {
      return i;
    }
  }
  return kNoPosition;
}

// Position of the separator that ends the item starting at `from` (outside quotes and
// parentheses), or the end of the text.
uint32_t ItemEnd(StrRef text, uint32_t from) {
  int depth = 0;
  for (uint32_t i = from; i < text.len; ++i) {
    const char c = text[i];
    if (IsQuoteChar(c)) {
      i = SkipQuote(text, i);
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (depth == 0 && IsItemEnd(c)) {
      return i;
    }
  }
  return text.len;
}

// A '%' ends a name such as INDEX% or X% rather than starting a percent operation when the
// operand before it is a name and what follows cannot start the percentage's operand: the end
// of the text, or any delimiter but '(' and the signs '+' and '-' (so A%-10 stays a percentage).
bool PercentEndsName(StrRef text, uint32_t from, uint32_t at) {
  if (text[at] != '%' || at == from) return false;
  const char first = text[from];
  if (!std::isalpha(static_cast<unsigned char>(first)) && first != '_') return false;
  if (at + 1 == text.len) return true;
  const char next = text[at + 1];
  return IsDelimiter(next) && next != '(' && next != '+' && next != '-';
}

// Position of the delimiter that ends the operand starting at `from` (quotes skipped), or the
// end of the text.
uint32_t OperandEnd(StrRef text, uint32_t from) {
  uint32_t i = from;
  while (i < text.len && (!IsDelimiter(text[i]) || PercentEndsName(text, from, i))) {
    i = IsQuoteChar(text[i]) ? std::min(SkipQuote(text, i) + 1, uint32_t{text.len}) : i + 1;
  }
  return i;
}

// ---- Preparation -----------------------------------------------------------------------

// Checks the spaces outside quotes and pushes the text without them. A run of spaces must follow
// a delimiter (or the start of the text) or be followed by one; otherwise it separates two
// operands, which is 147 reported with the text from there on.
Status RemoveSpaces(StrRef text, uint32_t spaces, StrRef* out) {
  for (uint32_t i = 0; i < text.len; ++i) {
    if (IsQuoteChar(text[i])) {
      i = SkipQuote(text, i);
      continue;
    }
    if (text[i] != ' ') continue;
    uint32_t end = i;
    while (end < text.len && text[end] == ' ') ++end;
    const bool after_delimiter = i == 0 || IsDelimiter(text[i - 1]);
    const bool before_delimiter = end < text.len && IsDelimiter(text[end]);
    if (!after_delimiter && !before_delimiter) return Fail(kSyntaxError, Span(text, i, text.len));
    i = end - 1;
  }
  Status status = StrAreaAlloc(text.len - spaces);
  if (!status.ok()) return status;
  char* copy = StrWritable(StrAreaTop());
  size_t n = 0;
  for (uint32_t i = 0; i < text.len; ++i) {
    if (IsQuoteChar(text[i])) {
      const uint32_t close = std::min<uint32_t>(SkipQuote(text, i), text.len - 1);
      std::memcpy(copy + n, text.ptr + i, close - i + 1);
      n += close - i + 1;
      i = close;
    } else if (text[i] != ' ') {
      copy[n++] = text[i];
    }
  }
  *out = StrAreaTop();
  return kOk;
}

// Replaces every macro call by its expansion.
Status ExpandMacros(StrRef* text) {
  for (const Macro& macro : kMacros) {
    for (uint16_t at = StrFindText(*text, macro.call, false); at != kNothing;
         at = StrFindText(*text, macro.call, false)) {
      const uint32_t open = at + macro.call.len - 1;
      const uint32_t close = MatchParen(*text, open);
      if (close == kNoPosition) return Fail(kLoopFailure, *text);
      const StrRef expanded =
          StrFormat(kMaxStrLen, macro.expansion, {Span(*text, open + 1, close)});
      Status status = StrConcat(Span(*text, 0, at), expanded);
      if (status.ok()) status = StrConcat(StrAreaTop(), Span(*text, close + 1, text->len));
      if (!status.ok()) return status;
      *text = StrAreaTop();
    }
  }
  return kOk;
}

// Checks the parentheses (129 when they do not pair), removes the spaces and expands the
// macros. *out is always a temporary: the text given may live in the string registers, which
// move whenever an evaluation assigns a variable or pushes an argument.
Status Prepare(StrRef text, StrRef* out) {
  if (text.IsStatus()) return StrCheck(text);
  int depth = 0;
  bool misordered = false;
  uint32_t spaces = 0;
  bool underscore = false;
  for (uint32_t i = 0; i < text.len; ++i) {
    const char c = text[i];
    if (IsQuoteChar(c)) {
      i = SkipQuote(text, i);
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      misordered |= --depth < 0;
    } else if (c == ' ') {
      ++spaces;
    } else if (c == '_') {
      underscore = true;
    }
  }
  if (depth != 0 || misordered) return Fail(kLoopFailure, text);
  Status status = spaces ? RemoveSpaces(text, spaces, out) : StrAreaPushCopy(text);
  if (!status.ok()) return status;
  if (!spaces) *out = StrAreaTop();
  return underscore ? ExpandMacros(out) : Status(kOk);
}

// ---- Cursor ----------------------------------------------------------------------------

enum class OperandClass : uint8_t {
  kEmpty,
  kParenthesised,
  kFunction,
  kArray,
  kCell,  // _NAME(...): a cell of the open grid
  kStringLiteral,
  kStringVariable,
  kNumberVariable,
  kField,
  kIntegerVariable,
  kNumericLiteral,
  kValue,  // the result of an operator: no longer an operand
};

// One step of the walk: an operand, the operator after it, and its value once evaluated.
struct Cursor {
  StrRef text;         // the prepared text being walked
  uint32_t start = 0;  // the operand's text (a call's or array's name without the '(')
  uint32_t length = 0;
  uint32_t args_start = 0;  // the argument list of a call, array or parenthesised operand
  uint32_t args_length = 0;
  uint32_t end = 0;  // where the operand's text, arguments included, ends
  uint32_t pos = 0;  // where the next operand starts; past the end when the text is used up
  OperandClass cls = OperandClass::kEmpty;
  Operator before = kOpNone;  // the operator in front of the operand
  Operator op = kOpNone;      // the operator after it; none at the end of an item
  uint16_t function = 0;
  uint16_t mark = 0;  // the StringArea mark under the value
  bool evaluated = false;
  bool numeric_field = false;  // a number read from a field (it compares with strings)
  ValueKind kind = ValueKind::kNumber;
  StrRef value;   // the value, a temporary just above `mark`
  Status status;  // 0, 123 for an empty operand, or a warning the value carries

  StrRef Operand() const { return StrMake(text.ptr + start, length); }
  StrRef Whole() const { return Span(text, start, end); }
  StrRef Args() const { return StrMake(text.ptr + args_start, args_length); }
  // An array is stored under its name with the '('.
  StrRef ArrayName() const { return StrMake(text.ptr + start, length + 1); }
};

// The first of the characters ' " $ # { that occurs anywhere decides, in that order.
OperandClass Classify(StrRef operand) {
  if (operand.empty()) return OperandClass::kEmpty;
  bool quote = false, dollar = false, hash = false, brace = false;
  for (const char c : operand.view()) {
    quote |= IsQuoteChar(c);
    dollar |= c == '$';
    hash |= c == '#';
    brace |= c == '{';
  }
  if (quote) return OperandClass::kStringLiteral;
  if (dollar) return OperandClass::kStringVariable;
  if (hash) return OperandClass::kNumberVariable;
  if (brace) return OperandClass::kField;
  if (operand.byte(0) >= 'A') return OperandClass::kIntegerVariable;
  return OperandClass::kNumericLiteral;
}

ValueKind KindOfName(StrRef name) {
  return name.view().find('$') != std::string_view::npos ? ValueKind::kString : ValueKind::kNumber;
}

// How deep items may nest (parentheses, function arguments), and how deep they do now, across
// every evaluation in progress.
constexpr uint16_t kMaxNesting = 256;
uint16_t g_nesting = 0;

Status EvalItems(StrRef text, ValueKind* kind, uint32_t* item_start);
Status EvalItem(Cursor* c, uint32_t from);
Status EvalOperand(Cursor* c);
Status Climb(Cursor* left, uint8_t min_priority);

// Reads the operator at q (one or two bytes) and where the next operand starts.
Status ReadOperator(Cursor* c, uint32_t q) {
  const StrRef text = c->text;
  c->op = kOpNone;
  if (q >= text.len) {
    c->pos = text.len + 1;
    return kOk;
  }
  if (IsItemEnd(text[q]) || text[q] == ')') {
    c->pos = q + 1;
    return kOk;
  }
  const uint32_t width = q + 1 < text.len && IsOperatorSecond(text[q + 1]) ? 2 : 1;
  c->op = FindOperator(StrMake(text.ptr + q, width));
  if (c->op == kOpNone) return Fail(kSyntaxError, Span(text, c->start, q + width));
  c->pos = q + width;
  return kOk;
}

// Reads the operand at `from` and the operator after it, and evaluates the operand unless it
// is followed by '=' (it may be the target of an assignment; it is evaluated when its value is
// needed).
Status ReadOperand(Cursor* c, uint32_t from, Operator before) {
  const StrRef text = c->text;
  *c = Cursor{};
  c->text = text;
  c->start = from;
  c->before = before;
  c->mark = StrAreaMark();
  uint32_t i = OperandEnd(text, from);
  c->length = i - from;
  if (i < text.len && text[i] == '(') {
    const uint32_t close = MatchParen(text, i);
    if (close == kNoPosition) return Fail(kLoopFailure, Span(text, from, text.len));
    c->args_start = i + 1;
    c->args_length = close - i - 1;
    const StrRef name = c->Operand();
    if (name.empty()) {
      c->cls = OperandClass::kParenthesised;
    } else if ((c->function = CurrentFunctionTable().Find(name)) != 0) {
      c->cls = OperandClass::kFunction;
    } else {
      c->cls = name[0] == '_' ? OperandClass::kCell : OperandClass::kArray;
    }
    i = close + 1;
    if (i < text.len && (text[i] == '(' || !IsDelimiter(text[i]))) {
      return Fail(kSyntaxError, Span(text, from, i + 1));
    }
  } else {
    c->cls = Classify(c->Operand());
  }
  c->end = i;
  Status status = ReadOperator(c, i);
  if (IsEvalFailure(status) || c->op == kOpAssign) return status;
  return EvalOperand(c);
}

Status Materialize(Cursor* c) { return c->evaluated ? Status(kOk) : EvalOperand(c); }

// Puts the result of a step in place of the left operand's value.
Status TakeResult(Cursor* left, StrRef result, ValueKind kind, const Cursor& right) {
  const StrRef kept = StrAreaReturn(left->mark, result);
  if (kept.IsStatus()) return StrCheck(kept);
  left->value = kept;
  left->kind = kind;
  left->evaluated = true;
  left->numeric_field = false;
  left->cls = OperandClass::kValue;
  left->status = IsWarning(right.status)   ? right.status
                 : IsWarning(left->status) ? left->status
                                           : Status(kOk);
  left->op = right.op;
  left->pos = right.pos;
  left->end = right.end;
  return kOk;
}

// ---- Operands --------------------------------------------------------------------------

// Evaluates the arguments of an array reference as indices (see ArrayIndices): up to four; a
// fifth is 149. The values stay on the StringArea.
Status EvalIndices(StrRef args_text, ArrayIndices* indices) {
  ArgList args{args_text, 0};
  ValueKind kinds[kMaxDimensions];
  StrRef values[kMaxDimensions];
  int count = 0;
  while (!args.AtEnd()) {
    if (count == kMaxDimensions) return Fail(kDimStructError, args_text);
    Status status = EvalNextArgument(&args, &kinds[count]);
    if (IsEvalFailure(status)) return status;
    values[count++] = StrAreaTop();
  }
  *indices = ArrayIndices{};
  indices->count = static_cast<uint8_t>(count);
  // Indices are read from the last argument back to the first text, which ends them.
  for (int k = count - 1; k >= 0; --k) {
    if (kinds[k] == ValueKind::kString) {
      indices->initial = values[k];
      break;
    }
    const int64_t index = NumberRoundWhole(NumberAt(values[k]));
    indices->index[k] = static_cast<int32_t>(std::clamp<int64_t>(index, INT32_MIN, INT32_MAX));
  }
  return kOk;
}

Status ReadArray(Cursor* c) {
  c->kind = KindOfName(c->Operand());
  ArrayIndices indices;
  Status status = EvalIndices(c->Args(), &indices);
  if (status.ok()) status = ArrayPush(c->ArrayName(), indices);
  if (status.ok()) status = StrCheck(StrAreaReturn(c->mark, StrAreaTop()));
  return status;
}

Status ReadCell(Cursor* c) {
  const CellResolver resolver = CurrentCellResolver();
  if (!resolver) return kSyntaxError;
  const StrRef name = c->Operand();
  c->kind = KindOfName(name);
  ArgList args{c->Args(), 0};
  int16_t line = 0;
  for (bool first = true; !args.AtEnd(); first = false) {
    ValueKind kind;
    Status status = EvalNextArgument(&args, &kind);
    if (IsEvalFailure(status)) return status;
    if (!first) continue;
    int64_t a = NumberAt(StrAreaTop());
    if (kind == ValueKind::kString) {
      status = NumberFromText(StrAreaTop(), &a);
      if (!status.ok()) return status;
    }
    line = NumberToInteger(a);
  }
  const StrRef answer = resolver(name, line);
  Status status = AsFailure(StrCheck(answer));
  if (status.ok()) status = VarPushText(VarKindOf(name), answer);
  if (status.ok()) status = StrCheck(StrAreaReturn(c->mark, StrAreaTop()));
  return status;
}

Status ReadField(Cursor* c) {
  FieldValue field;
  Status status = AsFailure(CurrentFieldAccess().Read(c->Operand(), &field));
  if (!status.ok()) return status;
  if (FieldTypeIsText(field.type)) {
    c->kind = ValueKind::kString;
    status = StrAreaPushCopy(field.text);
  } else {
    c->kind = ValueKind::kNumber;
    c->numeric_field = true;
    int64_t a = 0;
    status = NumberFromText(field.text, &a);
    if (status.ok()) status = PushNumber(a);
  }
  if (status.ok()) status = StrCheck(StrAreaReturn(c->mark, StrAreaTop()));
  return status;
}

// The dispatcher of a function call: the function's leading arguments are evaluated onto group
// 35, the function runs, and group 35 is cut back to where it was, whatever happened. Exactly
// one result of the kind the name promises survives; a function that answers 125 (its result
// has the other kind) or pushes nothing leaves the empty value of the promised kind.
Status CallFunction(Cursor* c) {
  FunctionTable& table = CurrentFunctionTable();
  c->kind = KindOfName(c->Operand());
  const uint16_t depth = SlotCount(kGroupArguments);
  ArgList args{c->Args(), 0};
  ArgKinds kinds;
  Status status = EvalArguments(&args, table.PreEvaluated(c->function), &kinds);
  if (status.ok()) status = table.Run(c->function, kinds, &args);
  const Status truncated = SlotTruncate(kGroupArguments, depth);
  if (!IsEvalFailure(status) && !truncated.ok()) status = truncated;
  if (IsEvalFailure(status)) return status;
  if (StrAreaMark() == c->mark || status == kTypeWarning) {
    StrAreaRelease(c->mark);
    const Status pushed =
        c->kind == ValueKind::kString ? StrAreaPushCopy(StrLit("")) : PushNumber(0);
    return pushed.ok() ? status : pushed;
  }
  const StrRef result = StrAreaTop();
  if (c->kind == ValueKind::kNumber && result.len != kNumberSize) return kInternalError;
  const Status kept = StrCheck(StrAreaReturn(c->mark, result));
  return kept.ok() ? status : kept;
}

Status ReadLiteral(Cursor* c) {
  const StrRef operand = c->Operand();
  if (c->cls == OperandClass::kStringLiteral) {
    c->kind = ValueKind::kString;
    const StrRef trimmed = StrTrim(operand, kTrimBoth);
    const StrRef inner = StrUnquote(trimmed);
    return inner.len != trimmed.len ? StrAreaPushCopy(inner) : StrCheck(StrUpper(trimmed));
  }
  c->kind = ValueKind::kNumber;
  int16_t constant = 0;
  if (VarConstant(operand, &constant)) return PushNumber(IntegerToNumber(constant));
  int64_t a = 0;
  Status status = NumberFromText(operand, &a);
  return status.ok() ? PushNumber(a) : status;
}

Status EvalOperand(Cursor* c) {
  c->mark = StrAreaMark();
  Status status = kOk;
  switch (c->cls) {
    case OperandClass::kEmpty:
      c->kind = ValueKind::kNumber;
      status = PushNumber(0);
      if (status.ok()) status = kNullExpression;
      break;
    case OperandClass::kParenthesised:
      status = EvalItems(c->Args(), &c->kind, nullptr);
      break;
    case OperandClass::kFunction:
      status = CallFunction(c);
      break;
    case OperandClass::kArray:
      status = ReadArray(c);
      break;
    case OperandClass::kCell:
      status = ReadCell(c);
      break;
    case OperandClass::kStringVariable:
      c->kind = ValueKind::kString;
      status = VarPush(c->Operand());
      break;
    case OperandClass::kNumberVariable:
    case OperandClass::kIntegerVariable:
      c->kind = ValueKind::kNumber;
      status = VarPush(c->Operand());
      break;
    case OperandClass::kField:
      status = ReadField(c);
      break;
    case OperandClass::kStringLiteral:
    case OperandClass::kNumericLiteral:
      status = ReadLiteral(c);
      break;
    case OperandClass::kValue:
      return kInternalError;
  }
  // The operand right of '=' must have the kind its function promised.
  if (status == kTypeWarning && c->before == kOpAssign) status = kTypeMismatch;
  if (IsEvalFailure(status)) {
    StrAreaRelease(c->mark);
    // A failure inside parentheses has been reported by its own operand.
    return c->cls == OperandClass::kParenthesised ? status : Fail(status, c->Whole());
  }
  c->value = StrAreaTop();
  c->evaluated = true;
  c->status = status;
  return kOk;
}

// ---- Combining -------------------------------------------------------------------------

// left op right, for every operator but assignment.
Status Combine(Operator op, Cursor* left, Cursor* right) {
  Status status = Materialize(right);
  if (IsEvalFailure(status)) return status;
  const StrRef a = left->value;
  const StrRef b = right->value;
  int64_t number = 0;
  ValueKind kind = ValueKind::kNumber;
  bool pushed = false;
  if (left->kind == ValueKind::kNumber && right->kind == ValueKind::kNumber) {
    status = ApplyNumbers(op, NumberAt(a), NumberAt(b), &number);
  } else if (left->kind == ValueKind::kString && right->kind == ValueKind::kString) {
    status = ApplyStrings(op, a, b, &kind);
    pushed = true;
  } else if (left->numeric_field && right->kind == ValueKind::kString) {
    int64_t converted = 0;
    status = NumberFromText(b, &converted);
    if (status.ok()) status = ApplyNumbers(op, NumberAt(a), converted, &number);
  } else {
    status = kTypeMismatch;
  }
  if (!status.ok()) return Fail(status, Span(left->text, left->start, right->end));
  const StrRef result =
      pushed ? StrAreaTop() : StrMake(reinterpret_cast<char*>(&number), kNumberSize);
  return TakeResult(left, result, kind, *right);
}

// left = right: the left operand is a target, not a value.
Status Assign(Cursor* left, Cursor* right) {
  Status status = Materialize(right);
  if (IsEvalFailure(status)) return status;
  const StrRef value = right->value;
  const ValueKind kind = right->kind;
  const StrRef target = left->Operand();
  switch (left->cls) {
    case OperandClass::kArray: {
      ArrayIndices indices;
      status = EvalIndices(left->Args(), &indices);
      if (status.ok()) status = ArrayAssign(left->ArrayName(), indices, value, kind);
      break;
    }
    case OperandClass::kFunction:
      status = CurrentFunctionTable().Assign(left->function, ArgList{left->Args(), 0}, value, kind);
      break;
    case OperandClass::kField: {
      const StrRef text = kind == ValueKind::kString ? value : NumberToText(NumberAt(value));
      status = StrCheck(text);
      if (status.ok()) status = CurrentFieldAccess().Write(target, text);
      break;
    }
    case OperandClass::kStringVariable:
      status = kind == ValueKind::kString ? VarAssign(target, value, kind) : Status(kTypeMismatch);
      break;
    case OperandClass::kNumberVariable:
    case OperandClass::kIntegerVariable:
      status = kind == ValueKind::kNumber ? VarAssign(target, value, kind) : Status(kTypeMismatch);
      break;
    default:
      status = kSyntaxError;
      break;
  }
  status = AsFailure(status);
  if (!status.ok()) return Fail(status, Span(left->text, left->start, right->end));
  return TakeResult(left, value, kind, *right);
}

// `sign` is an empty operand followed by '-' or '+': a sign in front of the operand after it,
// which reaches over the operators that bind tighter than + and - and than the operator in
// front of the sign (2*-3+1 is -5, 10/-2*5 is -25).
Status ApplySign(Cursor* sign);

// An empty operand followed by an operator: a sign, or a 0 that its operator applies to.
Status CompleteEmpty(Cursor* empty) {
  if (empty->op == kOpNone) {
    return Fail(kSyntaxError, Span(empty->text, empty->start ? empty->start - 1 : 0, empty->pos));
  }
  if (empty->op == kOpSubtract || empty->op == kOpAdd) return ApplySign(empty);
  return Climb(empty, OperatorPriority(empty->op));
}

Status ApplySign(Cursor* sign) {
  Cursor operand;
  operand.text = sign->text;
  Status status = ReadOperand(&operand, sign->pos, sign->op);
  if (!IsEvalFailure(status) && operand.cls == OperandClass::kEmpty) {
    status = CompleteEmpty(&operand);
  }
  const uint8_t reach = std::max<uint8_t>(kSignOperandPriority, OperatorPriority(sign->before) + 1);
  if (!IsEvalFailure(status)) status = Climb(&operand, reach);
  if (!IsEvalFailure(status)) status = Materialize(&operand);
  if (IsEvalFailure(status)) return status;
  int64_t number = NumberAt(operand.value);
  if (operand.kind == ValueKind::kString) {
    status = kTypeMismatch;
  } else if (sign->op == kOpSubtract) {
    status = NumberSubtract(0, number, &number);
  }
  if (!status.ok()) return Fail(status, Span(sign->text, sign->start, operand.end));
  return TakeResult(sign, StrMake(reinterpret_cast<char*>(&number), kNumberSize),
                    ValueKind::kNumber, operand);
}

// Priority climbing: combines the left operand with what follows while the operators bind at
// least as tightly as min_priority. Operators of equal priority associate to the left,
// assignments to the right.
Status Climb(Cursor* left, uint8_t min_priority) {
  while (left->op != kOpNone && OperatorPriority(left->op) >= min_priority) {
    const Operator op = left->op;
    const uint8_t priority = OperatorPriority(op);
    Status status = op == kOpAssign ? Status(kOk) : Materialize(left);
    if (IsEvalFailure(status)) return status;
    Cursor right;
    right.text = left->text;
    status = ReadOperand(&right, left->pos, op);
    if (IsEvalFailure(status)) return status;
    if (right.cls == OperandClass::kEmpty) {
      if (right.op == kOpNone || (op != kOpAssign && left->kind == ValueKind::kString)) {
        return Fail(kSyntaxError, Span(left->text, left->start, right.pos));
      }
      status = CompleteEmpty(&right);
      if (IsEvalFailure(status)) return status;
    }
    while (right.op != kOpNone &&
           (OperatorPriority(right.op) > priority || (op == kOpAssign && right.op == kOpAssign))) {
      status = Climb(&right, OperatorPriority(right.op));
      if (IsEvalFailure(status)) return status;
    }
    status = op == kOpAssign ? Assign(left, &right) : Combine(op, left, &right);
    if (IsEvalFailure(status)) return status;
  }
  return kOk;
}

// ---- Items -----------------------------------------------------------------------------

// One item: an operand and everything combined with it, up to the end of the item. Its value is
// left as the one temporary above the entry mark.
Status EvalItem(Cursor* c, uint32_t from) {
  // Parentheses and function arguments nest by recursion through here; bounded so that a text
  // nested thousands deep ends with a status instead of exhausting the process stack.
  if (g_nesting >= kMaxNesting) return kOutOfMemory;
  ++g_nesting;
  struct Leave {
    ~Leave() { --g_nesting; }
  } leave;
  Status status = ReadOperand(c, from, kOpNone);
  if (!IsEvalFailure(status)) status = Climb(c, 0);
  if (!IsEvalFailure(status)) status = Materialize(c);
  return status;
}

// Evaluates the items of a prepared text one after the other; the value of the last is left as
// the newest temporary. Answers the last item's status (0, 123 or a warning) or the failure,
// with the start of the failing item in *item_start.
Status EvalItems(StrRef text, ValueKind* kind, uint32_t* item_start) {
  const uint16_t mark = StrAreaMark();
  uint32_t pos = 0;
  Status status = kOk;
  do {
    StrAreaRelease(mark);
    if (item_start) *item_start = pos;
    Cursor c;
    c.text = text;
    status = EvalItem(&c, pos);
    if (IsEvalFailure(status)) {
      StrAreaRelease(mark);
      return status;
    }
    status = c.status;
    *kind = c.kind;
    pos = c.pos;
  } while (pos < text.len);
  return status;
}

// Evaluates a prepared text; a failure is reported once more with the text of its item and
// latched.
Status EvaluatePrepared(StrRef prepared, ValueKind* kind) {
  uint32_t item = 0;
  const Status status = EvalItems(prepared, kind, &item);
  if (IsEvalFailure(status)) {
    (void)Fail(status, Span(prepared, item, ItemEnd(prepared, item)));
  }
  return status;
}

}  // namespace

// ---- Public entry points ---------------------------------------------------------------

Status Evaluate(StrRef text, ValueKind* kind) {
  const uint16_t mark = StrAreaMark();
  StrRef prepared;
  ValueKind result_kind = ValueKind::kNumber;
  Status status = Prepare(text, &prepared);
  if (!IsEvalFailure(status)) status = EvaluatePrepared(prepared, &result_kind);
  if (!IsEvalFailure(status)) {
    const StrRef result = StrAreaReturn(mark, StrAreaTop());
    if (result.IsStatus()) status = StrCheck(result);
  }
  if (IsEvalFailure(status)) {
    LatchRecord(kLatchFirst, kSiteExpExec, status);
    StrAreaRelease(mark);
    return status;
  }
  *kind = result_kind;
  return status;
}

Status EvalCondition(StrRef text, bool* truth) {
  *truth = false;
  if (text.IsStatus()) return StrCheck(text);
  if (StrTrim(text, kTrimBoth).empty()) {
    *truth = true;
    return kOk;
  }
  StrAreaScope scope;
  ValueKind kind;
  const Status status = Evaluate(text, &kind);
  if (IsEvalFailure(status)) return status;
  *truth = kind == ValueKind::kNumber && NumberAt(StrAreaTop()) != 0;
  return kOk;
}

namespace {

// The result of an evaluation as a scaled number (a string read as a number).
Status EvalScaled(StrRef text, int64_t* number) {
  *number = 0;
  StrAreaScope scope;
  ValueKind kind;
  Status status = Evaluate(text, &kind);
  if (IsEvalFailure(status)) return status;
  if (kind == ValueKind::kNumber) {
    *number = NumberAt(StrAreaTop());
    return kOk;
  }
  status = NumberFromText(StrAreaTop(), number);
  if (!status.ok()) LatchRecord(kLatchFirst, kSiteExpExec, status);
  return status;
}

}  // namespace

int16_t EvalInteger(StrRef text, Status* status) {
  int64_t number = 0;
  const Status result = EvalScaled(text, &number);
  if (status) *status = result;
  return result.ok() ? NumberToInteger(number) : 0;
}

int64_t EvalNumber(StrRef text, Status* status) {
  int64_t number = 0;
  const Status result = EvalScaled(text, &number);
  if (status) *status = result;
  return result.ok() ? number : 0;
}

StrRef EvalText(StrRef text) {
  StrAreaScope scope;
  ValueKind kind;
  const Status status = Evaluate(text, &kind);
  if (IsEvalFailure(status)) return scope.Return(StrError(status));
  if (kind == ValueKind::kString) return scope.Return(StrAreaTop());
  return scope.Return(NumberToText(NumberAt(StrAreaTop())));
}

Status EvalStatus(StrRef text) {
  StrAreaScope scope;
  ValueKind kind;
  const Status status = Evaluate(text, &kind);
  return status >= kTypeMismatch ? status : Status(kOk);
}

Status EvalStatements(StrRef list) { return EvalStatus(list); }

Status EvalAssignment(StrRef statement) {
  StrAreaScope scope;
  StrRef prepared;
  Status status = Prepare(statement, &prepared);
  if (!IsEvalFailure(status)) {
    // One item whose first operand is followed by '=' (not by "==").
    uint32_t i = OperandEnd(prepared, 0);
    if (i < prepared.len && prepared[i] == '(') {
      const uint32_t close = MatchParen(prepared, i);
      i = close == kNoPosition ? prepared.len : close + 1;
    }
    const bool assigns = i < prepared.len && prepared[i] == '=' &&
                         !(i + 1 < prepared.len && IsOperatorSecond(prepared[i + 1]));
    if (!assigns || ItemEnd(prepared, 0) != prepared.len) {
      status = Fail(kSyntaxError, statement);
    } else {
      ValueKind kind;
      status = EvaluatePrepared(prepared, &kind);
    }
  }
  if (IsEvalFailure(status)) LatchRecord(kLatchFirst, kSiteExpExec, status);
  return status >= kTypeMismatch ? status : Status(kOk);
}

// ---- The evaluator's side of a function call -------------------------------------------

Status EvalArguments(ArgList* args, uint16_t limit, ArgKinds* kinds) {
  *kinds = ArgKinds{};
  limit = std::min(limit, kMaxArguments);
  const uint16_t mark = StrAreaMark();
  while (kinds->count < limit && !args->AtEnd()) {
    Cursor c;
    c.text = args->text;
    Status status = EvalItem(&c, args->pos);
    if (IsEvalFailure(status)) {
      StrAreaRelease(mark);
      return status;
    }
    const bool omitted = c.cls == OperandClass::kEmpty;
    status = SlotPush(kGroupArguments, omitted ? StrRef{&kOmittedArgument, 1} : c.value);
    StrAreaRelease(mark);
    if (!status.ok()) return status;
    kinds->kind[kinds->count++] = omitted                        ? kArgOmitted
                                  : c.kind == ValueKind::kString ? kArgString
                                                                 : 0;
    args->pos = c.pos;
  }
  return kOk;
}

Status EvalNextArgument(ArgList* args, ValueKind* kind) {
  *kind = ValueKind::kNumber;
  if (args->AtEnd()) {
    const Status status = PushNumber(0);
    return status.ok() ? Status(kNullExpression) : status;
  }
  const uint16_t mark = StrAreaMark();
  Cursor c;
  c.text = args->text;
  const Status status = EvalItem(&c, args->pos);
  if (IsEvalFailure(status)) {
    StrAreaRelease(mark);
    return status;
  }
  args->pos = c.pos;
  *kind = c.kind;
  return c.status;
}

StrRef NextArgumentText(ArgList* args) {
  if (args->AtEnd()) return StrMake(args->text.ptr ? args->text.end() : "", 0);
  const uint32_t end = ItemEnd(args->text, args->pos);
  const StrRef text = Span(args->text, args->pos, end);
  args->pos = end + 1;
  return text;
}

}  // namespace engine
