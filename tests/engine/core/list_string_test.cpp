// List strings and key-value texts: field walking with quotes and empty fields, field edits,
// set operations, splitting, and the lookup of settings by key.
#include "engine/core/list_string.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "support/core_fixture.h"

namespace engine {
namespace {

using namespace std::string_view_literals;
using testing::Show;
using ListStringTest = testing::CoreFixture;

StrRef S(std::string_view text) { return StrView(text); }

bool Within(StrRef part, StrRef whole) {
  return part.ptr >= whole.ptr && part.end() <= whole.end();
}

// ---- Fields ----------------------------------------------------------------------------

struct FieldCase {
  std::string_view list;
  char sep;
  uint16_t n;
  std::string_view expected;
};

TEST_F(ListStringTest, FieldIsAViewOfTheNthField) {
  const FieldCase cases[] = {
      {"a,b,c", ',', 0, ""},
      {"a,b,c", ',', 1, "a"},
      {"a,b,c", ',', 2, "b"},
      {"a,b,c", ',', 3, "c"},
      {"a,b,c", ',', 4, ""},
      {"'x,y',z", ',', 1, "'x,y'"},  // quotes kept
      {"'x,y',z", ',', 2, "z"},
      {"a,,b", ',', 2, ""},
      {"a,,b", ',', 3, "b"},
      {"a,b,", ',', 3, ""},
      {"", ',', 1, ""},
      {"\"a;b\";c", ';', 1, "\"a;b\""},
      {"'a,b", ',', 1, "'a,b"},        // an unclosed quote runs to the end
      {"'a\0b'\0c"sv, '\0', 1, "'a"},  // quotes mean nothing with a NUL separator
      {"'a\0b'\0c"sv, '\0', 3, "c"},
      {" a b", ' ', 1, ""},
      {"k:v;w", ':', 2, "v;w"},
  };
  for (const FieldCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    const StrRef list = S(c.list);
    const StrRef field = ListField(list, c.sep, c.n);
    EXPECT_EQ(Show(field), c.expected) << c.list << " field " << c.n;
    EXPECT_TRUE(Within(field, list)) << c.list << " field " << c.n;
    EXPECT_EQ(StrAreaMark(), mark);
  }
  EXPECT_EQ(Show(ListField(StrError(kFileIO), ',', 1)), "");
}

struct CountCase {
  std::string_view list;
  char sep;
  uint16_t count;
};

TEST_F(ListStringTest, CountIncludesEmptyFields) {
  const CountCase cases[] = {
      {"", ',', 0},    {",", ',', 2},         {"a,b,", ',', 3},       {"'x,y',z", ',', 2},
      {"a", ',', 1},   {"a,,b", ',', 3},      {"'a,b", ',', 1},       {"'a,", ',', 1},
      {"a;b", ',', 1}, {"a\0b\0"sv, '\0', 3}, {"\"x\"\"y\"", ',', 1}, {",,,", ',', 4},
  };
  for (const CountCase& c : cases) EXPECT_EQ(ListCount(S(c.list), c.sep), c.count) << c.list;
  EXPECT_EQ(ListCount(StrError(kFileIO), ','), 0);
  // 65,535 separators: one field more than a count holds; the count stops instead of wrapping.
  EXPECT_EQ(ListCount(S(std::string(kMaxStrLen, ',')), ','), UINT16_MAX);
}

TEST_F(ListStringTest, CountAndFieldWalkTheSameFields) {
  // Every field up to the count is reached, and the one after it is empty at the end.
  for (std::string_view text : {"a,b,c"sv, "a,b,"sv, ","sv, "'x,y',,z"sv, "'a,"sv}) {
    const StrRef list = S(text);
    const uint16_t count = ListCount(list, ',');
    std::string joined;
    for (uint16_t n = 1; n <= count; ++n) {
      if (n > 1) joined += ',';
      joined += Show(ListField(list, ',', n));
    }
    EXPECT_EQ(joined, text);
    const StrRef after = ListField(list, ',', count + 1);
    EXPECT_EQ(after.len, 0);
    EXPECT_EQ(after.ptr, list.end()) << text;
  }
}

struct FindCase {
  std::string_view list;
  std::string_view item;
  uint16_t expected;
};

TEST_F(ListStringTest, FindMatchesWholeFieldsExactly) {
  const FindCase cases[] = {
      {"AB,A", "A", 2}, {"a", "A", 0},    {"a,b,c", "c", 3},       {"a,,b", "", 2},
      {"a,b", "", 0},   {"a,b,", "", 3},  {"'x,y',z", "'x,y'", 1}, {"'x,y',z", "y", 0},
      {"", "a", 0},     {"abc", "ab", 0}, {"ab", "abc", 0},        {"x,a,a", "a", 2},
  };
  for (const FindCase& c : cases) {
    EXPECT_EQ(ListFind(S(c.list), ',', S(c.item)), c.expected) << c.list << " / " << c.item;
  }
  EXPECT_EQ(ListFind(StrError(kFileIO), ',', S("a")), 0);
  EXPECT_EQ(ListFind(S("a"), ',', StrError(kFileIO)), 0);
}

TEST_F(ListStringTest, FieldValueTrimsUnquotesOrUpperCases) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"'abc'", "abc"},     {"abc", "ABC"},     {" abc", "abc"},  // trimmed, so not converted
      {"  'a b'  ", "a b"}, {"\"q\"", "q"},     {"'abc", "'ABC"}, {"", ""},
      {"a\t", "a"},         {"\xe9x", "\xe9X"},
  };
  for (const auto& [text, expected] : cases) {
    const uint16_t mark = StrAreaMark();
    const StrRef value = ListFieldValue(S(text));
    EXPECT_EQ(Show(value), expected) << "[" << text << "]";
    EXPECT_EQ(StrAreaMark(), mark + 1);
    StrAreaRelease(mark);
  }
}

