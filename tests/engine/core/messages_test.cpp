// Error and site names, the built-in catalogue, message codes and inline defaults, status and
// report texts, the language file (replacement, gaps, range and size limits) and LANGVARS.
#include "engine/core/messages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "support/core_fixture.h"
#include "support/temp_folder.h"

namespace engine {
namespace {

using testing::Show;

StrRef S(std::string_view text) { return StrView(text); }

class MessagesTest : public testing::CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    LanguageReset();
    SetAppCatalogue(StrLit(""));
    SetLangVarsEvaluator(nullptr);
  }
  void TearDown() override {
    LanguageReset();
    SetAppCatalogue(StrLit(""));
    SetLangVarsEvaluator(nullptr);
    CoreFixture::TearDown();
  }
  void SetLanguage(std::string_view code) {
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvLanguage, S(code)), kOk);
  }
  std::string Msg(std::string_view code_text) { return Show(Message(S(code_text))); }

  testing::TempFolder dir_{true};
};

TEST_F(MessagesTest, ErrorNamesFollowTheirCodes) {
  const struct {
    uint16_t code;
    const char* name;
  } cases[] = {
      {kUserCanceled, "User Canceled"},
      {kOutOfData, "Out of Data"},
      {kTypeMismatch, "Type Mismatch"},
      {kOutOfMemory, "OUTOFMEMORY"},
      {kStringTooLong, "STRINGTOOLONG"},
      {kFileNotFound, "File Not Found"},
      {kSystemCmdError, "SYSTEMCMDERROR"},
      {kPermissionDenied, "Permission Denied"},
      {kVariableScreenField, "Variable ScreenField"},
      {kDataAlreadyExist, "Data Already exist"},
      {kGraphicSupportLow, "Graphic Support Low"},
      {kDetailOnly, "Undefined"},
      {0, "Undefined"},
      {50, "Undefined"},
      {174, "Undefined"},
      {182, "Undefined"},
      {186, "Undefined"},
      {300, "Undefined"},
      {kNothing, "Undefined"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(Show(ErrorName(c.code)), c.name);
  }
  // Every code from 122 to 185 has a name, except the two the engine never gave one.
  for (uint16_t code = kUserCanceled; code <= kGraphicSupportLow; ++code) {
    SCOPED_TRACE(code);
    EXPECT_EQ(Show(ErrorName(code)) == "Undefined", code == 174 || code == 182);
  }
}

TEST_F(MessagesTest, SiteNamesFollowTheirNumbers) {
  EXPECT_EQ(Show(SiteName(kSiteStringInit)), "STRINGINIT");
  EXPECT_EQ(Show(SiteName(kSiteMallocAcums)), "Malloc-MemAcums");
  EXPECT_EQ(Show(SiteName(kSiteFormatStrings)), "FormatStrings");
  EXPECT_EQ(Show(SiteName(kSiteStreams)), "Streams");
  EXPECT_EQ(Show(SiteName(kSiteHtmlScan)), "HtmlScan");
  EXPECT_EQ(Show(SiteName(0)), "");
  EXPECT_EQ(Show(SiteName(23)), "");
}

TEST_F(MessagesTest, TheBuiltInCatalogueHoldsTheEngineTextsAsWritten) {
  const struct {
    uint16_t code;
    std::string_view text;
  } cases[] = {
      {1, "Unable to initialize String area"},
      {5, "Process Completed Succesfully"},
      {8, "Warning "},
      {11, "Yy,Nn"},
      {13, "Fatal Error Ocurred"},
      {17, "Bad params for screen field %s\r\n (%s)"},
      {19, ".,'0123456789.-D',' NY','  ,NO,YES'"},
      {33,
       "Remember your Safety Copies\n\r\xBF"
       "Do you want to Close Program? (%i Screens, %i Windows)"},
      {39, "Continue?"},
      {40, "View Log?"},
      {89, "Relative,Secuential,Delimited,List"},
      {90, "Database access"},
      {110, "'Reports','\tCreate New,[$]','\tReports,[$]%APNAME%report.ppn'"},
      {120, "'Help','\tHelp,Help','\tAbout,Help About'"},
      {121, "Only Server Side Copy was done"},
      {130, "Exit,Print,Save"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(Show(Message(c.code)), c.text);
  }
  const std::string transactions = Show(Message(111));
  EXPECT_EQ(transactions.substr(0, 31), "'Transactions','\tExport','\t\tRel");
  EXPECT_EQ(transactions.substr(transactions.size() - 18), "Predefinined,[$]0'");

  // Exactly the codes of the catalogue have texts.
  auto listed = [](uint16_t code) {
    return (code >= 1 && code <= 68) || (code >= 70 && code <= 75) || code == 77 ||
           (code >= 80 && code <= 101) || (code >= 110 && code <= 121) || code == 130;
  };
  for (uint16_t code = 1; code <= 1100; ++code) {
    SCOPED_TRACE(code);
    StrAreaScope scope;
    const StrRef text = Message(code);
    ASSERT_FALSE(text.IsStatus());
    EXPECT_EQ(!text.empty(), listed(code));
  }
}

TEST_F(MessagesTest, OnlyFourDecimalDigitsMakeAMessageCode) {
  const struct {
    std::string_view text;
    bool code;
    std::string_view message;
  } cases[] = {
      {"0031", true, "Process not defined"},
      {"0031 Own default", true, "Own default"},
      {"0031:Own default", true, "Own default"},
      {"0069", true, ""},
      {"0069 Default", true, "Default"},
      {"12.5", false, "12.5"},
      {" 100", false, " 100"},
      {"00312", false, "00312"},
      {"0031abc", false, "0031abc"},
      {"0000", false, "0000"},
      {"003", false, "003"},
      {"Total", false, "Total"},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(IsMessageCode(S(c.text)), c.code);
    EXPECT_EQ(Msg(c.text), c.message);
  }
  EXPECT_EQ(StrCheck(Message(StrError(kOutOfMemory))), kOutOfMemory);
}

TEST_F(MessagesTest, TheApplicationRegistersItsOwnBlock) {
  EXPECT_EQ(Msg("1001"), "");
  SetAppCatalogue(StrLit("1001 Delete Full Entry?\t1002 'a\tb' quoted\t1010 Last,One"));
  EXPECT_EQ(Msg("1001"), "Delete Full Entry?");
  EXPECT_EQ(Msg("1002"), "'a\tb' quoted");
  EXPECT_EQ(Msg("1010"), "Last,One");
  EXPECT_EQ(Msg("1003"), "");
  EXPECT_EQ(Msg("0999"), "");
}

TEST_F(MessagesTest, StatusAndReportTexts) {
  EXPECT_EQ(Show(StatusText(kOk)), "Process Completed Succesfully");
  EXPECT_EQ(Show(StatusText(50)), "Warning ");
  EXPECT_EQ(Show(StatusText(kDetailOnly)), "Undefined");
  EXPECT_EQ(Show(StatusText(kOutOfMemory)), "OUTOFMEMORY");
  EXPECT_EQ(Show(ErrorReportText(kUserCanceled)), "User Canceled");
  EXPECT_EQ(Show(ErrorReportText(kOutOfMemory)), "Error OUTOFMEMORY");

  (void)ReportStatus(kDetailOnly, StrLit("Only the detail"));
  EXPECT_EQ(Show(StatusText(kDetailOnly)), "Only the detail");
  EXPECT_EQ(Show(StatusText(kBadUserData)), "Only the detail");
  DetailClear();

  // A failed format latches 146 at FormatStrings.
  EXPECT_EQ(StrCheck(StrFormat(3, StrLit("%s"), {StrLit("toolong")})), kStringTooLong);
  EXPECT_EQ(Show(ErrorReportText(kStringTooLong)), "Error STRINGTOOLONG(FormatStrings)");
  (void)ReportStatus(kStringTooLong, StrLit("A.DAT"));
  EXPECT_EQ(Show(ErrorReportText(kStringTooLong)), "Error STRINGTOOLONG(FormatStrings): A.DAT");
  // 0xFFFF stands for the latched code.
  EXPECT_EQ(Show(StatusText(kNothing)), "STRINGTOOLONG");
  EXPECT_EQ(Show(ErrorReportText(kNothing)), "Error STRINGTOOLONG(FormatStrings): A.DAT");
  LatchClear();
  EXPECT_EQ(Show(StatusText(kNothing)), "Undefined");
  EXPECT_EQ(Show(ErrorReportText(kFileNotFound)), "Error File Not Found: A.DAT");
}

TEST_F(MessagesTest, ALanguageFileReplacesTextsAndKeepsItsGapsEmpty) {
  SetLanguage("ES");
  dir_.Write("QN_LANG_ES.MSJ",
             "0001 Uno\r\n0003 Tres\\nlineas\r\n0031 Proceso no definido\r\n0033\r\n");
  EXPECT_EQ(Msg("0001"), "Uno");
  EXPECT_EQ(LanguageTableState(), LanguageState::kLoaded);
  EXPECT_EQ(Msg("0002"), "");  // skipped by the file
  EXPECT_EQ(Msg("0003"), "Tres\r\nlineas");
  EXPECT_EQ(Msg("0031 Process not defined"), "Proceso no definido");
  EXPECT_EQ(Msg("0033"), "");
  // Outside the file's range the built-in texts and the inline defaults stay.
  EXPECT_EQ(Msg("0034"), "Application Selector");
  EXPECT_EQ(Msg("0034 Selector"), "Selector");
  SetAppCatalogue(StrLit("1001 Delete Full Entry?"));
  EXPECT_EQ(Msg("1001"), "Delete Full Entry?");

  // Loaded once for the run, until reset.
  dir_.Write("QN_LANG_ES.MSJ", "0001 Otro\r\n");
  EXPECT_EQ(Msg("0001"), "Uno");
  LanguageReset();
  EXPECT_EQ(Msg("0001"), "Otro");
  EXPECT_EQ(Msg("0003"), "Memory Leaks Detected");
}

TEST_F(MessagesTest, LinesThatAreNotInOrderOrNotCodesAreSkipped) {
  SetLanguage("FR");
  dir_.Write("QN_LANG_FR.MSJ",
             "0005 cinq\n"
             "0003 trois\n"   // not above the previous code
             "0005 encore\n"  // nor is this
             " 006 six\n"     // not a code
             "12.5 x\n"
             "0000 zero\n"
             "\n"
             "0007 sept\n");
  EXPECT_EQ(Msg("0005"), "cinq");
  EXPECT_EQ(Msg("0006"), "");
  EXPECT_EQ(Msg("0007"), "sept");
  EXPECT_EQ(Msg("0003"), "Memory Leaks Detected");
  EXPECT_EQ(Msg("0004"), "File not found:%s");
}

TEST_F(MessagesTest, ALanguageFileKeepsAtMost256CodesAndTheRestStayBuiltIn) {
  SetLanguage("DE");
  std::string file;
  for (int code = 1000; code < 1300; ++code) {
    file += std::to_string(code) + " de" + std::to_string(code) + "\r\n";
  }
  dir_.Write("QN_LANG_DE.MSJ", file);
  SetAppCatalogue(StrLit("1255 app1255\t1256 app1256\t1299 app1299"));
  EXPECT_EQ(Msg("1000"), "de1000");
  EXPECT_EQ(Msg("1255"), "de1255");
  EXPECT_EQ(Msg("1256"), "app1256");
  EXPECT_EQ(Msg("1299"), "app1299");
  EXPECT_EQ(Msg("1298 fallback"), "fallback");
  EXPECT_EQ(Msg("0013"), "Fatal Error Ocurred");

  // A gap that would pass the limit ends the table before it.
  LanguageReset();
  dir_.Write("QN_LANG_DE.MSJ", "0001 eins\r\n0400 vierhundert\r\n");
  EXPECT_EQ(Msg("0001"), "eins");
  EXPECT_EQ(Msg("0002"), "Unable to Complete Initialization");
}

TEST_F(MessagesTest, TheLanguageFileIsFoundAlongTheSearchPathOrByAnyLanguage) {
  std::filesystem::create_directory(dir_.path() / "lang");
  dir_.Write("lang/qn_lang_it.msj", "0020 Annulla\r\n");
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvSearchPath, StrLit("nowhere,lang")), kOk);
  SetLanguage("IT");
  EXPECT_EQ(Msg("0020"), "Annulla");

  LanguageReset();
  SetLanguage("");
  EXPECT_EQ(Msg("0020"), "Annulla");  // no language set: the first file of any language

  LanguageReset();
  SetLanguage("EN");
  EXPECT_EQ(Msg("0020"), "Cancel");
  EXPECT_EQ(LanguageTableState(), LanguageState::kBuiltIn);
}

