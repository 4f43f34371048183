// Dates and times: validation, day numbers, display styles, typed dates, arithmetic and the
// time texts of TIME$.
#include "engine/lang/dates.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/format_params.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

constexpr uint8_t kMonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
constexpr int16_t kLastYear = 9999;
constexpr int32_t kDaysPerCycle = 4 * 365 + 1;  // a leap year and three common ones
constexpr StrRef kDateSeparators = StrLit("-./");
constexpr StrRef kMonthYearTemplate = StrLit("[M] [Y]");
constexpr StrRef kDayField = StrLit("[D]");
constexpr StrRef kMonthField = StrLit("[M]");
constexpr StrRef kYearField = StrLit("[Y]");
constexpr uint16_t kShortMonthName = 3;
constexpr size_t kDateTextMax = 512;

bool IsLeap(int32_t year) { return year % 4 == 0; }

bool AllDigits(StrRef s) {
  if (s.empty()) return false;
  for (const char c : s.view()) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int32_t DigitsValue(StrRef s) { return static_cast<int32_t>(StrToInt64(s)); }

StrRef Blanks(uint16_t n) { return StrRepeat(StrLit(" "), n); }

StrRef TwoDigits(int32_t n) { return IntToStrPadded(static_cast<int16_t>(n), 2, '0'); }

StrRef FourDigits(int32_t n) { return IntToStrPadded(static_cast<int16_t>(n), 4, '0'); }

// The date when the text is empty: today, unless _AUXSTAT says an empty date stays empty.
bool EmptyDateIsToday() { return !SysWordTest(kSysAuxStat, kAuxEmptyDateNotToday); }

// "%s-%s-%s" with the day and month in the language's order.
StrRef NumericDate(const Date& date, StrRef year) {
  const StrRef day = TwoDigits(date.day);
  const StrRef month = TwoDigits(date.month);
  const bool day_first = DayFirstLanguage();
  return StrFormat(kDateTextMax, StrLit("%s-%s-%s"),
                   {day_first ? day : month, day_first ? month : day, year});
}

StrRef FillTemplate(StrRef pattern, const Date& date, StrRef month_name) {
  StrRef text = StrReplace(pattern, kDayField, TwoDigits(date.day), true);
  text = StrReplace(text, kMonthField, month_name, true);
  return StrReplace(text, kYearField, FourDigits(date.year), true);
}

// Reads one part of a typed date; false when it is not a number.
bool ReadPart(StrRef part, int32_t* value, uint16_t* digits) {
  const StrRef t = StrTrim(part, kTrimBoth);
  if (!AllDigits(t) || t.len > 4) return false;
  *value = DigitsValue(t);
  *digits = t.len;
  return true;
}

// A year typed with one or two digits is completed; a longer one is taken as written, and a
// written year 0 is no date.
bool CompleteYear(int32_t value, uint16_t digits, int16_t* year) {
  if (digits <= 2) {
    *year = ExpandYear(static_cast<int16_t>(value));
    return true;
  }
  *year = static_cast<int16_t>(value);
  return value != 0;
}

StrRef ValidDateText(const Date& date) {
  return DateValid(date) ? DateText(date) : StrAreaReturn(StrAreaMark(), StrLit(""));
}

// Reads "h:mm", "h:mm:ss", "hhmm" or "hhmmss".
bool ReadTime(StrRef text, LocalDateTime* time) {
  const StrRef t = StrTrim(text, kTrimBoth);
  int32_t parts[3] = {0, 0, 0};
  if (StrFindChar(t, 0, ':', true) != kNothing) {
    const uint16_t count = ListCount(t, ':');
    if (count < 2 || count > 3) return false;
    for (uint16_t i = 0; i < count; ++i) {
      const StrRef part = ListField(t, ':', i + 1);
      if (!AllDigits(part) || part.len > 2) return false;
      parts[i] = DigitsValue(part);
    }
  } else {
    if (!AllDigits(t) || (t.len != 4 && t.len != 6)) return false;
    for (uint16_t i = 0; i * 2 < t.len; ++i) parts[i] = DigitsValue(StrSub(t, i * 2, 2));
  }
  if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return false;
  time->hour = static_cast<uint8_t>(parts[0]);
  time->minute = static_cast<uint8_t>(parts[1]);
  time->second = static_cast<uint8_t>(parts[2]);
  return true;
}

}  // namespace

uint8_t MonthLength(int16_t year, uint8_t month) {
  if (month < 1 || month > 12) return 0;
  return month == 2 && IsLeap(year) ? 29 : kMonthDays[month - 1];
}

bool DateValid(const Date& date) {
  return date.year >= 0 && date.year <= kLastYear && date.month >= 1 && date.month <= 12 &&
         date.day >= 1 && date.day <= MonthLength(date.year, date.month);
}

