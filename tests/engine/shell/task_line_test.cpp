// Task lines: parsing with either separator, bracket expressions, the task-name list; the default
// and in-window dispatchers; the application's handler; lists of steps.
#include "engine/shell/task_line.h"

#include <gtest/gtest.h>

#include "engine/lang/variables.h"
#include "shell_fixture.h"

namespace engine {
namespace {

class TaskLineTest : public testing::ShellFixture {
 protected:
  struct Parsed {
    uint16_t code;
    uint16_t status;
    std::string argument;
  };
  Parsed Parse(const std::string& line) {
    const uint16_t mark = StrAreaMark();
    const ParsedTask task = ParseTaskLine(StrView(line));
    Parsed parsed{task.code, task.status.code(), testing::Show(task.argument)};
    StrAreaRelease(mark);
    return parsed;
  }
  int16_t Integer(const char* name) {
    int16_t value = -1;
    if (!VarInteger(StrView(name), &value)) return -1;
    return value;
  }
};

TEST_F(TaskLineTest, ALineIsANameASeparatorAndItsArgument) {
  const struct {
    const char* line;
    uint16_t code;
    uint16_t status;
    const char* argument;
  } cases[] = {
      {"Report PRINT01", kTaskReport, 0, "PRINT01"},
      {"Report,PRINT01", kTaskReport, 0, "PRINT01"},
      {"ExpEval A%=1,B%=2", kTaskExpEval, 0, "A%=1,B%=2"},
      {"ExpEval,A%=1", kTaskExpEval, 0, "A%=1"},
      {"ExpEval WRITE('out.txt';-3;'a b')", kTaskExpEval, 0, "WRITE('out.txt';-3;'a b')"},
      {"MantMain 'CUSTOMERS, ALL'", kTaskMantMain, 0, "'CUSTOMERS, ALL'"},
      {"Help", kTaskHelp, 0, ""},
      {"menu X", 0, kBadInputData, ""},
      {"NoSuchTask X", 0, kBadInputData, ""},
      {"", 0, kBadInputData, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const Parsed p = Parse(c.line);
    EXPECT_EQ(p.code, c.code);
    EXPECT_EQ(p.status, c.status);
    EXPECT_EQ(p.argument, c.argument);
  }
}

TEST_F(TaskLineTest, BracketExpressionsAreReplacedByTheirValuesInnermostFirst) {
  ASSERT_EQ(VarAssignInteger(StrLit("N"), 7), kOk);
  const struct {
    const char* line;
    const char* argument;
  } cases[] = {
      {"Report [N*2]", "14"},      {"Report LIST[N-7]", "LIST0"}, {"Report [' a ']x", "ax"},
      {"Report A[N][N+1]", "A78"}, {"Report [[N]+1]", "8"},       {"Report a]b", "a]b"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const Parsed p = Parse(c.line);
    EXPECT_EQ(p.code, kTaskReport);
    EXPECT_EQ(p.argument, c.argument);
  }
  // The whole line may come from an expression, its blank separating name and argument.
  ASSERT_EQ(VarAssign(StrLit("S$"), StrLit("Report X,Y"), ValueKind::kString), kOk);
  const Parsed whole = Parse("[S$]");
  EXPECT_EQ(whole.code, kTaskReport);
  EXPECT_EQ(whole.argument, "X,Y");
  const Parsed failing = Parse("Report [(]");
  EXPECT_EQ(failing.code, 0);
  EXPECT_GE(failing.status, kTypeMismatch);
}

TEST_F(TaskLineTest, TaskLineForNamesTheTaskOnlyWhenTheTextDoesNot) {
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(testing::Show(TaskLineFor(StrLit("CUSTOMERS"), kTaskMantMain)), "MantMain CUSTOMERS");
  EXPECT_EQ(testing::Show(TaskLineFor(StrLit("ExpEval A=1"), kTaskMantMain)), "ExpEval A=1");
  StrAreaRelease(mark);
}

TEST_F(TaskLineTest, TheDefaultDispatcherEvaluatesExpEvalAndRefusesWhatItDoesNotDefine) {
  EXPECT_EQ(RunTaskLine(StrLit("ExpEval A=1;B=A+1"), &DefaultDispatch), kOk);
  EXPECT_EQ(Integer("B"), 2);
  const struct {
    const char* line;
  } undefined[] = {{"Accept X"},  {"MantMain CUSTOMERS"}, {"Menu X"},
                   {"Perform X"}, {"NoSuchTask"},         {"expeval A=1"}};
  for (const auto& u : undefined) {
    SCOPED_TRACE(u.line);
    DetailClear();
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(RunTaskLine(StrView(u.line), &DefaultDispatch), kBadInputData);
    EXPECT_EQ(Detail(), "Process not defined");
    EXPECT_EQ(StrAreaMark(), mark);
    const ParsedTask parsed = ParseTaskLine(StrView(u.line));
    EXPECT_EQ(DefaultDispatch(parsed), kBadInputData);
    StrAreaRelease(mark);
  }
  // A failing statement is the task's status; a warning is not.
  EXPECT_GE(RunTaskLine(StrLit("ExpEval A=("), &DefaultDispatch), kTypeMismatch);
  EXPECT_EQ(RunTaskLine(StrLit("ExpEval"), &DefaultDispatch), kOk);
}

TEST_F(TaskLineTest, TasksOfSubsystemsNotInTheEngineFailVisibly) {
  EXPECT_EQ(RunTaskLine(StrLit("Report LIST01"), &DefaultDispatch), kFeatureRemoved);
  EXPECT_EQ(Detail(), "Report");
  EXPECT_EQ(RunTaskLine(StrLit("AcceptRun X"), &DefaultDispatch), kFeatureRemoved);
  // Help and FontSet answer 0 whatever became of them, but their failures are shown.
  const size_t shown = host_.boxes().size();
  EXPECT_EQ(RunTaskLine(StrLit("Help About"), &DefaultDispatch), kOk);
  ASSERT_EQ(host_.boxes().size(), shown + 1);
  EXPECT_EQ(host_.boxes().back().text, "Error FEATUREREMOVED: Help");
  EXPECT_EQ(RunTaskLine(StrLit("FontSet"), &DefaultDispatch), kOk);  // no QNFONT.PPN
  ASSERT_EQ(host_.boxes().size(), shown + 2);
  EXPECT_NE(host_.boxes().back().text.find("QNFONT.PPN"), std::string::npos);
}

Status g_seen_code = 0;
Status CountingHandler(const ParsedTask& task) {
  g_seen_code = task.code;
  return kOk;
}

TEST_F(TaskLineTest, TheInstalledHandlerGetsEveryLineAndAFailingBracketRunsNothing) {
  SetTaskHandler(&CountingHandler);
  EXPECT_EQ(RunTaskLine(StrLit("MantMain X"), &DefaultDispatch), kOk);
  EXPECT_EQ(g_seen_code, kTaskMantMain);
  g_seen_code = 0;
  EXPECT_GE(RunTaskLine(StrLit("MantMain [(]"), &DefaultDispatch), kTypeMismatch);
  EXPECT_EQ(g_seen_code, 0);
  // Without a handler the fallback is installed.
  SetTaskHandler(nullptr);
  EXPECT_EQ(RunTaskLine(StrLit("ExpEval A=3"), &CountingHandler), kOk);
  EXPECT_EQ(CurrentTaskHandler(), &CountingHandler);
}

TEST_F(TaskLineTest, InsideAWindowAcceptIsAFormAndExpEvalTakesItsFirstField) {
  EXPECT_EQ(WindowTaskLine(StrLit("A=5,B=6"), kTaskExpEval), kOk);
  EXPECT_EQ(Integer("A"), 5);
  EXPECT_EQ(Integer("B"), -1);
  // Accept reaches the accept form (not part of the engine yet) instead of being undefined.
  EXPECT_EQ(WindowTaskLine(StrLit("Accept X"), kTaskExpEval), kFeatureRemoved);
  EXPECT_EQ(RunTaskLine(StrLit("Accept X"), &DefaultDispatch), kBadInputData);
  EXPECT_EQ(WindowTaskLine(StrLit("Report X"), kTaskExpEval), kSyntaxError);
  EXPECT_EQ(WindowTaskLine(StrLit("X"), kTaskReport), kSyntaxError);
}

TEST_F(TaskLineTest, StepsRunInOrderUntilAFailureAndReportWhereTheyStopped) {
  uint16_t start = 0;
  EXPECT_EQ(RunSteps(StrLit("'ExpEval A=1','ExpEval B=A+1'"), &start, StrLit("")), kOk);
  EXPECT_EQ(Integer("B"), 2);
  EXPECT_EQ(start, 2);
  // A MantMain step goes to the default dispatcher, which does not define it.
  start = 0;
  EXPECT_EQ(RunSteps(StrLit("'ExpEval C=1','MantMain X','ExpEval D=1'"), &start, StrLit("")),
            kBadInputData);
  EXPECT_EQ(Detail(), "Process not defined");
  EXPECT_EQ(start, 2);
  EXPECT_EQ(Integer("D"), -1);
  // A stop code ends the list before that step.
  start = 2;
  const char stop[] = {static_cast<char>(kTaskReport)};
  EXPECT_EQ(RunSteps(StrLit("'ExpEval E=9','ExpEval F=1','Report X','ExpEval G=1'"), &start,
                     StrView(std::string_view(stop, 1))),
            kUndefWarning);
  EXPECT_EQ(Integer("E"), -1);
  EXPECT_EQ(Integer("F"), 1);
  EXPECT_EQ(start, 2);
  // Items are text expressions giving the task line.
  ASSERT_EQ(VarAssign(StrLit("T$"), StrLit("ExpEval H=4"), ValueKind::kString), kOk);
  EXPECT_EQ(RunSteps(StrLit("T$"), nullptr, StrLit("")), kOk);
  EXPECT_EQ(Integer("H"), 4);
}

}  // namespace
}  // namespace engine
