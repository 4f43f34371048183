// The procedure compiler: line classes, statement numbering, targets of jumps and blocks, the
// limits and their messages, the file look-up, and that a failed compile leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/core/block_pool.h"
#include "engine/core/list_string.h"
#include "proc_fixture.h"

namespace engine {
namespace {

using testing::Show;

class CompilerTest : public testing::ProcFixture {
 protected:
  // Compiles `text` and describes each statement as KEYWORD:target (EXPR for an expression).
  std::string Compiled(const std::string& text) {
    Write("C.PRC", text);
    uint16_t number = kNothing;
    const Status status = ProcedureCompile(StrLit("C.PRC"), &number);
    if (!status.ok()) return "<status " + std::to_string(status) + ">";
    CompiledProcedure record;
    EXPECT_TRUE(ProcedureGet(number, &record));
    std::string shown;
    for (uint16_t i = 0; i < record.statement_count; ++i) {
      const Statement& s = record.statements[i];
      if (!shown.empty()) shown += ' ';
      shown += s.keyword == kKwExpression ? "EXPR" : ToString(KeywordName(s.keyword));
      shown += ':' + std::to_string(s.target);
    }
    EXPECT_EQ(ProcedureFree(number), kOk);
    return shown;
  }

  static std::string Repeat(const std::string& line, int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += line + std::to_string(i) + "\r\n";
    return text;
  }
};

TEST_F(CompilerTest, LinesBecomeStatementsWithTheirTargets) {
  const struct {
    const char* text;
    const char* compiled;
  } cases[] = {
      {"; only comments\r\n# and\r\n\r\n/ blank lines\r\n   \r\n", ""},
      {":L1\r\nA=A+1\r\ngoto L1", "EXPR:0 GOTO:0"},
      {"IF X>1\r\nA=1\r\nELSE\r\nA=2\r\nENDIF\r\nB=1", "IF:3 EXPR:0 ELSE:5 EXPR:0 ENDIF:2 EXPR:0"},
      {"IF_FALSE X\r\nA=1\r\nENDIF", "IF_FALSE:3 EXPR:0 ENDIF:0"},
      {"DO\r\nI=I+1\r\nLOOP_UNTIL I>3", "DO:3 EXPR:0 LOOP_UNTIL:0"},
      {"DO_WHILE I<3\r\nI=I+1\r\nLOOP", "DO_WHILE:3 EXPR:0 LOOP:0"},
      {"DO\r\nDO_UNTIL J\r\nLOOP\r\nLOOP_WHILE I", "DO:4 DO_UNTIL:3 LOOP:1 LOOP_WHILE:0"},
      // Labels, DEF_FN lines and comments take no statement number.
      {"DEF_FN F\r\n; note\r\n:S\r\nRETURN\r\nGOSUB S", "RETURN:0 GOSUB:0"},
      // Every line end: CR LF, a lone CR, a lone LF; blanks and tabs trimmed.
      {"A=1\rB=2\nC=3\r\n\t IF\tX \r\n  ENDIF", "EXPR:0 EXPR:0 EXPR:0 IF:5 ENDIF:3"},
      {"Message 'x'\r\nsystem 'ls'\r\nMESSAGEX 1", "MESSAGE:0 SYSTEM:0 EXPR:0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Compiled(c.text), c.compiled);
  }
  EXPECT_EQ(ProcedureCount(), 0);
}

TEST_F(CompilerTest, StatementTextsAndFunctions) {
  Write("T.PRC",
        "  A = 1  \r\nGOTO   L\r\n:L\r\nIF  X>1 \r\nENDIF\r\nDEF_FN  First\r\nB=2\r\nDEF_FN "
        "Second\r\nDEF_FN First\r\nEND");
  uint16_t number = kNothing;
  ASSERT_EQ(ProcedureCompile(StrLit("T.PRC"), &number), kOk);
  CompiledProcedure record;
  ASSERT_TRUE(ProcedureGet(number, &record));
  ASSERT_EQ(record.statement_count, 6);
  EXPECT_EQ(Show(record.Text(0)), "A = 1");
  EXPECT_EQ(Show(record.Text(1)), "L");
  EXPECT_EQ(Show(record.Text(2)), "X>1");
  EXPECT_EQ(Show(record.Text(3)), "");
  EXPECT_EQ(Show(record.Text(6)), "");
  EXPECT_EQ(Show(record.FunctionNames()), "First,Second,First");
  // Two functions of one name: the first is found.
  EXPECT_EQ(record.FunctionStart(StrLit("First")), 4);
  EXPECT_EQ(record.FunctionStart(StrLit("Second")), 5);
  EXPECT_EQ(record.FunctionStart(StrLit("FIRST")), kNothing);
  uint16_t found = kNothing;
  uint16_t start = kNothing;
  EXPECT_TRUE(ProcedureFindFunction(StrLit("Second"), &found, &start));
  EXPECT_EQ(found, number);
  EXPECT_EQ(start, 5);
  EXPECT_FALSE(ProcedureFindFunction(StrLit("Third"), &found, &start));
  EXPECT_EQ(ProcedureFree(number), kOk);
}

TEST_F(CompilerTest, TheNewestProcedureDefiningAFunctionIsFound) {
  Write("OLD.PRC", "DEF_FN F\r\nA=1\r\nDEF_FN G\r\nA=2");
  Write("NEW.PRC", "B=0\r\nDEF_FN F\r\nA=3");
  uint16_t old_number = kNothing;
  uint16_t new_number = kNothing;
  ASSERT_EQ(ProcedureCompile(StrLit("OLD.PRC"), &old_number), kOk);
  ASSERT_EQ(ProcedureCompile(StrLit("NEW.PRC"), &new_number), kOk);
  EXPECT_EQ(old_number, 0);
  EXPECT_EQ(new_number, 1);
  uint16_t number = kNothing;
  uint16_t start = kNothing;
  ASSERT_TRUE(ProcedureFindFunction(StrLit("F"), &number, &start));
  EXPECT_EQ(number, new_number);
  EXPECT_EQ(start, 1);
  ASSERT_TRUE(ProcedureFindFunction(StrLit("G"), &number, &start));
  EXPECT_EQ(number, old_number);
  // Freeing the older one moves the newer down.
  EXPECT_EQ(ProcedureFree(old_number), kOk);
  ASSERT_TRUE(ProcedureFindFunction(StrLit("F"), &number, &start));
  EXPECT_EQ(number, 0);
  EXPECT_EQ(ProcedureFree(5), kInternalError);
  EXPECT_EQ(ProcedureFree(0), kOk);
  EXPECT_EQ(ProcedureCount(), 0);
}

TEST_F(CompilerTest, FailuresNameTheirStatementAndLeaveNothingBehind) {
  std::string nested;
  for (int i = 0; i < 17; ++i) nested += "DO\r\n";
  for (int i = 0; i < 17; ++i) nested += "LOOP\r\n";
  const struct {
    std::string text;
    Status status;
    const char* detail;
  } cases[] = {
      {":L1\r\nGOTO l1", kSyntaxError, "C.PRC\r\nLabel 'l1' in line 1 (+ remmarks) not found"},
      {"A=1\r\nGOSUB\r\n", kSyntaxError, "Label '' in line 2 (+ remmarks) not found"},
      // The statement number, not the line number.
      {"; note\r\nA=1\r\n\r\nENDIF", kSyntaxError,
       "Final of Conditional or loop without \r\nBegin (Loop, Endif...) in line 2 (+ remmarks)"},
      {"A=1\r\nIF A\r\nB=1", kSyntaxError, "Final (Endif, Loop...) in line 2 (+ remmarks)"},
      {nested, kOutOfMemory, "More than 16 nested blocks in line 17 (+ remmarks)"},
      {Repeat(":L", 129), kOutOfMemory, "More than 128 labels"},
      {Repeat("DEF_FN F", 129), kOutOfMemory, "More than 128 functions"},
  };
  const uint16_t live_blocks = BlockPoolLiveCount();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    LatchClear();
    DetailClear();
    Write("C.PRC", c.text);
    uint16_t number = 0;
    EXPECT_EQ(ProcedureCompile(StrLit("C.PRC"), &number), c.status);
    EXPECT_EQ(number, kNothing);
    EXPECT_NE(Detail().find(c.detail), std::string::npos) << Detail();
    EXPECT_EQ(LatchedCode(), c.status);
    EXPECT_EQ(ProcedureCount(), 0);
    EXPECT_EQ(BlockPoolLiveCount(), live_blocks);
    EXPECT_EQ(SlotCount(kGroupQueueA), 0);
    EXPECT_EQ(StrAreaMark(), 0);
  }
  // The next compile sees its own lines only.
  EXPECT_EQ(Compiled("A=1"), "EXPR:0");
}

TEST_F(CompilerTest, LimitsThatStillCompile) {
  std::string nested;
  for (int i = 0; i < 16; ++i) nested += "IF 1\r\n";
  for (int i = 0; i < 16; ++i) nested += "ENDIF\r\n";
  EXPECT_EQ(ListCount(StrView(Compiled(nested)), ' '), 32);
  EXPECT_EQ(Compiled(Repeat(":L", 128) + "GOTO L127"), "GOTO:0");
  EXPECT_EQ(Compiled(Repeat("DEF_FN F", 128)), "");
}

TEST_F(CompilerTest, FilesAreLookedUpAsGivenThenAlongTheSearchPath) {
  std::filesystem::create_directory(dir_.path() / "defs");
  dir_.Write("defs/LIB.PRC", "A=1\r\nB=2");
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvSearchPath, StrView((dir_.path() / "defs").string())),
            kOk);
  uint16_t number = kNothing;
  ASSERT_EQ(ProcedureCompile(StrLit("LIB.PRC"), &number), kOk);
  EXPECT_EQ(ProcedureFree(number), kOk);

