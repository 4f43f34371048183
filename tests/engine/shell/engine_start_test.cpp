// The program start as a module drives it: the module callback's codes, identity and paths, the
// dictionary's search along DPATH, configuration, the start-up trace, failures shown to the
// user; the start menu with INPUT, RUN and OUTPUT; the end and its exit status.
#include "engine/shell/engine_start.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/block_pool.h"
#include "engine/core/error_latch.h"
#include "engine/core/file_system.h"
#include "engine/core/file_system_faults.h"
#include "engine/core/string_slots.h"
#include "engine/core/value_tables.h"
#include "engine/data/dictionary.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/lang/variables.h"
#include "engine/shell/process_env.h"
#include "engine/shell/run_state.h"
#include "engine/ui/headless_host.h"
#include "shell_fixture.h"

namespace engine {
namespace {

std::vector<uint16_t> g_codes;

Status RecordingModule(uint16_t code) {
  g_codes.push_back(code);
  if ((code & 0xF) == kModuleConfigure) return ModuleConfigure();
  return kOk;
}

class EngineStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_codes.clear();
    env_.current = dir_.path().string();
    env_.program = (dir_.path() / "bin").string();
    std::filesystem::create_directory(dir_.path() / "bin");
    SetProcessEnv(&env_);
    SetWindowHost(&host_);
    SetMemoryLimits(512, 64);
    LatchClear();
  }
  void TearDown() override {
    EngineRelease();
    SetWindowHost(nullptr);
    SetProcessEnv(nullptr);
  }

  Status Start(const std::string& line, uint16_t flags = kStartLoadDictionary) {
    return EngineStart(StrView(line), StrLit("COLDGR01:Orvendal"), StrLit("Orvendal Accounts"),
                       flags, &RecordingModule);
  }
  // A minimal application: dictionary and fixed configuration in `folder` (the program's).
  void Application(const std::string& folder = "bin", const std::string& prefix = "CO") {
    const std::string at = folder + "/";
    std::filesystem::create_directories(dir_.path() / folder);
    dir_.Write(at + prefix + "DICC.DAT", "01*  *00ACCOUNTS\r\n01       010 ACODE\r\n");
    dir_.Write(at + prefix + "CLCFIX.DAT", "FIXED=1\r\n");
  }
  std::string Item(uint16_t item) { return ToString(SlotGet(kGroupEnvironment, item)); }
  std::string LastBoxText() const { return host_.boxes().empty() ? "" : host_.boxes().back().text; }

  testing::TempFolder dir_{true};
  testing::FakeProcessEnv env_;
  HeadlessHost host_;
};

TEST_F(EngineStartTest, AStartSetsIdentityAndPathsAndCallsTheModuleInOrder) {
  Application();
  ASSERT_EQ(Start("ledger  --TRACE:0"), kOk) << LastBoxText();
  EXPECT_EQ(g_codes, (std::vector<uint16_t>{0x21, 0x22}));
  EXPECT_EQ(Item(kEnvCommandLine), "ledger /TRACE:0");
  EXPECT_EQ(Item(kEnvAppName), "COLDGR01:Orvendal");
  EXPECT_EQ(Item(kEnvAppDescription), "Orvendal Accounts");
  EXPECT_EQ(Item(kEnvLanguage), "EN");
  EXPECT_EQ(Item(kEnvSearchPath), env_.program);
  EXPECT_EQ(Item(kEnvHelpFolder), env_.program + "\\Help");
  const std::string locale = Item(kEnvLocale);
  EXPECT_EQ(locale.substr(0, 4), ".,'0");
  EXPECT_EQ(std::count(locale.begin(), locale.end(), '\0'), 2);
  EXPECT_EQ(locale.back(), ' ');
  EXPECT_EQ(SysWord(kSysTrace), 1);
  int16_t fixed = 0;
  EXPECT_TRUE(VarInteger(StrLit("FIXED"), &fixed));
  EXPECT_EQ(fixed, 1);
  EXPECT_EQ(dir_.Read("COFSTAT.DAT"), "1");
  EXPECT_TRUE(host_.boxes().empty());
  EXPECT_EQ(RunState(kRunEnded), kOk);
  EXPECT_EQ(EngineEnd(&RecordingModule, kOk), kOk);
  EXPECT_EQ(g_codes.back(), 0x23);
  EXPECT_EQ(dir_.Read("COFSTAT.DAT"), "0");
}

TEST_F(EngineStartTest, ApNameRenamesTheApplicationAndItsFiles) {
  Application("bin", "xy");
  ASSERT_EQ(Start("ledger /APNAME:'xyz'"), kOk) << LastBoxText();
  EXPECT_EQ(Item(kEnvAppName), "xyz");
  EXPECT_TRUE(dir_.Has("xyFSTAT.DAT"));
}

