// Task lines from the command line: the RUN option, an INPUT script, unknown tasks, and tasks
// whose subsystem the engine does not hold.
#include <gtest/gtest.h>

#include "e2e_support.h"

namespace orvendal::e2e {
namespace {

TEST(TasksTest, ARunTaskLineThatSucceedsEndsWithZeroAndSaysNothing) {
  AppFolder app("ledger");
  const ProgramResult r = app.Run(kLedger, {"/RUN:'ExpEval A=1;B=A+1'"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(app.Read("COFSTAT.DAT"), "0");
}

TEST(TasksTest, ARunTaskLineLeavesTheFileItWrites) {
  const struct {
    const std::string* program;
    const char* fixture;
  } cases[] = {{&kLedger, "ledger"}, {&kBilling, "billing"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    AppFolder app(c.fixture);
    const ProgramResult r =
        app.Run(*c.program, {"/RUN:'ExpEval WRITE('out.txt';-3;FN$TRIM(2+3*4))'"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(app.Read("out.txt"), "14");
  }
}

TEST(TasksTest, AnInputScriptRunsItsLinesInOrderBeforeTheRunOption) {
  AppFolder app("ledger");
  app.Write("script.txt",
            "ExpEval WRITE('a.txt';-3;'first')\r\n"
            "ExpEval N=6*7\r\n"
            "ExpEval,WRITE('b.txt';-3;FN$TRIM(N))\n");
  const ProgramResult r =
      app.Run(kLedger, {"/INPUT:script.txt", "/RUN:'ExpEval WRITE('c.txt';-3;FN$TRIM(N+1))'"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("a.txt"), "first");
  EXPECT_EQ(app.Read("b.txt"), "42");
  EXPECT_EQ(app.Read("c.txt"), "43");
}

TEST(TasksTest, AnUnknownTaskEndsWith163AndMessage0031) {
  const struct {
    const std::string* program;
    const char* fixture;
  } cases[] = {{&kLedger, "ledger"}, {&kBilling, "billing"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    AppFolder app(c.fixture);
    const ProgramResult r = app.Run(*c.program, {"/RUN:'NoSuchTask X'"});
    EXPECT_EQ(r.exit_code, 163);
    EXPECT_NE(r.err.find("Fatal Error Ocurred: Error BADINPUTDATA: Process not defined"),
              std::string::npos)
        << r.err;
  }
}

TEST(TasksTest, AFailingExpressionIsTheExitStatus) {
  AppFolder app("ledger");
  const ProgramResult r = app.Run(kLedger, {"/RUN:'ExpEval A=('"});
  EXPECT_GE(r.exit_code, 128);
  EXPECT_NE(r.err.find("Fatal Error Ocurred"), std::string::npos) << r.err;
  // The run still ends normally as far as the run state goes.
  EXPECT_EQ(app.Read("COFSTAT.DAT"), "0");
}

TEST(TasksTest, TheInputScriptRunsUntilALineFails) {
  AppFolder app("ledger");
  app.Write("script.txt",
            "ExpEval WRITE('a.txt';-3;'a')\r\n\r\nNoSuchTask\r\n"
            "ExpEval WRITE('b.txt';-3;'b')\r\n");
  const ProgramResult r =
      app.Run(kLedger, {"/INPUT:script.txt", "/RUN:'ExpEval WRITE('c.txt';-3;'c')'"});
  EXPECT_EQ(r.exit_code, 163);
  EXPECT_EQ(Occurrences(r.err, "Process not defined"), 1u) << r.err;
  EXPECT_TRUE(app.Has("a.txt"));
  EXPECT_FALSE(app.Has("b.txt"));
  EXPECT_FALSE(app.Has("c.txt"));
}

TEST(TasksTest, LedgerAcceptsLnManMainAndBillingOpensItsDocumentWindow) {
  AppFolder ledger("ledger");
  ProgramResult r = ledger.Run(kLedger, {"/RUN:'LnManMain INVOICES'"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  AppFolder billing("billing");
  r = billing.Run(kBilling, {"/RUN:'LnManMain INVOICES'"});
  EXPECT_EQ(r.exit_code, 148);
  EXPECT_NE(r.err.find("LnManMain"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace orvendal::e2e
