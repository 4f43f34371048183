// Command statements: argument evaluation, the handler chain, the engine's slots with their
// removed and not-yet-registered commands, and the commands the procedure subsystem carries out
// (KILL, SYSTEM, MESSAGE, WAIT, FILESELECT with a file set).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/value_tables.h"
#include "engine/proc/command_chain.h"
#include "engine/proc/engine_commands.h"
#include "proc_fixture.h"

namespace engine {
namespace {

using testing::Show;

// What the recording operation saw: per argument S (string) or N, its integer and its text.
std::string g_seen;
int g_calls = 0;

Status Record(const CommandArgs& args) {
  ++g_calls;
  g_seen = std::to_string(args.count) + ":";
  for (uint16_t n = 1; n <= args.count; ++n) {
    g_seen += std::string(" ") + (args.IsString(n) ? "S" : "N") + std::to_string(args.Integer(n)) +
              "[" + ToString(args.Text(n)) + "]";
  }
  return kOk;
}

class CommandsTest : public testing::ProcFixture {
 protected:
  void SetUp() override {
    ProcFixture::SetUp();
    g_seen.clear();
    g_calls = 0;
  }
};

TEST_F(CommandsTest, ArgumentsAreEvaluatedAsIntegersAndTexts) {
  CommandOperationSet(kKwPrint, Record);
  const struct {
    const char* statement;
    const char* seen;
  } cases[] = {
      {"PRINT", "0:"},
      {"PRINT 'a',1+1,,2.6", "4: S0[a] N2[2] N0[] N3[2.6]"},
      {"PRINT 'a',", "2: S0[a] N0[]"},
      // Commas inside quotes and inside a function's arguments belong to the argument.
      {"PRINT FN$PARM('x,y';2),CHK#(1;5,6)", "2: S0[y] N5[5]"},
      // Brackets are expanded first, inside quotes too.
      {"PRINT '[1+2]',[A]+1", "2: S0[3] N8[8]"},
      {"PRINT -1.5,40000", "2: N-2[-1.5] N-25536[40000]"},
  };
  ASSERT_EQ(RunText("A=7"), kOk);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.statement);
    ASSERT_EQ(RunText(c.statement), kOk) << Detail();
    EXPECT_EQ(g_seen, c.seen);
  }
  g_calls = 0;
  EXPECT_EQ(RunText("PRINT 1,'a'-1"), kTypeMismatch);
  EXPECT_EQ(RunText("PRINT [1+]"), kSyntaxError);
  EXPECT_EQ(RunText("PRINT 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17"), kSyntaxError);
  EXPECT_EQ(g_calls, 0);
  EXPECT_EQ(RunText("PRINT 1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16"), kOk);
  EXPECT_EQ(g_calls, 1);
}

// Handlers that carry out only PRINT, only WAIT, or everything.
Status PrintOnly(uint16_t keyword, const CommandArgs&) {
  return keyword == kKwPrint ? Status(101) : Status(kCommandNotHandled);
}
Status WaitOnly(uint16_t keyword, const CommandArgs&) {
  return keyword == kKwWait ? Status(102) : Status(kCommandNotHandled);
}
Status Everything(uint16_t, const CommandArgs&) { return 103; }

TEST_F(CommandsTest, TheChainOffersACommandFromSlotZeroUpward) {
  const struct {
    const char* slots;  // one letter per slot: P PrintOnly, W WaitOnly, E Everything, . empty
    const char* statement;
    Status status;
  } cases[] = {
      {"................", "PRINT 1", kFeatureRemoved},
      {"...W............", "PRINT 1", kSyntaxError},
      {"...W......P.....", "PRINT 1", 101},
      {"...W......P.....", "WAIT 1", 102},
      {"P..E............", "PRINT 1", 101},
      {"P..E............", "WAIT 1", 103},
      {"E.P.............", "PRINT 1", 103},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.slots) + " " + c.statement);
    CommandHandlersClear();
    for (uint16_t slot = 0; slot < kCommandSlots; ++slot) {
      const char h = c.slots[slot];
      CommandHandlerSet(slot, h == 'P'   ? PrintOnly
                              : h == 'W' ? WaitOnly
                              : h == 'E' ? Everything
                                         : nullptr);
    }
    EXPECT_EQ(RunText(c.statement), c.status);
  }
  CommandHandlerSet(kCommandSlots, Everything);
  EXPECT_EQ(CommandHandlerAt(kCommandSlots), nullptr);
}

// An application handler after the engine's slots.
Status ModuleHandler(uint16_t keyword, const CommandArgs&) {
  ++g_calls;
  return keyword == kKwReport || keyword == kKwRcUpdate || keyword == kKwConnect
             ? Status(104)
             : Status(kCommandNotHandled);
}

