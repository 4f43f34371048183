// The engine's functions on texts and values, called through the evaluator: lists and ranges,
// replacement and filtering (an empty find and bad filter groups pinned), substrings with
// negative starts, trimming, numbers and dates read from texts, masks, conditionals, the summing
// loop, accumulators kept within their 257, string registers, nesting depth, bracket expansion
// (rescanning bounded) and templates.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/string_slots.h"
#include "engine/core/value_tables.h"
#include "engine/lang/bracket_expansion.h"
#include "engine/lang/variables.h"
#include "function_fixture.h"

namespace engine {
namespace {

using testing::ExprCase;
using testing::Show;

class BuiltinFunctionsTest : public testing::FunctionFixture {};

TEST_F(BuiltinFunctionsTest, ListsAndRanges) {
  const ExprCase cases[] = {
      {"FN#PARM('A,B,C')", "3"},
      {"FN#PARM('')", ""},
      {"FN#PARM('A,B,C';'B')", "2"},
      {"FN#PARM('A,B,C';'D')", ""},
      {"FN#PARM('A,B,C';'B';'10,20,30')", "20"},
      {"FN#PARM('A,B,C';'D';'10,20,30')", ""},
      {"FN#PARM('1-9,10-99,100-999';'42';0)", "2"},
      {"FN#PARM('1-9,10-99,100-999';42;0)", "2"},
      {"FN#PARM('1-9,10-99,100-999';9;0)", "1"},
      {"FN#PARM('1-9,10-99,100-999';100;0)", "3"},
      {"FN#PARM('1-9,10-99,100-999';1000;0)", ""},
      {"FN#PARM('5,10-20';5;0)", "1"},
      {"FN#PARM('1,2,3';2)", "2"},  // a number item is its canonical text
      {"FN#PARM()", "<status 147>"},
      {"FN#PARM(1)", "<status 128>"},
      {"FN$PARM('a,b,c';2)", "b"},
      {"FN$PARM('a;b';2;59)", "b"},
      {"FN$PARM('a,b';3)", ""},
      {"FN$PARM('a,b';0)", ""},
      {"FN$PARM(\"a,'b,c',d\";2)", "'b,c'"},
      {"FN$PARM('a,b';1;300)", "<status 168>"},
      {"FN#SLEN('abc')", "3"},
      {"FN#SLEN('')", ""},
      {"FN#SLEN(5)", "<status 128>"},
  };
  CheckAll(cases);
}

TEST_F(BuiltinFunctionsTest, ReplacementAndFiltering) {
  const ExprCase cases[] = {
      {"FN$CHNG('a,b';',';';')", "a;b"},
      {"FN$CHNG('x';'UCASE';'')", "X"},
      {"FN$CHNG('AbC';'LCASE';'')", "abc"},
      {"FN$CHNG(\"a  b   'c  d'\";'CLEAN';'')", "a b 'c  d'"},
      // An empty text to find leaves the text as it is.
      {"FN$CHNG('abcabc';'';'x')", "abcabc"},
      {"FN$CHNG(\"a 'a' a\";'a';'x')", "x 'a' x"},
      {"FN$CHNG(\"a 'a' a\";'a';'x';1)", "x 'x' x"},
      {"FN$CHNG(\"it's\";\"'\";'')", "its"},  // a single quote is found everywhere
      {"FN$CHNG('a1b22';'FILTER';'0123456789')", "122"},
      {"FN$CHNG('\xC1rbol \xC9l';'FILTER';'\xC1\xC9';'AE')", "Arbol El"},
      {"FN$CHNG('a<<b>>';'FILTER';'<<>>';'()')", "a(b)"},
      // A filter whose replacement cannot be cut into equal groups is refused.
      {"FN$CHNG('abc';'FILTER';'ab';'')", "<status 147>"},
      {"FN$CHNG('abc';'FILTER';'abc';'xy')", "<status 147>"},
      {"FN$CHNG('abc';'FILTER';'';'xy')", "<status 147>"},
      {"FN$CHNG('abc')", "<status 147>"},
      {"FN$CHRS(65)", "A"},
      {"FN$CHRS(65;3)", "AAA"},
      {"FN$CHRS('ab';2)", "abab"},
      {"FN$CHRS(65;0)", ""},
      {"FN$CHRS(300)", "<status 168>"},
      {"ENVELOP$('abc')", "'abc'"},
      {"ENVELOP$('abc';40)", "(abc)"},
      {"ENVELOP$('abc';91)", "[abc]"},
      {"ENVELOP$('x';34)", "\"x\""},
  };
  CheckAll(cases);
}

TEST_F(BuiltinFunctionsTest, SubstringsAndTrimming) {
  const ExprCase cases[] = {
      {"FN$MIDS('ABCDEF';2;3)", "BCD"},
      {"FN$MIDS('ABCDEF';-2)", "EF"},
      {"FN$MIDS('ABCDEF';-3;2)", "DE"},
      {"FN$MIDS('ABCDEF';-1;5)", "F"},
      {"FN$MIDS('ABCDEF';-10)", "ABCDEF"},
      {"FN$MIDS('ABCDEF';-10;2)", "AB"},
      {"FN$MIDS('ABC';5)", ""},
      {"FN$MIDS('ABC')", "C"},  // an omitted start is -1
      {"FN$MIDS('ABC';2;0)", ""},
      {"FN$MIDS('ABC';0;2)", "AB"},
      {"FN$MIDS('ABC';2;-1)", "BC"},
      {"FN$TRIM('  a  ')", "a"},
      {"FN$TRIM(' a ';'FIT')", "a"},
      {"FN$TRIM('abc';'FIT')", "ABC"},
      {"FN$TRIM(' \"q\" ';'FIT')", "q"},
      {"FN$TRIM('  a  ';'LEFTTRIM')", "a  "},
      {"FN$TRIM('  a  ';'RIGHTRIM')", "  a"},
      {"FN$TRIM(12.50)", "12.5"},
      {"FN$TRIM('x';'TRIM')", "<status 147>"},
  };
  CheckAll(cases);
}

TEST_F(BuiltinFunctionsTest, NumbersDatesMasksAndTimes) {
  const ExprCase cases[] = {
      {"FN#VALN('1,234.50')", "1234.5"},  // thousands separators are skipped
      {"FN#VALN(' 12.5 ';'N')", "12.5"},
      {"FN#VALN('12abc')", "12"},
      {"FN#VALN('')", ""},
      {"FN#VALN('20240131';'M';1)", "20240229"},
      {"FN#VALN('20230131';'m';1)", "20230228"},
      {"FN#VALN('20240131';'D';-31)", "20231231"},
      {"FN#VALN('20240229';'Y';1)", "20250228"},
      {"FN#VALN('20250101';'D';'20240101')", "366"},
      {"FN#VALN(20250101;'D';20240101)", "366"},  // a number of 10001 and above is a date
      {"FN#VALN('20250315';'M';'20240101')", "14"},
      {"FN#VALN('20250315';'Y';20240101)", "1"},
      {"FN#VALN('20240131';'V')", "20240131"},
      {"FN#VALN('2024013';'V')", ""},
      {"FN#VALN('20240131';'X';1)", "<status 147>"},
      {"FN$DATE('20240131';1)", "01-31-24"},
      {"FN$DATE(20240131;2)", "01-31-2024"},
      {"FN$DATE('20240131';3)", "Jan 2024"},
      {"FN$DATE('20240131';4)", "January 31,2024"},
      {"FN$DATE('1/31/24';2)", "01-31-2024"},
      {"FN$DATE('1/31/24 10:00';130)", "01-31-2024"},
      {"FN$DATE('13/45/24';2)", "          "},  // no such date: never today's
      {"FN$DATE('13/45/24';4)", ""},
      {"FN$DATE('')", "20240305"},
      {"FN$DATE('';1)", "03-05-24"},
      {"FN$MASK('###,###.##';1234.5)", "  1,234.50"},
      {"FN$MASK('###,###,.2';'1234.5')", "  1,234.50"},
      {"FN$MASK('##';123)", "**"},
      {"FN$MASK('###';'abc')", "###"},
      {"FN$MASK('(\\\\\\)';'ABCD')", "(ABC)"},
      {"TIME$()", "09:05:03"},
      {"TIME$('';1)", "09:05"},
      {"TIME$('1430';2)", "143000"},
      {"TIME$('';129)", "03-05-2024 09:05"},
      {"TIME$(5)", "<status 128>"},
      {"TIME$('';3)", "<status 147>"},
  };
  CheckAll(cases);
}

TEST_F(BuiltinFunctionsTest, DatesInSpanish) {
  SetLanguage("ES");
  const ExprCase cases[] = {
      {"FN$DATE('31/01/24';2)", "31-01-2024"},
      {"FN$DATE('31.01.24';1)", "31-01-24"},
      {"FN$DATE('20240131';4)", "31 de Enero de 2024"},
      {"FN#VALN('1.234,5')", "1234.5"},
      {"TIME$('31/01/24 10:20';128)", "31-01-2024 10:20:00"},
  };
  CheckAll(cases);
}

TEST_F(BuiltinFunctionsTest, ConditionalsEvaluateOnlyTheirBranch) {
  const ExprCase cases[] = {
      {"CHK#(1;A=1;A=2)", "1"},
      {"A", "1"},
      {"CHK#(0;A=5)", ""},
      {"A", "1"},
      {"CHK#(0;A=5;A+10)", "11"},
      {"CHK$(0;'a';'b')", "b"},
      {"CHK$(1;'a';B$=FN$CHRS(1000))", "a"},  // the third is never read
      {"CHK$(1;;'b')", ""},
      {"CHK#(1)", ""},
      {"CHK$(0;'a')", ""},
      {"CHK#('x';1)", "<status 128>"},
      {"N=CHK#(1;'a')", "<status 128>"},
  };
  CheckAll(cases);
  EXPECT_EQ(StatusOf("CHK$(1;5)"), kTypeWarning);
  EXPECT_EQ(StatusOf("CHK#(1;'a')"), kTypeWarning);
  EXPECT_EQ(StatusOf("CHK#(1;2)"), kOk);
}

TEST_F(BuiltinFunctionsTest, SummingLoops) {
  const ExprCase cases[] = {
      {"FN#ACUM(I;I;1;4)", "10"},
      {"I", "5"},
      {"FN#ACUM(2;I;1;0)", ""},
      {"FN#ACUM('1.5';I;1;2)", "3"},
      {"FN#ACUM((I*2);(I);1;3)", "12"},
      {"N=0;FN#ACUM(N;(N=N+1)<5)", "10"},
      {"N=0;FN#ACUM(10;N<3;(N=N+1)<3)", "30"},
      {"FN#ACUM(1;1==0)", ""},
      // The loop variable stops at the last integer instead of turning round.
      {"FN#ACUM(1;J;32766;32767)", "2"},
      {"FN#ACUM(1;X$;1;2)", "<status 147>"},
      {"FN#ACUM(1;5;1;2)", "<status 147>"},
      {"FN#ACUM(1)", "<status 147>"},
      {"FN#ACUM(1;I;1;2;3)", "<status 147>"},
      {"FN#ACUM('a'-1;I;1;2)", "<status 128>"},
  };
  CheckAll(cases);
}

TEST_F(BuiltinFunctionsTest, AccumulatorsStayWithinTheir257) {
  ASSERT_EQ(EvalStatus(StrLit("_ACUMX$='A,B,C'")), kOk);
  const ExprCase cases[] = {
      {"_#(3)=_#(3)+1;_#(3)=_#(3)+1;_#(3)", "2"},
      {"_#(256)=5;_#(256)", "5"},
      {"_#(0)=1.25;_#(0)", "1.25"},
      {"_#('B')", ""},
      {"_#('B')=7;_#(1)", "7"},
      {"_#('A';1)", "7"},
      {"_#('DIM';2)", "7"},  // "DIM" is position 0
      {"_#('Z')", ""},       // a name that is not listed reads 0
      {"_#(254;2)", "5"},
      {"_#('CLS';2;0);_#(0)+_#(1)+_#(3)", "2"},
      {"_#('CLS');_#(3)+_#(256)", ""},
      {"_#('CLS';7;250)", ""},
      // Nothing outside accumulators 0..256 is ever read, written or cleared.
      {"_#(257)", "<status 168>"},
      {"_#(-1)", "<status 168>"},
      {"_#(250;7)", "<status 168>"},
      {"_#('DIM')", "<status 168>"},
      {"_#(257)=1", "<status 168>"},
      {"_#(256;1)=1", "<status 168>"},
      {"_#('Z')=1", "<status 168>"},
      {"_#('CLS';8;250)", "<status 168>"},
      {"_#('CLS';1;257)", "<status 168>"},
      {"_#('CLS';-1)", "<status 168>"},
      {"_#('CLS';0;-1)", "<status 168>"},
      {"_#('CLS')=1", "<status 147>"},
      {"_#(1)='x'", "<status 128>"},
      {"_#()", "<status 147>"},
      {"_#(1;2;3)", "<status 147>"},
  };
  CheckAll(cases);
  EXPECT_EQ(ArrayElementCount(StrLit("_#(")), 257u);
}

TEST_F(BuiltinFunctionsTest, StringRegistersAndEnvironment) {
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvCommandLine, StrLit("/DEVICE:lpt1 /FILE:'a b.txt'")),
            kOk);
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvSearchPath, StrLit("C:\\APPS")), kOk);
  const ExprCase cases[] = {
      {"_$(9;7;'a,b')", "a,b"},
      {"_$(.envvar;.dialog)", "a,b"},
      {"_$(9;7;12.5)", "12.5"},
      {"_$(30;0;'x');_$(30;0;'y');_$()", "y"},
      {"_$(30;-1);_$(30)", "x"},
      {"_$(30;-1);_$(30)", ""},
      {"_$(9;-1)", "<status 147>"},
      {"_$(39)", "<status 147>"},
      {"_$(-1)", "<status 147>"},
      // The variable store and the argument stack are never written through _$.
      {"_$(12;0;'x')", "<status 147>"},
      {"_$(13;1;'x')", "<status 147>"},
      {"_$(35;-1)", "<status 147>"},
      {"ENVRON$('DEVICE')", "LPT1"},
      {"ENVRON$('FILE')", "a b.txt"},
      {"ENVRON$('NONE')", ""},
      {"ENVRON$('';5)", "C:\\APPS"},
  };
  CheckAll(cases);
  EXPECT_EQ(StatusOf("_$(31;-1)"), kOutOfData);
}

