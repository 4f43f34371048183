// Dates and times: validation in the engine's calendar, two-digit years, typed dates in the
// language order, display styles, arithmetic (a day difference counts the real days) and the
// time texts.
#include "engine/lang/dates.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "locale_fixture.h"

namespace engine {
namespace {

using testing::Show;

class DatesTest : public testing::LocaleFixture {};

TEST_F(DatesTest, ValidationFollowsTheEnginesCalendar) {
  const struct {
    const char* text;
    bool valid;
  } cases[] = {
      {"19000229", true},  // every year divisible by 4 has a 29 February
      {"20230229", false}, {"20240229", true},  {"00000101", true},  {"99991231", true},
      {"20241301", false}, {"20240100", false}, {"20240431", false}, {"2024013", false},
      {"2024O131", false}, {"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    Date date;
    EXPECT_EQ(DateFromText(StrView(c.text), &date), c.valid);
  }
}

TEST_F(DatesTest, DayNumbersRoundTripAcrossLeapYearsAndTheEnds) {
  for (const int16_t year : {0, 1, 3, 4, 1899, 1900, 1901, 2023, 2024, 9998, 9999}) {
    for (uint8_t month = 1; month <= 12; ++month) {
      for (uint8_t day = 1; day <= MonthLength(year, month); ++day) {
        const Date date{year, month, day};
        const Date back = DateFromDayNumber(DayNumber(date));
        ASSERT_TRUE(back.year == year && back.month == month && back.day == day)
            << year << "-" << int{month} << "-" << int{day};
      }
    }
    EXPECT_EQ(DayNumber(Date{year, 12, 31}) + 1, DayNumber(Date{int16_t(year + 1), 1, 1}));
  }
}

TEST_F(DatesTest, TwoDigitYearsFollowTheBaseAndBreakYears) {
  EXPECT_EQ(ExpandYear(79), 2079);
  EXPECT_EQ(ExpandYear(80), 1980);
  EXPECT_EQ(ExpandYear(0), 2000);
  EXPECT_EQ(ExpandYear(99), 1999);
  SysWordSet(kSysBYear, 1900);
  SysWordSet(kSysBkYear, 50);
  EXPECT_EQ(ExpandYear(49), 1949);
  EXPECT_EQ(ExpandYear(50), 1850);
}

TEST_F(DatesTest, TypedDatesAreReadInTheLanguageOrder) {
  const struct {
    const char* language;
    const char* typed;
    const char* date;
  } cases[] = {
      {"ES", "31/01/24", "20240131"},
      {"EN", "01/31/24", "20240131"},
      {"ES", "310124", "20240131"},
      {"EN", "310124", "20240131"},  // DDMMYY everywhere
      {"ES", "31.01.2024", "20240131"},
      {"EN", "1-2-2024", "20240102"},
      {"FR", "1-2-2024", "20240201"},
      {"IT", " 5/3/79 ", "20790305"},
      {"EN", "12/31/80", "19801231"},
      {"ES", "31/01/00", "20000131"},
      {"EN", "", "20240305"},          // today
      {"EN", "20240131", "20240131"},  // already internal
      {"EN", "01/31/24", "20240131"},
      {"ES", "01/31/24", ""},  // no month 31
      {"ES", "00/01/24", ""},
      {"ES", "31/02/24", ""},
      {"ES", "31/01/0000", ""},
      {"EN", "1/2/3/4", ""},
      {"EN", "1//2024", ""},
      {"EN", "a/b/c", ""},
      {"EN", "abc", ""},
      {"EN", "20230229", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " '" + c.typed + "'");
    SetLanguage(c.language);
    EXPECT_EQ(Show(ParseDate(StrView(c.typed))), c.date);
  }
  SysWordSet(kSysAuxStat, kAuxEmptyDateNotToday);
  EXPECT_EQ(Show(ParseDate(StrLit(""))), "");
}

TEST_F(DatesTest, DisplayStyles) {
  const struct {
    const char* language;
    const char* date;
    uint16_t style;
    const char* shown;
  } cases[] = {
      {"EN", "20240131", kDateShort, "01-31-24"},
      {"EN", "20240131", kDateLongYear, "01-31-2024"},
      {"ES", "20240131", kDateShort, "31-01-24"},
      {"ES", "20240131", kDateLongYear, "31-01-2024"},
      {"EN", "20240131", kDateMonthYear, "Jan 2024"},
      {"EN", "20240131", kDateLong, "January 31,2024"},
      {"ES", "20240131", kDateMonthYear, "Ene 2024"},
      {"ES", "20240131", kDateLong, "31 de Enero de 2024"},
      {"EN", "20240131", kDateAsGiven, "20240131"},
      {"EN", "09000101", kDateLongYear, "01-01-0900"},
      {"EN", "", kDateShort, "03-05-24"},  // today
      {"EN", "", kDateAsGiven, "20240305"},
      {"EN", "20230229", kDateShort, "        "},
      {"EN", "20230229", kDateLongYear, "          "},
      {"EN", "20230229", kDateMonthYear, ""},
      {"EN", "junk", kDateAsGiven, ""},
      {"EN", "20240131", 5, "<status 147>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " " + c.date + " style " + std::to_string(c.style));
    SetLanguage(c.language);
    EXPECT_EQ(Show(FormatDate(StrView(c.date), c.style)), c.shown);
  }
  SetLanguage("EN");
  SysWordSet(kSysAuxStat, kAuxEmptyDateNotToday);
  EXPECT_EQ(Show(FormatDate(StrLit(""), kDateShort)), "        ");
  EXPECT_EQ(Show(FormatDate(StrLit(""), kDateLong)), "");
}

TEST_F(DatesTest, AddingKeepsTheDayWithinTheMonth) {
  const struct {
    const char* date;
    int32_t n;
    char unit;
    const char* result;
  } cases[] = {
      {"20240131", 1, 'M', "20240229"},
      {"20230131", 1, 'M', "20230228"},
      {"20240315", -3, 'M', "20231215"},
      {"20240131", 13, 'm', "20250228"},
      {"20241231", 1, 'D', "20250101"},
      {"20240101", -1, 'D', "20231231"},
      {"20240228", 1, 'D', "20240229"},
      {"19000228", 1, 'D', "19000229"},
      {"20240229", 1, 'Y', "20250228"},
      {"20240229", 4, 'Y', "20280229"},
      {"99991231", 1, 'D', ""},
      {"00000101", -1, 'D', ""},
      {"99991231", 1, 'M', ""},
      {"bad", 1, 'D', ""},
      {"20240101", 1, 'X', "<status 147>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.date) + " " + std::to_string(c.n) + c.unit);
    EXPECT_EQ(Show(DateAdd(StrView(c.date), c.n, c.unit)), c.result);
  }
}

TEST_F(DatesTest, DifferencesCountRealDaysMonthsAndYears) {
  const struct {
    const char* date;
    const char* other;
    char unit;
    int32_t difference;
  } cases[] = {
      // A day difference is the number of days between the dates, leap days included.
      {"20250101", "20240101", 'D', 366},  {"20240101", "20250101", 'D', -366},
      {"20240301", "20240201", 'D', 29},   {"20230301", "20230201", 'D', 28},
      {"20240101", "20231231", 'D', 1},    {"20240131", "20240131", 'D', 0},
      {"20300615", "20200615", 'D', 3652}, {"20250315", "20240101", 'M', 14},
      {"20240101", "20231231", 'M', 1},    {"20250101", "20241231", 'Y', 1},
      {"19991231", "20240101", 'y', -25},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.date) + " - " + c.other + " " + c.unit);
    int32_t difference = -1;
    ASSERT_EQ(DateDiff(StrView(c.date), StrView(c.other), c.unit, &difference), kOk);
    EXPECT_EQ(difference, c.difference);
  }
  int32_t difference = 0;
  EXPECT_EQ(DateDiff(StrLit("20230229"), StrLit("20230101"), 'D', &difference), kBadInputData);
  EXPECT_EQ(DateDiff(StrLit("20230101"), StrLit("20230101"), 'W', &difference), kSyntaxError);
}

TEST_F(DatesTest, TimeTextsInThePlainFormats) {
  const struct {
    const char* language;
    const char* text;
    uint16_t format;
    const char* result;
  } cases[] = {
      {"EN", "", 0, "09:05:03"},
      {"EN", "", 1, "09:05"},
      {"EN", "", 2, "090503"},
      {"EN", "", kTimeWithDate, "03-05-2024 09:05:03"},
      {"ES", "", kTimeWithDate | 1, "05-03-2024 09:05"},
      {"EN", "7:5", 0, "07:05:00"},
      {"EN", "14:30:15", 1, "14:30"},
      {"EN", "1430", 0, "14:30:00"},
      {"EN", "143015", 2, "143015"},
      {"ES", "31/01/24 10:20", kTimeWithDate, "31-01-2024 10:20:00"},
      {"EN", "20240131", kTimeWithDate | 2, "01-31-2024 000000"},
      {"EN", "25:00", 0, ""},
      {"EN", "12:60", 0, ""},
      {"EN", "1:2:3:4", 0, ""},
      {"EN", "12345", 0, ""},
      {"EN", "ab", 0, ""},
      {"EN", "20230229 10:00", kTimeWithDate, ""},
      {"EN", "", 3, "<status 147>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " '" + c.text + "' " + std::to_string(c.format));
    SetLanguage(c.language);
    EXPECT_EQ(Show(TimeText(StrView(c.text), c.format)), c.result);
  }
}

}  // namespace
}  // namespace engine