TEST_F(CommandsTest, TheEngineSlotsAnswerForCommandsTheEngineDoesNotHold) {
  const struct {
    const char* statement;
    const char* detail;
  } removed[] = {
      {"REPORT 'R'", "REPORT"},
      {"DEVICE 'LPT1'", "DEVICE"},
      {"DOCPRINT 'D'", "DOCPRINT"},
      {"WINOPEN 10,5,'T'", "WINOPEN"},
      {"EXPORT 'P'", "EXPORT"},
      {"STATSTEPS 'S'", "STATSTEPS"},
      {"CONNECT 'X'", "CONNECT"},
      {"SHELL 'X'", "ExecRunUtils SHELL"},
      {"REMOTE 'X'", "ExecRunTrans REMOTE"},
      {"RC_UPDATE 'X'", "RC_UPDATE"},
  };
  for (const auto& c : removed) {
    SCOPED_TRACE(c.statement);
    EXPECT_EQ(RunText(c.statement), kFeatureRemoved);
    EXPECT_NE(Detail().find(c.detail), std::string::npos) << Detail();
  }
  // A command without its operation goes on to the application's handlers; the removed ones
  // never do, and those the engine carries out are not offered.
  CommandHandlerSet(6, ModuleHandler);
  CommandOperationSet(kKwRcUpdate, Record);
  EXPECT_EQ(RunText("REPORT 'R'"), 104);
  EXPECT_EQ(RunText("RC_UPDATE 'X'"), kFeatureRemoved);
  EXPECT_EQ(RunText("CONNECT 'X'"), kFeatureRemoved);
  g_calls = 0;
  EXPECT_EQ(RunText("KILL 'nothing.txt'"), kOk);
  EXPECT_EQ(g_calls, 0);
}

// PRINT answers its first argument.
Status Answer(const CommandArgs& args) { return static_cast<uint16_t>(args.Integer(1)); }

TEST_F(CommandsTest, ACommandThatAnswersAnythingButZeroEndsTheRun) {
  CommandOperationSet(kKwPrint, Answer);
  EXPECT_EQ(RunText("A=1\r\nPRINT 0\r\nA=2\r\nPRINT 5\r\nA=3"), 5);
  EXPECT_EQ(Eval("A"), "2");
  EXPECT_EQ(RunText("PRINT 122\r\nA=4"), kUserCanceled);
  EXPECT_EQ(Eval("A"), "2");
}

TEST_F(CommandsTest, KillDeletesAFileAndSetsStat) {
  Write("old.txt", "x");
  SetPathExpander([](StrRef name) {
    return StrAreaReturn(StrAreaMark(),
                         name.view() == "%WORK%\\old.txt" ? StrLit("old.txt") : name);
  });
  ASSERT_EQ(RunText("_STAT=9\r\nKILL '%WORK%\\old.txt'\r\nA=_STAT\r\nKILL 'old.txt'\r\nB=_STAT"),
            kOk)
      << Detail();
  EXPECT_FALSE(dir_.Has("old.txt"));
  EXPECT_EQ(Eval("A"), "");
  EXPECT_EQ(Eval("B"), "164");
}

