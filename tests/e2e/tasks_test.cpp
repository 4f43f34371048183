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
  app.Write("script.txt", "ExpEval A=1\r\n\r\nNoSuchTask\r\nExpEval B=1\r\n");
  const ProgramResult r = app.Run(kLedger, {"/INPUT:script.txt", "/RUN:'ExpEval C=1'"});
  EXPECT_EQ(r.exit_code, 163);
  EXPECT_EQ(Occurrences(r.err, "Process not defined"), 1u) << r.err;
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