TEST_F(BuiltinFunctionsTest, FieldAndVariableValues) {
  SetNameResolver([](StrRef name, int mode) -> StrRef {
    if (name.view() != "_SCRF1$") return StrError(kBadInputData);
    return StrAreaReturn(StrAreaMark(), mode == 2 ? StrLit("read copy") : StrLit("on screen"));
  });
  const ExprCase cases[] = {
      {"X$='abc';FN$FLDS(X$)", "abc"},
      {"N#=12.5;FN$FLDS(N#)", "12.5"},
      {"K=7;FN$FLDS(K)", "7"},
      {"T$('ab';2);FN$FLDS(T$('';1))", "ab"},
      {"FN$FLDS(_SCRF1$)", "on screen"},
      {"FN$FLDS(_SCRF1$;2)", "read copy"},
      {"FN$FLDS(UNKNOWN$)", "<status 147>"},
      {"FN$FLDS(A@B)", "<status 147>"},
      {"FN$FLDS()", "<status 147>"},
      {"FN$FLDS(CODE{1})", "<status 148>"},  // no data files yet
  };
  CheckAll(cases);
}

TEST_F(BuiltinFunctionsTest, NestedEvaluationSavesAndRestoresItsWords) {
  SysWordSet(kSysCurRow, 3);
  SysWordSet(kSysIer, 4);
  EXPECT_EQ(Eval("SQLCHILD(X=_CURROW;Y=_SQLSTK;_IER=9)"), "");
  EXPECT_EQ(Eval("X*10+Y"), "1");
  EXPECT_EQ(SysWord(kSysCurRow), 3);
  EXPECT_EQ(SysWord(kSysIer), 4);
  EXPECT_EQ(SysWord(kSysSqlStk), 0);

  // Seven levels are allowed; the eighth fails, and every level is undone.
  std::string nested = "Z=_SQLSTK";
  for (int depth = 1; depth <= 8; ++depth) {
    nested = "SQLCHILD(" + nested + ")";
    SCOPED_TRACE(depth);
    EXPECT_EQ(Eval(nested), depth <= 7 ? "" : "<status 159>");
    EXPECT_EQ(SysWord(kSysSqlStk), 0);
    if (depth <= 7) {
      EXPECT_EQ(Eval("Z"), std::to_string(depth));
    }
  }
  EXPECT_EQ(Eval("SQLCHILD(1;'a'-1)"), "<status 128>");
  EXPECT_EQ(SysWord(kSysSqlStk), 0);
}

