// Bracket expansion of templates.
#include "engine/lang/bracket_expansion.h"

#include <algorithm>
#include <cstring>

#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/number.h"

namespace engine {

namespace {

// The value of `name` in a comma list of NAME=value entries (unquoted); empty when absent.
StrRef ListedValue(StrRef names, StrRef name) {
  const uint16_t count = ListCount(names, ',');
  for (uint16_t i = 1; i <= count; ++i) {
    const StrRef entry = StrTrim(ListField(names, ',', i), kTrimBoth);
    const uint16_t equals = StrFindChar(entry, 0, '=', true);
    if (equals == kNothing) continue;
    if (StrTrim(StrSub(entry, 0, equals), kTrimBoth).view() == name.view()) {
      return StrUnquote(StrTrim(StrSub(entry, equals + 1, -1), kTrimBoth));
    }
  }
  return StrLit("");
}

// The value of one bracket's content (pushed), or a status value.
StrRef Resolve(StrRef content, uint16_t flags, StrRef names) {
  StrAreaScope scope;
  if (flags & kBracketNamesFirst) {
    const StrRef name = StrTrim(content, kTrimBoth);
    StrRef value = ListedValue(names, name);
    if (value.empty())
      value = ParamValue(SlotGet(kGroupEnvironment, kEnvCommandLine), name, kParamFieldValue);
    if (value.empty()) value = EnvironmentValue(name);
    if (value.IsStatus() || !value.empty()) return scope.Return(value);
  }
  ValueKind kind;
  const Status status = Evaluate(content, &kind);
  if (IsEvalFailure(status)) return scope.Return(StrError(status));
  if (kind == ValueKind::kString) return scope.Return(StrAreaTop());
  const int64_t number = NumberAt(StrAreaTop());
  if (number == 0) return scope.Return((flags & kBracketZeroEmpty) ? StrLit("") : StrLit("0"));
  return scope.Return(NumberToText(number));
}

StrRef Padded(StrRef value, uint16_t width, bool zeros) {
  if (value.len >= width) return value;
  StrAreaScope scope;
  Status status = StrAreaAlloc(width, zeros ? '0' : ' ');
  if (!status.ok()) return scope.Return(StrError(status));
  char* out = StrWritable(StrAreaTop());
  std::memcpy(zeros ? out + width - value.len : out, value.ptr, value.len);
  return scope.Return(StrAreaTop());
}

// The last '[' at or after `from` and before `close`, kNothing when there is none.
uint16_t InnermostOpen(StrRef text, uint16_t from, uint16_t close, bool plain) {
  uint16_t open = kNothing;
  for (uint16_t at = StrFindChar(text, from, '[', plain); at < close;
       at = StrFindChar(text, at + 1u, '[', plain)) {
    open = at;
  }
  return open;
}

}  // namespace

StrRef BracketExpand(StrRef text, uint16_t flags, StrRef names) {
  StrAreaScope scope;
  if (text.IsStatus()) return scope.Return(text);
  if (names.IsStatus()) return scope.Return(names);
  const bool plain = flags & kBracketInQuotes;
  StrRef t = StrAreaReturn(scope.mark(), text);
  uint16_t from = 0;
  uint16_t rescans = 0;
  while (!t.IsStatus()) {
    const uint16_t close = StrFindChar(t, from, ']', plain);
    if (close == kNothing) break;
    const uint16_t open = InnermostOpen(t, from, close, plain);
    if (open == kNothing) {
      from = close + 1;
      continue;
    }
    StrRef value = Resolve(StrMake(t.ptr + open + 1, close - open - 1), flags, names);
    if (value.IsStatus()) return scope.Return(value);
    if (!(flags & kBracketUntrimmed)) value = StrTrim(value, kTrimBoth);
    if (flags & kBracketPad) {
      value = Padded(value, static_cast<uint16_t>(close - open + 1), flags & kBracketPadZeros);
    }
    if (value.IsStatus()) return scope.Return(value);
    Status status = StrConcat(StrMake(t.ptr, open), value);
    if (status.ok()) status = StrConcat(StrAreaTop(), StrSub(t, close + 1, -1));
    if (!status.ok()) return scope.Return(StrError(status));
    const uint16_t value_length = value.len;
    t = StrAreaReturn(scope.mark(), StrAreaTop());
    if (flags & kBracketRescan) {
      if (++rescans > kBracketMaxRescans) return scope.Return(StrError(kStrOutBound));
      from = 0;
    } else {
      from = static_cast<uint16_t>(open + value_length);
    }
  }
  if (!t.IsStatus() && (flags & kBracketEscapes)) {
    t = StrReplace(StrReplace(t, StrLit("\\{"), StrLit("["), true), StrLit("\\}"), StrLit("]"),
                   true);
  }
  return scope.Return(t);
}

}  // namespace engine
