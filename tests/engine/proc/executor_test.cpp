// The executor: blocks and loops of every kind, jumps and subroutines, the run's value and EXEC$,
// CALL with its arguments and LOCALVARS, failures reported with their statement, the trace log,
// cancelling, and the clean-up after a whole run.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/value_tables.h"
#include "engine/data/dictionary.h"
#include "engine/proc/command_chain.h"
#include "engine/proc/engine_commands.h"
#include "engine/proc/procedure_executor.h"
#include "proc_fixture.h"

namespace engine {
namespace {

using testing::Show;

class ExecutorTest : public testing::ProcFixture {};

TEST_F(ExecutorTest, BlocksLoopsJumpsAndSubroutines) {
  const struct {
    const char* text;
    const char* check;  // an expression over the variables the procedure set
    const char* result;
  } cases[] = {
      {"IF 0\r\nA=1\r\nELSE\r\nA=2\r\nENDIF", "A", "2"},
      {"IF 1\r\nA=1\r\nELSE\r\nA=2\r\nENDIF\r\nB=3", "A*10+B", "13"},
      {"IF_TRUE 1\r\nA=1\r\nENDIF\r\nIF_TRUE 0\r\nB=1\r\nENDIF", "A*10+B", "10"},
      {"IF_FALSE 0\r\nA=1\r\nENDIF\r\nIF_FALSE 1\r\nB=1\r\nENDIF", "A*10+B", "10"},
      // A condition that yields a string is false.
      {"IF 'yes'\r\nA=1\r\nELSE\r\nA=2\r\nENDIF", "A", "2"},
      {"I=0\r\nDO\r\nI=I+1\r\nN=N+1\r\nLOOP_UNTIL I>3", "N", "4"},
      {"DO_WHILE I<3\r\nI=I+1\r\nLOOP", "I", "3"},
      {"I=5\r\nDO_WHILE I<3\r\nI=I+1\r\nN=1\r\nLOOP", "I*10+N", "50"},
      {"DO\r\nI=I+1\r\nLOOP_WHILE I<5", "I", "5"},
      {"DO_UNTIL I>=4\r\nI=I+1\r\nLOOP", "I", "4"},
      {"DO_WHILE I<3\r\nI=I+1\r\nJ=0\r\nDO_WHILE J<2\r\nJ=J+1\r\nN=N+1\r\nLOOP\r\nLOOP", "N", "6"},
      {":TOP\r\nI=I+1\r\nIF I<5\r\nGOTO TOP\r\nENDIF", "I", "5"},
      {"GOSUB S\r\nA=A+1\r\nEND\r\n:S\r\nA=A+10\r\nRETURN", "A", "11"},
      {"GOSUB S\r\nA=A+1\r\nEND\r\n:S\r\nGOSUB T\r\nA=A+10\r\nRETURN\r\n:T\r\nA=A+100\r\nRETURN",
       "A", "111"},
      // RETURN without GOSUB ends the run, as END does.
      {"A=1\r\nRETURN\r\nA=2", "A", "1"},
      {"A=1\r\nEND\r\nA=2", "A", "1"},
      // Sixty-four subroutines deep is the limit that still works.
      {"GOSUB S\r\nEND\r\n:S\r\nN=N+1\r\nIF N<64\r\nGOSUB S\r\nENDIF\r\nRETURN", "N", "64"},
      {"; nothing but notes\r\n", "A", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const VarSnapshot snapshot = VarMark();
    EXPECT_EQ(RunText(c.text), kOk) << Detail();
    EXPECT_EQ(Eval(c.check), c.result);
    EXPECT_EQ(VarRelease(snapshot), kOk);
    EXPECT_EQ(StrAreaMark(), 0);
    EXPECT_EQ(ProcedureCount(), 0);
  }
}

TEST_F(ExecutorTest, AFailingStatementStopsTheRunAndIsReportedWithItsLine) {
  const struct {
    const char* text;
    Status status;
    const char* detail;
  } cases[] = {
      {"A=1\r\n; note\r\nB='x'-1\r\nC=1", kTypeMismatch, "Line: 2 (+ remmarks):\r\n B='x'-1"},
      {"A=1\r\nIF 'a'-1\r\nC=1\r\nENDIF", kTypeMismatch, "Line: 2 (+ remmarks):\r\nIF 'a'-1"},
      {"A=1\r\nDO_WHILE (\r\nC=1\r\nLOOP", kLoopFailure, "Line: 2 (+ remmarks):\r\nDO_WHILE ("},
      {"A=1\r\nGOSUB S\r\nC=1\r\nEND\r\n:S\r\nGOSUB S", kOutOfMemory,
       "Line: 5 (+ remmarks):\r\nGOSUB S"},
      // A function that calls itself for ever.
      {"A=1\r\nCALL F\r\nC=1\r\nEND\r\nDEF_FN F\r\nCALL F\r\nEND", kOutOfMemory, "CALL F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const VarSnapshot snapshot = VarMark();
    EXPECT_EQ(RunText(c.text), c.status);
    EXPECT_NE(Detail().find(c.detail), std::string::npos) << Detail();
    EXPECT_EQ(LatchedCode(), c.status);
    EXPECT_EQ(Eval("A*10+C"), "10");
    EXPECT_EQ(VarRelease(snapshot), kOk);
    EXPECT_EQ(StrAreaMark(), 0);
  }
}

TEST_F(ExecutorTest, TheRunnerIsThereBeforeAnyProcedureWasCompiled) {
  Write("F.PRC", "DEF_FN F\r\nR$='abc'\r\nR$\r\nEND");
  EXPECT_EQ(ProcedureCount(), 0);
  EXPECT_EQ(Eval("EXEC$('F';'F.PRC')"), "abc");
  EXPECT_EQ(ProcedureCount(), 0);
  EXPECT_EQ(SlotCount(kGroupReturnValues), 0);
}

TEST_F(ExecutorTest, ExecReturnsTheCanonicalTextOfItsOwnRunsLastValue) {
  Write("P.PRC",
        "END\r\n"
        "DEF_FN TEXT\r\nR$='abc'\r\nR$+'d'\r\nEND\r\n"
        "DEF_FN NUMBER\r\nX#=1.25\r\nX#*2\r\nEND\r\n"
        "DEF_FN BIG\r\nX#=123456.5\r\nX#\r\nEND\r\n"
        "DEF_FN ZERO\r\nX#=0\r\nX#\r\nEND\r\n"
        "DEF_FN NONE\r\nIF 1\r\nENDIF\r\nEND\r\n"
        "DEF_FN BACK\r\nX#=5\r\nRETURN\r\n"
        "DEF_FN LOOPS\r\nI=0\r\nDO_WHILE I<3\r\nI=I+1\r\nLOOP\r\nEND\r\n"
        "DEF_FN OUTER\r\nR$=EXEC$('TEXT')+'!'\r\nR$\r\nEND\r\n"
        "DEF_FN TAIL\r\n'last'\r\n");
  uint16_t number = kNothing;
  ASSERT_EQ(ProcedureCompile(StrLit("P.PRC"), &number), kOk);
  ASSERT_EQ(SlotPush(kGroupReturnValues, StrLit("another run's")), kOk);
  const struct {
    const char* call;
    const char* result;
  } cases[] = {
      {"EXEC$('TEXT')", "abcd"},
      // Numbers come back as their canonical text, never as their raw bytes.
      {"EXEC$('NUMBER')", "2.5"},
      {"EXEC$('BIG')", "123456.5"},
      {"EXEC$('ZERO')", ""},
      // A run that evaluated no expression, or ended by RETURN, pushes nothing.
      {"EXEC$('NONE')", ""},
      {"EXEC$('BACK')", ""},
      // The end of the statements ends the run as END does.
      {"EXEC$('TAIL')", "last"},
      {"EXEC$('LOOPS')", "3"},
      {"EXEC$('OUTER')", "abcd!"},
      {"EXEC$('MISSING')", "<status 147>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    EXPECT_EQ(Eval(c.call), c.result);
    ASSERT_EQ(SlotCount(kGroupReturnValues), 1);
    EXPECT_EQ(Show(SlotLast(kGroupReturnValues)), "another run's");
  }
  EXPECT_NE(Detail().find("MISSING"), std::string::npos) << Detail();
  EXPECT_EQ(ProcedureFree(number), kOk);
  ASSERT_EQ(SlotClearGroup(kGroupReturnValues), kOk);
}

TEST_F(ExecutorTest, CallBindsItsArgumentsToLocalVariables) {
  const std::string lib =
      "DEF_FN F\r\nLOCALVARS X#,Y$\r\nS$=Y$+FN$TRIM(X#)\r\nEND\r\n"
      "DEF_FN KEEP\r\nLOCALVARS K\r\nEND\r\n";
  Write("LIB.PRC", lib);
  ASSERT_EQ(RunText("A#=2.5\r\nB$='t'\r\nS$=''\r\nCALL F,LIB.PRC,1 (A#;B$)\r\nCALL KEEP,LIB.PRC,0 "
                    "(7)\r\nE$=S$"),
            kOk)
      << Detail();
  EXPECT_EQ(Eval("E$"), "t2.5");
  EXPECT_FALSE(VariableExists("X#"));
  EXPECT_FALSE(VariableExists("Y$"));
  EXPECT_EQ(Eval("K"), "7");
  EXPECT_EQ(SlotCount(kGroupArguments), 0);
  EXPECT_EQ(ProcedureCount(), 0);

  // Omitted arguments read as 0 or the empty text; the local flag is an expression.
  ASSERT_EQ(RunText("S$='x'\r\nCALL F,,1+1 (;'b')\r\nEND\r\nDEF_FN F\r\nLOCALVARS X#,Y$\r\nS$=Y$+"
                    "FN$TRIM(X#)+'|'"),
            kOk)
      << Detail();
  EXPECT_EQ(Eval("S$"), "b|");
}

TEST_F(ExecutorTest, NestedAndRecursiveCallsEachHaveTheirOwnRunState) {
  ASSERT_EQ(RunText("R=0\r\nCALL REC,,1 (2)\r\nEND\r\n"
                    "DEF_FN REC\r\nLOCALVARS N\r\nGOSUB BODY\r\nR=R+100\r\nEND\r\n"
                    ":BODY\r\nR=R+N\r\nIF N>0\r\nCALL REC,,1 (N-1)\r\nENDIF\r\nRETURN"),
            kOk)
      << Detail();
  EXPECT_EQ(Eval("R"), "303");
  // Functions calling functions through EXEC$ and CALL.
  ASSERT_EQ(RunText("T#=0\r\nCALL A,,1 (1)\r\nEND\r\n"
                    "DEF_FN A\r\nLOCALVARS V#\r\nCALL B,,1 (V#*10)\r\nT#=T#+V#\r\nEND\r\n"
                    "DEF_FN B\r\nLOCALVARS W#\r\nT#=T#+FN#VALN(EXEC$('C'))+W#\r\nEND\r\n"
                    "DEF_FN C\r\n'100'\r\nEND"),
            kOk)
      << Detail();
  EXPECT_EQ(Eval("T#"), "111");
}

TEST_F(ExecutorTest, CallArgumentsBelongToTheCallAlone) {
  // An item the caller had on the argument stack stays out of reach of LOCALVARS.
  ASSERT_EQ(SlotPush(kGroupArguments, StrLit("caller's")), kOk);
  const struct {
    const char* text;
    Status status;
    const char* detail;
  } cases[] = {
      {"CALL F (1)\r\nEND\r\nDEF_FN F\r\nLOCALVARS X,Y", kSyntaxError, "LOCALVARS"},
      {"LOCALVARS X", kSyntaxError, "LOCALVARS"},
      // Arguments the function leaves unbound.
      {"CALL F (1;2)\r\nEND\r\nDEF_FN F\r\nLOCALVARS X", kSyntaxError, "LOCALVARS"},
      // A function that fails, an argument that fails, a function that does not exist.
      {"CALL F (1;2)\r\nEND\r\nDEF_FN F\r\nZ='a'-1", kTypeMismatch, "Z='a'-1"},
      {"CALL F (1;'a'-1)\r\nEND\r\nDEF_FN F\r\nLOCALVARS X,Y", kTypeMismatch, "'a'-1"},
      {"CALL G (1)\r\nEND\r\nDEF_FN F\r\nLOCALVARS X", kSyntaxError, "G"},
      {"CALL F,NONE.PRC (1)", kFileNotFound, "NONE.PRC"},
      {"CALL F 1\r\nEND\r\nDEF_FN F\r\nLOCALVARS X", kSyntaxError, "F 1"},
      // Only variable names take arguments.
      {"CALL F (1)\r\nEND\r\nDEF_FN F\r\nLOCALVARS A(", kTypeMismatch, "A("},
      {"CALL F ('a')\r\nEND\r\nDEF_FN F\r\nLOCALVARS N#", kTypeMismatch, "N#"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RunText(c.text), c.status);
    EXPECT_NE(Detail().find(c.detail), std::string::npos) << Detail();
    ASSERT_EQ(SlotCount(kGroupArguments), 1);
    EXPECT_EQ(Show(SlotLast(kGroupArguments)), "caller's");
    EXPECT_EQ(ProcedureCount(), 0);
  }
  ASSERT_EQ(SlotClearGroup(kGroupArguments), kOk);
}

TEST_F(ExecutorTest, TheTraceLogHasOneLinePerStatementRun) {
  const std::string text = "A=1\r\nIF A\r\n; note\r\nB=2\r\nENDIF\r\nMESSAGE 'hi'";
  ASSERT_EQ(RunText(text), kOk);
  EXPECT_FALSE(dir_.Has("PrcLog.txt"));
  SysWordSet(kSysTrace, kTraceProcedures | 1);
  ASSERT_EQ(RunText(text), kOk);
  EXPECT_EQ(dir_.Read("PrcLog.txt"),
            "1\t A=1\r\n2\tIF A\r\n3\t B=2\r\n4\tENDIF \r\n5\tMESSAGE 'hi'\r\n");
  // A jump back traces the statements again.
  std::filesystem::remove(dir_.path() / "PrcLog.txt");
  ASSERT_EQ(RunText("I=0\r\nDO\r\nI=I+1\r\nLOOP_UNTIL I>1"), kOk);
  EXPECT_EQ(dir_.Read("PrcLog.txt"),
            "1\t I=0\r\n2\tDO \r\n3\t I=I+1\r\n4\tLOOP_UNTIL I>1\r\n2\tDO \r\n3\t "
            "I=I+1\r\n4\tLOOP_UNTIL I>1\r\n");
  SysWordSet(kSysTrace, 1);
}

// Cancels once the pump has been called `g_cancel_after` times.
int g_pumped = 0;
int g_cancel_after = 0;
Status CancellingPump() { return ++g_pumped >= g_cancel_after ? kUserCanceled : kOk; }

TEST_F(ExecutorTest, ACancelBeforeAStatementStopsALongLoop) {
  g_pumped = 0;
  g_cancel_after = 50;
  SetEventPump(CancellingPump);
  EXPECT_EQ(RunText("N#=0\r\nDO_WHILE 1\r\nN#=N#+1\r\nLOOP"), kUserCanceled);
  // One pump before each statement, and one more for the window work left after the run.
  EXPECT_EQ(g_pumped, 51);
  // Statements 2 to 4 run 16 times before the 50th pump.
  EXPECT_EQ(Eval("N#"), "16");
  EXPECT_EQ(LatchedCode(), 0);
}

// Output devices and windows a test pretends the run opened.
uint16_t g_devices = 0;
uint16_t g_windows = 0;
uint16_t Devices() { return g_devices; }
Status CloseDevice() {
  --g_devices;
  return kOk;
}
uint16_t Windows() { return g_windows; }
Status CloseWindow() {
  --g_windows;
  return kOk;
}
// OPEN: one more device and window; the first argument failing makes the command fail.
Status OpenThings(const CommandArgs& args) {
  ++g_devices;
  ++g_windows;
  return static_cast<uint16_t>(args.Integer(1));
}

TEST_F(ExecutorTest, AWholeRunClosesWhatItOpenedWhateverItsStatus) {
  g_devices = 1;
  g_windows = 2;
  SetRunResource(RunResourceKind::kDevices, {Devices, CloseDevice});
  SetRunResource(RunResourceKind::kWindows, {Windows, CloseWindow});
  CommandOperationSet(kKwDevice, OpenThings);
  const struct {
    const char* text;
    Status status;
  } cases[] = {
      {"DEVICE\r\nDEVICE\r\nA=1", kOk},
      {"DEVICE\r\nA='x'-1", kTypeMismatch},
      {"DEVICE\r\nDEVICE 141", kInternalError},
      {"DEVICE\r\nCALL F (1)\r\nEND\r\nDEF_FN F\r\nDEVICE", kSyntaxError},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(RunText(c.text), c.status);
    EXPECT_EQ(g_devices, 1);
    EXPECT_EQ(g_windows, 2);
  }
  // Run by function name, a procedure leaves open what it opened.
  Write("F.PRC", "DEF_FN F\r\nDEVICE\r\nEND");
  EXPECT_EQ(ProcedureRun(StrLit("F"), StrLit("F.PRC"), 0), kOk);
  EXPECT_EQ(g_devices, 2);
  EXPECT_EQ(g_windows, 3);
}

// PRINT frees the oldest compiled procedure and answers how that went.
Status FreeOldest(const CommandArgs&) { return ProcedureFree(0); }

TEST_F(ExecutorTest, AProcedureThatIsRunningCannotBeFreed) {
  CommandOperationSet(kKwPrint, FreeOldest);
  EXPECT_EQ(RunText("A=1\r\nPRINT\r\nA=2"), kInternalError);
  EXPECT_EQ(Eval("A"), "1");
  EXPECT_EQ(ProcedureCount(), 0);
}

// A data-file seam whose file sets are the stack of group 33.
class FileSets final : public DataFileFunctions {
 public:
  Status Find(StrRef, uint16_t, uint16_t, uint16_t) override { return kOk; }
  Status Relation(uint16_t, uint16_t, uint16_t, uint16_t, StrRef) override { return kOk; }
  Status Locate(StrRef, uint16_t) override { return kOk; }
  StrRef KeyText(uint16_t, uint16_t, uint16_t, uint16_t) override { return StrLit(""); }
  Status LastStatus(uint16_t, uint16_t* status) override {
    *status = 0;
    return kOk;
  }
  Status RecordCount(StrRef, uint64_t* count) override {
    *count = 0;
    return kNothing;
  }
  Status OpenFileSet(StrRef list) override {
    if (list.view() == "RESTORE") return SlotPop(kGroupOpenFileSets);
    return SlotPush(kGroupOpenFileSets, list);
  }
  StrRef FieldRaw(StrRef, uint16_t) override { return StrLit(""); }
};

TEST_F(ExecutorTest, AWholeRunRestoresTheFileSetsItSelected) {
  FileSets sets;
  SetDataFileFunctions(&sets);
  ASSERT_EQ(SlotPush(kGroupOpenFileSets, StrLit("BEFORE")), kOk);
  EXPECT_EQ(RunText("FILESELECT 'A,B'\r\nX=FILESEL('C')\r\nFILESELECT 'DE'\r\nY='x'-1"),
            kTypeMismatch)
      << Detail();
  ASSERT_EQ(SlotCount(kGroupOpenFileSets), 1);
  EXPECT_EQ(Show(SlotLast(kGroupOpenFileSets)), "BEFORE");
  ASSERT_EQ(SlotClearGroup(kGroupOpenFileSets), kOk);
}

TEST_F(ExecutorTest, RunTimeStructuresGoWithTheWholeRunThatDefinedThem) {
  ASSERT_EQ(DefineStructure(StrLit("BEFORE"), StrLit("K;4;A"), StrLit("<0001004>")), kOk);
  const std::string define = "FILESTRUCT 'WORK','CODE;6;A,AMOUNT;10;2','<0001006>'\r\n";
  ASSERT_EQ(RunText(define + "FILESTRUCT 'TMP','X;1;A'\r\nF=_CURFIL"), kOk) << Detail();
  EXPECT_EQ(Eval("F"), "3");
  EXPECT_EQ(FileCount(), 1);
  EXPECT_EQ(StructureDepth(), 1);
  // A failing run too, and a structure undone by the procedure itself.
  EXPECT_EQ(RunText(define + "FILESTRUCT 'RESTORE'\r\n" + define + "A='x'-1"), kTypeMismatch);
  EXPECT_EQ(FileCount(), 1);
  EXPECT_EQ(RunText("FILESTRUCT 'BAD','X;0;A'"), kBadInputData);
  EXPECT_EQ(FileCount(), 1);
  // Run by function name, the structure stays.
  Write("F.PRC", "DEF_FN F\r\n" + define + "END");
  EXPECT_EQ(ProcedureRun(StrLit("F"), StrLit("F.PRC"), 0), kOk);
  EXPECT_EQ(FileCount(), 2);
  EXPECT_EQ(StructureDepth(), 2);
}

}  // namespace
}  // namespace engine
