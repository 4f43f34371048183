// Edit masks: type-code masks, the decimals suffix, numeric masks with their widening, and text
// masks.
#include "engine/lang/masks.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/lang/format_params.h"

namespace engine {

namespace {

// Digits of a value beyond this many find no mask wide enough to matter: the integer part
// overflows, further decimals only round.
constexpr uint16_t kMaxDigits = 96;
constexpr uint16_t kNone = 0xFFFF;
constexpr uint16_t kEnvMaskParams = 10;  // item (0, 10): decimals chosen by a suffix number
constexpr StrRef kDecimalsSuffix = StrLit(",.");

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsDigitPosition(char c) { return c == '#' || c == '0'; }
bool IsTextPosition(char c) { return c == '\\' || c == '?'; }

// The first position character of the mask, or 0 when it has none.
char FirstPosition(StrRef mask) {
  for (const char c : mask.view()) {
    if (IsDigitPosition(c) || IsTextPosition(c)) return c;
  }
  return 0;
}

// A writable copy of s on the StringArea.
char* PushWritable(StrRef s, Status* status) {
  *status = StrAreaPushCopy(s);
  return status->ok() ? StrWritable(StrAreaTop()) : nullptr;
}

// ---- Numbers -----------------------------------------------------------------------------

// The digits of a number text: sign, integer digits without leading zeros, decimals.
struct Digits {
  bool negative = false;
  bool any = false;       // the text held a digit
  bool too_long = false;  // more integer digits than kMaxDigits
  uint16_t int_len = 0;
  uint16_t frac_len = 0;
  char integer[kMaxDigits + 1];
  char fraction[kMaxDigits];
};

void AppendInteger(Digits* d, char c) {
  if (d->int_len == 0 && c == '0') return;
  if (d->int_len == kMaxDigits) {
    d->too_long = true;
    return;
  }
  d->integer[d->int_len++] = c;
}

// Reads a number text: blanks trimmed, a sign, digits (thousands separators ',' skipped), a '.'
// and decimals, and a 'D' with a count of places the point moves right; reading stops at any
// other character.
void ReadDigits(StrRef value, Digits* d) {
  const StrRef t = StrTrim(value, kTrimBoth);
  size_t i = 0;
  if (i < t.len && (t[i] == '-' || t[i] == '+')) d->negative = t[i++] == '-';
  for (; i < t.len && (IsDigit(t[i]) || t[i] == ','); ++i) {
    if (t[i] == ',') continue;
    d->any = true;
    AppendInteger(d, t[i]);
  }
  if (i < t.len && t[i] == '.') {
    for (++i; i < t.len && IsDigit(t[i]); ++i) {
      d->any = true;
      if (d->frac_len < kMaxDigits) d->fraction[d->frac_len++] = t[i];
    }
  }
  if (i < t.len && t[i] == 'D' && d->any) {
    const int64_t places = std::clamp<int64_t>(StrToInt64(StrSub(t, i + 1, -1)), 0, kMaxDigits + 1);
    for (int64_t p = 0; p < places; ++p) {
      AppendInteger(d, d->frac_len ? d->fraction[0] : '0');
      if (d->frac_len) std::memmove(d->fraction, d->fraction + 1, --d->frac_len);
    }
  }
}

// The digits rounded to k decimals, halves away from zero.
struct Rounded {
  uint16_t int_len = 0;
  uint16_t frac_len = 0;  // at most k; decimals beyond it print as '0'
  bool nonzero = false;
  bool too_long = false;
  char integer[kMaxDigits + 1];
  char fraction[kMaxDigits];
};

Rounded RoundDigits(const Digits& d, uint16_t k) {
  Rounded r;
  r.too_long = d.too_long;
  r.int_len = d.int_len;
  std::memcpy(r.integer, d.integer, d.int_len);
  r.frac_len = std::min(d.frac_len, k);
  std::memcpy(r.fraction, d.fraction, r.frac_len);
  bool carry = d.frac_len > k && d.fraction[k] >= '5';
  for (int j = r.frac_len - 1; carry && j >= 0; --j) {
    carry = r.fraction[j] == '9';
    r.fraction[j] = carry ? '0' : static_cast<char>(r.fraction[j] + 1);
  }
  for (int j = r.int_len - 1; carry && j >= 0; --j) {
    carry = r.integer[j] == '9';
    r.integer[j] = carry ? '0' : static_cast<char>(r.integer[j] + 1);
  }
  if (carry) {
    if (r.int_len == kMaxDigits) {
      r.too_long = true;
    } else {
      std::memmove(r.integer + 1, r.integer, r.int_len++);
      r.integer[0] = '1';
    }
  }
  for (uint16_t j = 0; j < r.int_len && !r.nonzero; ++j) r.nonzero = r.integer[j] != '0';
  for (uint16_t j = 0; j < r.frac_len && !r.nonzero; ++j) r.nonzero = r.fraction[j] != '0';
  return r;
}

// The number part of a numeric mask: from its first to its last digit position.
struct NumberPart {
  uint16_t first = kNone;
  uint16_t last = kNone;
  uint16_t dot = kNone;  // the first '.' inside, kNone when there is none
  uint16_t int_positions = 0;
  uint16_t decimals = 0;
};

NumberPart Measure(const char* m, uint16_t len) {
  NumberPart p;
  for (uint16_t j = 0; j < len; ++j) {
    if (!IsDigitPosition(m[j])) continue;
    if (p.first == kNone) p.first = j;
    p.last = j;
  }
  return p;
}

// The point and the positions inside the number part [first, last]; widening keeps the part's
// bounds, so a point moved to its last position leaves no decimals and the next move drops it.
void MeasureInside(const char* m, NumberPart* p) {
  p->dot = kNone;
  p->int_positions = 0;
  p->decimals = 0;
  for (uint16_t j = p->first; j <= p->last; ++j) {
    if (m[j] == '.' && p->dot == kNone) {
      p->dot = j;
    } else if (IsDigitPosition(m[j])) {
      ++(p->dot == kNone ? p->int_positions : p->decimals);
    }
  }
}

// Makes room for more integer digits without changing the mask's length: first every ',' of
// the number part becomes a position; after that each step moves the number part one position
// to the right, which moves the '.' right and gives up one decimal. False when no room is left
// to make.
bool Widen(char* m, const NumberPart& p, bool* commas_done) {
  if (!*commas_done) {
    *commas_done = true;
    bool changed = false;
    for (int j = p.last - 1; j >= p.first; --j) {
      if (m[j] != ',') continue;
      m[j] = IsDigitPosition(m[j + 1]) ? m[j + 1] : '#';
      changed = true;
    }
    if (changed) return true;
  }
  if (p.dot == kNone) return false;
  for (uint16_t j = p.last; j > p.first; --j) m[j] = m[j - 1];
  return true;
}

// Fills the number part of `out` (a copy of the mask m) from the right.
void FillNumber(const char* m, char* out, const NumberPart& p, const Digits& d, const Rounded& r,
                const char* shown, uint16_t shown_len, bool sign, char decimal, char thousands) {
  const uint16_t int_end = p.dot == kNone ? p.last : static_cast<uint16_t>(p.dot - 1);
  uint16_t remaining = shown_len;
  int leftmost = -1;
  for (int j = int_end; j >= p.first; --j) {
    const char c = m[j];
    if (IsDigitPosition(c)) {
      if (remaining > 0) {
        out[j] = shown[--remaining];
        leftmost = j;
      } else {
        out[j] = c == '0' ? '0' : ' ';
      }
    } else if (c == ',') {
      out[j] = remaining == 0 && j > p.first && m[j - 1] == '#' ? ' ' : thousands;
    }
  }
  if (p.dot != kNone) {
    out[p.dot] = !d.any && p.dot > p.first && m[p.dot - 1] == '#' ? ' ' : decimal;
    uint16_t t = 0;
    for (uint16_t j = p.dot + 1; j <= p.last; ++j) {
      const char c = m[j];
      if (IsDigitPosition(c)) {
        if (d.any) {
          out[j] = t < r.frac_len ? r.fraction[t] : '0';
          ++t;
        } else {
          out[j] = c == '0' ? '0' : ' ';
        }
      } else if (c == ',') {
        out[j] = thousands;
      }
    }
  }
  if (sign && leftmost > p.first) out[leftmost - 1] = '-';
}

// ---- Decimals suffix ---------------------------------------------------------------------

// Rewrites ",." and a number n (not at the mask's first position) in place: the stretch from the
// first digit position to the last digit of n becomes k decimals, a '.', and integer positions,
// with a ',' at every fourth integer position when the stretch held a ','.
void RewriteDecimalsSuffix(char* m, uint16_t len) {
  const StrRef mask = StrMake(m, len);
  const uint16_t at = StrSearch(mask, 1, kDecimalsSuffix, FindKind::kText, false);
  if (at == kNothing) return;
  uint16_t end = at + 2;
  while (end < len && IsDigit(m[end])) ++end;
  if (end == at + 2) return;
  uint16_t first = kNone;
  for (uint16_t j = 0; j < at && first == kNone; ++j) {
    if (IsDigitPosition(m[j])) first = j;
  }
  if (first == kNone) return;
  const int64_t n = StrToInt64(StrMake(m + at + 2, end - at - 2));
  int64_t k = n;
  const StrRef params = SlotGet(kGroupEnvironment, kEnvMaskParams);
  if (ListCount(params, ',') > 0 && n < 0xFFFF) {
    k = ListFieldInt(params, ',', static_cast<uint16_t>(n + 1));
  }
  const char e = m[first];
  const char f = m[at - 1];
  const bool grouped = std::memchr(m + first, ',', at - first) != nullptr;
  int j = end - 1;
  for (int64_t i = 0; i < k && j >= first; ++i) m[j--] = f;
  if (k > 0 && j >= first) m[j--] = '.';
  for (int q = 1; j >= first; ++q, --j) {
    if (grouped && q % 4 == 0 && j != first) {
      m[j] = ',';
    } else {
      m[j] = q == 1 ? f : e;
    }
  }
}

// ---- Text masks --------------------------------------------------------------------------

StrRef FillText(StrRef mask, StrRef value) {
  StrAreaScope scope;
  Status status;
  char* m = PushWritable(mask, &status);
  if (!m) return scope.Return(StrError(status));
  // A '\' followed by blanks and another '\' reserves the blanks as text positions too.
  for (uint16_t i = 0; i < mask.len; ++i) {
    if (m[i] != '\\') continue;
    uint16_t j = i + 1;
    while (j < mask.len && m[j] == ' ') ++j;
    if (j < mask.len && m[j] == '\\') std::memset(m + i, '\\', j - i);
    i = j - 1;
  }
  const char first = FirstPosition(mask);
  const bool same_position = first == '?' || first == '0';
  uint16_t next = 0;
  for (uint16_t i = 0; i < mask.len; ++i) {
    if (m[i] == '\\' || (m[i] == '?' && !same_position)) {
      m[i] = next < value.len ? value[next] : ' ';
      ++next;
    } else if (m[i] == '?') {
      m[i] = i < value.len ? value[i] : ' ';
    }
  }
  return scope.Return(StrMake(m, mask.len));
}

bool IsNumericValue(StrRef value) {
  for (const char c : value.view()) {
    if (kNumericValueChars.view().find(c) == std::string_view::npos) return false;
  }
  return true;
}

}  // namespace

StrRef FormatNumberByMask(StrRef mask, StrRef value, char decimal, char thousands) {
  StrAreaScope scope;
  if (mask.IsStatus()) return scope.Return(mask);
  if (value.IsStatus()) return scope.Return(value);
  Status status;
  char* m = PushWritable(mask, &status);
  if (!m) return scope.Return(StrError(status));
  Digits d;
  ReadDigits(value, &d);
  bool commas_done = false;
  NumberPart p = Measure(m, mask.len);
  if (p.first == kNone) {
    // No position at all: only a value without digits fits.
    return scope.Return(d.any ? StrError(kDataOutBound) : StrMake(m, mask.len));
  }
  for (;;) {
    MeasureInside(m, &p);
    const Rounded r = RoundDigits(d, p.decimals);
    // A value without integer digits shows a 0 before the point.
    const bool zero_lead = r.int_len == 0 && d.any && p.int_positions > 0;
    const char* shown = zero_lead ? "0" : r.integer;
    const uint16_t shown_len = zero_lead ? 1 : r.int_len;
    const bool sign = d.negative && r.nonzero;
    if (!r.too_long && shown_len + (sign ? 1 : 0) <= p.int_positions) {
      char* out = PushWritable(StrMake(m, mask.len), &status);
      if (!out) return scope.Return(StrError(status));
      FillNumber(m, out, p, d, r, shown, shown_len, sign, decimal, thousands);
      return scope.Return(StrMake(out, mask.len));
    }
    if (!Widen(m, p, &commas_done)) return scope.Return(StrError(kDataOutBound));
  }
}

StrRef TypeMask(char type, uint16_t width) {
  StrAreaScope scope;
  Status status = StrAreaAlloc(width, '#');
  if (!status.ok()) return scope.Return(StrError(status));
  char* m = StrWritable(StrAreaTop());
  if (type >= '1' && type <= '9' && width > 0) {
    const uint16_t decimals = std::min<uint16_t>(type - '0', width - 1);
    m[width - decimals - 1] = '.';
  }
  return scope.Return(StrMake(m, width));
}

bool MaskIsTypeCode(StrRef mask, char* type, uint16_t* width) {
  if (mask.len < 2 || mask.len > 6) return false;
  const char code = mask[0];
  if (code != 'N' && !(code >= '1' && code <= '9')) return false;
  for (uint16_t i = 1; i < mask.len; ++i) {
    if (!IsDigit(mask[i])) return false;
  }
  const int64_t w = StrToInt64(StrSub(mask, 1, -1));
  if (w < 1 || w > static_cast<int64_t>(kMaxStrLen)) return false;
  *type = code;
  *width = static_cast<uint16_t>(w);
  return true;
}

StrRef MaskPrepare(StrRef mask) {
  StrAreaScope scope;
  if (mask.IsStatus()) return scope.Return(mask);
  char type;
  uint16_t width;
  const StrRef expanded = MaskIsTypeCode(mask, &type, &width) ? TypeMask(type, width) : mask;
  Status status;
  char* m = PushWritable(expanded, &status);
  if (!m) return scope.Return(StrError(status));
  RewriteDecimalsSuffix(m, expanded.len);
  return scope.Return(StrMake(m, expanded.len));
}

StrRef ApplyMask(StrRef mask, StrRef value, uint16_t mode) {
  StrAreaScope scope;
  if (value.IsStatus()) return scope.Return(value);
  const StrRef m = MaskPrepare(mask);
  if (m.IsStatus()) return scope.Return(m);
  const char first = FirstPosition(m);
  if (first == 0) return scope.Return(m);
  if (IsTextPosition(first)) return scope.Return(FillText(m, value));
  char decimal = '.';
  char thousands = ',';
  bool numeric = mode == kMaskStoredNumber;
  if (!numeric && mode != kMaskNeverNumeric && IsNumericValue(value)) {
    FormatParams params;
    Status status = LoadFormatParams(&params);
    if (!status.ok()) return scope.Return(StrError(status));
    decimal = params.decimal;
    thousands = params.thousands;
    numeric = true;
  }
  if (!numeric) {
    const bool has_text_positions = StrFindAny(m, 0, StrLit("\\?"), true) != kNothing;
    return scope.Return(has_text_positions ? FillText(m, value) : m);
  }
  const StrRef formatted = FormatNumberByMask(m, value, decimal, thousands);
  if (StrCheck(formatted) != kDataOutBound) return scope.Return(formatted);
  // No room for the number: the number part shows the overflow character instead of a wrong
  // value.
  Status status;
  char* out = PushWritable(m, &status);
  if (!out) return scope.Return(StrError(status));
  const NumberPart p = Measure(out, m.len);
  if (p.first == kNone) return scope.Return(m);
  std::memset(out + p.first, kMaskOverflow, p.last - p.first + 1);
  return scope.Return(StrMake(out, m.len));
}

}  // namespace engine
