// Scaled numbers: text to number, canonical text, the checked arithmetic and the conversions to
// integers, at the default two decimals unless a case says otherwise.
#include "engine/lang/number.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "engine/core/string_area.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/lang/wildcard.h"
#include "lang_fixture.h"

namespace engine {
namespace {

using NumberTest = testing::LangFixture;
using testing::Show;

constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
constexpr int64_t kMin = std::numeric_limits<int64_t>::min();

TEST_F(NumberTest, TextToNumber) {
  struct Row {
    int16_t precis;
    const char* text;
    int64_t value;
    uint16_t status;
  };
  const Row rows[] = {
      {2, "12.5", 1250, kOk},
      {2, "  12.5\t", 1250, kOk},
      {2, "-12.5", -1250, kOk},
      {2, "+3", 300, kOk},
      {2, ".5", 50, kOk},
      {2, "-.05", -5, kOk},
      {2, "1.005", 101, kOk},
      {2, "-1.005", -101, kOk},
      {2, "1.0049", 100, kOk},
      {2, "0.995", 100, kOk},
      {2, "", 0, kOk},
      {2, "abc", 0, kOk},
      {2, "-", 0, kOk},
      {2, "12x", 1200, kOk},  // reading stops at the first other character
      {2, "12.5.3", 1250, kOk},
      {2, "15D2", 150000, kOk},
      {2, "1.5D2", 15000, kOk},
      {2, "1.234D1", 1234, kOk},
      {2, "1.2345D2", 12345, kOk},
      {2, "125D-2", 125, kOk},
      {2, "5D-3", 1, kOk},
      {2, "D3", 0, kOk},
      {2, "000000000000000000000000012", 1200, kOk},
      {2, "92233720368547758.07", kMax, kOk},
      {2, "-92233720368547758.08", kMin, kOk},
      {2, "92233720368547758.08", 0, kExpCalcError},
      {2, "99999999999999999999999", 0, kExpCalcError},
      {2, "1D30", 0, kExpCalcError},
      {2, "1D99999999999", 0, kExpCalcError},
      {2, "1D-99999999999", 0, kOk},
      {0, "2.5", 3, kOk},
      {0, "-2.5", -3, kOk},
      {0, "2.49", 2, kOk},
      {3, "1.2345", 1235, kOk},
      {9, "0.0000000005", 1, kOk},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.text) + " with _PRECIS " + std::to_string(row.precis));
    SysWordSet(kSysPrecis, row.precis);
    int64_t value = -1;
    EXPECT_EQ(NumberFromText(StrView(row.text), &value), row.status);
    EXPECT_EQ(value, row.value);
  }
  int64_t value = -1;
  EXPECT_EQ(NumberFromText(StrError(kFileNotFound), &value), kFileNotFound);
}

TEST_F(NumberTest, CanonicalText) {
  struct Row {
    int16_t precis;
    int64_t value;
    const char* text;
  };
  const Row rows[] = {
      {2, 1250, "12.5"},
      {2, 100, "1"},
      {2, 5, ".05"},
      {2, -5, "-.05"},
      {2, 0, ""},
      {2, -123456, "-1234.56"},
      {0, 0, "0"},
      {0, -7, "-7"},
      {3, 1250, "1.25"},
      {9, 1, ".000000001"},
      {2, kMax, "92233720368547758.07"},
      {2, kMin, "-92233720368547758.08"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    SysWordSet(kSysPrecis, row.precis);
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(NumberToText(row.value)), row.text);
    EXPECT_EQ(StrAreaMark(), mark + 1);
    StrAreaRelease(mark);
  }
}

