// The evaluator's side of function calls, driven through a small function table: recognition of
// a call, pre-evaluation onto the argument stack, arguments left as text, results of the wrong
// kind, failures, functions as assignment targets, and the accept macros.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/lang/eval_hooks.h"
#include "engine/lang/expression.h"
#include "engine/lang/number.h"
#include "lang_fixture.h"

namespace engine {
namespace {

using testing::Show;

// Item n (0-based) of the arguments of the running call, the last argument being on top.
StrRef Argument(const ArgKinds& kinds, uint16_t n) {
  return SlotGet(kGroupArguments, SlotCount(kGroupArguments) - kinds.count + n);
}

std::string Describe(const ArgKinds& kinds, uint16_t n) {
  const StrRef item = Argument(kinds, n);
  if (kinds.kind[n] & kArgOmitted) return item.view() == "\x1B" ? "O" : "O?";
  if (kinds.kind[n] & kArgString) return "S" + ToString(item);
  const uint16_t mark = StrAreaMark();
  std::string text = "N" + ToString(NumberToText(NumberAt(item)));
  StrAreaRelease(mark);
  return text;
}

Status PushText(const std::string& text) { return StrAreaPushCopy(StrView(text)); }

class FakeFunctions final : public FunctionTable {
 public:
  // Every name looked up, in order.
  std::vector<std::string> lookups;
  int runs = 0;
  int64_t accumulator = 0;
  std::string accumulator_args;

  uint16_t Find(StrRef name) override {
    lookups.push_back(ToString(name));
    const uint16_t mark = StrAreaMark();
    const std::string upper = ToString(StrUpper(name));
    StrAreaRelease(mark);
    for (uint16_t n = 0; n < std::size(kNames); ++n) {
      if (upper == kNames[n]) return n + 1;
    }
    return 0;
  }

  uint16_t PreEvaluated(uint16_t number) override {
    switch (number) {
      case kPick:
        return 1;
      case kText:
        return 0;
      default:
        return kMaxArguments;
    }
  }

  Status Run(uint16_t number, const ArgKinds& kinds, ArgList* rest) override {
    ++runs;
    switch (number) {
      case kSum: {
        int64_t sum = 0;
        for (uint16_t n = 0; n < kinds.count; ++n) sum += NumberAt(Argument(kinds, n));
        return PushNumber(sum);
      }
      case kKinds: {
        std::string text;
        for (uint16_t n = 0; n < kinds.count; ++n) text += (n ? "," : "") + Describe(kinds, n);
        return PushText(text + "|" + ToString(StrSub(rest->text, rest->pos, -1)));
      }
      case kPick: {
        const bool take = NumberAt(Argument(kinds, 0)) != 0;
        if (!take) (void)NextArgumentText(rest);
        if (rest->AtEnd()) return PushNumber(0);
        ValueKind kind;
        const Status status = EvalNextArgument(rest, &kind);
        if (IsEvalFailure(status)) return status;
        return kind == ValueKind::kNumber ? Status(kOk) : Status(kTypeWarning);
      }
      case kFail:
        return kFileNotFound;
      case kCancel:
        return kUserCanceled;
      case kWarnSaid: {
        Status status = PushNumber(1);
        return status.ok() ? Status(kTypeWarning) : status;
      }
      case kNothing:
        return kOutOfData;
      case kDepth:
        return PushNumber(IntegerToNumber(static_cast<int16_t>(SlotCount(kGroupArguments))));
      case kAcc:
        return PushNumber(accumulator);
      case kText: {
        std::string text;
        while (!rest->AtEnd()) text += "[" + ToString(NextArgumentText(rest)) + "]";
        return PushText(text);
      }
      default: {
        // The functions of the accept macros describe their call.
        std::string text = std::string(kNames[number - 1]) + "[";
        for (uint16_t n = 0; n < kinds.count; ++n) {
          text += (n ? "," : "") + Describe(kinds, n).substr(1);
        }
        text += "]";
        if (number == kValN) return PushNumber(IntegerToNumber(static_cast<int16_t>(text.size())));
        return PushText(text);
      }
    }
  }