TEST_F(ListStringTest, FieldIntReadsTheFieldValue) {
  const StrRef list = S("7,y,' 12 ',x,on");
  const std::pair<uint16_t, int32_t> cases[] = {{1, 7}, {2, 1}, {3, 12}, {4, 0}, {5, 1}, {9, 0}};
  const uint16_t mark = StrAreaMark();
  for (const auto& [n, expected] : cases) EXPECT_EQ(ListFieldInt(list, ',', n), expected) << n;
  EXPECT_EQ(StrAreaMark(), mark);
}

TEST_F(ListStringTest, WidestMeasuresUnquotedFields) {
  struct WidestCase {
    std::string_view list;
    bool narrowest;
    uint16_t expected;
  };
  const WidestCase cases[] = {
      {"a,'bcd',ef", false, 3}, {"a,'bcd',ef", true, 1}, {"", false, 0},       {"", true, 0},
      {"abc,,d", true, 0},      {"'',abcd", false, 4},   {"'',abcd", true, 0},
  };
  for (const WidestCase& c : cases) {
    EXPECT_EQ(ListWidest(S(c.list), ',', c.narrowest), c.expected) << c.list;
  }
}

TEST_F(ListStringTest, RangeFindBoundsNumbersInclusively) {
  struct RangeCase {
    std::string_view list;
    int64_t number;
    uint16_t expected;
  };
  const RangeCase cases[] = {
      {"1-5,10,20-30", 3, 1},
      {"1-5,10,20-30", 1, 1},
      {"1-5,10,20-30", 5, 1},
      {"1-5,10,20-30", 10, 2},
      {"1-5,10,20-30", 20, 3},
      {"1-5,10,20-30", 30, 3},
      {"1-5,10,20-30", 7, 0},
      {"1-5,10,20-30", 31, 0},
      {"100-200,5000000000-6000000000", 5500000000LL, 2},  // 64-bit bounds
      {"5-1", 3, 0},
      {"1-2-3", 3, 1},  // the first and the last part bound the range
      {"", 1, 0},
  };
  for (const RangeCase& c : cases) {
    EXPECT_EQ(ListRangeFind(S(c.list), c.number), c.expected) << c.list << " " << c.number;
  }
}

// ---- Building lists --------------------------------------------------------------------

struct EditCase {
  std::string_view list;
  uint16_t n;
  std::string_view value;
  std::string_view expected;
};

