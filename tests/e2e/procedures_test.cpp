// Procedures run through the real program, by a PrcExec task line or by EXEC$ in an expression,
// and checked by the files they write: blocks and loops, subroutines, calls with local arguments,
// nested functions, the trace log, failures reported with their line, child processes, and the
// cancel of a long loop from its progress window.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e_support.h"

namespace orvendal::e2e {
namespace {

// The ledger fixture application with the procedures of fixtures/procedures beside its
// definitions.
class ProcedureApp : public AppFolder {
 public:
  ProcedureApp() : AppFolder("ledger") {
    std::filesystem::copy(kFixtures / "procedures", apps(),
                          std::filesystem::copy_options::recursive);
  }
  ProgramResult RunTask(const std::string& task, std::vector<std::string> more = {}) const {
    more.push_back("/RUN:'" + task + "'");
    return Run(kLedger, more);
  }
};

TEST(ProceduresTest, BlocksLoopsJumpsAndSubroutines) {
  ProcedureApp app;
  const ProgramResult r = app.RunTask("PrcExec CONTROL.PRC");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("control.txt"),
            "do_while=3;loop_until=4;loop_while=5;do_until=2;goto=6;else=taken;if_false=taken;"
            "gosub=22;");
}

TEST(ProceduresTest, CallsWithLocalArgumentsAndNestedFunctions) {
  ProcedureApp app;
  const ProgramResult r = app.RunTask("PrcExec CALLS.PRC");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  // The arguments' local variables are gone after each call; a zero is the empty text.
  EXPECT_EQ(app.Read("calls.txt"), "ab<3<2<1<>>>>|6.5||xx");
}

TEST(ProceduresTest, ExecRunsAFunctionOfAProcedureFromAnExpression) {
  ProcedureApp app;
  const ProgramResult r =
      app.RunTask("ExpEval X=WRITE(\"exec.txt\";-3;EXEC$(\"TWICE\";\"CALLS.PRC\")+\"!\")");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("exec.txt"), "xx!");
}

TEST(ProceduresTest, TheTraceLogHasALinePerStatementWithTraceBit8) {
  ProcedureApp app;
  ProgramResult r = app.RunTask("PrcExec TRACED.PRC");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_FALSE(app.Has("PrcLog.txt"));
  r = app.RunTask("PrcExec TRACED.PRC", {"/TRACE:8"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("PrcLog.txt"), "1\t A=1\r\n2\tIF A\r\n3\t B=2\r\n4\tENDIF \r\n");
}

TEST(ProceduresTest, FailuresEndTheRunAndNameWhereTheyHappened) {
  const struct {
    const char* task;
    int exit_code;
    const char* message;
  } cases[] = {
      {"PrcExec BAD.PRC", 147, "Label 'NOWHERE' in line 2 (+ remmarks) not found"},
      {"PrcExec MISSING.PRC", 164, "File Not Found(EXEC_COMPILER): MISSING.PRC"},
      {"PrcExec FAILS.PRC", 128, "Line: 2 (+ remmarks):"},
      {"PrcExec RECURSE.PRC", 145, "CALL F"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.task);
    ProcedureApp app;
    const ProgramResult r = app.RunTask(c.task);
    EXPECT_EQ(r.exit_code, c.exit_code);
    EXPECT_NE(r.err.find("Fatal Error Ocurred"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_FALSE(app.Has("after.txt"));
    // The run state still says the program ended normally.
    EXPECT_EQ(app.Read("COFSTAT.DAT"), "0");
  }
}

TEST(ProceduresTest, AStructureFileGivesARunTimeFileThatKeepsItsRecords) {
  ProcedureApp app;
  ProgramResult r = app.RunTask("PrcExec STRUCT.PRC");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("stock.txt"), "2:A2  ");
  r = app.RunTask("PrcExec STRUCT.PRC");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("stock.txt"), "4:A2  ");
  // A structure file that is not there ends the run with its name.
  app.Write("NOSTRUCT.PRC", "LOADSTRUCT 'NOWHERE'\r\n");
  r = app.RunTask("PrcExec NOSTRUCT.PRC");
  EXPECT_EQ(r.exit_code, 164);
  EXPECT_NE(r.err.find("NOWHERE.DAT"), std::string::npos) << r.err;
}

TEST(ProceduresTest, SystemRunsAChildAndKeepsItsExitStatus) {
  ProcedureApp app;
  const ProgramResult r = app.RunTask("PrcExec SYSTEM.PRC");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("system.txt"), "7,");
  EXPECT_EQ(app.Read("child.txt"), "ok");
  // The child's output is captured, not mixed into the program's.
  EXPECT_EQ(r.out.find("hidden"), std::string::npos) << r.out;
  EXPECT_EQ(r.err.find("hidden"), std::string::npos) << r.err;
}

TEST(ProceduresTest, TheProgressWindowCancelsALongLoop) {
  ProcedureApp app;
  app.Write("keys.txt", "Esc\n");
  const ProgramResult r =
      app.Run(kLedger, {"/RUN:'PrcExec PROGRESS.PRC'"}, {{"ORVENDAL_KEYS", "keys.txt"}});
  // A cancel is no error: the program ends normally and says why the run stopped.
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_NE(r.err.find("User Canceled"), std::string::npos) << r.err;
  EXPECT_EQ(app.Read("count.txt"), "1");
  EXPECT_FALSE(app.Has("done.txt"));
  EXPECT_EQ(app.Read("COFSTAT.DAT"), "0");
}

}  // namespace
}  // namespace orvendal::e2e
