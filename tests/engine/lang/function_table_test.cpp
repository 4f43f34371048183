// The function table: the engine's 33 functions in their order, look-up exactly and in capitals,
// the pre-evaluation counts, module functions (sixteen at most) and how they read arguments.
#include "engine/lang/function_table.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/lang/number.h"
#include "function_fixture.h"

namespace engine {
namespace {

using testing::ExprCase;

// Describes its arguments: integers and strings as ArgAll sorts them.
Status Describe(FunctionCall& call) {
  FunctionCall::Lists lists;
  Status status = call.ArgAll(5, &lists);
  if (!status.ok()) return status;
  std::string text;
  for (uint16_t i = 0; i < lists.integer_count; ++i)
    text += std::to_string(lists.integers[i]) + ",";
  text += "|";
  for (uint16_t i = 0; i < lists.string_count; ++i) text += ToString(lists.strings[i]) + ",";
  return ReturnText(StrView(text));
}

// Twice its one integer argument (a string is a type mismatch).
Status Twice(FunctionCall& call) {
  Status status = call.ArgCount(1, 1);
  int16_t n = 0;
  if (status.ok()) status = call.ArgInteger(1, 0, &n);
  return status.ok() ? ReturnWhole(2 * n) : status;
}

Status Nothing(FunctionCall&) { return ReturnNumber(0); }

class FunctionTableTest : public testing::FunctionFixture {};

TEST_F(FunctionTableTest, EngineFunctionsHaveTheirNumbers) {
  const struct {
    const char* name;
    uint16_t number;
  } cases[] = {
      {"_#", 1},        {"FN#FLEN", 2},  {"FN#ACUM", 6}, {"CHK#", 7},      {"FILEREL", 9},
      {"FN$FLDS", 15},  {"FN$TRIM", 19}, {"CHK$", 21},   {"SORT$", 22},    {"MACRO$", 26},
      {"_$", 28},       {"IER", 31},     {"EXP$", 32},   {"SQLCHILD", 33}, {"fn$trim", 19},
      {"Sqlchild", 33}, {"FN$TRIMX", 0}, {"", 0},        {"TRIM", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FunctionFind(StrView(c.name)), c.number);
  }
  const StrRef list = SlotGet(kGroupEnvironment, kEnvFunctionList);
  EXPECT_EQ(ListCount(list, '\0'), kEngineFunctionCount);
  EXPECT_EQ(ToString(ListField(list, '\0', 12)), "FN$CHNG");
  EXPECT_EQ(Eval("FN#PARM(FN$CHNG(_$(0;.funclist);FN$CHRS(0);','))"), "33");
}

TEST_F(FunctionTableTest, PreEvaluationCounts) {
  FunctionTable& table = CurrentFunctionTable();
  for (uint16_t number = 1; number <= kEngineFunctionCount; ++number) {
    SCOPED_TRACE(number);
    uint16_t expected = kMaxArguments;
    if (number == 6 || number == 15 || number == 33) expected = 0;  // FN#ACUM, FN$FLDS, SQLCHILD
    if (number == 7 || number == 21 || number == 32) expected = 1;  // CHK#, CHK$, EXP$
    if (number == 9) expected = 4;                                  // FILEREL
    EXPECT_EQ(table.PreEvaluated(number), expected);
  }
}

TEST_F(FunctionTableTest, ModuleFunctionsAreNumberedAfterTheEngines) {
  ASSERT_EQ(FunctionRegister(StrLit("Describe$"), Describe), kOk);
  ASSERT_EQ(FunctionRegister(StrLit("TWICE#"), Twice), kOk);
  EXPECT_EQ(FunctionFind(StrLit("Describe$")), kFirstModuleFunction);
  EXPECT_EQ(FunctionFind(StrLit("twice#")), kFirstModuleFunction + 1);
  const ExprCase cases[] = {
      {"Describe$(1;'a';2.6;;'b')", "1,3,0,|a,b,"},
      {"Describe$()", "|"},
      {"Describe$(1;2;3;4;5;6)", "<status 147>"},
      {"TWICE#(21)", "42"},
      {"twice#(21)+1", "43"},
      {"TWICE#('x')", "<status 128>"},
      {"TWICE#(1;2)", "<status 147>"},
  };
  CheckAll(cases);
}

TEST_F(FunctionTableTest, SixteenModuleFunctionsAtMost) {
  for (int i = 0; i < kModuleFunctionMax; ++i) {
    const std::string name = "MOD" + std::to_string(i) + "#";
    ASSERT_EQ(FunctionRegister(StrView(name), Nothing), kOk) << name;
    EXPECT_EQ(FunctionFind(StrView(name)), kFirstModuleFunction + i);
  }
  EXPECT_EQ(FunctionRegister(StrLit("EXTRA#"), Nothing), kDataOutBound);
  EXPECT_EQ(FunctionFind(StrLit("EXTRA#")), 0);
  EXPECT_EQ(Eval("MOD15#()"), "");
  // A new start of the table forgets them.
  FunctionTableStop();
  ASSERT_EQ(FunctionTableStart(), kOk);
  EXPECT_EQ(FunctionFind(StrLit("MOD0#")), 0);
  EXPECT_EQ(FunctionRegister(StrLit("MOD0#"), Nothing), kOk);
}

TEST_F(FunctionTableTest, BadRegistrationsAndNumbersWithoutAFunction) {
  EXPECT_EQ(FunctionRegister(StrLit(""), Nothing), kBadInputData);
  EXPECT_EQ(FunctionRegister(StrLit("A(B#"), Nothing), kBadInputData);
  EXPECT_EQ(FunctionRegister(StrRef{"A\0B", 3}, Nothing), kBadInputData);
  EXPECT_EQ(FunctionRegister(StrLit("OK#"), nullptr), kBadInputData);
  // A name put in the list by hand has no handler behind it.
  ASSERT_EQ(EvalStatus(StrLit("_$(0;.funclist;_$(0;.funclist)+FN$CHRS(0)+'GHOST#')")), kOk);
  EXPECT_EQ(FunctionFind(StrLit("GHOST#")), kFirstModuleFunction);
  EXPECT_EQ(Eval("GHOST#(1)"), "<status 147>");
}

}  // namespace
}  // namespace engine
