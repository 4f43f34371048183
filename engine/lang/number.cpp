// Scaled fixed-point arithmetic, number text in both directions, and number temporaries.
#include "engine/lang/number.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

using Int128 = __int128;
using UInt128 = unsigned __int128;

constexpr int kMaxPow10 = 38;  // the largest power of ten an Int128 holds

constexpr Int128 Pow10(int n) {
  Int128 value = 1;
  for (int i = 0; i < n; ++i) value *= 10;
  return value;
}

constexpr UInt128 Magnitude(Int128 v) { return v < 0 ? UInt128(0) - UInt128(v) : UInt128(v); }

// a / d rounded to nearest, halves away from zero; 0 when d is 0. Exact for every a and d whose
// magnitudes stay below 2^126, which all callers respect.
Int128 ScaledDivide(Int128 a, Int128 d) {
  if (d == 0) return 0;
  const UInt128 ua = Magnitude(a);
  const UInt128 ud = Magnitude(d);
  UInt128 q = ua / ud;
  const UInt128 r = ua % ud;
  if (r >= ud - r) ++q;  // 2·r ≥ |d| without overflowing 2·r
  const bool negative = (a < 0) != (d < 0);
  return negative ? -Int128(q) : Int128(q);
}

Status Fit(Int128 value, int64_t* out) {
  if (value < std::numeric_limits<int64_t>::min() || value > std::numeric_limits<int64_t>::max()) {
    return kExpCalcError;
  }
  *out = static_cast<int64_t>(value);
  return kOk;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

int Precis() { return std::clamp<int>(SysWord(kSysPrecis), 0, kMaxPrecis); }

int64_t PrecisScale() { return static_cast<int64_t>(Pow10(Precis())); }

// ---- Arithmetic ------------------------------------------------------------------------

Status NumberAdd(int64_t a, int64_t b, int64_t* out) { return Fit(Int128(a) + b, out); }

Status NumberSubtract(int64_t a, int64_t b, int64_t* out) { return Fit(Int128(a) - b, out); }

Status NumberMultiply(int64_t a, int64_t b, int64_t* out) {
  return Fit(ScaledDivide(Int128(a) * b, PrecisScale()), out);
}

Status NumberDivide(int64_t a, int64_t b, int64_t* out) {
  return Fit(ScaledDivide(Int128(a) * PrecisScale(), b), out);
}

Status NumberPercent(int64_t a, int64_t b, int64_t* out) {
  return Fit(ScaledDivide(ScaledDivide(Int128(a) * b, 100), PrecisScale()), out);
}

Status NumberRound(int64_t a, int64_t b, int64_t* out) {
  const int64_t decimals = NumberTruncate(b);
  const int precis = Precis();
  if (decimals == precis || a == 0) {
    *out = a;
    return kOk;
  }
  if (decimals > precis) {
    // Any non-zero number times 10^19 or more is beyond 64 bits.
    const int64_t up = decimals - precis;
    if (up > 18) return kExpCalcError;
    return Fit(Int128(a) * Pow10(static_cast<int>(up)), out);
  }
  // Rounding to a power of ten beyond any 64-bit magnitude leaves nothing.
  const int64_t down = precis - decimals;
  if (down > kMaxPow10) {
    *out = 0;
    return kOk;
  }
  const Int128 unit = Pow10(static_cast<int>(down));
  return Fit(ScaledDivide(a, unit) * unit, out);
}

int64_t NumberTruncate(int64_t a) { return a / PrecisScale(); }

Status NumberFromWhole(int64_t x, int64_t* out) { return Fit(Int128(x) * PrecisScale(), out); }

// ---- Conversions -----------------------------------------------------------------------

int64_t IntegerToNumber(int16_t n) { return n * PrecisScale(); }

int64_t NumberRoundWhole(int64_t a) { return static_cast<int64_t>(ScaledDivide(a, PrecisScale())); }

int16_t NumberToInteger(int64_t a) {
  return static_cast<int16_t>(static_cast<uint16_t>(NumberRoundWhole(a) & 0xFFFF));
}

Status NumberFromText(StrRef text, int64_t* out) {
  *out = 0;
  if (text.IsStatus()) return StrCheck(text);
  const StrRef t = StrTrim(text, kTrimBoth);
  // The decimal point moves right by _PRECIS places, and by the count after a 'D'.
  int64_t shift = Precis();
  StrRef m = t;
  const uint16_t exponent_at = StrFindChar(t, 0, 'D', true);
  if (exponent_at != kNothing) {
    m = StrSub(t, 0, exponent_at);
    constexpr int64_t kShiftLimit = 1000;  // far beyond any value that fits
    shift +=
        std::clamp<int64_t>(StrToInt64(StrSub(t, exponent_at + 1, -1)), -kShiftLimit, kShiftLimit);
  }
  size_t i = 0;
  bool negative = false;
  if (i < m.len && (m[i] == '+' || m[i] == '-')) negative = m[i++] == '-';
  const size_t int_begin = i;
  while (i < m.len && IsDigit(m[i])) ++i;
  const size_t int_count = i - int_begin;
  size_t frac_begin = i;
  size_t frac_count = 0;
  if (i < m.len && m[i] == '.') {
    frac_begin = ++i;
    while (i < m.len && IsDigit(m[i])) ++i;
    frac_count = i - frac_begin;
  }
  const int64_t total = static_cast<int64_t>(int_count + frac_count);
  auto digit_at = [&](int64_t k) -> unsigned {
    if (k < 0 || k >= total) return 0;
    const size_t at = static_cast<size_t>(k) < int_count
                          ? int_begin + static_cast<size_t>(k)
                          : frac_begin + static_cast<size_t>(k) - int_count;
    return static_cast<unsigned>(m[at] - '0');
  };
  // The digits before the moved point make the scaled value; the first one after it rounds.
  const int64_t point = static_cast<int64_t>(int_count) + shift;
  constexpr UInt128 kLimit = UInt128(1) << 64;
  UInt128 value = 0;
  for (int64_t k = 0; k < point; ++k) {
    value = value * 10 + digit_at(k);
    if (value > kLimit) return kExpCalcError;
  }
  if (digit_at(point) >= 5) ++value;
  return Fit(negative ? -Int128(value) : Int128(value), out);
}

StrRef NumberToText(int64_t a) {
  const int precis = Precis();
  char digits[24];
  uint64_t magnitude = a < 0 ? 0 - static_cast<uint64_t>(a) : static_cast<uint64_t>(a);
  int count = 0;
  while (magnitude != 0 || count < precis) {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  }
  // digits[] holds the value backwards; the first `precis` of them are the fraction.
  int fraction_start = 0;
  while (fraction_start < precis && digits[fraction_start] == '0') ++fraction_start;
  char text[32];
  size_t n = 0;
  if (a < 0) text[n++] = '-';
  for (int k = count - 1; k >= precis; --k) text[n++] = digits[k];
  if (fraction_start < precis) {
    text[n++] = '.';
    for (int k = precis - 1; k >= fraction_start; --k) text[n++] = digits[k];
  }
  if (a == 0 && precis == 0) text[n++] = '0';
  return StrAreaReturn(StrAreaMark(), StrMake(text, n));
}

// ---- Number temporaries ----------------------------------------------------------------

Status PushNumber(int64_t a) {
  Status status = StrAreaAlloc(kNumberSize);
  if (status.ok()) std::memcpy(StrWritable(StrAreaTop()), &a, kNumberSize);
  return status;
}

int64_t NumberAt(StrRef value) {
  int64_t a = 0;
  if (value.ptr && value.len == kNumberSize) std::memcpy(&a, value.ptr, kNumberSize);
  return a;
}

}  // namespace engine