  const struct {
    const char* name;
    const char* content;  // null: no such file
  } missing[] = {{"NONE.PRC", nullptr}, {"EMPTY.PRC", ""}};
  for (const auto& c : missing) {
    SCOPED_TRACE(c.name);
    if (c.content) Write(c.name, c.content);
    DetailClear();
    EXPECT_EQ(ProcedureCompile(StrFromC(c.name), &number), kFileNotFound);
    EXPECT_NE(Detail().find(c.name), std::string::npos) << Detail();
  }
  EXPECT_EQ(ProcedureCount(), 0);
}

TEST_F(CompilerTest, KeywordsAreNumberedInTheirTableOrder) {
  const StrRef table = ProcedureKeywords();
  EXPECT_EQ(ListCount(table, '\0'), kKeywordCount);
  EXPECT_EQ(Show(ListField(table, '\0', kKwGoto)), "GOTO");
  EXPECT_EQ(Show(ListField(table, '\0', kKwDefFn)), "DEF_FN");
  EXPECT_EQ(Show(ListField(table, '\0', kKwAccept)), "ACCEPT");
  EXPECT_EQ(Show(ListField(table, '\0', kKwRcUpdate)), "RC_UPDATE");
  EXPECT_EQ(Show(ListField(table, '\0', kKwSystem)), "SYSTEM");
  for (uint16_t n = 1; n <= kKeywordCount; ++n) {
    EXPECT_EQ(KeywordNumber(KeywordName(n)), n);
  }
  EXPECT_EQ(KeywordNumber(StrLit("goto")), kKwGoto);
  EXPECT_EQ(KeywordNumber(StrLit("Loop_Until")), kKwLoopUntil);
  EXPECT_EQ(KeywordNumber(StrLit("GOTOX")), kKwExpression);
  EXPECT_EQ(Show(KeywordName(kKwExpression)), "");
  EXPECT_EQ(Show(KeywordName(kKeywordCount + 1)), "");
}

}  // namespace
}  // namespace engine
