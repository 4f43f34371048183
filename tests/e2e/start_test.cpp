// Starting the programs: option spellings, the DPATH folder, expansion of configuration file
// names, the required configuration file, the start-up trace, and the run of the main window
// in a batch run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "e2e_support.h"

namespace orvendal::e2e {
namespace {

TEST(StartTest, TheApplicationNameOptionWorksInEverySpelling) {
  const struct {
    const char* option;
    const char* name;
    const char* run_state;
  } cases[] = {
      {"--APNAME:XYZ", "XYZ", "XYFSTAT.DAT"},
      {"-apname:xyz", "XYZ", "XYFSTAT.DAT"},
      {"/APNAME:'xyz'", "xyz", "xyFSTAT.DAT"},
      {"APNAME=xyz", "XYZ", "XYFSTAT.DAT"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    AppFolder app("ledger");
    const ProgramResult r =
        app.Run(kLedger, {c.option, "/RUN:'ExpEval WRITE('name.txt';-3;_$(0;2))'"});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(app.Read("name.txt"), c.name);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(app.work()) / c.run_state));
    EXPECT_FALSE(app.Has("COFSTAT.DAT"));
    // The file holds "0": the run ended normally.
    EXPECT_EQ(app.Read(c.run_state), "0");
  }
}

TEST(StartTest, HelpAndVersionAnswerWithoutStartingTheProgram) {
  const struct {
    const std::string* program;
    const char* option;
    const char* output;
  } cases[] = {
      {&kLedger, "--help", "Usage: ledger [/NAME:value ...]\nAccounts:"},
      {&kBilling, "--help", "Usage: billing [/NAME:value ...]\n"},
      {&kLedger, "--version", "ledger (Orvendal) "},
      {&kBilling, "--version", "billing (Orvendal) "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(*c.program) + " " + c.option);
    AppFolder app("ledger");
    const ProgramResult r = app.Run(*c.program, {"/RUN:'ExpEval WRITE('ran.txt';-3;1)'", c.option});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(r.out.rfind(c.output, 0), 0u) << r.out;
    EXPECT_FALSE(app.Has("ran.txt"));
    EXPECT_FALSE(app.Has("COFSTAT.DAT"));
  }
}

TEST(StartTest, AnUnquotedDPathStopsAtTheColonAndAQuotedOneIsWhole) {
  AppFolder app("");
  std::filesystem::create_directory(app.work() + "/C");
  std::filesystem::copy(kFixtures / "ledger", app.work() + "/C");
  // The value "C" names the folder C inside the current one.
  ProgramResult r = app.Run(kLedger, {"/DPATH:C:\\APPS", "/RUN:'ExpEval A=1'"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  // "C:\APPS" is the folder /APPS here, which holds no dictionary.
  r = app.Run(kLedger, {"/DPATH:'C:\\APPS'", "/RUN:'ExpEval A=1'"});
  EXPECT_EQ(r.exit_code, 164);
  EXPECT_NE(r.err.find("[C:\\APPS]CODICC.DAT"), std::string::npos) << r.err;
}

TEST(StartTest, ConfigurationFileNamesExpandTheDataFolderAndThePrefix) {
  AppFolder app("ledger");
  // %APPPATH_DATA%\%APNAME%PARINI.DAT is ..\data\COPARINI.DAT: a statement in it that fails
  // names the file it came from.
  std::filesystem::path data = std::filesystem::path(app.root()) / "data";
  std::ofstream(data / "COPARINI.DAT") << "BROKEN=(\r\n";
  const ProgramResult r = app.Run(kLedger, {"/RUN:'ExpEval A=1'"});
  EXPECT_GE(r.exit_code, 128);
  EXPECT_NE(r.err.find("data\\COPARINI.DAT"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find(app.root()), std::string::npos) << r.err;
}

TEST(StartTest, FileNamesExpandPathAndEnvironmentVariablesOncePerVariable) {
  AppFolder app("ledger");
  const std::filesystem::path data = std::filesystem::path(app.root()) / "data";
  std::ofstream(data / "big.dat") << std::string(1234, 'x');
  app.Write("small.dat", "12345");
  const ProgramResult r =
      app.Run(kLedger,
              {"/RUN:'ExpEval WRITE('len.txt';-3;FN$TRIM(FN#FLEN('%APPPATH_DATA%\\big.dat')+"
               "FN#FLEN('%temp%\\big.dat')+FN#FLEN('%NOSUCHNAME%small.dat')))'"},
              {{"TMPDIR", data.string()}, {"TEMP", ""}});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("len.txt"), "2473");
  // A variable whose value holds its own name is expanded once, and the run ends.
  const ProgramResult self =
      app.Run(kLedger, {"/RUN:'ExpEval L=FN#FLEN('%TEMP%\\x');WRITE('done.txt';-3;'done')'"},
              {{"TEMP", "%TEMP%%TEMP%"}});
  EXPECT_FALSE(self.timed_out);
  EXPECT_EQ(self.exit_code, 0) << self.err;
  EXPECT_EQ(app.Read("done.txt"), "done");
}

TEST(StartTest, AMissingRequiredConfigurationFileEndsWith164NamingIt) {
  const struct {
    const std::string* program;
    const char* fixture;
    const char* file;
  } cases[] = {{&kLedger, "ledger", "COCLCFIX.DAT"}, {&kBilling, "billing", "GACLCFIX.DAT"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    AppFolder app(c.fixture);
    app.RemoveApp(c.file);
    const ProgramResult r = app.Run(*c.program, {"/RUN:'ExpEval A=1'"});
    EXPECT_EQ(r.exit_code, 164);
    EXPECT_NE(r.err.find(std::string("Error File Not Found: ") + c.file), std::string::npos)
        << r.err;
  }
}

TEST(StartTest, TheStartUpTraceWritesLogTxtAndEndsWith121WithoutAWindow) {
  AppFolder app("ledger");
  app.Write("log.txt", "left from before\r\n");
  const ProgramResult r = app.Run(kLedger, {"/TRACE:272"});
  EXPECT_EQ(r.exit_code, 121);
  EXPECT_EQ(app.Read("log.txt"), "0,EN\r\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(app.Has("COFSTAT.DAT"));
}

TEST(StartTest, WithoutRunOptionTheMainWindowClosesAfterTheQuestionInABatchRun) {
  const struct {
    const std::string* program;
    const char* fixture;
    const char* run_state;
  } cases[] = {{&kLedger, "ledger", "COFSTAT.DAT"}, {&kBilling, "billing", "GAFSTAT.DAT"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fixture);
    AppFolder app(c.fixture);
    const ProgramResult r = app.Run(*c.program, {});
    EXPECT_EQ(r.exit_code, 0) << r.err;
    EXPECT_EQ(Occurrences(r.err, "Do you want to Close Program?"), 1u) << r.err;
    EXPECT_NE(r.err.find("[Yes]"), std::string::npos);
    EXPECT_EQ(app.Read(c.run_state), "0");
  }
}

}  // namespace
}  // namespace orvendal::e2e
