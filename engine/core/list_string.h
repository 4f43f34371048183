// List strings and key-value texts.
//
// A list string is a text of fields separated by one separator byte chosen by the caller. Fields
// are numbered from 1 and may be empty ("a,,b" has three fields; "a,b," ends with an empty
// third one); the empty text and a status value have no fields. A field that holds a quoted
// section (' or " up to the next occurrence of the same byte) is not split inside it, and the
// quotes stay part of the field; an unclosed quote makes the rest of the list one field. With a
// NUL separator quoting is ignored. Fields are neither trimmed nor unquoted here: ListFieldValue
// does that when a caller asks.
//
// A key-value text holds settings written KEY:value or KEY=value (command lines, device options,
// parameter strings). A key counts only at the start of the text or after one of ':' ' ' '&' '/'
// or NUL; its value runs to the next of those four bytes outside quotes, or to the end. In the
// NUL-separated form keys follow a NUL and values run to the next NUL.
//
// Operations that answer a number or a view push nothing, and treat a status value as the empty
// list. Operations that build a list push one temporary (StrAreaReturn) and pass a status value
// given to them through unchanged.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// ---- Fields ----------------------------------------------------------------------------

// View of field n; field 0, a field beyond the last and any field of the empty list are the
// empty string (at the position the walk reached).
StrRef ListField(StrRef list, char sep, uint16_t n);
// The number of fields: 0 for the empty list. An unclosed quote counts as one field to the end,
// even when the text ends with the separator.
uint16_t ListCount(StrRef list, char sep);
// The number of the first field whose bytes equal `item` exactly (case-sensitive), else 0.
uint16_t ListFind(StrRef list, char sep, StrRef item);
// The text trimmed at both ends and stripped of one pair of enclosing quotes; when neither
// step shortened it, converted to upper case. Always a pushed copy.
StrRef ListFieldValue(StrRef text);
// StrToInt of ListFieldValue of field n. Pushes nothing.
int32_t ListFieldInt(StrRef list, char sep, uint16_t n);
// The largest field length after StrUnquote, or with `narrowest` the smallest; 0 for the empty
// list.
uint16_t ListWidest(StrRef list, char sep, bool narrowest);
// The number of the first comma field, written low-high or as one value, whose first and last
// '-' parts (read by StrToInt64) bound `number` inclusively; 0 when none does.
uint16_t ListRangeFind(StrRef list, int64_t number);

// ---- Building lists --------------------------------------------------------------------

// The list with field n replaced by `value`. A field beyond the last is reached by appending
// empty fields up to n - 1 and then value; n = 0 appends value as a new last field. The empty
// list counts as one empty field. kStringTooLong when the result would be too long.
StrRef ListSetField(StrRef list, char sep, uint16_t n, StrRef value);
// The list without field n and one separator next to it (the one before it; for field 1 the
// one after it). A field beyond the last (or 0) leaves the list as it is.
StrRef ListDeleteField(StrRef list, char sep, uint16_t n);
// a, then each field of b (split on sep_b) that a (split on sep_a) does not hold, each added by
// StrJoin with sep_a. Fields are looked up in a as it was given, so a field repeated in b is
// added each time.
StrRef ListUnion(StrRef a, char sep_a, StrRef b, char sep_b);
// The fields of a (split on sep_a) that b (split on sep_b) does not hold, joined by StrJoin
// with sep_a starting from the empty string (so empty fields drop out).
StrRef ListDifference(StrRef a, char sep_a, StrRef b, char sep_b);

// ---- Splitting -------------------------------------------------------------------------

// A string array: `count` StrRef values held in one StringArea temporary.
struct StrArray {
  uint16_t count = 0;
  const StrRef* items = nullptr;
};

// Splits the list once: pushes one temporary holding a StrRef per field, in order, each a view
// into `list`, and describes it in *array. A status value as the list is answered unchanged;
// kStringTooLong when the array would not fit in one temporary (more than 4,095 fields);
// kOutOfMemory when the area is full. On failure nothing is pushed and *array is empty.
[[nodiscard]] Status ListSplit(StrRef list, char sep, StrArray* array);
// Item n (1-based); the empty string when n is 0 or beyond the count.
StrRef ArrayItem(const StrArray& array, uint16_t n);

// ---- Key-value texts -------------------------------------------------------------------

// The bytes after which a key may start, and at which a value ends, in the normal form.
inline constexpr StrRef kParamBreaks = StrLit(": &/");

enum class ParamForm : uint8_t {
  kText,          // keys after ':' ' ' '&' '/' or NUL, values up to one of the four; quote-aware
  kNulSeparated,  // keys after NUL, values up to the next NUL; plain
};

// Where the value of a key lies in a key-value text; offset is kNothing when the key is
// missing.
struct ParamSpan {
  uint16_t offset = kNothing;
  uint16_t length = 0;
  bool found() const { return offset != kNothing; }
};

// Finds `key` followed by ':' anywhere in the text, and only then `key` followed by '='; the
// first occurrence that starts a setting wins. Keys are case-sensitive.
ParamSpan ParamFind(StrRef text, StrRef key, ParamForm form);

inline constexpr int kParamRaw = 0;         // the value as it stands (a view)
inline constexpr int kParamUnquoted = 1;    // StrUnquote of the value (a view)
inline constexpr int kParamFieldValue = 3;  // ListFieldValue of the value (a pushed copy)

// The value of `key` in the normal form, shaped by `how` (any other value gives kParamRaw); a
// missing key gives the empty string. Only kParamFieldValue pushes a temporary.
StrRef ParamValue(StrRef text, StrRef key, int how);
// A pushed copy of the value, unquoted unless the key contains '%'; the status value kNothing
// when the key is missing.
StrRef ParamCopy(StrRef text, StrRef key);

}  // namespace engine
