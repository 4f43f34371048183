// The operator table and the operators' work on numbers and strings.
#include "engine/lang/operators.h"

#include <array>

#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/number.h"
#include "engine/lang/wildcard.h"

namespace engine {

namespace {

struct OperatorDef {
  StrRef text;
  uint8_t priority;
};

// Indexed by operator number; entry 0 stands for "no operator".
constexpr OperatorDef kOperators[] = {
    {StrLit(""), 0},     {StrLit("*"), 4},  {StrLit("/"), 4},  {StrLit("!"), 4},  {StrLit("%"), 4},
    {StrLit("\xF7"), 4}, {StrLit("+"), 3},  {StrLit("-"), 3},  {StrLit("="), 0},  {StrLit(">"), 2},
    {StrLit("<"), 2},    {StrLit("=="), 2}, {StrLit(">="), 2}, {StrLit("<="), 2}, {StrLit("<>"), 2},
    {StrLit("&"), 1},    {StrLit("|"), 5},  {StrLit("@"), 1},  {StrLit("&&"), 1}, {StrLit("||"), 1},
    {StrLit("@@"), 1},
};
static_assert(std::size(kOperators) == kOpExclusive + 1);

// The operator written as one byte, by byte.
constexpr std::array<Operator, 256> BuildSingleByteOperators() {
  std::array<Operator, 256> ops{};
  for (uint8_t op = kOpMultiply; op <= kOpExclusive; ++op) {
    if (kOperators[op].text.len == 1) {
      ops[static_cast<unsigned char>(kOperators[op].text.ptr[0])] = static_cast<Operator>(op);
    }
  }
  return ops;
}
constexpr std::array<Operator, 256> kSingleByteOperators = BuildSingleByteOperators();

// The comparison of text_ops for a comparison operator; 0 for the others.
int CompareCode(Operator op) {
  switch (op) {
    case kOpGreater:
      return kCompareGreater;
    case kOpLess:
      return kCompareLess;
    case kOpEqual:
      return kCompareEqual;
    case kOpGreaterEqual:
      return kCompareGreaterEqual;
    case kOpLessEqual:
      return kCompareLessEqual;
    default:
      return 0;
  }
}

// The bitwise operands: the integer parts of both numbers.
struct Whole {
  int64_t x;
  int64_t y;
};

}  // namespace

Operator FindOperator(StrRef text) {
  if (text.len == 1) return kSingleByteOperators[text.byte(0)];
  for (uint8_t op = kOpMultiply; op <= kOpExclusive; ++op) {
    if (kOperators[op].text.view() == text.view()) return static_cast<Operator>(op);
  }
  return kOpNone;
}

uint8_t OperatorPriority(Operator op) { return kOperators[op].priority; }

StrRef OperatorText(Operator op) { return kOperators[op].text; }

Status ApplyNumbers(Operator op, int64_t a, int64_t b, int64_t* out) {
  const int64_t truth = PrecisScale();
  auto flag = [&](bool holds) {
    *out = holds ? truth : 0;
    return Status(kOk);
  };
  const Whole w{NumberTruncate(a), NumberTruncate(b)};
  switch (op) {
    case kOpMultiply:
      return NumberMultiply(a, b, out);
    case kOpDivide:
      return NumberDivide(a, b, out);
    case kOpRound:
      return NumberRound(a, b, out);
    case kOpPercent:
      return NumberPercent(a, b, out);
    case kOpLessPercent: {
      int64_t part = 0;
      Status status = NumberPercent(a, b, &part);
      return status.ok() ? NumberSubtract(a, part, out) : status;
    }
    case kOpAdd:
      return NumberAdd(a, b, out);
    case kOpSubtract:
      return NumberSubtract(a, b, out);
    case kOpGreater:
      return flag(a > b);
    case kOpLess:
      return flag(a < b);
    case kOpEqual:
      return flag(a == b);
    case kOpGreaterEqual:
      return flag(a >= b);
    case kOpLessEqual:
      return flag(a <= b);
    case kOpNotEqual:
      return flag(a != b);
    case kOpBitAnd:
      return NumberFromWhole(w.x & w.y, out);
    case kOpBitOr:
    case kOpAt:
      return NumberFromWhole((w.x & w.y) == 0 ? (w.x | w.y) : 0, out);
    case kOpAnd:
      return flag(a != 0 && b != 0);
    case kOpOr:
      return flag(a != 0 || b != 0);
    case kOpExclusive:
      return flag((w.x | w.y) != 0 && (w.x & w.y) == 0);
    default:
      return kSyntaxError;
  }
}

Status ApplyStrings(Operator op, StrRef a, StrRef b, ValueKind* kind) {
  if (op == kOpAdd) {
    *kind = ValueKind::kString;
    return StrConcat(a, b);
  }
  bool holds;
  if (op == kOpNotEqual) {
    holds = !StrCompareOp(a, b, kCompareEqual);
  } else if (const int code = CompareCode(op)) {
    holds = StrCompareOp(a, b, code);
    // Equality with a '*' on the right may hold as a wildcard match.
    if (op == kOpEqual && !holds && !SysWordTest(kSysAuxStat, kAuxNoWildcards) &&
        b.view().find(kWildcard) != std::string_view::npos) {
      holds = WildcardMatch(a, b);
    }
  } else {
    return kSyntaxError;
  }
  *kind = ValueKind::kNumber;
  return PushNumber(holds ? PrecisScale() : 0);
}

}  // namespace engine
