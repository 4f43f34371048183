// Built-in functions on texts and lists: lengths, list look-ups and ranges, replacement and
// filtering, characters, substrings, trimming, enclosing, templates and bracket expansion.
#include <algorithm>
#include <cstring>

#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/lang/bracket_expansion.h"
#include "engine/lang/builtins.h"
#include "engine/lang/expression.h"
#include "engine/lang/number.h"

namespace engine::builtins {

namespace {

constexpr StrRef kChangeWords = StrLit("UCASE,LCASE,CLEAN,FILTER");
enum ChangeWord : uint16_t { kUpperCase = 1, kLowerCase, kClean, kFilter };

constexpr StrRef kTrimModes = StrLit("LEFTTRIM,RIGHTRIM,BOTHTRIM,FIT");
enum TrimMode : uint16_t { kLeftTrim = 1, kRightTrim, kBothTrim, kFit };

constexpr int16_t kComma = ',';
constexpr int16_t kSingleQuote = '\'';
// EXP$ substitutes "$n_" for the n-th argument after the template.
constexpr uint16_t kMaxTemplateArguments = kMaxArguments - 1;

Status ByteCode(int16_t code, char* out) {
  if (code < 0 || code > 255) return kDataOutBound;
  *out = static_cast<char>(code);
  return kOk;
}

// Every run of blanks outside quotes becomes one blank.
StrRef CleanBlanks(StrRef text) {
  StrAreaScope scope;
  Status status = StrAreaAlloc(text.len);
  if (!status.ok()) return scope.Return(StrError(status));
  char* out = StrWritable(StrAreaTop());
  size_t n = 0;
  char quote = 0;
  for (const char c : text.view()) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (IsQuoteChar(c)) {
      quote = c;
    } else if (c == ' ' && n > 0 && out[n - 1] == ' ') {
      continue;
    }
    out[n++] = c;
  }
  return scope.Return(StrMake(out, n));
}

// Every occurrence of group i of `groups` (cut into as many equal groups as `to` has characters)
// replaced by character i of `to`. 147 when the groups cannot be cut so.
StrRef FilterGroups(StrRef text, StrRef groups, StrRef to) {
  if (to.empty() || groups.empty() || groups.len % to.len != 0) return StrError(kSyntaxError);
  StrAreaScope scope;
  const uint16_t width = groups.len / to.len;
  Status status = StrAreaAlloc(text.len);
  if (!status.ok()) return scope.Return(StrError(status));
  char* out = StrWritable(StrAreaTop());
  size_t n = 0;
  for (size_t i = 0; i < text.len;) {
    uint16_t group = 0;
    while (group < to.len &&
           (text.len - i < width || std::memcmp(text.ptr + i, groups.ptr + group * width, width))) {
      ++group;
    }
    if (group < to.len) {
      out[n++] = to[group];
      i += width;
    } else {
      out[n++] = text[i++];
    }
  }
  return scope.Return(StrMake(out, n));
}

// The template with every "$n_" replaced by texts[n - 1]; other '$' stay as they are.
StrRef Substitute(StrRef pattern, const StrRef* texts, uint16_t count) {
  StrAreaScope scope;
  StrRef result = StrLit("");
  size_t copied = 0;
  for (size_t i = 0; i < pattern.len; ++i) {
    if (pattern[i] != '$') continue;
    size_t j = i + 1;
    uint32_t n = 0;
    while (j < pattern.len && pattern[j] >= '0' && pattern[j] <= '9' && n <= kMaxArguments) {
      n = n * 10 + static_cast<uint32_t>(pattern[j++] - '0');
    }
    if (j == i + 1 || j >= pattern.len || pattern[j] != '_' || n < 1 || n > count) continue;
    Status status = StrConcat(result, StrMake(pattern.ptr + copied, i - copied));
    if (status.ok()) status = StrConcat(StrAreaTop(), texts[n - 1]);
    if (!status.ok()) return scope.Return(StrError(status));
    result = StrAreaTop();
    copied = j + 1;
    i = j;
  }
  return scope.Return(StrConcat(result, StrSub(pattern, static_cast<int32_t>(copied), -1)).ok()
                          ? StrAreaTop()
                          : StrError(kStringTooLong));
}

}  // namespace

