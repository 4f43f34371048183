// Text operations: quote-aware search, views, builders, comparison, integer conversion and the
// message formatter, with the limits of the 16-bit length and the StringArea.
#include "engine/core/text_ops.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "support/core_fixture.h"

namespace engine {
namespace {

using namespace std::string_view_literals;
using testing::Show;
using TextOpsTest = testing::CoreFixture;

StrRef S(std::string_view text) { return StrView(text); }

// ---- Searching -------------------------------------------------------------------------

struct SearchCase {
  std::string_view text;
  size_t start;
  std::string_view what;
  FindKind kind;
  bool plain;
  uint16_t expected;
};

TEST_F(TextOpsTest, SearchSkipsQuotedSectionsUnlessPlain) {
  const SearchCase cases[] = {
      {"a,b", 0, ",", FindKind::kAnyOf, false, 1},
      {"'a,b',c", 0, ",", FindKind::kAnyOf, false, 5},
      {"'a,b',c", 0, ",", FindKind::kAnyOf, true, 2},
      {"\"it's\",x", 0, ",", FindKind::kAnyOf, false, 6},   // ' inside "..." opens nothing
      {"'a,b", 0, ",", FindKind::kAnyOf, false, kNothing},  // unclosed quote hides the rest
      {"'a,b", 0, ",", FindKind::kAnyOf, true, 2},
      {"x'y'z", 0, "'", FindKind::kAnyOf, false, kNothing},  // a quote is never found
      {"x'y'z", 0, "'", FindKind::kAnyOf, true, 1},
      {"a,b,c", 2, ",", FindKind::kAnyOf, false, 3},
      {"a,b,c", 4, ",", FindKind::kAnyOf, false, kNothing},
      {"abc", 5, "a", FindKind::kAnyOf, false, kNothing},
      {"x;y,z", 0, ",;", FindKind::kAnyOf, false, 1},
      {"'a;b' c,d", 0, ",;", FindKind::kAnyOf, false, 7},
      {"say 'hello' hello", 0, "hello", FindKind::kText, false, 12},
      {"say 'hello' hello", 0, "hello", FindKind::kText, true, 5},
      {"ab'cd'", 0, "b'c", FindKind::kText, false, kNothing},  // a match may not enter quotes
      {"ab'cd'", 0, "b'c", FindKind::kText, true, 1},
      {"abcabc", 1, "abc", FindKind::kText, true, 3},
      {"a'b'c", 0, "'b'", FindKind::kText, false, kNothing},  // a quote is never found
      {"a'b'c", 0, "'b'", FindKind::kText, true, 1},
      {"x 'a' 'b' y", 0, "y", FindKind::kText, false, 10},
      {"abc", 0, "", FindKind::kText, true, kNothing},
      {"abc", 0, "", FindKind::kAnyOf, true, kNothing},
  };
  for (const SearchCase& c : cases) {
    EXPECT_EQ(StrSearch(S(c.text), c.start, S(c.what), c.kind, c.plain), c.expected)
        << c.text << " / " << c.what << " from " << c.start << (c.plain ? " plain" : "");
  }
}

TEST_F(TextOpsTest, FindWrappersAgreeWithTheSearch) {
  EXPECT_EQ(StrFindChar(S("'a,b',c"), 0, ',', false), 5);
  EXPECT_EQ(StrFindChar(S("'a,b',c"), 0, ',', true), 2);
  EXPECT_EQ(StrFindAny(S("a b;c"), 0, S(";,"), false), 3);
  EXPECT_EQ(StrFindText(S("x 'key' key"), S("key"), false), 8);
  EXPECT_EQ(StrFindText(S("x 'key' key"), S("key"), true), 3);
  for (StrRef status : {StrError(kFileIO), StrError(0)}) {
    EXPECT_EQ(StrFindChar(status, 0, 'a', true), kNothing);
    EXPECT_EQ(StrFindText(S("a"), status, true), kNothing);
  }
}

struct FindLastCase {
  std::string_view text;
  std::string_view what;
  FindKind kind;
  uint16_t expected;
};

TEST_F(TextOpsTest, FindLastLooksFromTheEnd) {
  const FindLastCase cases[] = {
      {"a,b,c", ",", FindKind::kAnyOf, 3},        {"a;b,c", ",;", FindKind::kAnyOf, 3},
      {"abcabc", "bc", FindKind::kText, 4},       {"abc", "x", FindKind::kAnyOf, kNothing},
      {"abc", "abcd", FindKind::kText, kNothing}, {"abc", "", FindKind::kText, kNothing},
      {"'a,b'", ",", FindKind::kAnyOf, 2},
  };
  for (const FindLastCase& c : cases) {
    EXPECT_EQ(StrFindLast(S(c.text), S(c.what), c.kind), c.expected) << c.text << " / " << c.what;
  }
}

struct ReplaceCase {
  std::string_view text;
  std::string_view find;
  std::string_view with;
  bool plain;
  uint16_t count;
  std::string_view expected;
};

TEST_F(TextOpsTest, ReplaceAndCountOfTakeNonOverlappingOccurrences) {
  const ReplaceCase cases[] = {
      {"a.b.c", ".", "--", true, 2, "a--b--c"},
      {"aaaa", "aa", "b", true, 2, "bb"},
      {"aaa", "aa", "b", true, 1, "ba"},
      {"x 'x' x", "x", "y", false, 2, "y 'x' y"},
      {"x 'x' x", "x", "y", true, 3, "y 'y' y"},
      {"it's", "'", "''", false, 1, "it''s"},  // a quote as find is searched plainly
      {"abc", "", "z", true, 0, "abc"},
      {"abc", "abc", "", true, 1, ""},
      {"hello", "z", "q", false, 0, "hello"},
      {"", "a", "b", false, 0, ""},
  };
  for (const ReplaceCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(StrCountOf(S(c.text), S(c.find), c.plain), c.count) << c.text << " / " << c.find;
    EXPECT_EQ(Show(StrReplace(S(c.text), S(c.find), S(c.with), c.plain)), c.expected)
        << c.text << " / " << c.find;
    StrAreaRelease(mark);
  }
}

TEST_F(TextOpsTest, ReplaceReportsAResultLongerThanALengthCanHold) {
  const std::string fits(21845, 'a');  // 21,845 x 3 = 65,535
  const std::string over(21846, 'a');
  const StrRef ok = StrReplace(S(fits), S("a"), S("aaa"), true);
  ASSERT_FALSE(ok.IsStatus());
  EXPECT_EQ(ok.len, kMaxStrLen);
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(StrCheck(StrReplace(S(over), S("a"), S("aaa"), true)), kStringTooLong);
  EXPECT_EQ(StrAreaMark(), mark) << "a failed replace leaves nothing pushed";
}

// ---- Views -----------------------------------------------------------------------------

struct SubCase {
  std::string_view text;
  int32_t start;
  int32_t count;
  std::string_view expected;
};

TEST_F(TextOpsTest, SubCutsAtTheEndAndCountsNegativeStartsFromIt) {
  const SubCase cases[] = {
      {"abcdef", -2, 5, "ef"},   {"abc", 5, 1, ""},       {"abcdef", 1, 3, "bcd"},
      {"abcdef", 2, -1, "cdef"}, {"abcdef", 4, 10, "ef"}, {"abc", -10, 1, "abc"},
      {"abcdef", -4, 2, "cdef"},  // a negative start always takes the rest
      {"abc", 0, 0, ""},         {"abc", 3, -1, ""},      {"", 0, -1, ""},
  };
  for (const SubCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    const StrRef s = S(c.text);
    const StrRef sub = StrSub(s, c.start, c.count);
    EXPECT_EQ(Show(sub), c.expected) << c.text << " " << c.start << "," << c.count;
    EXPECT_TRUE(sub.ptr >= s.ptr && sub.end() <= s.end()) << "a view into the argument";
    EXPECT_EQ(StrAreaMark(), mark);
  }
  EXPECT_EQ(StrCheck(StrSub(StrError(kFileIO), 0, 1)), kFileIO);
}

struct TrimCase {
  std::string_view text;
  int sides;
  std::string_view set;  // empty: StrTrim
  std::string_view expected;
};

TEST_F(TextOpsTest, TrimRemovesSpacesAndTabsFromTheChosenSides) {
  const TrimCase cases[] = {
      {" \tab \t", kTrimLeft, "", "ab \t"},
      {" \tab \t", kTrimRight, "", " \tab"},
      {" \tab \t", kTrimBoth, "", "ab"},
      {"   ", kTrimBoth, "", ""},
      {"\nab\n", kTrimBoth, "", "\nab\n"},  // only spaces and TABs
      {" a b ", 0, "", " a b "},
      {"--ab-", kTrimBoth, "-", "ab"},
      {"-+ab+", kTrimLeft, "+-", "ab+"},
      {"xyx", kTrimBoth, "xy", ""},
  };
  for (const TrimCase& c : cases) {
    const StrRef result =
        c.set.empty() ? StrTrim(S(c.text), c.sides) : StrTrimSet(S(c.text), c.sides, S(c.set));
    EXPECT_EQ(Show(result), c.expected) << "[" << c.text << "] sides " << c.sides;
  }
}

struct UnquoteCase {
  std::string_view text;
  std::string_view expected;
};

TEST_F(TextOpsTest, UnquoteStripsOneMatchingPair) {
  const UnquoteCase cases[] = {
      {"'abc'", "abc"}, {"\"abc\"", "abc"}, {"'abc\"", "'abc\""}, {"'", "'"},
      {"''", ""},       {"abc", "abc"},     {"'a'b'", "a'b"},     {"''x''", "'x'"},
  };
  for (const UnquoteCase& c : cases) {
    EXPECT_EQ(Show(StrUnquote(S(c.text))), c.expected) << c.text;
  }
}

struct BracketCase {
  std::string_view text;
  char open;
  bool plain;
  std::string_view expected;
};

TEST_F(TextOpsTest, BracketedCountsNestingAndSkipsQuotes) {
  const BracketCase cases[] = {
      {"f(a(b)c)d", '(', false, "a(b)c"},
      {"f(a(b", '(', false, ""},
      {"x[1][2]", '[', false, "1"},
      {"{a{b}{c}}", '{', true, "a{b}{c}"},
      {"<x>", '<', true, "x"},
      {"none", '(', false, ""},
      {"f('(' )", '(', false, "'(' "},  // the quoted ( does not nest
      {"f('(' )", '(', true, ""},
      {"a'('(b)", '(', false, "b"},  // the first ( outside quotes opens
      {"say 'hi' now", '\'', false, "hi"},
      {"say 'hi", '\'', false, ""},
  };
  for (const BracketCase& c : cases) {
    EXPECT_EQ(Show(StrBracketed(S(c.text), c.open, c.plain)), c.expected)
        << c.text << " " << c.open << (c.plain ? " plain" : "");
  }
}

TEST_F(TextOpsTest, BracketPartnerClosesTheFourPairsOnly) {
  const std::pair<char, char> cases[] = {{'[', ']'},   {'(', ')'}, {'{', '}'}, {'<', '>'},
                                         {'\'', '\''}, {'"', '"'}, {'a', 'a'}, {']', ']'}};
  for (const auto& [open, close] : cases) EXPECT_EQ(BracketPartner(open), close) << open;
}

// ---- Writing into a buffer -------------------------------------------------------------

struct PatchCase {
  std::string_view text;
  int32_t offset;
  std::string_view part;
  std::string_view expected;
};

TEST_F(TextOpsTest, PatchOverwritesWithinTheLength) {
  const PatchCase cases[] = {
      {"abcdef", 2, "XY", "abXYef"},   {"abcdef", -2, "XYZ", "abcdXY"},
      {"abcdef", 5, "XYZ", "abcdeX"},  {"abcdef", 6, "X", "abcdef"},
      {"abcdef", -10, "XY", "XYcdef"}, {"abc", 0, "", "abc"},
  };
  for (const PatchCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(StrPatch(S(c.text), c.offset, S(c.part))), c.expected)
        << c.text << " at " << c.offset;
    StrAreaRelease(mark);
  }
}

TEST_F(TextOpsTest, OverwriteNeverWritesPastTheBuffer) {
  std::string bytes(8, '.');
  const StrRef buffer = StrMake(bytes.data(), 4);
  ASSERT_EQ(StrOverwrite(buffer, 2, S("XYZ")), kOk);
  EXPECT_EQ(bytes, "..XY....");
  ASSERT_EQ(StrOverwrite(buffer, -1, S("QRS")), kOk);
  EXPECT_EQ(bytes, "..XQ....");
  EXPECT_EQ(StrOverwrite(StrError(kDiskIO), 0, S("a")), kDiskIO);
  EXPECT_EQ(StrOverwrite(buffer, 0, StrError(kFileIO)), kFileIO);
  EXPECT_EQ(bytes, "..XQ....");
}

// ---- Building strings ------------------------------------------------------------------

struct MapCase {
  std::string_view text;
  std::string_view expected;
};

TEST_F(TextOpsTest, CollapseReducesRunsToOneByte) {
  const MapCase cases[] = {{"a  b   c", "a b c"}, {"  a", " a"}, {"abc", "abc"}, {"", ""}};
  for (const MapCase& c : cases) EXPECT_EQ(Show(StrCollapse(S(c.text), ' ')), c.expected);
  EXPECT_EQ(Show(StrCollapse(S("--a--b-"), '-')), "-a-b-");
}

TEST_F(TextOpsTest, CaseMappingTouchesAsciiLettersOnly) {
  struct CaseCase {
    std::string_view text;
    std::string_view upper;
    std::string_view lower;
  };
  const CaseCase cases[] = {
      {"abcXYZ09", "ABCXYZ09", "abcxyz09"},
      {"\xe9t\xc9", "\xe9T\xc9", "\xe9t\xc9"},  // CP1252 accented letters stay as they are
      {"[@`{]", "[@`{]", "[@`{]"},              // the bytes next to the letter ranges
      {"", "", ""},
  };
  for (const CaseCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(StrUpper(S(c.text))), c.upper);
    EXPECT_EQ(Show(StrLower(S(c.text))), c.lower);
    StrAreaRelease(mark);
  }
}

