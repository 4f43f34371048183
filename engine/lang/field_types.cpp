// Field types: stored, display and input forms by type code.
#include "engine/lang/field_types.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/lang/dates.h"
#include "engine/lang/format_params.h"
#include "engine/lang/masks.h"
#include "engine/lang/number.h"

namespace engine {

namespace {

constexpr uint16_t kCleanNumberMax = 20;
constexpr uint16_t kShortDateWidth = 8;
constexpr uint16_t kLongDateWidth = 10;
constexpr uint16_t kStoredShortYearWidth = 6;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool Holds(StrRef set, char c) { return set.view().find(c) != std::string_view::npos; }

// s left-aligned in `width`: padded with blanks or cut.
StrRef LeftAligned(StrRef s, uint16_t width) {
  StrAreaScope scope;
  if (s.IsStatus()) return scope.Return(s);
  Status status = StrAreaAlloc(width, ' ');
  if (!status.ok()) return scope.Return(StrError(status));
  const StrRef out = StrAreaTop();
  std::memcpy(StrWritable(out), s.ptr, std::min<size_t>(s.len, width));
  return scope.Return(out);
}

// s right-aligned in `width` (s no longer than width).
StrRef RightAligned(StrRef s, uint16_t width) {
  StrAreaScope scope;
  if (s.IsStatus()) return scope.Return(s);
  Status status = StrAreaAlloc(width, ' ');
  if (!status.ok()) return scope.Return(StrError(status));
  const StrRef out = StrAreaTop();
  const size_t n = std::min<size_t>(s.len, width);
  std::memcpy(StrWritable(out) + width - n, s.ptr + s.len - n, n);
  return scope.Return(out);
}

// Only the digits and blanks of s; with `zero_fill` the blanks between the first and the last
// digit become '0'.
StrRef DigitText(StrRef s, bool zero_fill) {
  StrAreaScope scope;
  if (s.IsStatus()) return scope.Return(s);
  const StrRef kept = StrKeepOnly(s, StrLit("0123456789 "));
  if (kept.IsStatus() || !zero_fill) return scope.Return(kept);
  char* out = StrWritable(kept);
  const size_t first = kept.view().find_first_not_of(' ');
  const size_t last = kept.view().find_last_not_of(' ');
  for (size_t i = first; first != std::string_view::npos && i < last; ++i) {
    if (out[i] == ' ') out[i] = '0';
  }
  return scope.Return(kept);
}

StrRef StoredNumber(char type, StrRef text, uint16_t width) {
  StrAreaScope scope;
  const StrRef t = StrTrim(text, kTrimBoth);
  if (t.len <= width) return scope.Return(RightAligned(t, width));
  const uint16_t point = StrFindChar(t, 0, '.', true);
  if ((point == kNothing ? t.len : point) >= width) return scope.Return(StrError(kDataOutBound));
  return scope.Return(FormatNumberByMask(TypeMask(type, width), t, '.', ','));
}

StrRef StoredDate(StrRef text, uint16_t width) {
  const StrRef t = StrTrim(text, kTrimBoth);
  if (width == kStoredShortYearWidth && t.len == 8) return LeftAligned(StrSub(t, 2, 6), width);
  return LeftAligned(t, width);
}

StrRef StoredLogical(StrRef text, uint16_t width) {
  const StrRef t = StrTrim(text, kTrimBoth);
  const char c = !t.empty() && (t[0] == '0' || t[0] == '1') ? t[0] : ' ';
  return LeftAligned(StrMake(&c, 1), width);
}

StrRef DisplayDate(char type, StrRef stored, int32_t width) {
  if (width == kWidthAsIs) return StrAreaReturn(StrAreaMark(), stored);
  StrAreaScope scope;
  const uint16_t w = static_cast<uint16_t>(width);
  StrRef date = StrTrim(stored, kTrimBoth);
  if (date.empty() && type == 'F') return scope.Return(StrRepeat(StrLit(" "), w));
  if (date.len == kStoredShortYearWidth) {
    // A field stored with a two-digit year.
    const int16_t year = ExpandYear(static_cast<int16_t>(StrToInt64(StrSub(date, 0, 2))));
    Status status = StrConcat(IntToStrPadded(year, 4, '0'), StrSub(date, 2, 4));
    if (!status.ok()) return scope.Return(StrError(status));
    date = StrAreaTop();
  }
  if (w == kShortDateWidth) return scope.Return(FormatDate(date, kDateShort));
  if (w == kLongDateWidth) return scope.Return(FormatDate(date, kDateLongYear));
  return scope.Return(StrRepeat(StrLit(" "), w));
}

StrRef DisplayLogical(StrRef stored, int32_t width) {
  StrAreaScope scope;
  FormatParams params;
  Status status = LoadFormatParams(&params);
  if (!status.ok()) return scope.Return(StrError(status));
  const char c = stored.empty() ? ' ' : stored[0];
  const StrRef shown = params.logical_text[c == ' ' ? 0 : c == '1' ? 2 : 1];
  if (width == kWidthAsIs) return scope.Return(shown);
  return scope.Return(LeftAligned(shown, static_cast<uint16_t>(width)));
}

StrRef InputLogical(StrRef typed, int32_t width) {
  StrAreaScope scope;
  FormatParams params;
  Status status = LoadFormatParams(&params);
  if (!status.ok()) return scope.Return(StrError(status));
  char stored = ' ';
  if (!typed.empty()) {
    const size_t at = params.logical_input.view().find(AsciiUpper(typed[0]));
    if (at == 1) stored = '0';
    if (at == 2) stored = '1';
  }
  const StrRef s = StrMake(&stored, 1);
  return scope.Return(width == kWidthAsIs ? s : LeftAligned(s, static_cast<uint16_t>(width)));
}

}  // namespace

bool TypeCodeValid(char type) { return type != 0 && Holds(kTypeCodes, type); }

bool TypeIsNumber(char type) { return type == 'N' || (type >= '1' && type <= '9'); }

uint16_t TypeDecimals(char type) { return type >= '1' && type <= '9' ? type - '0' : 0; }

bool ParseTypeCode(StrRef text, TypeCode* code) {
  const StrRef t = StrTrim(text, kTrimBoth);
  if (t.len < 2 || !TypeCodeValid(t[0])) return false;
  for (uint16_t i = 1; i < t.len; ++i) {
    if (!IsDigit(t[i])) return false;
  }
  const int64_t width = StrToInt64(StrSub(t, 1, -1));
  if (width > static_cast<int64_t>(kMaxStrLen)) return false;
  code->type = t[0];
  code->width = static_cast<uint16_t>(width);
  return true;
}

StrRef FormatStored(char type, StrRef text, uint16_t width) {
  if (text.IsStatus()) return text;
  switch (type) {
    case 'A':
    case 'P':
      return LeftAligned(text, width);
    case 'B':
    case 'C': {
      StrAreaScope scope;
      return scope.Return(LeftAligned(DigitText(text, type == 'C'), width));
    }
    case 'D':
    case 'F':
      return StoredDate(text, width);
    case 'L':
      return StoredLogical(text, width);
    case 'T':
    case 'V':
      return StrRepeat(StrLit(" "), width);
    default:
      if (TypeIsNumber(type)) return StoredNumber(type, text, width);
      return StrError(kBadInputData);
  }
}

StrRef FormatDisplay(char type, StrRef stored, int32_t width) {
  if (stored.IsStatus()) return stored;
  if (!TypeCodeValid(type)) return StrError(kBadInputData);
  if (type == 'D' || type == 'F') return DisplayDate(type, stored, width);
  if (type == 'L') return DisplayLogical(stored, width);
  StrAreaScope scope;
  if (TypeIsNumber(type)) {
    const uint16_t w = width == kWidthAsIs ? stored.len : static_cast<uint16_t>(width);
    return scope.Return(ApplyMask(TypeMask(type, w), StrTrim(stored, kTrimBoth), kMaskDefault));
  }
  if (width == kWidthAsIs || width == stored.len) return scope.Return(stored);
  return scope.Return(LeftAligned(stored, static_cast<uint16_t>(width)));
}

StrRef ParseInput(char type, StrRef typed, int32_t width) {
  if (typed.IsStatus()) return typed;
  if (!TypeCodeValid(type)) return StrError(kBadInputData);
  if (type == 'L') return InputLogical(typed, width);
  StrAreaScope scope;
  StrRef value;
  if (type == 'B' || type == 'C') {
    value = DigitText(typed, type == 'C');
  } else if (type == 'D' || type == 'F') {
    value = ParseDate(typed);
  } else if (TypeIsNumber(type)) {
    value = CleanNumber(typed);
    if (width != kWidthAsIs) {
      value = FormatNumberByMask(TypeMask(type, static_cast<uint16_t>(width)), value, '.', ',');
    }
  } else {
    value = typed;
  }
  if (width == kWidthAsIs) return scope.Return(value);
  return scope.Return(FormatStored(type, value, static_cast<uint16_t>(width)));
}

StrRef FormatNumberField(char type, int64_t value, uint16_t width) {
  StrAreaScope scope;
  if (!TypeIsNumber(type)) return scope.Return(StrError(kBadInputData));
  return scope.Return(FormatNumberByMask(TypeMask(type, width), NumberToText(value), '.', ','));
}

StrRef CleanNumber(StrRef text) {
  StrAreaScope scope;
  if (text.IsStatus()) return scope.Return(text);
  FormatParams params;
  Status status = LoadFormatParams(&params);
  if (!status.ok()) return scope.Return(StrError(status));
  const StrRef t = StrTrim(text, kTrimBoth);
  const bool skip_thousands =
      params.thousands != '.' || StrFindChar(t, 0, params.decimal, true) != kNothing;
  status = StrAreaAlloc(t.len);
  if (!status.ok()) return scope.Return(StrError(status));
  char* out = StrWritable(StrAreaTop());
  uint16_t n = 0;
  for (uint16_t i = 0; i < t.len; ++i) {
    const char c = t[i];
    if (c == params.thousands && skip_thousands && c != params.decimal) continue;
    if (c != '.' && !Holds(params.number_chars, c)) break;
    if (c == '-' && i > 0) break;
    out[n++] = c == params.decimal ? '.' : c;
  }
  // Leading zeros before another digit are dropped ("007" is "7", "0.5" stays).
  const uint16_t start = n > 0 && out[0] == '-' ? 1 : 0;
  uint16_t zeros = 0;
  while (start + zeros + 1 < n && out[start + zeros] == '0' && IsDigit(out[start + zeros + 1])) {
    ++zeros;
  }
  std::memmove(out + start, out + start + zeros, n - start - zeros);
  n = std::min<uint16_t>(n - zeros, kCleanNumberMax);
  return scope.Return(StrMake(out, n));
}

}  // namespace engine