bool DateFromText(StrRef text, Date* date) {
  if (text.len != 8 || !AllDigits(text)) return false;
  date->year = static_cast<int16_t>(DigitsValue(StrSub(text, 0, 4)));
  date->month = static_cast<uint8_t>(DigitsValue(StrSub(text, 4, 2)));
  date->day = static_cast<uint8_t>(DigitsValue(StrSub(text, 6, 2)));
  return DateValid(*date);
}

StrRef DateText(const Date& date) {
  StrAreaScope scope;
  return scope.Return(
      StrFormat(kDateTextMax, StrLit("%s%s%s"),
                {FourDigits(date.year), TwoDigits(date.month), TwoDigits(date.day)}));
}

Date Today() {
  const LocalDateTime now = CurrentClock().Now();
  return Date{now.year, now.month, now.day};
}

int32_t DayNumber(const Date& date) {
  int32_t days = date.year * 365 + (date.year + 3) / 4;
  for (uint8_t m = 1; m < date.month; ++m) days += MonthLength(date.year, m);
  return days + date.day - 1;
}

Date DateFromDayNumber(int32_t days) {
  if (days < 0) return Date{};
  int32_t year = days / kDaysPerCycle * 4;
  int32_t rest = days % kDaysPerCycle;
  if (rest >= 366) {
    rest -= 366;
    year += 1 + rest / 365;
    rest %= 365;
  }
  if (year > kLastYear) return Date{};
  Date date{static_cast<int16_t>(year), 1, 1};
  while (rest >= MonthLength(date.year, date.month)) rest -= MonthLength(date.year, date.month++);
  date.day = static_cast<uint8_t>(rest + 1);
  return date;
}

int16_t ExpandYear(int16_t yy) {
  const int32_t base = SysWord(kSysBYear);
  const int32_t year = yy < SysWord(kSysBkYear) ? yy + base : yy + base - 100;
  return static_cast<int16_t>(year);
}

StrRef FormatDate(StrRef date, uint16_t style) {
  StrAreaScope scope;
  if (date.IsStatus()) return scope.Return(date);
  if (style > kDateLastStyle) return scope.Return(StrError(kSyntaxError));
  const StrRef t = StrTrim(date, kTrimBoth);
  Date d;
  bool valid;
  if (t.empty() && EmptyDateIsToday()) {
    d = Today();
    valid = DateValid(d);
  } else {
    valid = DateFromText(t, &d);
  }
  if (!valid) {
    if (style == kDateShort) return scope.Return(Blanks(8));
    if (style == kDateLongYear) return scope.Return(Blanks(10));
    return scope.Return(StrLit(""));
  }
  switch (style) {
    case kDateShort:
      return scope.Return(NumericDate(d, TwoDigits(d.year % 100)));
    case kDateLongYear:
      return scope.Return(NumericDate(d, FourDigits(d.year)));
    case kDateMonthYear:
    case kDateLong: {
      FormatParams params;
      Status status = LoadFormatParams(&params);
      if (!status.ok()) return scope.Return(StrError(status));
      const StrRef name = ListField(params.month_names, ',', d.month);
      if (style == kDateMonthYear) {
        return scope.Return(FillTemplate(kMonthYearTemplate, d, StrSub(name, 0, kShortMonthName)));
      }
      return scope.Return(FillTemplate(params.long_date, d, name));
    }
    default:
      return scope.Return(DateText(d));
  }
}

StrRef FormatDateLongYear(const Date& date) {
  StrAreaScope scope;
  if (!DateValid(date)) return scope.Return(Blanks(10));
  return scope.Return(NumericDate(date, FourDigits(date.year)));
}

bool HasDateSeparator(StrRef text) {
  return StrFindAny(text, 0, kDateSeparators, true) != kNothing;
}

StrRef DatePartOf(StrRef text) {
  const StrRef t = StrTrim(text, kTrimBoth);
  const uint16_t blank = StrFindChar(t, 0, ' ', true);
  return blank == kNothing ? t : StrSub(t, 0, blank);
}

