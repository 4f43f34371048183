// Text operations: the quote-aware search they share, views, builders, comparison, integer
// conversion and the message formatter.
#include "engine/core/text_ops.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string_view>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"

namespace engine {

namespace {

struct BracketPair {
  char open;
  char close;
};
constexpr BracketPair kBracketPairs[] = {{'[', ']'}, {'(', ')'}, {'{', '}'}, {'<', '>'}};

constexpr size_t kNpos = std::string_view::npos;

// Reserves the result of a builder as a new temporary and answers where to write it; null
// (with the reason in *status) when it cannot be had. The area refuses a length beyond
// kMaxStrLen with kStringTooLong, so builders compute their lengths in size_t and let it judge.
char* ReserveResult(size_t length, Status* status) {
  *status = StrAreaAlloc(length);
  return status->ok() ? StrWritable(StrAreaTop()) : nullptr;
}

// Writes the decimal text of n at out (when given) and answers its length.
size_t WriteDecimal(int64_t n, char* out) {
  char digits[20];
  uint64_t magnitude = n < 0 ? 0 - static_cast<uint64_t>(n) : static_cast<uint64_t>(n);
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  const size_t length = count + (n < 0 ? 1 : 0);
  if (out) {
    if (n < 0) *out++ = '-';
    while (count > 0) *out++ = digits[--count];
  }
  return length;
}

// One pass of the formatter: measures the text, and writes it too when `out` is given.
size_t FormatPass(StrRef format, std::initializer_list<FormatArg> args, char* out) {
  size_t length = 0;
  auto put = [&](const char* bytes, size_t n) {
    if (out && n) std::memcpy(out + length, bytes, n);
    length += n;
  };
  const FormatArg* next = args.begin();
  for (size_t i = 0; i < format.len; ++i) {
    const char c = format[i];
    const char kind = i + 1 < format.len ? format[i + 1] : '\0';
    if (c != '%' || (kind != 's' && kind != 'i' && kind != '%')) {
      put(&c, 1);
      continue;
    }
    ++i;
    if (kind == '%') {
      put(&c, 1);
    } else if (next != args.end()) {
      if (next->is_number()) {
        char digits[21];
        put(digits, WriteDecimal(next->number(), digits));
      } else {
        put(next->text().ptr, next->text().len);
      }
      ++next;
    }
  }
  return length;
}

// Decimal conversion as StrToInt64 describes it, saturating at lo and hi.
int64_t ParseDecimal(StrRef s, int64_t lo, int64_t hi) {
  if (s.IsStatus()) return 0;
  size_t i = 0;
  while (i < s.len && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.len && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  const uint64_t limit = negative ? 0 - static_cast<uint64_t>(lo) : static_cast<uint64_t>(hi);
  uint64_t value = 0;
  for (; i < s.len && s[i] >= '0' && s[i] <= '9'; ++i) {
    const uint64_t digit = static_cast<uint64_t>(s[i] - '0');
    if (value > (limit - digit) / 10) return negative ? lo : hi;
    value = value * 10 + digit;
  }
  return negative ? static_cast<int64_t>(0 - value) : static_cast<int64_t>(value);
}

}  // namespace

char BracketPartner(char open) {
  for (const BracketPair& pair : kBracketPairs) {
    if (pair.open == open) return pair.close;
  }
  return open;
}

// ---- Searching -------------------------------------------------------------------------

uint16_t StrSearch(StrRef s, size_t start, StrRef what, FindKind kind, bool plain) {
  if (s.IsStatus() || what.IsStatus() || what.empty()) return kNothing;
  const std::string_view text = s.view();
  const std::string_view needle = what.view();
  if (start >= text.size()) return kNothing;
  if (plain) {
    const size_t found =
        kind == FindKind::kAnyOf ? text.find_first_of(needle, start) : text.find(needle, start);
    return found == kNpos ? kNothing : static_cast<uint16_t>(found);
  }
  // A text that holds a quote could only match across the edge of a quoted section.
  if (kind == FindKind::kText && needle.find_first_of(kQuoteChars.view()) != kNpos) {
    return kNothing;
  }
  // Find the next candidate with the library's search, then look for a quote between the
  // start and the candidate: none means the candidate stands outside quotes; otherwise skip the
  // quoted section and search again behind it. The cost is the distance to what is found.
  for (size_t i = start; i < text.size();) {
    const size_t found =
        kind == FindKind::kAnyOf ? text.find_first_of(needle, i) : text.find(needle, i);
    if (found == kNpos) return kNothing;
    const size_t quote = text.substr(0, found + 1).find_first_of(kQuoteChars.view(), i);
    if (quote == kNpos) return static_cast<uint16_t>(found);
    const size_t close = text.find(text[quote], quote + 1);
    if (close == kNpos) return kNothing;
    i = close + 1;
  }
  return kNothing;
}

uint16_t StrFindChar(StrRef s, size_t start, char ch, bool plain) {
  return StrSearch(s, start, StrRef{&ch, 1}, FindKind::kAnyOf, plain);
}

uint16_t StrFindAny(StrRef s, size_t start, StrRef set, bool plain) {
  return StrSearch(s, start, set, FindKind::kAnyOf, plain);
}

uint16_t StrFindText(StrRef s, StrRef text, bool plain) {
  return StrSearch(s, 0, text, FindKind::kText, plain);
}

uint16_t StrFindLast(StrRef s, StrRef what, FindKind kind) {
  if (s.IsStatus() || what.IsStatus() || what.empty()) return kNothing;
  const size_t found =
      kind == FindKind::kAnyOf ? s.view().find_last_of(what.view()) : s.view().rfind(what.view());
  return found == kNpos ? kNothing : static_cast<uint16_t>(found);
}

uint16_t StrCountOf(StrRef s, StrRef find, bool plain) {
  if (find.len == 1 && IsQuoteChar(find[0])) plain = true;
  uint16_t count = 0;
  for (size_t pos = StrSearch(s, 0, find, FindKind::kText, plain); pos != kNothing;
       pos = StrSearch(s, pos + find.len, find, FindKind::kText, plain)) {
    ++count;
  }
  return count;
}

// ---- Views -----------------------------------------------------------------------------

StrRef StrSub(StrRef s, int32_t start, int32_t count) {
  if (s.IsStatus()) return s;
  size_t from;
  if (start < 0) {
    from = static_cast<size_t>(std::max<int64_t>(int64_t{s.len} + start, 0));
    count = -1;
  } else {
    from = std::min<size_t>(static_cast<size_t>(start), s.len);
  }
  const size_t rest = s.len - from;
  const size_t take = count < 0 ? rest : std::min<size_t>(static_cast<size_t>(count), rest);
  return StrMake(s.ptr + from, take);
}

StrRef StrTrimSet(StrRef s, int sides, StrRef set) {
  if (s.IsStatus()) return s;
  const std::string_view chars = set.view();
  size_t first = 0;
  size_t last = s.len;
  if (sides & kTrimLeft) {
    while (first < last && chars.find(s[first]) != kNpos) ++first;
  }
  if (sides & kTrimRight) {
    while (last > first && chars.find(s[last - 1]) != kNpos) --last;
  }
  return StrMake(s.ptr + first, last - first);
}

StrRef StrTrim(StrRef s, int sides) { return StrTrimSet(s, sides, kBlankChars); }

StrRef StrUnquote(StrRef s) {
  if (s.IsStatus() || s.len < 2 || !IsQuoteChar(s[0]) || s[s.len - 1] != s[0]) return s;
  return StrMake(s.ptr + 1, s.len - 2);
}

StrRef StrBracketed(StrRef s, char open, bool plain) {
  if (s.IsStatus()) return s;
  const StrRef none = StrMake(s.ptr, 0);
  const char close = BracketPartner(open);
  if (IsQuoteChar(open)) plain = true;
  const uint16_t at = StrFindChar(s, 0, open, plain);
  if (at == kNothing) return none;
  if (close == open) {
    const uint16_t end = StrFindChar(s, at + 1, close, true);
    return end == kNothing ? none : StrMake(s.ptr + at + 1, end - at - 1);
  }
  const char pair[] = {open, close};
  int depth = 1;
  for (uint16_t pos = StrFindAny(s, at + 1, StrRef{pair, 2}, plain); pos != kNothing;
       pos = StrFindAny(s, pos + 1, StrRef{pair, 2}, plain)) {
    depth += s[pos] == open ? 1 : -1;
    if (depth == 0) return StrMake(s.ptr + at + 1, pos - at - 1);
  }
  return none;
}

// ---- Writing into a buffer -------------------------------------------------------------

Status StrOverwrite(StrRef buffer, int32_t offset, StrRef s) {
  if (buffer.IsStatus()) return StrCheck(buffer);
  if (s.IsStatus()) return StrCheck(s);
  const int64_t at = offset < 0 ? std::max<int64_t>(int64_t{buffer.len} + offset, 0) : offset;
  if (at >= buffer.len) return kOk;
  const size_t room = buffer.len - static_cast<size_t>(at);
  std::memmove(StrWritable(buffer) + at, s.ptr, std::min<size_t>(room, s.len));
  return kOk;
}

StrRef StrPatch(StrRef s, int32_t offset, StrRef part) {
  StrAreaScope scope;
  if (part.IsStatus()) return scope.Return(part);
  Status status = StrAreaPushCopy(s);
  if (status.ok()) status = StrOverwrite(StrAreaTop(), offset, part);
  return scope.Return(status.ok() ? StrAreaTop() : StrError(status));
}

// ---- Building strings ------------------------------------------------------------------

StrRef StrCollapse(StrRef s, char ch) {
  StrAreaScope scope;
  if (s.IsStatus()) return scope.Return(s);
  Status status;
  char* out = ReserveResult(s.len, &status);
  if (!out) return scope.Return(StrError(status));
  size_t n = 0;
  for (size_t i = 0; i < s.len; ++i) {
    if (s[i] == ch && n > 0 && out[n - 1] == ch) continue;
    out[n++] = s[i];
  }
  return scope.Return(StrMake(out, n));
}

namespace {

StrRef MapBytes(StrRef s, char (*map)(char)) {
  StrAreaScope scope;
  if (s.IsStatus()) return scope.Return(s);
  Status status;
  char* out = ReserveResult(s.len, &status);
  if (!out) return scope.Return(StrError(status));
  for (size_t i = 0; i < s.len; ++i) out[i] = map(s[i]);
  return scope.Return(StrMake(out, s.len));
}

}  // namespace

StrRef StrUpper(StrRef s) { return MapBytes(s, AsciiUpper); }

StrRef StrLower(StrRef s) { return MapBytes(s, AsciiLower); }

StrRef StrReplace(StrRef s, StrRef find, StrRef with, bool plain) {
  StrAreaScope scope;
  for (StrRef arg : {s, find, with}) {
    if (arg.IsStatus()) return scope.Return(arg);
  }
  if (find.len == 1 && IsQuoteChar(find[0])) plain = true;
  const size_t count = StrCountOf(s, find, plain);
  if (count == 0) return scope.Return(s);
  const size_t length = s.len - count * find.len + count * with.len;
  Status status;
  char* out = ReserveResult(length, &status);
  if (!out) return scope.Return(StrError(status));
  size_t from = 0;
  size_t n = 0;
  for (size_t at = StrSearch(s, 0, find, FindKind::kText, plain); at != kNothing;
       at = StrSearch(s, from, find, FindKind::kText, plain)) {
    std::memcpy(out + n, s.ptr + from, at - from);
    n += at - from;
    std::memcpy(out + n, with.ptr, with.len);
    n += with.len;
    from = at + find.len;
  }
  std::memcpy(out + n, s.ptr + from, s.len - from);
  return scope.Return(StrMake(out, length));
}

namespace {

// Pushes prefix, s, suffix.
StrRef Enclose(StrRef s, char prefix, char suffix) {
  StrAreaScope scope;
  if (s.IsStatus()) return scope.Return(s);
  Status status;
  char* out = ReserveResult(size_t{s.len} + 2, &status);
  if (!out) return scope.Return(StrError(status));
  out[0] = prefix;
  std::memcpy(out + 1, s.ptr, s.len);
  out[s.len + 1] = suffix;
  return scope.Return(StrMake(out, size_t{s.len} + 2));
}

}  // namespace

StrRef StrQuote(StrRef s, char q) {
  if (s.IsStatus()) return s;
  if (!IsQuoteChar(q)) return StrError(kBadInputData);
  const char other = q == '"' ? '\'' : '"';
  const bool has_q = s.view().find(q) != kNpos;
  if (has_q && s.view().find(other) != kNpos) return StrError(kBadInputData);
  const char use = has_q ? other : q;
  return Enclose(s, use, use);
}

StrRef StrWrap(StrRef s, char open) { return Enclose(s, open, BracketPartner(open)); }

StrRef StrKeepOnly(StrRef s, StrRef set) {
  StrAreaScope scope;
  if (s.IsStatus()) return scope.Return(s);
  if (set.IsStatus()) return scope.Return(set);
  Status status;
  char* out = ReserveResult(s.len, &status);
  if (!out) return scope.Return(StrError(status));
  size_t n = 0;
  for (size_t i = 0; i < s.len; ++i) {
    if (set.view().find(s[i]) != kNpos) out[n++] = s[i];
  }
  return scope.Return(StrMake(out, n));
}

StrRef StrTranslate(StrRef s, StrRef from, StrRef to) {
  StrAreaScope scope;
  for (StrRef arg : {s, from, to}) {
    if (arg.IsStatus()) return scope.Return(arg);
  }
  Status status;
  char* out = ReserveResult(s.len, &status);
  if (!out) return scope.Return(StrError(status));
  for (size_t i = 0; i < s.len; ++i) {
    const size_t at = from.view().find(s[i]);
    out[i] = at < to.len ? to[at] : s[i];
  }
  return scope.Return(StrMake(out, s.len));
}

StrRef StrRepeat(StrRef s, int32_t n) {
  StrAreaScope scope;
  if (s.IsStatus()) return scope.Return(s);
  const size_t length = (n > 0 ? static_cast<size_t>(n) : 0) * s.len;  // cannot overflow
  Status status;
  char* out = ReserveResult(length, &status);
  if (!out) return scope.Return(StrError(status));
  for (size_t at = 0; at < length; at += s.len) std::memcpy(out + at, s.ptr, s.len);
  return scope.Return(StrMake(out, length));
}

StrRef StrChar(char ch) { return StrAreaReturn(StrAreaMark(), StrRef{&ch, 1}); }

StrRef StrJoin(StrRef a, char sep, StrRef b) {
  StrAreaScope scope;
  if (a.IsStatus()) return scope.Return(a);
  if (b.IsStatus()) return scope.Return(b);
  const size_t gap = (a.len != 0 && b.len != 0) ? 1 : 0;
  const size_t length = size_t{a.len} + gap + b.len;
  Status status;
  char* out = ReserveResult(length, &status);
  if (!out) return scope.Return(StrError(status));
  std::memcpy(out, a.ptr, a.len);
  if (gap) out[a.len] = sep;
  std::memcpy(out + a.len + gap, b.ptr, b.len);
  return scope.Return(StrMake(out, length));
}

// ---- Comparison ------------------------------------------------------------------------

Status StrCompare(StrRef a, StrRef b, int* order) {
  *order = 0;
  if (a.IsStatus() || b.IsStatus()) return kStrOutBound;
  const int bytes = std::memcmp(a.ptr, b.ptr, std::min(a.len, b.len));
  if (bytes != 0) {
    *order = bytes < 0 ? -1 : 1;
  } else if (a.len != b.len) {
    *order = a.len < b.len ? -1 : 1;
  }
  return kOk;
}

bool StrCompareOp(StrRef a, StrRef b, int op) {
  int order = 0;
  if (!StrCompare(a, b, &order).ok()) return false;
  switch (op) {
    case kCompareEqual:
      return order == 0;
    case kCompareGreater:
      return order > 0;
    case kCompareGreaterEqual:
      return order >= 0;
    case kCompareLess:
      return order < 0;
    case kCompareLessEqual:
      return order <= 0;
    default:
      return false;
  }
}

StrRef StrChoose(StrRef a, StrRef b, int op) {
  if (a.IsStatus()) return a;
  if (b.IsStatus()) return b;
  if (!a.empty() && (op < 2 || b.empty() || StrCompareOp(a, b, op))) return a;
  return b;
}

// ---- Numbers ---------------------------------------------------------------------------

int64_t StrToInt64(StrRef s) {
  return ParseDecimal(s, std::numeric_limits<int64_t>::min(), std::numeric_limits<int64_t>::max());
}

int32_t StrToInt(StrRef s) {
  if (StrIsYes(s)) return 1;
  return static_cast<int32_t>(
      ParseDecimal(s, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

bool StrIsYes(StrRef s) {
  if (s.IsStatus()) return false;
  const uint16_t words = ListCount(kYesWords, ',');
  for (uint16_t n = 1; n <= words; ++n) {
    const StrRef word = ListField(kYesWords, ',', n);
    if (word.len == s.len && std::equal(s.begin(), s.end(), word.begin(),
                                        [](char c, char w) { return AsciiUpper(c) == w; })) {
      return true;
    }
  }
  return false;
}

StrRef IntToStr(int16_t n) { return IntToStrPadded(n, 0, ' '); }

StrRef IntToStrPadded(int16_t n, uint16_t width, char fill) {
  StrAreaScope scope;
  const size_t digits = WriteDecimal(n, nullptr);
  const size_t length = std::max<size_t>(digits, width);
  Status status;
  char* out = ReserveResult(length, &status);
  if (!out) return scope.Return(StrError(status));
  std::memset(out, fill, length - digits);
  WriteDecimal(n, out + length - digits);
  return scope.Return(StrMake(out, length));
}

// ---- Formatting ------------------------------------------------------------------------

StrRef StrFormat(size_t max, StrRef format, std::initializer_list<FormatArg> args) {
  StrAreaScope scope;
  if (format.IsStatus()) return scope.Return(format);
  for (const FormatArg& arg : args) {
    if (!arg.is_number() && arg.text().IsStatus()) return scope.Return(arg.text());
  }
  const size_t length = FormatPass(format, args, nullptr);
  if (length > max || length > kMaxStrLen) {
    LatchRecord(kLatchFirst, kSiteFormatStrings, kStringTooLong);
    return scope.Return(StrError(kStringTooLong));
  }
  Status status;
  char* out = ReserveResult(length, &status);
  if (!out) return scope.Return(StrError(status));
  FormatPass(format, args, out);
  return scope.Return(StrMake(out, length));
}

}  // namespace engine