TEST_F(ListStringTest, SetFieldReplacesOrAppends) {
  const EditCase cases[] = {
      {"a,b", 4, "x", "a,b,,x"},  {"", 3, "x", ",,x"},       {"a,b", 0, "x", "a,b,x"},
      {"a,b", 1, "x", "x,b"},     {"a,b", 2, "", "a,"},      {"a,b,c", 2, "xyz", "a,xyz,c"},
      {"", 0, "x", "x"},          {"", 1, "x", "x"},         {"'x,y',z", 2, "w", "'x,y',w"},
      {"'x,y',z", 1, "w", "w,z"}, {"a,b,", 3, "c", "a,b,c"}, {"a", 2, "b", "a,b"},
  };
  for (const EditCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(ListSetField(S(c.list), ',', c.n, S(c.value))), c.expected)
        << c.list << " field " << c.n;
    EXPECT_EQ(StrAreaMark(), mark + 1);
    StrAreaRelease(mark);
  }
}

TEST_F(ListStringTest, DeleteFieldTakesOneAdjacentSeparator) {
  const EditCase cases[] = {
      {"a,b,c", 1, "", "b,c"},   {"a,b,c", 2, "", "a,c"}, {"a,b,c", 3, "", "a,b"},
      {"a,b,c", 5, "", "a,b,c"}, {"a", 1, "", ""},        {"a,b,c", 0, "", "a,b,c"},
      {"", 1, "", ""},           {"a,", 2, "", "a"},      {"'x,y',z", 1, "", "z"},
      {"a,,b", 2, "", "a,b"},    {"a,'b,c'", 2, "", "a"},
  };
  for (const EditCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(ListDeleteField(S(c.list), ',', c.n)), c.expected) << c.list << " field " << c.n;
    StrAreaRelease(mark);
  }
}

TEST_F(ListStringTest, SetFieldReportsAListLongerThanALengthCanHold) {
  const std::string one_field(65000, 'a');
  const StrRef fits = ListSetField(S(one_field), ',', 2, S(std::string(534, 'b')));
  ASSERT_FALSE(fits.IsStatus());
  EXPECT_EQ(fits.len, kMaxStrLen);
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(StrCheck(ListSetField(S(one_field), ',', 2, S(std::string(535, 'b')))), kStringTooLong);
  // 65,534 separators and the value: the appended separators count too.
  EXPECT_EQ(ListSetField(S(""), ',', 65535, S("x")).len, kMaxStrLen);
  StrAreaRelease(mark);
  EXPECT_EQ(StrCheck(ListSetField(S(""), ',', 65535, S("xy"))), kStringTooLong);
  EXPECT_EQ(StrAreaMark(), mark);
}

struct SetOpCase {
  std::string_view a;
  char sep_a;
  std::string_view b;
  char sep_b;
  std::string_view expected;
};

TEST_F(ListStringTest, UnionAddsFieldsOfBThatAHasNot) {
  const SetOpCase cases[] = {
      {"a,b", ',', "b;c;c", ';', "a,b,c,c"},  // looked up in a as given: c added twice
      {"", ',', "x,y", ',', "x,y"},
      {"a", ',', "", ',', "a"},
      {"a,b", ',', "a,b", ',', "a,b"},
      {"a", ',', "A", ',', "a,A"},
      {"a;'b;c'", ';', "'b;c',d", ',', "a;'b;c';d"},
  };
  for (const SetOpCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(ListUnion(S(c.a), c.sep_a, S(c.b), c.sep_b)), c.expected) << c.a << " + " << c.b;
    EXPECT_EQ(StrAreaMark(), mark + 1);
    StrAreaRelease(mark);
  }
}

TEST_F(ListStringTest, DifferenceKeepsFieldsOfANotInB) {
  const SetOpCase cases[] = {
      {"a,b,c", ',', "b", ',', "a,c"},  {"a,b", ',', "a;b", ';', ""},
      {"a,,b", ',', "x", ',', "a,b"},  // joining drops the empty field
      {"", ',', "a", ',', ""},          {"x;y;z", ';', "z,x", ',', "y"},
      {"a,b,a", ',', "", ',', "a,b,a"},
  };
  for (const SetOpCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(ListDifference(S(c.a), c.sep_a, S(c.b), c.sep_b)), c.expected)
        << c.a << " - " << c.b;
    EXPECT_EQ(StrAreaMark(), mark + 1);
    StrAreaRelease(mark);
  }
}

