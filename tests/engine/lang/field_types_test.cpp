// Field types: stored forms (a number that does not fit is refused, never stored without its
// sign), display forms by type in both languages, typed inputs (thousands separators skipped),
// numbers in their field's decimals, typed-number cleaning, and condition texts.
#include "engine/lang/field_types.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/value_tables.h"
#include "engine/lang/conditions.h"
#include "engine/lang/variables.h"
#include "locale_fixture.h"

namespace engine {
namespace {

using testing::Show;

class FieldTypesTest : public testing::LocaleFixture {};

struct FormCase {
  const char* language;
  char type;
  const char* text;
  int32_t width;
  const char* result;
};

std::string Trace(const FormCase& c) {
  return std::string(c.language) + " " + c.type + std::to_string(c.width) + " '" + c.text + "'";
}

TEST_F(FieldTypesTest, StoredForms) {
  const FormCase cases[] = {
      {"EN", 'A', "ABC", 5, "ABC  "},
      {"EN", 'A', "ABCDEF", 3, "ABC"},
      {"EN", 'P', "secret", 8, "secret  "},
      {"EN", 'B', "12a 4", 5, "12 4 "},
      {"EN", 'C', "12 4", 4, "1204"},
      {"EN", 'C', "12", 4, "12  "},
      {"EN", 'D', "20240131", 6, "240131"},
      {"EN", 'D', "20240131", 8, "20240131"},
      {"EN", 'F', "", 8, "        "},
      {"EN", 'L', "1", 1, "1"},
      {"EN", 'L', "0", 1, "0"},
      {"EN", 'L', "x", 1, " "},
      {"EN", 'T', "x", 3, "   "},
      {"EN", 'N', "12", 5, "   12"},
      {"EN", 'N', " -12 ", 5, "  -12"},
      {"EN", '2', "-12.5", 6, " -12.5"},
      {"EN", '2', "123.456", 6, "123.46"},   // longer: re-formatted to the width
      {"EN", '2', "1234.567", 6, "1234.6"},  // keeping the decimals that fit
      {"EN", '2', "1234567.5", 6, "<status 168>"},
      {"EN", '2', "-123.45", 6, "-123.5"},  // the sign stays; a decimal gives way
      {"EN", '2', "-1234.5", 5, "<status 168>"},
      {"EN", 'N', "-12345", 5, "<status 168>"},
      {"EN", 'N', "123456", 5, "<status 168>"},
      {"EN", 'Q', "x", 3, "<status 163>"},
  };
  for (const FormCase& c : cases) {
    SCOPED_TRACE(Trace(c));
    SetLanguage(c.language);
    EXPECT_EQ(Show(FormatStored(c.type, StrView(c.text), static_cast<uint16_t>(c.width))),
              c.result);
  }
}

TEST_F(FieldTypesTest, DisplayForms) {
  const FormCase cases[] = {
      {"EN", 'D', "20240131", 8, "01-31-24"},
      {"EN", 'D', "20240131", 10, "01-31-2024"},
      {"ES", 'D', "20240131", 10, "31-01-2024"},
      {"ES", 'F', "20240131", 8, "31-01-24"},
      {"EN", 'D', "240131", 8, "01-31-24"},    // stored with a two-digit year
      {"EN", 'D', "        ", 8, "03-05-24"},  // an empty D field shows today
      {"EN", 'F', "        ", 8, "        "},  // an empty F field shows blanks
      {"EN", 'D', "20240131", 7, "       "},
      {"EN", 'D', "20230229", 8, "        "},
      {"EN", 'L', "1", 3, "YES"},
      {"EN", 'L', "0", 3, "NO "},
      {"EN", 'L', " ", 3, "   "},
      {"EN", 'L', "x", 3, "NO "},
      {"ES", 'L', "1", 2, "SI"},
      {"EN", 'L', "1", -1, "YES"},
      {"EN", '2', "  12.5", 6, " 12.50"},
      {"ES", '2', " 1234.5", 7, "1234,50"},
      {"EN", 'N', "  -42", 5, "  -42"},
      {"EN", 'N', "12345", 3, "***"},  // digits that do not fit are never cut
      {"EN", '2', "     ", 5, "     "},
      {"EN", 'A', "AB", 4, "AB  "},
      {"EN", 'A', "ABCDE", 3, "ABC"},
      {"EN", 'A', "ABCDE", -1, "ABCDE"},
      {"EN", 'Q', "x", 3, "<status 163>"},
  };
  for (const FormCase& c : cases) {
    SCOPED_TRACE(Trace(c));
    SetLanguage(c.language);
    EXPECT_EQ(Show(FormatDisplay(c.type, StrView(c.text), c.width)), c.result);
  }
}

TEST_F(FieldTypesTest, TypedInputs) {
  const FormCase cases[] = {
      {"EN", 'C', "12 4", 4, "1204"},
      {"EN", 'B', "1a2", 4, "12  "},
      {"EN", 'L', "y", 1, "1"},
      {"EN", 'L', "n", 1, "0"},
      {"EN", 'L', "x", 1, " "},
      {"EN", 'L', "", 1, " "},
      {"ES", 'L', "s", 1, "1"},
      {"EN", 'A', "abc", 5, "abc  "},
      {"ES", 'D', "31/01/24", 8, "20240131"},
      {"EN", 'D', "01/31/24", 8, "20240131"},
      {"EN", 'D', "310124", 6, "240131"},
      {"EN", 'D', "02/30/24", 8, "        "},
      {"EN", '2', "12.5", 6, " 12.50"},
      {"EN", '2', "1,234.50", 8, " 1234.50"},  // thousands separators are skipped
      {"EN", '2', "1,234.5", -1, "1234.5"},
      {"ES", '2', "1.234,5", 8, " 1234.50"},
      {"ES", '2', "12,5", 6, " 12.50"},
      {"EN", 'N', "007", 3, "  7"},
      {"EN", '2', "-123.45", 6, "-123.5"},
      {"EN", '2', "-12345.6", 5, "<status 168>"},
      {"EN", 'N', "1234", 3, "<status 168>"},
  };
  for (const FormCase& c : cases) {
    SCOPED_TRACE(Trace(c));
    SetLanguage(c.language);
    EXPECT_EQ(Show(ParseInput(c.type, StrView(c.text), c.width)), c.result);
  }
}

TEST_F(FieldTypesTest, NumbersInTheirFieldsDecimals) {
  const struct {
    char type;
    int64_t value;  // scaled by 10^2
    uint16_t width;
    const char* result;
  } cases[] = {
      {'2', 1250, 6, " 12.50"},
      {'N', 1250, 3, " 13"},
      {'3', 1250, 7, " 12.500"},
      {'1', -1255, 5, "-12.6"},
      {'2', 0, 4, "    "},
      {'N', -99900, 4, "-999"},
      {'2', -12345678, 10, "-123456.78"},
      {'2', -12345678, 6, "<status 168>"},
      {'N', 5, 0, "<status 168>"},
      {'N', 0, 0, ""},
      {'A', 1, 3, "<status 163>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(1, c.type) + std::to_string(c.width) + " " + std::to_string(c.value));
    EXPECT_EQ(Show(FormatNumberField(c.type, c.value, c.width)), c.result);
  }
}

TEST_F(FieldTypesTest, TypedNumbersAreCleaned) {
  const struct {
    const char* language;
    const char* typed;
    const char* clean;
  } cases[] = {
      {"EN", "1,234.50", "1234.50"}, {"EN", " 007 ", "7"},
      {"EN", "-007.5", "-7.5"},      {"EN", "0.5", "0.5"},
      {"EN", "-12-3", "-12"},        {"EN", "12a", "12"},
      {"EN", "15D2", "15D2"},        {"ES", "1.234,50", "1234.50"},
      {"ES", "1.5", "1.5"},  // without the decimal comma a '.' is the point
      {"ES", "12,5", "12.5"},        {"EN", "123456789012345678901234", "12345678901234567890"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " '" + c.typed + "'");
    SetLanguage(c.language);
    EXPECT_EQ(Show(CleanNumber(StrView(c.typed))), c.clean);
  }
}

TEST_F(FieldTypesTest, TypeCodes) {
  TypeCode code;
  EXPECT_TRUE(ParseTypeCode(StrLit("A30"), &code));
  EXPECT_EQ(code.type, 'A');
  EXPECT_EQ(code.width, 30);
  EXPECT_TRUE(ParseTypeCode(StrLit("26"), &code));
  EXPECT_EQ(code.type, '2');
  EXPECT_EQ(code.width, 6);
  EXPECT_FALSE(ParseTypeCode(StrLit("X5"), &code));
  EXPECT_FALSE(ParseTypeCode(StrLit("A"), &code));
  EXPECT_FALSE(ParseTypeCode(StrLit("A5x"), &code));
  EXPECT_TRUE(TypeIsNumber('N'));
  EXPECT_TRUE(TypeIsNumber('9'));
  EXPECT_FALSE(TypeIsNumber('L'));
  EXPECT_EQ(TypeDecimals('3'), 3);
  EXPECT_EQ(TypeDecimals('N'), 0);
}

TEST_F(FieldTypesTest, ConditionTexts) {
  EXPECT_EQ(Show(ConditionText(StrLit("CODE{1}"), 1, StrLit("A1"), false)), "CODE{1}=='A1'");
  EXPECT_EQ(Show(ConditionText(StrLit("AMOUNT{2}"), 3, StrLit("5"), true)), "AMOUNT{2}>=5");
  EXPECT_EQ(Show(ConditionText(StrLit("X$"), 9, StrLit("a"), false)), "X$<>'a'");
  EXPECT_EQ(Show(ConditionText(StrLit("X$"), 0, StrLit("a"), false)), "X$=='a'");
  EXPECT_EQ(Show(ConditionText(StrLit("X$"), 1, StrLit(""), false)), "");
  // A value never ends its own quotes.
  EXPECT_EQ(Show(ConditionText(StrLit("N$"), 1, StrLit("O'Brien"), false)), "N$==\"O'Brien\"");
  EXPECT_EQ(Show(ConditionText(StrLit("N$"), 1, StrLit("a'\"b"), false)), "<status 163>");

  EXPECT_EQ(Show(ConditionJoin(StrLit("1&&A==1"), StrLit("B==2"), StrLit(""))), "(A==1)&&(B==2)");
  EXPECT_EQ(Show(ConditionJoin(StrLit("A"), StrLit("1&&B"), StrLit("||"))), "(A)||(B)");
  EXPECT_EQ(Show(ConditionJoin(StrLit(""), StrLit("B==2"), StrLit(""))), "B==2");
  EXPECT_EQ(Show(ConditionJoin(StrLit("A==1"), StrLit(""), StrLit(""))), "A==1");
}

}  // namespace
}  // namespace engine