TEST_F(TextOpsTest, KeepOnlyAndTranslate) {
  EXPECT_EQ(Show(StrKeepOnly(S("a1b2c3"), S("0123456789"))), "123");
  EXPECT_EQ(Show(StrKeepOnly(S("abc"), S(""))), "");
  struct TranslateCase {
    std::string_view text, from, to, expected;
  };
  const TranslateCase cases[] = {
      {"abcabc", "abc", "xyz", "xyzxyz"},
      {"abc", "abc", "x", "xbc"},      // b and c have no counterpart in to
      {"hello", "ll", "LM", "heLLo"},  // the first occurrence in from decides
      {"abc", "", "xyz", "abc"},
      {"a-b", "-", "", "a-b"},
  };
  for (const TranslateCase& c : cases) {
    EXPECT_EQ(Show(StrTranslate(S(c.text), S(c.from), S(c.to))), c.expected) << c.text;
  }
}

TEST_F(TextOpsTest, TranslateReadsNothingBeyondTheToText) {
  // Exactly sized heap storage: a read past its end is caught by the address sanitizer.
  const std::vector<char> to(1, 'X');
  EXPECT_EQ(Show(StrTranslate(S("abcd"), S("abcd"), StrMake(to.data(), to.size()))), "Xbcd");
}