TEST_F(ListStringTest, UnionReportsAResultLongerThanALengthCanHold) {
  const std::string a(65000, 'a');
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(StrCheck(ListUnion(S(a), ',', S(std::string(600, 'b')), ',')), kStringTooLong);
  EXPECT_EQ(StrAreaMark(), mark);
}

// Every list builder passes a status argument through without pushing.
TEST_F(ListStringTest, BuildersPassAStatusThrough) {
  const std::function<StrRef(StrRef)> builders[] = {
      [](StrRef s) { return ListSetField(s, ',', 1, StrLit("x")); },
      [](StrRef s) { return ListSetField(StrLit("a"), ',', 1, s); },
      [](StrRef s) { return ListDeleteField(s, ',', 1); },
      [](StrRef s) { return ListUnion(s, ',', StrLit("a"), ','); },
      [](StrRef s) { return ListUnion(StrLit("a"), ',', s, ','); },
      [](StrRef s) { return ListDifference(s, ',', StrLit("a"), ','); },
      [](StrRef s) { return ListDifference(StrLit("a"), ',', s, ','); },
      [](StrRef s) { return ListFieldValue(s); },
      [](StrRef s) { return ParamCopy(s, StrLit("K")); },
  };
  for (size_t i = 0; i < std::size(builders); ++i) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(StrCheck(builders[i](StrError(kDiskWriteError))), kDiskWriteError) << i;
    EXPECT_EQ(StrAreaMark(), mark) << i;
  }
}

// ---- Splitting -------------------------------------------------------------------------

TEST_F(ListStringTest, SplitHoldsEveryFieldInOrder) {
  const StrRef list = S("a,'b,c',,d");
  const uint16_t mark = StrAreaMark();
  StrArray array;
  ASSERT_EQ(ListSplit(list, ',', &array), kOk);
  EXPECT_EQ(StrAreaMark(), mark + 1) << "the array is one temporary";
  EXPECT_EQ(reinterpret_cast<uintptr_t>(array.items) % alignof(StrRef), 0u);
  const std::string_view expected[] = {"a", "'b,c'", "", "d"};
  ASSERT_EQ(array.count, std::size(expected));
  for (uint16_t n = 1; n <= array.count; ++n) {
    EXPECT_EQ(Show(ArrayItem(array, n)), expected[n - 1]) << n;
    EXPECT_TRUE(Within(ArrayItem(array, n), list)) << n;
  }
  EXPECT_EQ(Show(ArrayItem(array, 0)), "");
  EXPECT_EQ(Show(ArrayItem(array, 5)), "");
  StrAreaRelease(mark);
}

TEST_F(ListStringTest, SplitOfTheEmptyListAndOfAStatus) {
  const uint16_t mark = StrAreaMark();
  StrArray array{7, nullptr};
  ASSERT_EQ(ListSplit(S(""), ',', &array), kOk);
  EXPECT_EQ(array.count, 0);
  EXPECT_EQ(Show(ArrayItem(array, 1)), "");
  StrAreaRelease(mark);
  EXPECT_EQ(ListSplit(StrError(kFileIO), ',', &array), kFileIO);
  EXPECT_EQ(array.count, 0);
  EXPECT_EQ(StrAreaMark(), mark);
}

TEST_F(ListStringTest, SplitLimitsTheArrayToOneTemporary) {
  const std::string most(4094, ',');  // 4,095 fields of 16 bytes: 65,520 bytes
  const uint16_t mark = StrAreaMark();
  StrArray array;
  ASSERT_EQ(ListSplit(S(most), ',', &array), kOk);
  EXPECT_EQ(array.count, 4095);
  StrAreaRelease(mark);
  EXPECT_EQ(ListSplit(S(most + ","), ',', &array), kStringTooLong);
  EXPECT_EQ(array.count, 0);
  EXPECT_EQ(StrAreaMark(), mark);
}

// ---- Key-value texts -------------------------------------------------------------------

struct ParamCase {
  std::string_view text;
  std::string_view key;
  int how;
  std::string_view expected;
};