TEST_F(NumberTest, ArithmeticRoundsHalvesAwayFromZeroAndRefusesOverflow) {
  using Op = Status (*)(int64_t, int64_t, int64_t*);
  struct Row {
    const char* name;
    Op op;
    int64_t a;
    int64_t b;
    int64_t result;
    uint16_t status;
  };
  const Row rows[] = {
      {"multiply", NumberMultiply, 7, 10, 1, kOk},  // .07 * .10
      {"multiply", NumberMultiply, -7, 10, -1, kOk},
      {"multiply", NumberMultiply, 5, 10, 1, kOk},  // .005 rounds up
      {"multiply", NumberMultiply, -5, 10, -1, kOk},
      {"multiply", NumberMultiply, 4, 10, 0, kOk},
      {"multiply", NumberMultiply, kMax, 100, kMax, kOk},  // times 1: exact through 128 bits
      {"multiply", NumberMultiply, kMax, 101, 0, kExpCalcError},
      {"multiply", NumberMultiply, kMin, kMin, 0, kExpCalcError},
      {"divide", NumberDivide, 1000, 300, 333, kOk},
      {"divide", NumberDivide, 200, 300, 67, kOk},
      {"divide", NumberDivide, -200, 300, -67, kOk},
      {"divide", NumberDivide, 200, -300, -67, kOk},
      {"divide", NumberDivide, 5, 0, 0, kOk},
      {"divide", NumberDivide, kMax, 100, kMax, kOk},
      {"divide", NumberDivide, kMax, 99, 0, kExpCalcError},
      {"divide", NumberDivide, kMin, -100, 0, kExpCalcError},
      {"percent", NumberPercent, 20000, 1500, 3000, kOk},  // 15% of 200
      {"percent", NumberPercent, 333, 1000, 33, kOk},      // 10% of 3.33 = .333
      {"percent", NumberPercent, 335, 1000, 34, kOk},      // .335 rounds up
      {"percent", NumberPercent, -335, 1000, -34, kOk},
      {"percent", NumberPercent, kMax, 10000, kMax, kOk},  // 100%
      {"percent", NumberPercent, kMax, 20000, 0, kExpCalcError},
      {"add", NumberAdd, kMax, 1, 0, kExpCalcError},
      {"add", NumberAdd, kMin, -1, 0, kExpCalcError},
      {"add", NumberAdd, kMax, kMin, -1, kOk},
      {"subtract", NumberSubtract, 0, kMin, 0, kExpCalcError},
      {"subtract", NumberSubtract, -1, kMax, kMin, kOk},
      {"round", NumberRound, 1234, 100, 1230, kOk},  // 12.34 ! 1
      {"round", NumberRound, 1250, 0, 1300, kOk},    // 12.5 ! 0
      {"round", NumberRound, -1250, 0, -1300, kOk},
      {"round", NumberRound, 1234, 200, 1234, kOk},   // ! 2: unchanged
      {"round", NumberRound, 1234, 300, 12340, kOk},  // ! 3: one more decimal
      {"round", NumberRound, 1234, -100, 1000, kOk},  // ! -1: to tens
      {"round", NumberRound, 1234, -5000, 0, kOk},    // to a power beyond any number
      {"round", NumberRound, kMax, -1700, 0, kExpCalcError},
      {"round", NumberRound, 1, 2200, 0, kExpCalcError},
      {"round", NumberRound, 0, 9900, 0, kOk},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " " + std::to_string(row.a) + ", " +
                 std::to_string(row.b));
    int64_t result = 0;
    EXPECT_EQ(row.op(row.a, row.b, &result), row.status);
    if (row.status == kOk) {
      EXPECT_EQ(result, row.result);
    }
  }
}

TEST_F(NumberTest, IntegerConversions) {
  EXPECT_EQ(IntegerToNumber(-12), -1200);
  EXPECT_EQ(NumberToInteger(250), 3);
  EXPECT_EQ(NumberToInteger(-250), -3);
  EXPECT_EQ(NumberToInteger(249), 2);
  EXPECT_EQ(NumberToInteger(4000000), -25536);  // 40000 keeps its low 16 bits
  EXPECT_EQ(NumberTruncate(-299), -2);
  int64_t whole = 0;
  EXPECT_EQ(NumberFromWhole(kMax / 100 + 1, &whole), kExpCalcError);
  SysWordSet(kSysPrecis, 9);
  EXPECT_EQ(IntegerToNumber(-32768), -32768000000000);
}

TEST_F(NumberTest, Wildcards) {
  struct Row {
    const char* text;
    const char* pattern;
    bool match;
  };
  const Row rows[] = {
      {"Madrid", "MAD*", true},
      {"Madrid", "MADX*", false},
      {"MA", "MAD*", false},
      {"XABCY", "*ABC*", true},
      {"xabcy", "*abc", true},
      {"xaby", "*ABC*", false},
      {"anything", "*", true},
      {"", "*", true},
      {"", "*A", false},
      {"\xC1rbol", "\xC1*", true},  // bytes beyond ASCII compare as they are
      {"abc", "abc", false},        // no wildcard at all
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.text) + " == " + row.pattern);
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(WildcardMatch(StrView(row.text), StrView(row.pattern)), row.match);
    EXPECT_EQ(StrAreaMark(), mark);
  }
}

}  // namespace
}  // namespace engine
