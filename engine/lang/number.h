// Scaled fixed-point numbers: a number is a 64-bit signed integer holding the value times
// 10^_PRECIS. This file owns the arithmetic on them (products, quotients and percentages through
// 128-bit intermediates, rounding to nearest with halves away from zero), the conversions to and
// from integers, the reading of a text as a number and the canonical number text.
//
// A result that does not fit 64 bits is status 155 (EXPCALCERROR), never a wrapped amount.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// The range of _PRECIS: 10^9 squared still fits 64 bits, so every product of two scales fits
// the 128-bit intermediates with room to spare.
inline constexpr int16_t kMaxPrecis = 9;
inline constexpr uint16_t kNumberSize = 8;  // bytes of a number temporary

// The decimals of every number: _PRECIS, taken within 0..kMaxPrecis (assignments refuse values
// outside it; a value set by number elsewhere reads as the nearest bound).
int Precis();
// 10^Precis().
int64_t PrecisScale();

// ---- Arithmetic ------------------------------------------------------------------------
// a and b are scaled numbers; s is PrecisScale().

[[nodiscard]] Status NumberAdd(int64_t a, int64_t b, int64_t* out);
[[nodiscard]] Status NumberSubtract(int64_t a, int64_t b, int64_t* out);
// round(a·b / s)
[[nodiscard]] Status NumberMultiply(int64_t a, int64_t b, int64_t* out);
// round(a·s / b); a divisor of 0 gives 0.
[[nodiscard]] Status NumberDivide(int64_t a, int64_t b, int64_t* out);
// b percent of a: round(round(a·b / 100) / s).
[[nodiscard]] Status NumberPercent(int64_t a, int64_t b, int64_t* out);
// a rounded to n = trunc(b / s) decimals and kept with Precis() decimals; n above Precis()
// multiplies a by 10^(n − Precis()).
[[nodiscard]] Status NumberRound(int64_t a, int64_t b, int64_t* out);
// The integer part trunc(a / s), and the number of an integer part (x · s, checked).
int64_t NumberTruncate(int64_t a);
[[nodiscard]] Status NumberFromWhole(int64_t x, int64_t* out);

// ---- Conversions -----------------------------------------------------------------------

// n · s; never overflows for an integer.
int64_t IntegerToNumber(int16_t n);
// round(a / s), halves away from zero.
int64_t NumberRoundWhole(int64_t a);
// NumberRoundWhole(a) keeping the low 16 bits, as integer variables do.
int16_t NumberToInteger(int64_t a);
// Reads a text as a number: blanks trimmed, an optional sign, digits, an optional '.' and
// decimals (rounded to Precis() places, halves away from zero), reading stopping at the first
// other character; a 'D' followed by an integer c multiplies the value by 10^c ("15D2" is 1500,
// "1.5D2" is 150). 155 when the value does not fit.
[[nodiscard]] Status NumberFromText(StrRef text, int64_t* out);
// Pushes the canonical text: the value with Precis() decimals, trailing zeros of the fraction
// dropped, no zero before the point; zero is the empty text when Precis() > 0.
StrRef NumberToText(int64_t a);

// ---- Number temporaries ----------------------------------------------------------------

[[nodiscard]] Status PushNumber(int64_t a);
// The value of an 8-byte number temporary; 0 for a value of another length.
int64_t NumberAt(StrRef value);

}  // namespace engine