TEST_F(ListStringTest, ParamValueFindsKeysThatStartASetting) {
  const ParamCase cases[] = {
      {"/MODE:2 /APNAME:ACC", "APNAME", kParamFieldValue, "ACC"},
      {"/MODE:2 /APNAME:acc", "APNAME", kParamFieldValue, "ACC"},
      {"/MODE:2 /APNAME:acc", "APNAME", kParamRaw, "acc"},
      {"/MODE:2 /APNAME:acc", "MODE", kParamRaw, "2"},
      {"XAPNAME:1", "APNAME", kParamRaw, ""},  // X does not start a setting
      {"/DPATH:'c:\\x y'", "DPATH", kParamUnquoted, "c:\\x y"},
      {"/DPATH:'c:\\x y'", "DPATH", kParamRaw, "'c:\\x y'"},
      {"/DPATH:'c:\\x y'", "DPATH", kParamFieldValue, "c:\\x y"},
      {"A=1 B:2", "A", kParamRaw, "1"},
      {"A=1&A:2", "A", kParamRaw, "2"},  // ':' is tried over the whole text first
      {"KEY:v1/OTHER:v2", "KEY", kParamRaw, "v1"},
      {"K:a&L:b", "L", kParamRaw, "b"},
      {"x 'KEY:no' KEY:yes", "KEY", kParamRaw, "yes"},
      {"KEY:", "KEY", kParamRaw, ""},
      {"key:1", "KEY", kParamRaw, ""},  // keys are case-sensitive
      {"A:1", "", kParamRaw, ""},
      {"A:1", "A", 2, "1"},  // not a shaping: raw
      {"KEYX:1 KEY:2", "KEY", kParamRaw, "2"},
  };
  for (const ParamCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(ParamValue(S(c.text), S(c.key), c.how)), c.expected)
        << c.text << " / " << c.key << " how " << c.how;
    EXPECT_EQ(StrAreaMark(), mark + (c.how == kParamFieldValue ? 1 : 0));
    StrAreaRelease(mark);
  }
  EXPECT_EQ(Show(ParamValue(StrError(kFileIO), S("A"), kParamRaw)), "");
}

TEST_F(ListStringTest, ParamFindGivesTheSpanOfTheValue) {
  struct SpanCase {
    std::string_view text;
    std::string_view key;
    ParamForm form;
    uint16_t offset;
    uint16_t length;
  };
  const SpanCase cases[] = {
      {"/MODE:2 /APNAME:ACC", "MODE", ParamForm::kText, 6, 1},
      {"/MODE:2 /APNAME:ACC", "APNAME", ParamForm::kText, 16, 3},
      {"/MODE:2", "DPATH", ParamForm::kText, kNothing, 0},
      {"A:1 2\0B:x y\0"sv, "B", ParamForm::kNulSeparated, 8, 3},
      {"A:1 2\0B:x y\0"sv, "A", ParamForm::kNulSeparated, 2, 3},
      {"/B:1\0B:2"sv, "B", ParamForm::kNulSeparated, 7, 1},  // only a NUL starts a setting
      {"Q:'a\0b'"sv, "Q", ParamForm::kNulSeparated, 2, 2},   // no quoting in this form
      {"/B:1\0C:2"sv, "C", ParamForm::kText, 7, 1},          // a NUL starts a setting here too
  };
  for (const SpanCase& c : cases) {
    const ParamSpan span = ParamFind(S(c.text), S(c.key), c.form);
    EXPECT_EQ(span.offset, c.offset) << c.text << " / " << c.key;
    EXPECT_EQ(span.length, c.length) << c.text << " / " << c.key;
    EXPECT_EQ(span.found(), c.offset != kNothing);
  }
}

TEST_F(ListStringTest, ParamCopyUnquotesUnlessTheKeyHoldsAPercent) {
  struct CopyCase {
    std::string_view text, key, expected;
  };
  const CopyCase cases[] = {
      {"/DPATH:'c:\\x y'", "DPATH", "c:\\x y"},
      {"/%P:'a b'", "%P", "'a b'"},
      {"/A:x /B:\"q\"", "B", "q"},
  };
  for (const CopyCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(ParamCopy(S(c.text), S(c.key))), c.expected) << c.text;
    EXPECT_EQ(StrAreaMark(), mark + 1);
    StrAreaRelease(mark);
  }
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(StrCheck(ParamCopy(S("/A:1"), S("B"))), kNothing);
  EXPECT_EQ(StrAreaMark(), mark);
}

}  // namespace
}  // namespace engine