  Status Assign(uint16_t number, ArgList args, StrRef value, ValueKind kind) override {
    if (number != kAcc || kind != ValueKind::kNumber) return kSyntaxError;
    accumulator_args = ToString(args.text);
    accumulator = NumberAt(value);
    return kOk;
  }

 private:
  enum : uint16_t {
    kSum = 1,
    kKinds,
    kPick,
    kFail,
    kCancel,
    kWarnSaid,
    kNothing,
    kDepth,
    kAcc,
    kText,
    kValN,
    kTrim,
    kParm,
    kSlots,
  };
  static constexpr const char* kNames[] = {"SUM#",    "KINDS$",  "PICK#",   "FAIL#", "CANCEL#",
                                           "WARNED$", "NONE$",   "DEPTH#",  "ACC#",  "TEXT$",
                                           "FN#VALN", "FN$TRIM", "FN$PARM", "_$"};
  static_assert(std::size(kNames) == kSlots);
};

class FunctionCallTest : public testing::LangFixture {
 protected:
  void SetUp() override {
    LangFixture::SetUp();
    SetFunctionTable(&functions_);
  }
  FakeFunctions functions_;
};

TEST_F(FunctionCallTest, ArgumentsArePreEvaluatedOntoTheArgumentStack) {
  struct Row {
    const char* text;
    const char* result;
  };
  const Row rows[] = {
      {"SUM#(1;2;3)", "6"},
      {"sum#(1;2)*2", "6"},  // looked up in capitals too
      {"KINDS$('a';1+1;;X$)", "Sa,N2,O,S|"},
      {"KINDS$(1;)", "N1,O|"},
      {"KINDS$(;)", "O,O|"},
      {"KINDS$()", "|"},
      {"KINDS$('x;y';(1;2))", "Sx;y,N2|"},
      {"KINDS$(1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18)",
       "N1,N2,N3,N4,N5,N6,N7,N8,N9,N10,N11,N12,N13,N14,N15,N16|17;18"},
      {"SUM#(SUM#(1;2);DEPTH#(0))", "5"},  // the outer call's first argument is below
      {"TEXT$(A=1;'b;c';F(2;3))", "[A=1]['b;c'][F(2;3)]"},
      {"TEXT$(1;)", "[1][]"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(Eval(row.text), row.result);
    EXPECT_EQ(SlotCount(kGroupArguments), 0);
  }
  EXPECT_EQ(Eval("A"), "");  // TEXT$ left its arguments unevaluated
}

TEST_F(FunctionCallTest, ArgumentsBeyondThePreEvaluatedOnesAreTheFunctionsBusiness) {
  EXPECT_EQ(Eval("PICK#(1;A=1;A=2)"), "1");
  EXPECT_EQ(Eval("A"), "1");
  EXPECT_EQ(Eval("PICK#(0;B=1)"), "");
  EXPECT_EQ(Eval("B"), "");
  EXPECT_EQ(Eval("PICK#(0;B=1;B=7)+1"), "8");
  EXPECT_EQ(Eval("B"), "7");
}

TEST_F(FunctionCallTest, FailuresStopTheCallAndEmptyTheArgumentStack) {
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(EvalStatus(StrLit("SUM#(1;'a'-'b';3)")), kSyntaxError);
  EXPECT_EQ(functions_.runs, 0);
  EXPECT_EQ(EvalStatus(StrLit("X=SUM#(1;FAIL#(2))")), kFileNotFound);
  EXPECT_EQ(functions_.runs, 1);
  EXPECT_EQ(Eval("X"), "");
  EXPECT_EQ(SlotCount(kGroupArguments), 0);
  EXPECT_EQ(StrAreaMark(), mark);
}

TEST_F(FunctionCallTest, CallsNestedTooDeepEndWithAStatusAndEmptyTheArgumentStack) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "SUM#(1;";
  text += "1" + std::string(300, ')');
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(EvalStatus(StrView(text)), kOutOfMemory);
  EXPECT_EQ(SlotCount(kGroupArguments), 0);
  EXPECT_EQ(StrAreaMark(), mark);
  EXPECT_EQ(Eval("SUM#(1;SUM#(2;3))"), "6");
}

TEST_F(FunctionCallTest, UserCancelStopsTheStatementsWithoutLatching) {
  LatchClear();
  EXPECT_EQ(EvalStatus(StrLit("A=1;B=CANCEL#(1);C=3")), kOk);  // below 128: not a failure here
  EXPECT_EQ(Eval("A*10+C"), "10");
  ValueKind kind;
  EXPECT_EQ(Evaluate(StrLit("CANCEL#(1)"), &kind), kUserCanceled);
  bool truth = true;
  EXPECT_EQ(EvalCondition(StrLit("CANCEL#(1)"), &truth), kUserCanceled);
  EXPECT_FALSE(truth);
  EXPECT_EQ(LatchedCode(), 0);
}

TEST_F(FunctionCallTest, ResultsOfTheWrongKind) {
  ValueKind kind;
  const uint16_t mark = StrAreaMark();
  // A function whose result has the other kind says so with 125: the value becomes the empty
  // value of the kind its name promises, and stands right of '=' only as a mismatch.
  EXPECT_EQ(Evaluate(StrLit("WARNED$(1)+'x'"), &kind), kTypeWarning);
  EXPECT_EQ(kind, ValueKind::kString);
  EXPECT_EQ(Show(StrAreaTop()), "x");
  StrAreaRelease(mark);
  EXPECT_EQ(EvalStatus(StrLit("S$=WARNED$(1)")), kTypeMismatch);
  EXPECT_EQ(Evaluate(StrLit("PICK#(1;'text')"), &kind), kTypeWarning);
  EXPECT_EQ(kind, ValueKind::kNumber);
  EXPECT_EQ(NumberAt(StrAreaTop()), 0);
  StrAreaRelease(mark);
  EXPECT_EQ(EvalStatus(StrLit("N=PICK#(1;'text')")), kTypeMismatch);
  // A function that pushes nothing leaves the empty value of its kind.
  EXPECT_EQ(Evaluate(StrLit("NONE$(1)"), &kind), kOutOfData);
  EXPECT_EQ(Show(StrAreaTop()), "");
  StrAreaRelease(mark);
}

TEST_F(FunctionCallTest, FunctionsAsAssignmentTargets) {
  EXPECT_EQ(Eval("ACC#(3)=2.5"), "2.5");
  EXPECT_EQ(functions_.accumulator_args, "3");
  EXPECT_EQ(Eval("ACC#(3)=ACC#(3)+1"), "3.5");
  EXPECT_EQ(EvalStatus(StrLit("SUM#(1)=2")), kSyntaxError);
  EXPECT_EQ(EvalStatus(StrLit("ACC#(1)='x'")), kSyntaxError);
}

TEST_F(FunctionCallTest, WithoutAFunctionTableNoNameIsAFunction) {
  SetFunctionTable(nullptr);
  EXPECT_EQ(Eval("SUM#(1;2)"), "");  // read as an element of a new array
  EXPECT_EQ(ArrayElementCount(StrLit("SUM#(")), 6u);
  EXPECT_EQ(EvalStatus(StrLit("FN$TRIM('a')")), kSyntaxError);
}

TEST_F(FunctionCallTest, AcceptMacrosExpandBeforeEvaluation) {
  EXPECT_EQ(Eval("_ACCEPT$(2)"), "FN$TRIM[FN$PARM[_$[9,7],2],FIT]");
  EXPECT_EQ(Eval("_ACCEPT#(1+1)==FN#VALN(FN$TRIM(FN$PARM(_$(.envvar;.dialog);2);'FIT'))"), "1");
  EXPECT_EQ(Eval("'_ACCEPT$(2)'"), "_ACCEPT$(2)");  // not inside a literal
  EXPECT_EQ(Eval("_ACCEPT$( 3 )+'!'"), "FN$TRIM[FN$PARM[_$[9,7],3],FIT]!");
}

}  // namespace
}  // namespace engine
