// The characters and operators of the expression language: the delimiter set, the operator table
// with the priorities, and what each operator does on two numbers and on two strings.
#pragma once

#include <array>
#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/lang/variables.h"

namespace engine {

// The delimiters end an operand; the last six may also be the second character of an operator.
// The division sign is the single byte 0xF7.
inline constexpr StrRef kDelimiters = StrLit("*/!%\xF7+-(;,:)=><&@|");
inline constexpr uint16_t kOperatorSecondFrom = 12;  // position of the first of the last six

namespace internal {
// Bit 1: a delimiter; bit 2: one of the last six.
constexpr std::array<uint8_t, 256> BuildCharClasses() {
  std::array<uint8_t, 256> classes{};
  for (uint16_t i = 0; i < kDelimiters.len; ++i) {
    const auto c = static_cast<unsigned char>(kDelimiters.ptr[i]);
    classes[c] = static_cast<uint8_t>(1 | (i >= kOperatorSecondFrom ? 2 : 0));
  }
  return classes;
}
inline constexpr std::array<uint8_t, 256> kCharClasses = BuildCharClasses();
}  // namespace internal

inline bool IsDelimiter(char c) {
  return internal::kCharClasses[static_cast<unsigned char>(c)] & 1;
}
inline bool IsOperatorSecond(char c) {
  return internal::kCharClasses[static_cast<unsigned char>(c)] & 2;
}

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