StrRef ParseDate(StrRef text) {
  StrAreaScope scope;
  if (text.IsStatus()) return scope.Return(text);
  const StrRef t = StrTrim(text, kTrimBoth);
  if (t.empty()) return scope.Return(EmptyDateIsToday() ? DateText(Today()) : StrLit(""));
  Date date;
  if (HasDateSeparator(t)) {
    int32_t value[3];
    uint16_t digits[3];
    uint16_t count = 0;
    size_t start = 0;
    for (size_t i = 0; i <= t.len; ++i) {
      if (i < t.len && kDateSeparators.view().find(t[i]) == std::string_view::npos) continue;
      if (count == 3 ||
          !ReadPart(StrMake(t.ptr + start, i - start), &value[count], &digits[count])) {
        return scope.Return(StrLit(""));
      }
      ++count;
      start = i + 1;
    }
    if (count != 3) return scope.Return(StrLit(""));
    const bool day_first = DayFirstLanguage();
    date.day = static_cast<uint8_t>(std::min<int32_t>(value[day_first ? 0 : 1], 255));
    date.month = static_cast<uint8_t>(std::min<int32_t>(value[day_first ? 1 : 0], 255));
    if (!CompleteYear(value[2], digits[2], &date.year)) return scope.Return(StrLit(""));
    return scope.Return(ValidDateText(date));
  }
  if (t.len == 6 && AllDigits(t)) {
    date.day = static_cast<uint8_t>(DigitsValue(StrSub(t, 0, 2)));
    date.month = static_cast<uint8_t>(DigitsValue(StrSub(t, 2, 2)));
    date.year = ExpandYear(static_cast<int16_t>(DigitsValue(StrSub(t, 4, 2))));
    return scope.Return(ValidDateText(date));
  }
  return scope.Return(DateFromText(t, &date) ? DateText(date) : StrLit(""));
}

StrRef DateAdd(StrRef date, int32_t n, char unit) {
  StrAreaScope scope;
  if (date.IsStatus()) return scope.Return(date);
  Date d;
  const char u = AsciiUpper(unit);
  if (u != 'D' && u != 'M' && u != 'Y') return scope.Return(StrError(kSyntaxError));
  if (!DateFromText(StrTrim(date, kTrimBoth), &d)) return scope.Return(StrLit(""));
  Date result;
  if (u == 'D') {
    const int64_t days = int64_t{DayNumber(d)} + n;
    if (days < 0 || days > DayNumber(Date{kLastYear, 12, 31})) return scope.Return(StrLit(""));
    result = DateFromDayNumber(static_cast<int32_t>(days));
  } else {
    const int64_t months = int64_t{d.year} * 12 + (d.month - 1) + (u == 'M' ? n : int64_t{n} * 12);
    if (months < 0 || months / 12 > kLastYear) return scope.Return(StrLit(""));
    result.year = static_cast<int16_t>(months / 12);
    result.month = static_cast<uint8_t>(months % 12 + 1);
    result.day = std::min(d.day, MonthLength(result.year, result.month));
  }
  return scope.Return(ValidDateText(result));
}

Status DateDiff(StrRef date, StrRef other, char unit, int32_t* difference) {
  *difference = 0;
  const char u = AsciiUpper(unit);
  if (u != 'D' && u != 'M' && u != 'Y') return kSyntaxError;
  Date a, b;
  if (!DateFromText(StrTrim(date, kTrimBoth), &a) || !DateFromText(StrTrim(other, kTrimBoth), &b)) {
    return kBadInputData;
  }
  switch (u) {
    case 'D':
      *difference = DayNumber(a) - DayNumber(b);
      break;
    case 'M':
      *difference = (a.year - b.year) * 12 + (a.month - b.month);
      break;
    default:
      *difference = a.year - b.year;
      break;
  }
  return kOk;
}

StrRef TimeText(StrRef text, uint16_t format) {
  StrAreaScope scope;
  if (text.IsStatus()) return scope.Return(text);
  const uint16_t shape = format & kTimeFormatMask;
  if (shape > kTimeLastFormat) return scope.Return(StrError(kSyntaxError));
  const bool with_date = (format & kTimeWithDate) != 0;
  const StrRef t = StrTrim(text, kTrimBoth);
  LocalDateTime moment;
  Date date;
  if (t.empty()) {
    moment = CurrentClock().Now();
    date = Date{moment.year, moment.month, moment.day};
  } else if (with_date) {
    const StrRef date_part = DatePartOf(t);
    const StrRef time_part = StrTrim(StrSub(t, date_part.len, -1), kTrimBoth);
    if (!DateFromText(ParseDate(date_part), &date)) return scope.Return(StrLit(""));
    if (!time_part.empty() && !ReadTime(time_part, &moment)) return scope.Return(StrLit(""));
  } else if (!ReadTime(t, &moment)) {
    return scope.Return(StrLit(""));
  }
  const StrRef hh = TwoDigits(moment.hour);
  const StrRef mm = TwoDigits(moment.minute);
  const StrRef ss = TwoDigits(moment.second);
  StrRef time;
  switch (shape) {
    case 1:
      time = StrFormat(kDateTextMax, StrLit("%s:%s"), {hh, mm});
      break;
    case 2:
      time = StrFormat(kDateTextMax, StrLit("%s%s%s"), {hh, mm, ss});
      break;
    default:
      time = StrFormat(kDateTextMax, StrLit("%s:%s:%s"), {hh, mm, ss});
      break;
  }
  if (!with_date) return scope.Return(time);
  return scope.Return(StrFormat(kDateTextMax, StrLit("%s %s"), {FormatDateLongYear(date), time}));
}

}  // namespace engine
