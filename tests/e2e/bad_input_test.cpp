// Bad input: a missing dictionary, a configuration file that cannot be read, a quote that is
// never closed, expressions nested too deep, a script line too long. Each ends with a clear
// message on standard error and a non-zero exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace orvendal::e2e {
namespace {

TEST(BadInputTest, AMissingDictionaryIsNamedWithTheFoldersSearched) {
  AppFolder app("ledger");
  app.RemoveApp("CODICC.DAT");
  const ProgramResult r = app.Run(kLedger, {"/RUN:'ExpEval A=1'"});
  EXPECT_EQ(r.exit_code, 164);
  EXPECT_NE(r.err.find("Fatal Error Ocurred: Error File Not Found(DataFile): ["), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("]CODICC.DAT"), std::string::npos) << r.err;
  EXPECT_FALSE(app.Has("COFSTAT.DAT"));
}

TEST(BadInputTest, AMalformedDictionaryNamesItsBadLine) {
  const struct {
    const char* dictionary;
    const char* shown;
  } cases[] = {
      {"01*  *00ACCOUNTS\r\n01       010 ACODE\r\n31<00x1010>\r\n", "31<00x1010>"},
      {"01*  *00ACCOUNTS\r\n01       0x0 ACODE\r\n", "0x0 ACODE"},
      {"31<0001010>\r\n", "31<0001010>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.dictionary);
    AppFolder app("ledger");
    app.WriteApp("CODICC.DAT", c.dictionary);
    const ProgramResult r = app.Run(kLedger, {"/RUN:'ExpEval A=1'"});
    EXPECT_GE(r.exit_code, 128);
    EXPECT_EQ(r.signal, 0);
    EXPECT_NE(r.err.find("Fatal Error Ocurred"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.shown), std::string::npos) << r.err;
    EXPECT_FALSE(app.Has("COFSTAT.DAT"));
  }
}

TEST(BadInputTest, AConfigurationFileThatCannotBeReadIsNamed) {
  AppFolder app("ledger");
  app.RemoveApp("COCLCFIX.DAT");
  std::filesystem::create_directory(app.apps() + "/COCLCFIX.DAT");
  const ProgramResult r = app.Run(kLedger, {"/RUN:'ExpEval A=1'"});
  EXPECT_GE(r.exit_code, 128);
  EXPECT_NE(r.err.find("COCLCFIX.DAT"), std::string::npos) << r.err;
  EXPECT_FALSE(app.Has("COFSTAT.DAT"));
}

TEST(BadInputTest, AnOptionWithABrokenQuoteIsABadCommandLine) {
  AppFolder app("ledger");
  const ProgramResult r = app.Run(kLedger, {"/APNAME:'xyz", "/RUN:'ExpEval A=1'"});
  EXPECT_EQ(r.exit_code, 158);
  EXPECT_NE(r.err.find("BADCOMMANDLINE"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("/APNAME:'xyz /RUN:'ExpEval A=1'"), std::string::npos) << r.err;
}

TEST(BadInputTest, AnInputScriptThatDoesNotExistIsNamed) {
  AppFolder app("ledger");
  const ProgramResult r = app.Run(kLedger, {"/INPUT:missing.txt"});
  EXPECT_EQ(r.exit_code, 164);
  EXPECT_NE(r.err.find("MISSING.TXT"), std::string::npos) << r.err;
  EXPECT_EQ(app.Read("COFSTAT.DAT"), "0");
}

TEST(BadInputTest, InputTooDeepOrTooLongEndsWithAStatusAndTheRunStateClean) {
  std::string nested;
  for (int i = 0; i < 3000; ++i) nested += "FN$TRIM(";
  nested += "1" + std::string(3000, ')');
  std::string long_line = "ExpEval WRITE(\"first.txt\";-3;1)";
  for (int i = 0; i < 16400; ++i) long_line += ";B=2";
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string script;
    int exit_code;
    const char* shown;
  } cases[] = {
      {"nested calls", {"/RUN:'ExpEval X=" + nested + "'"}, "", 145, "OUTOFMEMORY"},
      {"nested parentheses",
       {"/RUN:'ExpEval X=" + std::string(3000, '(') + "1" + std::string(3000, ')') + "'"},
       "",
       145,
       "OUTOFMEMORY"},
      {"a script line too long",
       {"/INPUT:script.txt"},
       long_line + "\r\n",
       146,
       "SCRIPT.TXT, line 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    AppFolder app("ledger");
    if (!c.script.empty()) app.Write("script.txt", c.script);
    const ProgramResult r = app.Run(kLedger, c.args);
    EXPECT_EQ(r.exit_code, c.exit_code) << r.err.substr(0, 400);
    EXPECT_EQ(r.signal, 0);
    EXPECT_NE(r.err.find(c.shown), std::string::npos) << r.err.substr(0, 400);
    EXPECT_FALSE(app.Has("first.txt"));
    EXPECT_EQ(app.Read("COFSTAT.DAT"), "0");
  }
}

}  // namespace
}  // namespace orvendal::e2e