TEST_F(TextOpsTest, RepeatCharAndJoin) {
  EXPECT_EQ(Show(StrRepeat(S("ab"), 3)), "ababab");
  EXPECT_EQ(Show(StrRepeat(S("ab"), 0)), "");
  EXPECT_EQ(Show(StrRepeat(S("ab"), -2)), "");
  EXPECT_EQ(Show(StrRepeat(S(""), std::numeric_limits<int32_t>::max())), "");
  EXPECT_EQ(Show(StrChar('Q')), "Q");
  EXPECT_EQ(Show(StrChar('\0')), "\0"sv);
  struct JoinCase {
    std::string_view a, b, expected;
  };
  const JoinCase cases[] = {{"a", "b", "a,b"}, {"", "b", "b"}, {"a", "", "a"}, {"", "", ""}};
  for (const JoinCase& c : cases) EXPECT_EQ(Show(StrJoin(S(c.a), ',', S(c.b))), c.expected);
}

TEST_F(TextOpsTest, RepeatAndJoinReportResultsLongerThanALengthCanHold) {
  const StrRef fits = StrRepeat(S("abc"), 21845);
  ASSERT_FALSE(fits.IsStatus());
  EXPECT_EQ(fits.len, kMaxStrLen);
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(StrCheck(StrRepeat(S("abc"), 21846)), kStringTooLong);
  EXPECT_EQ(StrCheck(StrRepeat(S("x"), std::numeric_limits<int32_t>::max())), kStringTooLong);
  const std::string a(40000, 'a');
  const std::string b(25535, 'b');
  EXPECT_EQ(StrCheck(StrJoin(S(a), ',', S(b))), kStringTooLong);  // 65,536 with the separator
  EXPECT_EQ(StrAreaMark(), mark);
  EXPECT_EQ(StrJoin(S(a), ',', S(b.substr(1))).len, kMaxStrLen);
}

