// Field types: the type codes of data-file fields, form fields and printed values, and the three
// conversions made with them: a value to its stored form (what a record holds), a stored form to
// its display form (what a screen or a document shows), and a typed input to its stored form.
//
// A type code is one character and a width: "A30", "N2", "D8", "L1", "P30", "26".
//
//   code     value                     stored form                         display form
//   A        text                      left-aligned, padded or cut         as stored
//   B        digit text                only digits and blanks, as A        as stored
//   C        code of digits            as B, blanks inside become '0'      as stored
//   P        secret text               as A                                as stored
//   D        date                      YYYYMMDD, YYMMDD in width 6         short date (width 8),
//                                                                          long-year date (10);
//                                                                          empty: today
//   F        date                      as D                                as D; empty: blanks
//   L        logical                   ' ' unknown, '0' no, '1' yes        the language's texts
//   N        whole number              right-aligned digits                mask of width '#'
//   1..9     number with d decimals    right-aligned, '.' before d digits  mask with a '.'
//   T, V     no text of their own      blanks of the width                 as stored
//
// N, L and the digit codes are numbers in expressions; A, B, C, D, F are strings there (see
// FieldTypeIsText in eval_hooks.h). Stored numbers always use '.' as their decimal point;
// display forms and typed inputs use the language's characters (format_params.h).
//
// Every conversion pushes its result on the StringArea; failures are status values.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kTypeCodes = StrLit("123456789ABCDFLNPTV");
inline constexpr StrRef kTextTypeCodes = StrLit("ABCP");

// The width argument that leaves a display form or typed input at its own length.
inline constexpr int32_t kWidthAsIs = -1;

struct TypeCode {
  char type = 'A';
  uint16_t width = 0;
};

bool TypeCodeValid(char type);
// N and the digit codes.
bool TypeIsNumber(char type);
// The decimals of a number type: the digit of a digit code, 0 for N.
uint16_t TypeDecimals(char type);
// Reads a code written as its character and width ("A30", "26"); false when it is none.
bool ParseTypeCode(StrRef text, TypeCode* code);

// The stored form of `text` for a field of the type and width. A number whose integer digits
// and sign do not fit the width is 168 (DATAOUTBOUND); a longer number whose point lies within
// the width is re-formatted to the width, keeping the decimals that fit (rounded). An unknown
// type is 163.
StrRef FormatStored(char type, StrRef text, uint16_t width);

// The display form of a stored text. Dates by FormatDate (width 8 the short date, 10 the
// long-year date, other widths blanks); logical values by the language's texts; numbers by the
// mask of the type and width with the language's separators (a number that does not fit shows
// '*'); other types padded or cut to the width. kWidthAsIs keeps the stored length.
StrRef FormatDisplay(char type, StrRef stored, int32_t width);

// The stored form of what a user typed: B and C keep digits and blanks (C zero-fills), dates by
// ParseDate, logical values by their first character among the language's logical input
// characters (anything else is blank), numbers by CleanNumber and the mask of the type and width;
// then FormatStored, unless the width is kWidthAsIs. 168 for a number that does not fit.
StrRef ParseInput(char type, StrRef typed, int32_t width);

// A number (scaled by _PRECIS) in the stored form of a numeric field: rounded to the type's
// decimals and written with all of them, right-aligned. 168 when it does not fit.
StrRef FormatNumberField(char type, int64_t value, uint16_t width);

// A typed number as a plain number text: blanks trimmed; characters taken while they are among
// the language's number characters or '.', a '-' only first; the language's thousands characters
// skipped (when the thousands character is '.', only in a text that holds the language's decimal
// character, since '.' is otherwise read as the point); leading zeros before another digit
// dropped; the language's decimal character made '.'; at most 20 characters kept.
StrRef CleanNumber(StrRef text);

}  // namespace engine
