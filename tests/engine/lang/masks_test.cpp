// Edit masks: numeric masks with and without decimals, widening, the overflow fill that never
// shows a wrong number, separators by mode and language, the decimals suffix, type-code masks
// and text masks.
#include "engine/lang/masks.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/string_slots.h"
#include "locale_fixture.h"

namespace engine {
namespace {

using testing::Show;

class MasksTest : public testing::LocaleFixture {};

struct MaskCase {
  const char* mask;
  const char* value;
  uint16_t mode;
  const char* result;
};

void Check(const MaskCase& c) {
  SCOPED_TRACE(std::string("mask '") + c.mask + "' value '" + c.value + "' mode " +
               std::to_string(c.mode));
  EXPECT_EQ(Show(ApplyMask(StrView(c.mask), StrView(c.value), c.mode)), c.result);
}

TEST_F(MasksTest, NumericMasksInEnglish) {
  const MaskCase cases[] = {
      {"###,###.##", "1234.5", kMaskDefault, "  1,234.50"},
      {"###,###.##", ".05", kMaskDefault, "      0.05"},
      {"###,###.##", "-.05", kMaskDefault, "     -0.05"},
      {"###,###.##", "1234567.891", kMaskDefault, "1234567.89"},
      {"###,###.##", "-1234.5", kMaskDefault, " -1,234.50"},
      {"###,###.##", "", kMaskDefault, "          "},
      {"##0.00", "", kMaskDefault, "  0.00"},
      {"###.##", "1.005", kMaskDefault, "  1.01"},  // rounded half away from zero
      {"###.##", "-1.005", kMaskDefault, " -1.01"},
      {"###.##", "-.001", kMaskDefault, "  0.00"},  // no sign on a zero
      {"#####", "12.5", kMaskDefault, "   13"},
      {"#####", ".4", kMaskDefault, "    0"},
      {"0000", "12", kMaskDefault, "0012"},
      {"###", "-12", kMaskDefault, "-12"},
      {"$###.## USD", "12.5", kMaskDefault, "$ 12.50 USD"},
      {"###.##", "1,234", kMaskDefault, "1234.0"},  // separators in the value are skipped
      {"###.##", "15D2", kMaskDefault, "1500.0"},
      {"#.#", "9.96", kMaskDefault, "10."},  // the carry needs a widened mask
  };
  for (const MaskCase& c : cases) Check(c);
}

TEST_F(MasksTest, WideningTurnsSeparatorsIntoPositionsAndGivesUpDecimals) {
  const MaskCase cases[] = {
      {"#,###.##", "123456.78", kMaskStoredNumber, "123456.8"},
      {"#,###.##", "1234.5", kMaskStoredNumber, "1,234.50"},
      {"#,###.##", "12345.6", kMaskStoredNumber, "12345.60"},
      {"$##.##", "12345", kMaskDefault, "$12345"},
      {"$###.##", "1234.5", kMaskDefault, "$1234.5"},
      {"#.##", "-1.5", kMaskDefault, "-1.5"},  // a decimal given up for the sign
  };
  for (const MaskCase& c : cases) Check(c);
}

TEST_F(MasksTest, DigitsThatDoNotFitShowTheMaskFilledWithStars) {
  const MaskCase cases[] = {
      {"##", "123", kMaskDefault, "**"},     // never "23"
      {"###", "-123", kMaskDefault, "***"},  // never "123"
      {"$##.##", "123456", kMaskDefault, "$*****"},
      {"#,###", "-12345", kMaskDefault, "*****"},
      {"(###)", "99999", kMaskDefault, "(***)"},
      {"#", "-1", kMaskDefault, "*"},  // the sign finds no position
      {"N3", "1234", kMaskDefault, "***"},
  };
  for (const MaskCase& c : cases) Check(c);
}

TEST_F(MasksTest, ModesAndLanguageSeparators) {
  SetLanguage("ES");
  const MaskCase cases[] = {
      {"###,###.##", "1234.5", kMaskDefault, "  1.234,50"},
      {"###,###.##", "1234.5", kMaskStoredNumber, "  1,234.50"},
      {"###,###.##", "1234.5", kMaskNeverNumeric, "###,###.##"},
      {"###.##", "abc", kMaskDefault, "###.##"},       // not a number: the mask as it is
      {"###.##", "abc", kMaskStoredNumber, "      "},  // forced: no digits
      {"ABC-", "12", kMaskDefault, "ABC-"},            // no positions at all
  };
  for (const MaskCase& c : cases) Check(c);
}

TEST_F(MasksTest, DecimalsSuffixAndTypeCodes) {
  const MaskCase cases[] = {
      {"###,###,.2", "1234.5", kMaskDefault, "  1,234.50"},  // ###,###.##
      {"##,###,.0", "1234567", kMaskDefault, "1,234,567"},   // #,###,###
      {"######,.3", "12.5", kMaskDefault, "   12.500"},      // #####.###, no separators
      {"N5", "12", kMaskDefault, "   12"},
      {"25", "3.14159", kMaskDefault, " 3.14"},
      {"210", "-1234.5", kMaskDefault, "  -1234.50"},
  };
  for (const MaskCase& c : cases) Check(c);
  // The suffix number picks the decimals from the mask parameters when they are set.
  ASSERT_EQ(SlotSet(kGroupEnvironment, 10, StrLit("3,1")), kOk);
  Check({"####,.1", "12.34", kMaskDefault, "   12.3"});
  Check({"####,.0", "12.34", kMaskDefault, " 12.340"});
}

TEST_F(MasksTest, TextMasks) {
  const MaskCase cases[] = {
      {R"((\\\))", "ABCDE", kMaskDefault, "(ABC)"},
      {R"(\ \)", "ABCDEF", kMaskDefault, "ABC"},  // blanks between two '\' are positions too
      {R"(\\-\\)", "A", kMaskDefault, "A -  "},
      {"?\?-??", "ABCDE", kMaskDefault, "AB-DE"},  // '?' first: the value's own positions
      {R"(\?-?)", "XYZ", kMaskDefault, "XY-Z"},    // '\' first: '?' takes the next character
      {R"(##-\\)", "ab", kMaskDefault, "##-ab"},   // numeric mask, text value, text positions
      {R"(\\\)", "12", kMaskStoredNumber, "12 "},
  };
  for (const MaskCase& c : cases) Check(c);
}

TEST_F(MasksTest, TypeMasksAndCodes) {
  EXPECT_EQ(Show(TypeMask('N', 4)), "####");
  EXPECT_EQ(Show(TypeMask('2', 6)), "###.##");
  EXPECT_EQ(Show(TypeMask('9', 3)), ".##");
  char type = 0;
  uint16_t width = 0;
  EXPECT_TRUE(MaskIsTypeCode(StrLit("N10"), &type, &width));
  EXPECT_EQ(type, 'N');
  EXPECT_EQ(width, 10);
  EXPECT_TRUE(MaskIsTypeCode(StrLit("210"), &type, &width));
  EXPECT_EQ(type, '2');
  EXPECT_FALSE(MaskIsTypeCode(StrLit("0000"), &type, &width));
  EXPECT_FALSE(MaskIsTypeCode(StrLit("A10"), &type, &width));
  EXPECT_FALSE(MaskIsTypeCode(StrLit("N0"), &type, &width));
}

}  // namespace
}  // namespace engine