TEST_F(TextOpsTest, QuoteAndWrap) {
  struct QuoteCase {
    std::string_view text;
    char q;
    std::string_view expected;
  };
  const QuoteCase cases[] = {
      {"abc", '\'', "'abc'"},
      {"it's", '\'', "\"it's\""},
      {"say \"x\"", '"', "'say \"x\"'"},
      {"", '"', "\"\""},
  };
  for (const QuoteCase& c : cases) EXPECT_EQ(Show(StrQuote(S(c.text), c.q)), c.expected);
  EXPECT_EQ(StrCheck(StrQuote(S("'\""), '\'')), kBadInputData);
  EXPECT_EQ(StrCheck(StrQuote(S("abc"), 'x')), kBadInputData);

  const std::pair<char, std::string_view> wraps[] = {{'(', "(x)"}, {'[', "[x]"},  {'{', "{x}"},
                                                     {'<', "<x>"}, {'\'', "'x'"}, {'|', "|x|"}};
  for (const auto& [open, expected] : wraps) EXPECT_EQ(Show(StrWrap(S("x"), open)), expected);
}

// Every builder answers exactly one temporary directly above the caller's mark, passes a status
// argument through without pushing, and reports a full area as kOutOfMemory.
struct Builder {
  const char* name;
  std::function<StrRef(StrRef)> run;
};

