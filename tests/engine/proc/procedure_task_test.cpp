// The procedure task: libraries compiled before the main procedure, a function of the main
// procedure, expression files evaluated first, the local run, and every procedure freed after.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/block_pool.h"
#include "proc_fixture.h"

namespace engine {
namespace {

class ProcedureTaskTest : public testing::ProcFixture {
 protected:
  void SetUp() override {
    ProcFixture::SetUp();
    // Both libraries define NAME; the one compiled last (the second file) is the newest.
    Write("LIB1.PRC", "DEF_FN NAME\r\nL$=L$+'1'\r\nEND\r\nDEF_FN ONE\r\nL$=L$+'one'\r\nEND");
    Write("LIB2.PRC", "DEF_FN NAME\r\nL$=L$+'2'\r\nEND\r\nDEF_FN TWO\r\nL$=L$+'two'\r\nEND");
    Write(
        "MAIN.PRC",
        "T=1\r\nCALL NAME\r\nCALL ONE\r\nCALL TWO\r\nX=WRITE('out.txt';-1;L$+FN$TRIM(V))\r\nEND\r\n"
        "DEF_FN SUB\r\nX=WRITE('out.txt';-1;'sub')\r\nEND");
    Write("INIT.EXP", "V=4\r\nL$='>'");
    Write("MORE.EXP", "V=V+1");
  }
};

TEST_F(ProcedureTaskTest, LibrariesExpressionFilesAndTheMainProcedure) {
  const uint16_t live_blocks = BlockPoolLiveCount();
  ASSERT_EQ(ProcedureTask(StrLit("MAIN.PRC;LIB1.PRC;LIB2.PRC,,INIT.EXP,'MORE.EXP'")), kOk)
      << Detail();
  EXPECT_EQ(dir_.Read("out.txt"), ">1onetwo5");
  EXPECT_EQ(ProcedureCount(), 0);
  EXPECT_EQ(BlockPoolLiveCount(), live_blocks);
  // The main procedure ran as a local run: its own variables are gone, the older ones stay.
  EXPECT_FALSE(VariableExists("T"));
  EXPECT_EQ(Eval("V"), "5");
}

TEST_F(ProcedureTaskTest, AFunctionOfTheMainProcedure) {
  ASSERT_EQ(ProcedureTask(StrLit(" MAIN.PRC , SUB ")), kOk) << Detail();
  EXPECT_EQ(dir_.Read("out.txt"), "sub");
  EXPECT_EQ(ProcedureCount(), 0);
}

TEST_F(ProcedureTaskTest, FailuresStopTheTaskAndStillFreeWhatItCompiled) {
  Write("BAD.PRC", "GOTO NOWHERE");
  Write("FAILS.PRC", "CALL ONE\r\nA='x'-1");
  const struct {
    const char* parameter;
    Status status;
    const char* detail;
  } cases[] = {
      // An expression file that is missing stops everything before a procedure is compiled.
      {"MAIN.PRC;LIB1.PRC,,INIT.EXP,NONE.EXP", kFileNotFound, "NONE.EXP"},
      {"MAIN.PRC;BAD.PRC;LIB1.PRC", kSyntaxError, "Label 'NOWHERE'"},
      {"FAILS.PRC;LIB1.PRC;LIB2.PRC", kTypeMismatch, "Line: 2 (+ remmarks)"},
      {"MAIN.PRC;LIB1.PRC,NOSUCH", kSyntaxError, "NOSUCH"},
      {"NONE.PRC;LIB1.PRC", kFileNotFound, "NONE.PRC"},
      {"", kSyntaxError, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.parameter);
    DetailClear();
    EXPECT_EQ(ProcedureTask(StrFromC(c.parameter)), c.status);
    EXPECT_NE(Detail().find(c.detail), std::string::npos) << Detail();
    EXPECT_EQ(ProcedureCount(), 0);
    EXPECT_FALSE(dir_.Has("out.txt"));
  }
}

}  // namespace
}  // namespace engine
