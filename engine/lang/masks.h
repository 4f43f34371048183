// Edit masks: a mask is a text in which some characters are positions for a value.
//
//   #  digit position, blank when the number has no digit there
//   0  digit position, '0' when the number has no digit there
//   .  decimal point, printed as the decimal character
//   ,  thousands separator, printed as the thousands character
//   \  text position: takes the next character of the value
//   ?  text position: takes the value's character at the same position when the mask's first
//      position character is '?' or '0', else as '\'
//   any other character is printed as it stands.
//
// A mask is numeric when its first position character is '#' or '0', textual when it is '\' or
// '?'. A mask may be written as a type code and width ("N10", "210"), and may carry a decimals
// suffix (",." and a number, "###,###,.2"), both rewritten before use. Every operation pushes its
// result on the StringArea.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Modes of ApplyMask.
inline constexpr uint16_t kMaskNeverNumeric = 0;
inline constexpr uint16_t kMaskStoredNumber = 1;  // numeric, with '.' and ',' as separators
inline constexpr uint16_t kMaskDefault = 255;     // numeric for number values, language separators

// The characters a value may hold to be formatted as a number under kMaskDefault.
inline constexpr StrRef kNumericValueChars = StrLit(".-1234567890,D ");

// The character that fills a numeric mask whose number does not fit it.
inline constexpr char kMaskOverflow = '*';

// Formats `value` by `mask`. A mask without position characters is answered as it is; a numeric
// mask given a value it does not format as a number is answered unchanged, unless it also holds
// '\' or '?', whose positions then take the value. A number whose integer digits and sign find
// no room even after the mask is widened shows every character of the mask's number part as
// kMaskOverflow.
StrRef ApplyMask(StrRef mask, StrRef value, uint16_t mode);

// Formats a number text by a numeric mask with the given separators (the mask already
// rewritten: see MaskPrepare); 168 (DATAOUTBOUND) when its integer digits and sign do not fit.
StrRef FormatNumberByMask(StrRef mask, StrRef value, char decimal, char thousands);

// The mask a type code and width stand for: `width` positions of '#', of which, for a digit code
// d, the last d follow a '.'.
StrRef TypeMask(char type, uint16_t width);
// Whether the text is a type code and width ("N10", "210"), and which.
bool MaskIsTypeCode(StrRef mask, char* type, uint16_t* width);
// The mask with its type code and decimals suffix rewritten.
StrRef MaskPrepare(StrRef mask);

}  // namespace engine