std::vector<Builder> Builders() {
  return {
      {"Collapse", [](StrRef s) { return StrCollapse(s, ' '); }},
      {"Upper", [](StrRef s) { return StrUpper(s); }},
      {"Lower", [](StrRef s) { return StrLower(s); }},
      {"Replace", [](StrRef s) { return StrReplace(s, StrLit("a"), StrLit("b"), false); }},
      {"Quote", [](StrRef s) { return StrQuote(s, '"'); }},
      {"Wrap", [](StrRef s) { return StrWrap(s, '('); }},
      {"KeepOnly", [](StrRef s) { return StrKeepOnly(s, StrLit("ab")); }},
      {"Translate", [](StrRef s) { return StrTranslate(s, StrLit("a"), StrLit("b")); }},
      {"Repeat", [](StrRef s) { return StrRepeat(s, 2); }},
      {"JoinLeft", [](StrRef s) { return StrJoin(s, ',', StrLit("x")); }},
      {"JoinRight", [](StrRef s) { return StrJoin(StrLit("x"), ',', s); }},
      {"Patch", [](StrRef s) { return StrPatch(s, 0, StrLit("z")); }},
      {"Format", [](StrRef s) { return StrFormat(100, StrLit("<%s>"), {s}); }},
  };
}

TEST_F(TextOpsTest, BuildersLeaveOneTemporaryAboveTheMark) {
  for (const Builder& b : Builders()) {
    const uint16_t mark = StrAreaMark();
    const StrRef result = b.run(S("a ab"));
    ASSERT_FALSE(result.IsStatus()) << b.name;
    EXPECT_EQ(StrAreaMark(), mark + 1) << b.name;
    EXPECT_EQ(result.ptr, StrAreaTop().ptr) << b.name;
    StrAreaRelease(mark);
  }
}