TEST_F(EngineStartTest, TheDictionaryIsLookedForInTheDPathFolderWhenTheProgramFolderHasNone) {
  Application("apps");
  dir_.Write("COCLCFIX.DAT", "FIXED=2\r\n");
  ASSERT_EQ(Start("ledger /DPATH:'" + (dir_ / "apps") + "'"), kOk) << LastBoxText();
  EXPECT_EQ(Item(kEnvSearchPath), dir_ / "apps");
}

TEST_F(EngineStartTest, TheDictionaryNamesItsFilesAsVariables) {
  Application();
  ASSERT_EQ(Start("ledger"), kOk) << LastBoxText();
  ASSERT_EQ(FileCount(), 1);
  int16_t number = 0;
  EXPECT_TRUE(VarInteger(StrLit("accounts"), &number));
  EXPECT_EQ(number, 1);
}

TEST_F(EngineStartTest, AFailedDictionaryLoadIsRetriedFromAnEmptyDictionary) {
  // The program's folder holds a dictionary that fails after defining a file; the DPATH folder
  // a good one. Only the good one's files may remain.
  Application("apps");
  dir_.Write("bin/CODICC.DAT", "01*  *00BROKEN\r\n01       010 ACODE\r\n31<00x>\r\n");
  ASSERT_EQ(Start("ledger /DPATH:'" + (dir_ / "apps") + "'"), kOk) << LastBoxText();
  ASSERT_EQ(FileCount(), 1);
  EXPECT_EQ(FileBaseName(1).view(), "accounts");
  int16_t number = 0;
  EXPECT_TRUE(VarInteger(StrLit("accounts"), &number));
  EXPECT_EQ(number, 1);
  EXPECT_TRUE(host_.boxes().empty());
}

TEST_F(EngineStartTest, AMalformedDictionaryEndsTheStartNamingTheLine) {
  Application();
  dir_.Write("bin/CODICC.DAT", "01*  *00BROKEN\r\n01       010 ACODE\r\n31<00x>\r\n");
  EXPECT_EQ(Start("ledger /DPATH:'" + (dir_ / "bin") + "'"), kBadInputData);
  EXPECT_NE(LastBoxText().find("31<00x>"), std::string::npos) << LastBoxText();
  EXPECT_EQ(g_codes, (std::vector<uint16_t>{0x21}));
}

TEST_F(EngineStartTest, AMissingDictionaryIsShownAndEndsTheStartUnlessItIsOptional) {
  dir_.Write("COCLCFIX.DAT", "FIXED=1\r\n");
  EXPECT_EQ(Start("ledger /DPATH:'" + (dir_ / "none") + "'"), kFileNotFound);
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].title, "Fatal Error Ocurred");
  EXPECT_NE(LastBoxText().find("CODICC.DAT"), std::string::npos) << LastBoxText();
  EXPECT_EQ(g_codes, (std::vector<uint16_t>{0x21}));
  EngineRelease();
  host_.Clear();
  g_codes.clear();
  EXPECT_EQ(Start("ledger", kStartLoadDictionary | kStartDictionaryOptional), kOk);
  EXPECT_EQ(g_codes, (std::vector<uint16_t>{0x61, 0x62}));
  EXPECT_TRUE(host_.boxes().empty());
}

TEST_F(EngineStartTest, TheRequiredConfigurationFileMissingIs164NamingIt) {
  Application();
  std::filesystem::remove(dir_.path() / "bin" / "COCLCFIX.DAT");
  EXPECT_EQ(Start("ledger"), kFileNotFound);
  EXPECT_EQ(LastBoxText(), "Error File Not Found: COCLCFIX.DAT");
  EXPECT_FALSE(dir_.Has("COFSTAT.DAT"));
}

TEST_F(EngineStartTest, TheStartUpTraceWritesTheLanguageToLogTxtAndEndsQuietly) {
  Application();
  dir_.Write("log.txt", "old contents\r\n");
  EXPECT_EQ(Start("ledger /TRACE:272"), kDetailOnly);
  EXPECT_EQ(dir_.Read("log.txt"), "0,EN\r\n");
  EXPECT_TRUE(host_.boxes().empty());
  EXPECT_EQ(g_codes, (std::vector<uint16_t>{0x21}));
  EXPECT_FALSE(dir_.Has("COFSTAT.DAT"));
}

TEST_F(EngineStartTest, ABrokenQuoteInTheCommandLineIsShownAsABadCommandLine) {
  Application();
  EXPECT_EQ(Start("ledger /APNAME:'xyz"), kBadCommandLine);
  EXPECT_EQ(LastBoxText(), "Error BADCOMMANDLINE: ledger /APNAME:'xyz");
  EXPECT_TRUE(g_codes.empty());
}