TEST_F(BuiltinFunctionsTest, BracketExpansion) {
  ASSERT_EQ(EvalStatus(StrLit("A=2;B$='  k ';R$='[R$]'")), kOk);
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvCommandLine, StrLit("/USER:bob")), kOk);
  SetEnvironmentReader([](StrRef name) {
    return StrAreaReturn(StrAreaMark(), name.view() == "HOME" ? StrLit("/home/ann") : StrLit(""));
  });
  const ExprCase cases[] = {
      {"MACRO$('Total: [A+1]')", "Total: 3"},
      {"MACRO$('[0]')", "0"},
      {"MACRO$('[0]';16)", ""},
      {"MACRO$('x[B$]y')", "xky"},
      {"MACRO$('x[B$]y';2)", "x  k y"},
      {"MACRO$('[A] x';32)", "2   x"},
      {"MACRO$('[A] x';96)", "002 x"},
      {"MACRO$('no brackets ] here [')", "no brackets ] here ["},
      {"MACRO$(\"'[A]'\")", "'[A]'"},
      {"MACRO$(\"'[A]'\";1)", "'2'"},
      {"MACRO$('[[A]]')", "[2]"},
      {"MACRO$('[[A]]';128)", "2"},
      {"MACRO$('[NAME] is [AGE]';4;'NAME=Ann,AGE=5')", "Ann is 5"},
      {"MACRO$('[USER]';4)", "BOB"},
      {"MACRO$('[HOME]';4)", "/home/ann"},
      {"MACRO$('[A+1]';4)", "3"},
      {"MACRO$('[A]+1';8)", "3"},
      {"MACRO$('\\{x\\}';256)", "[x]"},
      {"MACRO$('[1+]')", "<status 147>"},
      // A value that brings its own bracket back is rescanned a bounded number of times.
      {"MACRO$('[R$]';128)", "<status 159>"},
      {"MACRO$('[R$]')", "[R$]"},
  };
  CheckAll(cases);
}

TEST_F(BuiltinFunctionsTest, Templates) {
  const ExprCase cases[] = {
      {"EXP$('$1_-$2_';B;C+1)", "B-C+1"}, {"EXP$('$2_$1_';'a';x)", "x'a'"},
      {"EXP$('$3_$1_';a;b)", "$3_a"},     {"EXP$('cost $$1_ $1';5)", "cost $5 $1"},
      {"EXP$('none')", "none"},           {"EXP$(5)", "<status 128>"},
  };
  CheckAll(cases);
}

}  // namespace
}  // namespace engine