TEST_F(TextOpsTest, BuildersPassAStatusThroughWithoutPushing) {
  for (const Builder& b : Builders()) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(StrCheck(b.run(StrError(kDiskReadError))), kDiskReadError) << b.name;
    EXPECT_EQ(StrCheck(b.run(StrError(0))), kNothing) << b.name;
    EXPECT_EQ(StrAreaMark(), mark) << b.name;
  }
}

TEST_F(TextOpsTest, BuildersReportAFullArea) {
  const uint16_t mark = StrAreaMark();
  while (StrAreaCanPush(1) == kOk) ASSERT_EQ(StrAreaPushCopy(StrLit("")), kOk);
  for (const Builder& b : Builders()) EXPECT_EQ(StrCheck(b.run(S("a"))), kOutOfMemory) << b.name;
  EXPECT_EQ(StrCheck(StrChar('x')), kOutOfMemory);
  EXPECT_EQ(StrCheck(IntToStr(5)), kOutOfMemory);
  StrAreaRelease(mark);
}

// ---- Comparison ------------------------------------------------------------------------

struct CompareCase {
  std::string_view a;
  std::string_view b;
  int order;
};

TEST_F(TextOpsTest, CompareOrdersBytesUnsignedThenByLength) {
  const CompareCase cases[] = {
      {"abc", "abd", -1}, {"abd", "abc", 1}, {"abc", "abc", 0}, {"ab", "abc", -1}, {"abc", "ab", 1},
      {"", "", 0},        {"\xff", "a", 1},  {"", "a", -1},     {"b", "abc", 1},
  };
  for (const CompareCase& c : cases) {
    int order = 99;
    EXPECT_EQ(StrCompare(S(c.a), S(c.b), &order), kOk);
    EXPECT_EQ(order, c.order) << c.a << " vs " << c.b;
  }
}

TEST_F(TextOpsTest, CompareOfAStatusFailsInsteadOfOrdering) {
  const std::pair<StrRef, StrRef> cases[] = {
      {StrError(kFileIO), S("a")}, {S("a"), StrError(kFileIO)}, {StrError(0), StrError(0)}};
  for (const auto& [a, b] : cases) {
    int order = 99;
    EXPECT_EQ(StrCompare(a, b, &order), kStrOutBound);
    EXPECT_EQ(order, 0);
    for (int op = 0; op <= 6; ++op) EXPECT_FALSE(StrCompareOp(a, b, op)) << "op " << op;
  }
}

TEST_F(TextOpsTest, CompareOpAppliesEachOperator) {
  struct OpCase {
    std::string_view a, b;
    bool holds[7];  // by op 0..6; 0 and 6 are not operators
  };
  const OpCase cases[] = {
      {"a", "b", {false, false, false, false, true, true, false}},
      {"b", "a", {false, false, true, true, false, false, false}},
      {"a", "a", {false, true, false, true, false, true, false}},
  };
  for (const OpCase& c : cases) {
    for (int op = 0; op <= 6; ++op) {
      EXPECT_EQ(StrCompareOp(S(c.a), S(c.b), op), c.holds[op]) << c.a << " op " << op << " " << c.b;
    }
  }
}