Status TextLength(FunctionCall& call) {
  Status status = call.ArgCount(1, 1);
  StrRef text;
  if (status.ok()) status = call.ArgString(1, StrLit(""), &text);
  return status.ok() ? ReturnWhole(text.len) : status;
}

Status ListNumber(FunctionCall& call) {
  Status status = call.ArgCount(1, 3);
  StrRef list;
  if (status.ok()) status = call.ArgString(1, StrLit(""), &list);
  if (!status.ok()) return status;
  const uint16_t total = call.Total();
  if (total == 1) return ReturnWhole(ListCount(list, ','));
  StrRef item;
  status = call.ArgText(2, StrLit(""), &item);
  if (!status.ok()) return status;
  if (total == 2) return ReturnWhole(ListFind(list, ',', item));
  if (call.IsString(3)) {
    // Parallel lists: the item of the third list at the item's position in the first.
    StrRef values;
    status = call.ArgString(3, StrLit(""), &values);
    if (!status.ok()) return status;
    int64_t number = 0;
    status = NumberFromText(ListField(values, ',', ListFind(list, ',', item)), &number);
    return status.ok() ? ReturnNumber(number) : status;
  }
  int64_t value = StrToInt64(item);
  if (!call.IsString(2) && call.Given(2)) {
    int64_t scaled = 0;
    (void)call.ArgNumber(2, 0, &scaled);
    value = NumberRoundWhole(scaled);
  }
  return ReturnWhole(ListRangeFind(list, value));
}

Status Change(FunctionCall& call) {
  Status status = call.ArgCount(2, 4);
  StrRef text;
  StrRef find;
  StrRef replace;
  if (status.ok()) status = call.ArgString(1, StrLit(""), &text);
  if (status.ok()) status = call.ArgString(2, StrLit(""), &find);
  if (status.ok()) status = call.ArgString(3, StrLit(""), &replace);
  if (!status.ok()) return status;
  switch (ListFind(kChangeWords, ',', find)) {
    case kUpperCase:
      return ReturnText(StrUpper(text));
    case kLowerCase:
      return ReturnText(StrLower(text));
    case kClean:
      return ReturnText(CleanBlanks(text));
    case kFilter: {
      if (!call.IsString(4)) return ReturnText(StrKeepOnly(text, replace));
      StrRef to;
      status = call.ArgString(4, StrLit(""), &to);
      return status.ok() ? ReturnText(FilterGroups(text, replace, to)) : status;
    }
    default: {
      int16_t flag = 0;
      status = call.ArgInteger(4, 0, &flag);
      if (!status.ok()) return status;
      // An empty text to find finds nothing: the text comes back unchanged.
      return ReturnText(StrReplace(text, find, replace, flag != 0));
    }
  }
}

Status Chars(FunctionCall& call) {
  Status status = call.ArgCount(1, 2);
  if (!status.ok()) return status;
  if (!call.Given(1)) return kSyntaxError;
  int16_t count = 1;
  status = call.ArgInteger(2, 1, &count);
  if (!status.ok()) return status;
  StrRef unit;
  char byte = 0;
  if (call.IsString(1)) {
    status = call.ArgString(1, StrLit(""), &unit);
  } else {
    int16_t code = 0;
    status = call.ArgInteger(1, 0, &code);
    if (status.ok()) status = ByteCode(code, &byte);
    unit = StrMake(&byte, 1);
  }
  return status.ok() ? ReturnText(StrRepeat(unit, count)) : status;
}