TEST_F(MessagesTest, LanguageIndexAndLanguageFileNames) {
  const struct {
    std::string_view language;
    uint16_t index;
  } languages[] = {{"EN", 1}, {"ES", 2}, {"IT", 5}, {"XX", 0}, {"", 0}};
  for (const auto& c : languages) {
    SCOPED_TRACE(c.language);
    SetLanguage(c.language);
    EXPECT_EQ(LanguageIndex(), c.index);
  }
  SetLanguage("DE");
  const struct {
    std::string_view name;
    int index;
    std::string_view result;
  } names[] = {
      {"HELP.HLP", 2, "HELP_es.HLP"},  {"HELP", 3, "HELP_fr"},
      {"A.B.C", 5, "A.B_it.C"},        {"dir.x\\HELP", 1, "dir.x\\HELP_en"},
      {"HELP.HLP", -1, "HELP_de.HLP"}, {"HELP.HLP", 0, "HELP.HLP"},
      {"HELP.HLP", 6, "HELP.HLP"},     {"", 1, "_en"},
  };
  for (const auto& c : names) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Show(LanguageFileName(S(c.name), c.index)), c.result);
  }
}

TEST_F(MessagesTest, TheApplicationPrefixIsTheStartOfTheApplicationCode) {
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvAppName, StrLit("COLDGR01:Orvendal")), kOk);
  EXPECT_EQ(Show(AppPrefix()), "CO");
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvAppName, StrLit("X")), kOk);
  EXPECT_EQ(Show(AppPrefix()), "X");
}