TEST_F(TextOpsTest, ChooseTakesAUnlessTheComparisonSaysOtherwise) {
  struct ChooseCase {
    std::string_view a, b;
    int op;
    std::string_view expected;
  };
  const ChooseCase cases[] = {
      {"a", "b", 0, "a"},
      {"a", "b", 1, "a"},
      {"", "b", 0, "b"},
      {"a", "b", kCompareGreater, "b"},
      {"b", "a", kCompareGreater, "b"},
      {"a", "", kCompareGreater, "a"},
      {"a", "b", kCompareLess, "a"},
      {"a", "b", 9, "b"},
  };
  for (const ChooseCase& c : cases) {
    EXPECT_EQ(Show(StrChoose(S(c.a), S(c.b), c.op)), c.expected)
        << c.a << " " << c.op << " " << c.b;
  }
  EXPECT_EQ(StrCheck(StrChoose(StrError(kFileIO), S("b"), 0)), kFileIO);
  EXPECT_EQ(StrCheck(StrChoose(S("a"), StrError(kDiskIO), kCompareLess)), kDiskIO);
}

// ---- Numbers ---------------------------------------------------------------------------

struct IntCase {
  std::string_view text;
  int64_t expected;
};

TEST_F(TextOpsTest, StrToIntReadsYesWordsAndSaturates) {
  const IntCase cases[] = {
      {"Y", 1},
      {"yes", 1},
      {"On", 1},
      {"si", 1},
      {"N", 0},
      {"12x", 12},
      {"  -42", -42},
      {"+7", 7},
      {"\t 5", 5},
      {"", 0},
      {"x12", 0},
      {"- 5", 0},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"-2147483648", -2147483648LL},
      {"-99999999999", -2147483648LL},
      {"99999999999999999999999", 2147483647},
  };
  for (const IntCase& c : cases) EXPECT_EQ(StrToInt(S(c.text)), c.expected) << c.text;
  EXPECT_EQ(StrToInt(StrError(kFileIO)), 0);
}

TEST_F(TextOpsTest, StrToInt64SaturatesAtItsLimits) {
  constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
  constexpr int64_t kMin = std::numeric_limits<int64_t>::min();
  const IntCase cases[] = {
      {"9223372036854775807", kMax},   {"9223372036854775808", kMax},
      {"-9223372036854775808", kMin},  {"-9223372036854775809", kMin},
      {"184467440737095516160", kMax},  // wraps a 64-bit accumulator if unchecked
      {"5000000000", 5000000000LL},    {"Y", 0},
  };
  for (const IntCase& c : cases) EXPECT_EQ(StrToInt64(S(c.text)), c.expected) << c.text;
}

TEST_F(TextOpsTest, StrToIntStopsAtTheLength) {
  EXPECT_EQ(StrToInt(StrMake("123456", 3)), 123);
  // No terminator after the digits: reading one byte further is caught by the sanitizer.
  const std::vector<char> digits = {'4', '2'};
  EXPECT_EQ(StrToInt(StrMake(digits.data(), digits.size())), 42);
  const std::vector<char> yes = {'y'};
  EXPECT_EQ(StrToInt(StrMake(yes.data(), yes.size())), 1);
}

TEST_F(TextOpsTest, IsYesMatchesWholeWordsOnly) {
  const std::pair<std::string_view, bool> cases[] = {
      {"YES", true}, {"yes", true}, {"Si", true},      {"y", true},     {"S", true},
      {"on", true},  {"", false},   {"YE", false},     {"YESS", false}, {"no", false},
      {"1", false},  {"O", false},  {"YES,SI", false},
  };
  for (const auto& [text, yes] : cases) EXPECT_EQ(StrIsYes(S(text)), yes) << text;
  EXPECT_FALSE(StrIsYes(StrError(kFileIO)));
}

