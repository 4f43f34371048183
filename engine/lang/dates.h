// Dates and times: the internal date text YYYYMMDD, its validation, today from the engine's
// clock, the display styles, the reading of typed dates, two-digit years, date arithmetic, and
// the time texts of TIME$.
//
// The calendar is the engine's own: a year is a leap year when it is divisible by 4 (so 29
// February 1900 is a date), years run from 0 to 9999. Every operation answers the empty text for
// a date that does not validate. Texts are pushed on the StringArea.
#pragma once

#include <cstdint>

#include "engine/core/clock.h"
#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// _AUXSTAT bit: an empty date stays empty instead of meaning today.
inline constexpr uint16_t kAuxEmptyDateNotToday = 64;

struct Date {
  int16_t year = 0;
  uint8_t month = 0;
  uint8_t day = 0;
};

bool DateValid(const Date& date);
uint8_t MonthLength(int16_t year, uint8_t month);
// Reads YYYYMMDD (exactly eight digits); false when the text is no valid date.
bool DateFromText(StrRef text, Date* date);
// Pushes YYYYMMDD.
StrRef DateText(const Date& date);
// Today from the engine's clock.
Date Today();
// Days since 1 January of year 0.
int32_t DayNumber(const Date& date);
Date DateFromDayNumber(int32_t days);

// A two-digit year completed by _BYEAR and _BKYEAR: yy + _BYEAR below _BKYEAR, else
// yy + _BYEAR - 100.
int16_t ExpandYear(int16_t yy);

// Display styles of FormatDate.
inline constexpr uint16_t kDateAsGiven = 0;
inline constexpr uint16_t kDateShort = 1;      // 01-31-24, in the language's order
inline constexpr uint16_t kDateLongYear = 2;   // 01-31-2024, in the language's order
inline constexpr uint16_t kDateMonthYear = 3;  // Jan 2024
inline constexpr uint16_t kDateLong = 4;       // the language's long-date template
inline constexpr uint16_t kDateLastStyle = kDateLong;

// A date (YYYYMMDD) for display. An empty date is today unless _AUXSTAT has
// kAuxEmptyDateNotToday. A date that does not validate gives 8 blanks in the short style, 10 in
// the long-year style and the empty text in the others. Style 0 gives the date as given. 147 for
// a style beyond kDateLastStyle.
StrRef FormatDate(StrRef date, uint16_t style);
// A date in the long-year style, as dated reports show it.
StrRef FormatDateLongYear(const Date& date);

// A typed date to YYYYMMDD: three numbers separated by '-', '.' or '/' in the language's order
// (a year of one or two digits completed by ExpandYear); six characters without a separator are
// DDMMYY in every language; an empty text is today (unless kAuxEmptyDateNotToday); any other text
// must be YYYYMMDD already. A zero part, or a date that does not validate, gives the empty text.
StrRef ParseDate(StrRef text);
// Whether the text holds one of the date separators '-', '.', '/'.
bool HasDateSeparator(StrRef text);
// The date part of a date and time text ("<date> <time>"): the text before its first blank.
StrRef DatePartOf(StrRef text);

// Date arithmetic. Units: 'D' days, 'M' months, 'Y' years.
// Adds n units; adding months or years keeps the day within the new month's length. The empty
// text when the date does not validate or the result leaves the years 0..9999; 147 for another
// unit.
StrRef DateAdd(StrRef date, int32_t n, char unit);
// date - other in whole units: the real days between them, 12 x years + months, or years. 163
// when either date does not validate, 147 for another unit.
[[nodiscard]] Status DateDiff(StrRef date, StrRef other, char unit, int32_t* difference);

// ---- Times -------------------------------------------------------------------------------
//
// The time formats of TIME$ (format & kTimeFormatMask):
//   0  hh:mm:ss   "09:05:03"
//   1  hh:mm      "09:05"
//   2  hhmmss     "090503"
// With kTimeWithDate the time is preceded by the date in the long-year style and a blank:
// "01-31-2024 09:05:03". A time is read from "h:mm", "h:mm:ss", "hhmm" or "hhmmss"; with
// kTimeWithDate from "<date> <time>", the date read by ParseDate and a missing time being
// midnight. An empty text is the current moment.
inline constexpr uint16_t kTimeWithDate = 128;
inline constexpr uint16_t kTimeFormatMask = 127;
inline constexpr uint16_t kTimeLastFormat = 2;

// The time (and date) read from `text` and written in `format`. The empty text when the text is
// no valid time or date; 147 for a format beyond kTimeLastFormat.
StrRef TimeText(StrRef text, uint16_t format);

}  // namespace engine