// A stand-in for the expression evaluator: records each statement; a variable whose name
// starts with BAD fails with 147 (its statement as detail), one starting with WARN gives 5.
std::vector<std::string> g_statements;
Status RecordingEvaluator(StrRef statement) {
  g_statements.push_back(ToString(statement));
  if (statement.view().starts_with("BAD")) return ReportStatus(kSyntaxError, statement);
  if (statement.view().starts_with("WARN")) return 5;
  return kOk;
}

class LangVarsTest : public MessagesTest {
 protected:
  void SetUp() override {
    MessagesTest::SetUp();
    g_statements.clear();
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvAppName, StrLit("COLDGR01:Orvendal")), kOk);
  }
};

TEST_F(LangVarsTest, AssignsMessageTextsAndReportsTheFirstFailure) {
  dir_.Write("COLANGVARS.DAT",
             "TITLE$=0013\r\n"
             "COUNT = 0005\r\n"
             "BAD1=0014\r\n"
             "   \r\n"
             "no assignment here\r\n"
             "BAD2=0020\r\n"
             "WARN=0020\r\n"
             "LOCALE$=0019\r\n");
  SetLangVarsEvaluator(RecordingEvaluator);
  EXPECT_EQ(LoadLangVars(), kSyntaxError);
  EXPECT_EQ(g_statements, (std::vector<std::string>{
                              "TITLE$=\"Fatal Error Ocurred\"",
                              "COUNT=Process Completed Succesfully",
                              "BAD1=Information Request",
                              "BAD2=Cancel",
                              "WARN=Cancel",
                              "LOCALE$=\".,'0123456789.-D',' NY','  ,NO,YES'\"",
                          }));
  EXPECT_EQ(Show(DetailText()), "BAD1=Information Request\r\nBAD1=0014");
}

TEST_F(LangVarsTest, AMissingFileIsNothingAndNoEvaluatorCannotSucceed) {
  SetLangVarsEvaluator(RecordingEvaluator);
  EXPECT_EQ(LoadLangVars(), kOk);
  EXPECT_TRUE(g_statements.empty());

  dir_.Write("COLANGVARS.DAT", "WARN=0020\r\nOK=0005\r\n");
  EXPECT_EQ(LoadLangVars(), kOk);  // a warning is not a failure
  EXPECT_EQ(g_statements.size(), 2u);

  SetLangVarsEvaluator(nullptr);
  EXPECT_EQ(LoadLangVars(), kExpCalcError);
  EXPECT_EQ(Show(DetailText()), "WARN=Cancel");
  EXPECT_EQ(LatchedCode(), kExpCalcError);

  dir_.Write("COLANGVARS.DAT", "X=12.5\r\n");
  SetLangVarsEvaluator(RecordingEvaluator);
  DetailClear();
  EXPECT_EQ(LoadLangVars(), kBadInputData);
  EXPECT_EQ(Show(DetailText()), "X=12.5");
}

}  // namespace
}  // namespace engine