TEST_F(TextOpsTest, IntToStrWritesSixteenBitNumbers) {
  const std::pair<int16_t, std::string_view> plain[] = {
      {0, "0"}, {42, "42"}, {-42, "-42"}, {32767, "32767"}, {-32768, "-32768"}};
  for (const auto& [n, expected] : plain) EXPECT_EQ(Show(IntToStr(n)), expected);
  struct PadCase {
    int16_t n;
    uint16_t width;
    char fill;
    std::string_view expected;
  };
  const PadCase padded[] = {
      {5, 3, '0', "005"}, {-5, 4, '0', "00-5"}, {123, 2, ' ', "123"}, {7, 0, ' ', "7"}};
  for (const PadCase& c : padded) {
    EXPECT_EQ(Show(IntToStrPadded(c.n, c.width, c.fill)), c.expected) << c.n << " " << c.width;
  }
}

// ---- Formatting ------------------------------------------------------------------------

struct FormatCase {
  std::string_view format;
  std::string_view expected;
};

TEST_F(TextOpsTest, FormatSubstitutesOnlyItsOwnPlaceholders) {
  // The same three arguments for every format, as a message text replaced by a language file
  // would receive them.
  const FormatCase cases[] = {
      {"open %s", "open file.txt"},
      {"%s: %i", "file.txt: 7"},
      {"%i %s", "file.txt 7"},                // wrong kinds: each argument is written as what it is
      {"%s %i %s %s %i", "file.txt 7 -3  "},  // placeholders beyond the arguments vanish
      {"100%% done", "100% done"},
      {"%%s", "%s"},
      {"50% off", "50% off"},
      {"%d %x %n %", "%d %x %n %"},  // printf's other conversions mean nothing here
      {"%s%s", "file.txt7"},
      {"", ""},
      {"no placeholders", "no placeholders"},
  };
  for (const FormatCase& c : cases) {
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(StrFormat(384, S(c.format), {S("file.txt"), 7, -3})), c.expected) << c.format;
    StrAreaRelease(mark);
  }
  EXPECT_EQ(Show(StrFormat(384, S("[%s|%i]"), {})), "[|]");
  EXPECT_EQ(Show(StrFormat(384, S("%i %i"), {std::numeric_limits<int64_t>::min(), 0})),
            "-9223372036854775808 0");
  EXPECT_EQ(LatchedCode(), 0);
}

TEST_F(TextOpsTest, FormatOfExactlyMaxBytesSucceedsAndOneMoreFails) {
  EXPECT_EQ(Show(StrFormat(5, S("abc%s"), {S("de")})), "abcde");
  EXPECT_EQ(LatchedCode(), 0);
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(StrCheck(StrFormat(4, S("abc%s"), {S("de")})), kStringTooLong);
  EXPECT_EQ(StrAreaMark(), mark);
  EXPECT_EQ(LatchedCode(), kStringTooLong);
  EXPECT_EQ(LatchedSite(), kSiteFormatStrings);
}

TEST_F(TextOpsTest, FormatKeepsAnEarlierLatchedError) {
  LatchRecord(kLatchFirst, kSiteStreams, kDiskIO);
  EXPECT_EQ(StrCheck(StrFormat(0, S("x"), {})), kStringTooLong);
  EXPECT_EQ(LatchedCode(), kDiskIO);
  EXPECT_EQ(LatchedSite(), kSiteStreams);
}

TEST_F(TextOpsTest, FormatNeverBuildsMoreThanALengthCanHold) {
  const std::string big(40000, 'x');
  EXPECT_EQ(StrCheck(StrFormat(100000, S("%s%s"), {S(big), S(big)})), kStringTooLong);
  EXPECT_EQ(StrFormat(100000, S("%s"), {S(big)}).len, big.size());
}

TEST_F(TextOpsTest, FormatPassesStatusesThrough) {
  EXPECT_EQ(StrCheck(StrFormat(10, StrError(kFileNotFound), {S("a")})), kFileNotFound);
  EXPECT_EQ(StrCheck(StrFormat(10, S("%s"), {S("a"), StrError(kDiskIO)})), kDiskIO);
}

}  // namespace
}  // namespace engine