TEST_F(EngineStartTest, TheStartMenuRunsTheInputScriptThenTheRunOption) {
  Application();
  dir_.Write("script.txt", "ExpEval A=1\r\n\r\n  ExpEval B=A+1\r\n");
  ASSERT_EQ(Start("ledger /INPUT:script.txt /OUTPUT:out.txt /RUN:'ExpEval C=B*10'"), kOk);
  EXPECT_EQ(RunStartMenu(StrLit("C2MENU")), kOk);
  int16_t c = 0;
  EXPECT_TRUE(VarInteger(StrLit("C"), &c));
  EXPECT_EQ(c, 20);
  EXPECT_EQ(SysWord(kSysInHnd), 0);
  EXPECT_EQ(SysWord(kSysOutHnd), 1);
  EXPECT_TRUE(SysWordTest(kSysScrStat, 8));
  EXPECT_TRUE(host_.boxes().empty());
}

TEST_F(EngineStartTest, AFailingScriptLineStopsTheScriptAndIsShown) {
  Application();
  dir_.Write("script.txt", "ExpEval A=1\r\nNoSuchTask\r\nExpEval B=1\r\n");
  ASSERT_EQ(Start("ledger /INPUT:script.txt"), kOk);
  EXPECT_EQ(RunStartMenu(StrLit("C2MENU")), kBadInputData);
  int16_t b = 0;
  EXPECT_FALSE(VarInteger(StrLit("B"), &b));
  EXPECT_EQ(LastBoxText(), "Error BADINPUTDATA: Process not defined");
  EXPECT_EQ(SysWord(kSysInHnd), 0);
  // A line too long to be read whole is refused before any of it runs.
  std::string tail;
  for (int i = 0; i < 20000; ++i) tail += ";C=2";
  dir_.Write("long.txt", "ExpEval A=1\r\nExpEval B=1" + tail + "\r\nExpEval D=1\r\n");
  EngineRelease();
  ASSERT_EQ(Start("ledger /INPUT:long.txt"), kOk);
  EXPECT_EQ(RunStartMenu(StrLit("C2MENU")), kStringTooLong);
  for (const char* name : {"B", "C", "D"}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(VarInteger(StrFromC(name), &b));
  }
  EXPECT_EQ(LastBoxText(), "Error STRINGTOOLONG: LONG.TXT, line 2");
}

TEST_F(EngineStartTest, WithoutMenuOrRunOptionThereIsNothingToRun) {
  Application();
  ASSERT_EQ(Start("ledger"), kOk);
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(ResolveStartMenu(StrLit("")).view(), "");
  EXPECT_EQ(ResolveStartMenu(StrLit("C2MENU")).view(), "C2MENU");
  dir_.Write("COMENU.PPN", "01 MENU$:Files\r\n");
  EXPECT_EQ(ResolveStartMenu(StrLit("")).view(), "COMENU");
  StrAreaRelease(mark);
  EXPECT_EQ(RunStartMenu(StrLit("")), kBadInputData);
  // With a menu the main window opens and, with no key to read, closes after the question.
  host_.Clear();
  EXPECT_EQ(RunStartMenu(StrLit("C2MENU")), kOk);
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_EQ(host_.boxes()[0].kind, kBoxYesNo);
}

TEST_F(EngineStartTest, TheEndStatusIsTheFirstFailureAndOnlyAnError) {
  const struct {
    uint16_t status;
    uint16_t result;
  } cases[] = {{0, 0}, {5, 0}, {122, 0}, {127, 0}, {128, 128}, {163, 163}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    Application();
    ASSERT_EQ(Start("ledger"), kOk);
    EXPECT_EQ(RunState(kRunEnded), kOk);
    EXPECT_EQ(EngineEnd(&RecordingModule, c.status), c.result);
  }
}

TEST_F(EngineStartTest, AnIndexThatCannotBeSavedAtTheEndIsShownAndIsTheEndStatus) {
  Application();
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  ASSERT_EQ(Start("ledger"), kOk);
  ASSERT_EQ(FileOpen(1, 0), kOk);
  ASSERT_EQ(FieldSet(1, 1, StrLit("A100")), kOk);
  ASSERT_EQ(RecordInsert(1), kFound);
  EXPECT_EQ(RunState(kRunEnded), kOk);
  host_.Clear();
  faults.FailOpen(1);  // the index's temporary file
  EXPECT_EQ(EngineEnd(&RecordingModule, kOk), kDiskIO);
  EXPECT_NE(LastBoxText().find("accounts.DIR"), std::string::npos) << LastBoxText();
  SetFileSystem(nullptr);
}

}  // namespace
}  // namespace engine