TEST_F(CommandsTest, SystemCommandLinesQuoteTheValuesOfVariables) {
  SetPathExpander([](StrRef name) {
    const std::string_view v = name.view();
    return StrAreaReturn(StrAreaMark(), v == "%A%"       ? StrLit("va")
                                        : v == "%EVIL%"  ? StrLit("x'; rm -rf /; echo '")
                                        : v == "%EMPTY%" ? StrLit("")
                                        : v == "%DATA%"  ? StrLit("C:\\APPS\\data")
                                                         : name);
  });
  const struct {
    const char* text;
    const char* line;
  } cases[] = {
      {"echo %A%", "echo 'va'"},
      {"echo %A%%A%", "echo 'va''va'"},
      {"cat %EVIL%", "cat 'x'\\''; rm -rf /; echo '\\'''"},
      {"echo %EMPTY%.", "echo ''."},
      {"echo 100% sure %", "echo 100% sure %"},
      {"echo %% %A %no-name% %A_", "echo %% %A %no-name% %A_"},
      {"echo %OTHER%", "echo '%OTHER%'"},
      // Values are paths in the platform's form.
      {"ls %DATA%\\x.dat", "ls '/APPS/data'\\x.dat"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(Show(SystemCommandLine(StrFromC(c.text))), c.line);
    StrAreaRelease(mark);
  }
}

TEST_F(CommandsTest, SystemRunsTheShellAndKeepsTheExitStatus) {
  SetPathExpander([](StrRef name) {
    return StrAreaReturn(StrAreaMark(), name.view() == "%V%" ? StrLit("a'b; touch hacked") : name);
  });
  ASSERT_EQ(RunText("SYSTEM 'exit 3'\r\nA=_STAT\r\n"
                    "SYSTEM 'echo noise; echo more >&2'\r\nB=_STAT\r\n"
                    "SYSTEM 'printf %s %V% > out.txt'\r\nC=_STAT\r\n"
                    "SYSTEM 'kill -9 $$'\r\nD=_STAT"),
            kOk)
      << Detail();
  EXPECT_EQ(Eval("A"), "3");
  EXPECT_EQ(Eval("B"), "");
  EXPECT_EQ(Eval("C"), "");
  EXPECT_EQ(Eval("D"), "137");
  EXPECT_EQ(dir_.Read("out.txt"), "a'b; touch hacked");
  EXPECT_FALSE(dir_.Has("hacked"));
  // The viewer form belongs to the output devices.
  EXPECT_EQ(RunText("SYSTEM 1,'file.pdf'"), kFeatureRemoved);
}

// Services that record what they were asked and fail the spawn when told to.
class FakeServices final : public SystemServices {
 public:
  std::vector<std::string> calls;
  Status spawn = kOk;
  Status RunCommand(std::string_view command, const OutputSink& sink, int* exit_status) override {
    calls.push_back("run " + std::string(command));
    if (sink) sink("ignored output");
    *exit_status = 0;
    return spawn;
  }
  std::string CommandWord(std::string_view value) override {
    return "<" + std::string(value) + ">";
  }
  void Pause(uint32_t milliseconds) override {
    calls.push_back("pause " + std::to_string(milliseconds));
  }
};

TEST_F(CommandsTest, WaitPausesAndASpawnFailureReachesStat) {
  FakeServices services;
  SetSystemServices(&services);
  services.spawn = kChildExecError;
  ASSERT_EQ(RunText("WAIT 25\r\nWAIT 0\r\nWAIT -4\r\nSYSTEM 'ls %X%'\r\nA=_STAT"), kOk) << Detail();
  EXPECT_EQ(services.calls, (std::vector<std::string>{"pause 25", "run ls <%X%>"}));
  EXPECT_EQ(Eval("A"), "167");
}

TEST_F(CommandsTest, MessageShowsOrAsks) {
  host_.QueueAnswer(BoxButton::kOk);
  host_.QueueAnswer(BoxButton::kNo);
  host_.QueueAnswer(BoxButton::kYes);
  ASSERT_EQ(RunText("MESSAGE 'Saved '+'[1+1]'\r\nMESSAGE 'Again?',1\r\nA=_STAT\r\nMESSAGE "
                    "'Sure?',1\r\nB=_STAT"),
            kOk)
      << Detail();
  ASSERT_EQ(host_.boxes().size(), 3u);
  EXPECT_EQ(host_.boxes()[0].text, "Saved 2");
  EXPECT_EQ(host_.boxes()[0].kind, kBoxInformation);
  EXPECT_EQ(host_.boxes()[1].text, "Again?");
  EXPECT_EQ(host_.boxes()[1].kind, kBoxYesNo);
  EXPECT_EQ(Eval("A"), "78");
  EXPECT_EQ(Eval("B"), "89");
}

// A data-file seam that records the file sets applied.
class RecordingSets final : public DataFileFunctions {
 public:
  std::string applied;
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
    applied += "[" + ToString(list) + "]";
    return list.view() == "BAD" ? kFileOpening : kOk;
  }
  StrRef FieldRaw(StrRef, uint16_t) override { return StrLit(""); }
};

TEST_F(CommandsTest, FileSelectAppliesAFileSet) {
  RecordingSets sets;
  SetDataFileFunctions(&sets);
  EXPECT_EQ(RunText("FILESELECT 'CUSTOMERS,INVOICES;2'\r\nFILESELECT 'RESTORE'"), kOk);
  EXPECT_EQ(sets.applied, "[CUSTOMERS,INVOICES;2][RESTORE]");
  EXPECT_EQ(RunText("FILESELECT 'BAD'\r\nA=1"), kFileOpening);
  // A short text or a number asks for the file dialog, which the engine does not hold yet.
  EXPECT_EQ(RunText("FILESELECT 1,0"), kFeatureRemoved);
  EXPECT_EQ(RunText("FILESELECT 'X'"), kFeatureRemoved);
}

}  // namespace
}  // namespace engine
