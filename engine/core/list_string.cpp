// List strings and key-value texts: the field walk, field edits, set operations, splitting and
// the lookup of settings by key.
#include "engine/core/list_string.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"

namespace engine {

namespace {

constexpr StrRef kEmpty{"", 0};

// Walks the fields of a list from the first to the last. A status value walks as the empty
// list, which has no fields.
class FieldWalk {
 public:
  FieldWalk(StrRef list, char sep)
      : list_(list.IsStatus() ? kEmpty : list), sep_(sep), more_(list_.len != 0) {}

  // Moves to the next field; false when the list is used up.
  bool Next(StrRef* field) {
    if (!more_) return false;
    const uint16_t at = StrFindChar(list_, pos_, sep_, sep_ == '\0');
    const size_t end = at == kNothing ? list_.len : at;
    *field = StrMake(list_.ptr + pos_, end - pos_);
    // A separator always opens one more field, even an empty one at the very end.
    more_ = end < list_.len;
    pos_ = end + 1;
    return true;
  }

  // Where the walk stands: the empty string at the start of the next field, or at the end.
  StrRef Here() const { return StrMake(list_.ptr + std::min<size_t>(pos_, list_.len), 0); }

 private:
  StrRef list_;
  char sep_;
  bool more_;
  size_t pos_ = 0;
};

// ListSetField and ListDeleteField in one: builds the list with field n replaced by `value`,
// or, when deleting, removed together with one adjacent separator.
StrRef EditField(StrRef list, char sep, uint16_t n, StrRef value, bool deleting) {
  StrAreaScope scope;
  if (list.IsStatus()) return scope.Return(list);
  if (value.IsStatus()) return scope.Return(value);
  const uint16_t count = ListCount(list, sep);
  const size_t fields = std::max<size_t>(count, 1);
  const size_t target = n == 0 ? size_t{count} + 1 : n;
  if (deleting && target > fields) return scope.Return(list);

  size_t start = list.len;  // where the replaced field begins
  size_t length = 0;        // its length
  size_t extra = 0;         // separators appended before value
  if (target > fields) {
    extra = target - fields;
  } else {
    const StrRef field = ListField(list, sep, static_cast<uint16_t>(target));
    start = static_cast<size_t>(field.ptr - list.ptr);
    length = field.len;
  }
  if (deleting && fields > 1) {
    // The separator before the field goes with it; field 1 takes the one after it.
    if (target > 1) --start;
    ++length;
  }
  // A total beyond kMaxStrLen is refused by the area with kStringTooLong.
  const size_t total = list.len - length + extra + value.len;
  Status status = StrAreaAlloc(total);
  if (!status.ok()) return scope.Return(StrError(status));
  char* out = StrWritable(StrAreaTop());
  std::memcpy(out, list.ptr, start);
  std::memset(out + start, sep, extra);
  std::memcpy(out + start + extra, value.ptr, value.len);
  const size_t after = start + length;
  std::memcpy(out + start + extra + value.len, list.ptr + after, list.len - after);
  return scope.Return(StrAreaTop());
}

// Joins `field` onto *result with StrJoin, keeping only the joined text above `mark`.
Status JoinInPlace(uint16_t mark, StrRef* result, char sep, StrRef field) {
  *result = StrAreaReturn(mark, StrJoin(*result, sep, field));
  return StrCheck(*result);
}

}  // namespace

// ---- Fields ----------------------------------------------------------------------------

StrRef ListField(StrRef list, char sep, uint16_t n) {
  FieldWalk walk(list, sep);
  StrRef field;
  for (uint16_t i = 1; i <= n && walk.Next(&field); ++i) {
    if (i == n) return field;
  }
  return walk.Here();
}

uint16_t ListCount(StrRef list, char sep) {
  FieldWalk walk(list, sep);
  StrRef field;
  uint16_t count = 0;
  // 65,535 separators make one field more than a count can hold: the count stops at 65,535.
  while (count < UINT16_MAX && walk.Next(&field)) ++count;
  return count;
}

uint16_t ListFind(StrRef list, char sep, StrRef item) {
  if (item.IsStatus()) return 0;
  FieldWalk walk(list, sep);
  StrRef field;
  for (uint16_t i = 1; walk.Next(&field); ++i) {
    if (field.view() == item.view()) return i;
  }
  return 0;
}

StrRef ListFieldValue(StrRef text) {
  StrAreaScope scope;
  if (text.IsStatus()) return scope.Return(text);
  const StrRef value = StrUnquote(StrTrim(text, kTrimBoth));
  return scope.Return(value.len == text.len ? StrUpper(value) : value);
}

int32_t ListFieldInt(StrRef list, char sep, uint16_t n) {
  StrAreaScope scope;
  return StrToInt(ListFieldValue(ListField(list, sep, n)));
}

uint16_t ListWidest(StrRef list, char sep, bool narrowest) {
  FieldWalk walk(list, sep);
  StrRef field;
  bool first = true;
  uint16_t width = 0;
  while (walk.Next(&field)) {
    const uint16_t len = StrUnquote(field).len;
    if (first || (narrowest ? len < width : len > width)) width = len;
    first = false;
  }
  return width;
}

uint16_t ListRangeFind(StrRef list, int64_t number) {
  FieldWalk walk(list, ',');
  StrRef field;
  for (uint16_t i = 1; walk.Next(&field); ++i) {
    const int64_t low = StrToInt64(ListField(field, '-', 1));
    const int64_t high = StrToInt64(ListField(field, '-', ListCount(field, '-')));
    if (low <= number && number <= high) return i;
  }
  return 0;
}

// ---- Building lists --------------------------------------------------------------------

StrRef ListSetField(StrRef list, char sep, uint16_t n, StrRef value) {
  return EditField(list, sep, n, value, false);
}

StrRef ListDeleteField(StrRef list, char sep, uint16_t n) {
  return EditField(list, sep, n, kEmpty, true);
}

StrRef ListUnion(StrRef a, char sep_a, StrRef b, char sep_b) {
  StrAreaScope scope;
  if (a.IsStatus()) return scope.Return(a);
  if (b.IsStatus()) return scope.Return(b);
  StrRef result = a;
  FieldWalk walk(b, sep_b);
  StrRef field;
  while (walk.Next(&field)) {
    if (ListFind(a, sep_a, field) != 0) continue;
    if (!JoinInPlace(scope.mark(), &result, sep_a, field).ok()) break;
  }
  return scope.Return(result);
}

StrRef ListDifference(StrRef a, char sep_a, StrRef b, char sep_b) {
  StrAreaScope scope;
  if (a.IsStatus()) return scope.Return(a);
  if (b.IsStatus()) return scope.Return(b);
  StrRef result = kEmpty;
  FieldWalk walk(a, sep_a);
  StrRef field;
  while (walk.Next(&field)) {
    if (ListFind(b, sep_b, field) != 0) continue;
    if (!JoinInPlace(scope.mark(), &result, sep_a, field).ok()) break;
  }
  return scope.Return(result);
}

// ---- Splitting -------------------------------------------------------------------------

Status ListSplit(StrRef list, char sep, StrArray* array) {
  *array = StrArray{};
  if (list.IsStatus()) return StrCheck(list);
  const uint16_t count = ListCount(list, sep);
  const Status status = StrAreaAlloc(size_t{count} * sizeof(StrRef));
  if (!status.ok()) return status;
  // Temporaries are aligned for StrRef (kAreaAlign), so the block can hold the array.
  StrRef* items = reinterpret_cast<StrRef*>(StrWritable(StrAreaTop()));
  FieldWalk walk(list, sep);
  StrRef field;
  for (uint16_t i = 0; walk.Next(&field); ++i) std::construct_at(items + i, field);
  *array = StrArray{count, items};
  return kOk;
}

StrRef ArrayItem(const StrArray& array, uint16_t n) {
  if (n == 0 || n > array.count) return kEmpty;
  return array.items[n - 1];
}

// ---- Key-value texts -------------------------------------------------------------------

ParamSpan ParamFind(StrRef text, StrRef key, ParamForm form) {
  if (text.IsStatus() || key.IsStatus() || key.empty()) return ParamSpan{};
  const bool nul_form = form == ParamForm::kNulSeparated;
  auto starts_setting = [&](size_t at) {
    if (at == 0) return true;
    const char before = text[at - 1];
    return before == '\0' ||
           (!nul_form && kParamBreaks.view().find(before) != std::string_view::npos);
  };
  for (const char assign : {':', '='}) {
    for (size_t at = StrFindText(text, key, nul_form); at != kNothing;
         at = StrSearch(text, at + 1, key, FindKind::kText, nul_form)) {
      const size_t value = at + key.len + 1;
      if (value > text.len || text[value - 1] != assign || !starts_setting(at)) continue;
      const uint16_t end = nul_form ? StrFindChar(text, value, '\0', true)
                                    : StrFindAny(text, value, kParamBreaks, false);
      const size_t stop = end == kNothing ? text.len : end;
      return ParamSpan{static_cast<uint16_t>(value), static_cast<uint16_t>(stop - value)};
    }
  }
  return ParamSpan{};
}

StrRef ParamValue(StrRef text, StrRef key, int how) {
  const ParamSpan span = ParamFind(text, key, ParamForm::kText);
  const StrRef value = span.found() ? StrMake(text.ptr + span.offset, span.length) : kEmpty;
  switch (how) {
    case kParamUnquoted:
      return StrUnquote(value);
    case kParamFieldValue:
      return ListFieldValue(value);
    default:
      return value;
  }
}

StrRef ParamCopy(StrRef text, StrRef key) {
  StrAreaScope scope;
  if (text.IsStatus()) return scope.Return(text);
  if (key.IsStatus()) return scope.Return(key);
  const ParamSpan span = ParamFind(text, key, ParamForm::kText);
  if (!span.found()) return scope.Return(StrError(kNothing));
  const StrRef value = StrMake(text.ptr + span.offset, span.length);
  const bool keep_quotes = key.view().find('%') != std::string_view::npos;
  return scope.Return(keep_quotes ? value : StrUnquote(value));
}

}  // namespace engine
