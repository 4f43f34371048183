// The characters and operators of the expression language: the delimiter set, the operator table
// with the priorities, and what each operator does on two numbers and on two strings.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/lang/variables.h"

namespace engine {

// The delimiters end an operand; the last six may also be the second character of an operator.
// The division sign is the single byte 0xF7.
inline constexpr StrRef kDelimiters = StrLit("*/!%\xF7+-(;,:)=><&@|");
inline constexpr uint16_t kOperatorSecondFrom = 12;  // position of the first of the last six

bool IsDelimiter(char c);
bool IsOperatorSecond(char c);

// Operator numbers: 1-based positions in the operator table.
enum Operator : uint8_t {
  kOpNone = 0,
  kOpMultiply,      // *
  kOpDivide,        // /
  kOpRound,         // !
  kOpPercent,       // %
  kOpLessPercent,   // ÷
  kOpAdd,           // +
  kOpSubtract,      // -
  kOpAssign,        // =
  kOpGreater,       // >
  kOpLess,          // <
  kOpEqual,         // ==
  kOpGreaterEqual,  // >=
  kOpLessEqual,     // <=
  kOpNotEqual,      // <>
  kOpBitAnd,        // &
  kOpBitOr,         // |  (the union of two numbers without common bits)
  kOpAt,            // @  (as |)
  kOpAnd,           // &&
  kOpOr,            // ||
  kOpExclusive,     // @@
};

// The operator written as `text` (one or two bytes); kOpNone when it is not in the table.
Operator FindOperator(StrRef text);
// Higher binds tighter; assignment is 0.
uint8_t OperatorPriority(Operator op);
// The operator's text, for messages.
StrRef OperatorText(Operator op);

// The operator on two numbers (scaled, see number.h). Assignment is not applied here (147).
// 155 when the result does not fit.
[[nodiscard]] Status ApplyNumbers(Operator op, int64_t a, int64_t b, int64_t* out);
// The operator on two strings: pushes the result (a string for +, a number for comparisons)
// and sets *kind. 147 for any other operator.
[[nodiscard]] Status ApplyStrings(Operator op, StrRef a, StrRef b, ValueKind* kind);

}  // namespace engine