Status Mid(FunctionCall& call) {
  Status status = call.ArgCount(1, 3);
  StrRef text;
  int16_t start = -1;
  int16_t length = -1;
  if (status.ok()) status = call.ArgString(1, StrLit(""), &text);
  if (status.ok()) status = call.ArgInteger(2, -1, &start);
  if (status.ok()) status = call.ArgInteger(3, -1, &length);
  if (!status.ok()) return status;
  // A start counts from 1; a negative one from the end (-1 the last byte).
  const int32_t from = start > 0 ? start - 1 : start < 0 ? std::max(text.len + start, 0) : 0;
  return ReturnText(StrSub(text, from, length));
}

Status ListItem(FunctionCall& call) {
  Status status = call.ArgCount(2, 3);
  StrRef list;
  int16_t n = 0;
  int16_t separator = kComma;
  if (status.ok()) status = call.ArgString(1, StrLit(""), &list);
  if (status.ok()) status = call.ArgInteger(2, 0, &n);
  if (status.ok()) status = call.ArgInteger(3, kComma, &separator);
  char sep = ',';
  if (status.ok()) status = ByteCode(separator, &sep);
  if (!status.ok()) return status;
  return ReturnText(n > 0 ? ListField(list, sep, static_cast<uint16_t>(n)) : StrLit(""));
}

Status Trim(FunctionCall& call) {
  Status status = call.ArgCount(1, 2);
  StrRef text;
  StrRef mode;
  if (status.ok()) status = call.ArgText(1, StrLit(""), &text);
  if (status.ok()) status = call.ArgString(2, StrLit("BOTHTRIM"), &mode);
  if (!status.ok()) return status;
  switch (ListFind(kTrimModes, ',', StrUpper(mode))) {
    case kLeftTrim:
      return ReturnText(StrTrim(text, kTrimLeft));
    case kRightTrim:
      return ReturnText(StrTrim(text, kTrimRight));
    case kBothTrim:
      return ReturnText(StrTrim(text, kTrimBoth));
    case kFit:
      return ReturnText(ListFieldValue(text));
    default:
      return kSyntaxError;
  }
}

Status Envelop(FunctionCall& call) {
  Status status = call.ArgCount(1, 2);
  StrRef text;
  int16_t code = kSingleQuote;
  char open = '\'';
  if (status.ok()) status = call.ArgString(1, StrLit(""), &text);
  if (status.ok()) status = call.ArgInteger(2, kSingleQuote, &code);
  if (status.ok()) status = ByteCode(code, &open);
  return status.ok() ? ReturnText(StrWrap(text, open)) : status;
}

Status Macro(FunctionCall& call) {
  Status status = call.ArgCount(1, 3);
  StrRef text;
  int16_t flags = 0;
  StrRef names;
  if (status.ok()) status = call.ArgString(1, StrLit(""), &text);
  if (status.ok()) status = call.ArgInteger(2, 0, &flags);
  if (status.ok()) status = call.ArgString(3, StrLit(""), &names);
  if (!status.ok()) return status;
  const uint16_t bits = static_cast<uint16_t>(flags);
  const StrRef expanded = BracketExpand(text, bits, names);
  if (!(bits & kBracketEvaluate) || expanded.IsStatus()) return ReturnText(expanded);
  return ReturnText(EvalText(StrTrim(expanded, kTrimBoth)));
}

Status Expand(FunctionCall& call) {
  StrRef pattern;
  Status status = call.ArgString(1, StrLit(""), &pattern);
  if (!status.ok()) return status;
  StrRef texts[kMaxTemplateArguments];
  uint16_t count = 0;
  ArgList* rest = call.rest();
  while (!rest->AtEnd()) {
    if (count == kMaxTemplateArguments) return kSyntaxError;
    texts[count++] = NextArgumentText(rest);
  }
  return ReturnText(Substitute(pattern, texts, count));
}

}  // namespace engine::builtins
