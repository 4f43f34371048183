// The trace log: the file named by SetLogFile (its old contents deleted) or the application's
// own, lines written only for the categories _TRACE holds, statuses as "Error #".
#include "engine/shell/log_file.h"

#include <gtest/gtest.h>

#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "shell_fixture.h"

namespace engine {
namespace {

class LogFileTest : public testing::ShellFixture {};

TEST_F(LogFileTest, LinesAreWrittenForTheTracedCategoriesOnly) {
  SysWordSet(kSysTrace, 0x11);
  EXPECT_EQ(LogLine(StrLit("one"), 0x10), kOk);
  EXPECT_EQ(LogLine(StrLit("skipped"), 0x100), kOk);
  EXPECT_EQ(LogLine(StrError(kFileNotFound), 0x1), kOk);
  EXPECT_EQ(dir_.Read("COlog.txt"), "one\r\nError #164\r\n");
}

TEST_F(LogFileTest, SettingTheLogFileDeletesItsOldContents) {
  dir_.Write("log.txt", "old\r\n");
  ASSERT_EQ(SetLogFile(StrLit("log.txt")), kOk);
  EXPECT_FALSE(dir_.Has("log.txt"));
  SysWordSet(kSysTrace, 0x100);
  EXPECT_EQ(LogLine(StrLit("0,EN"), 0x100), kOk);
  EXPECT_EQ(dir_.Read("log.txt"), "0,EN\r\n");
  EXPECT_FALSE(dir_.Has("COlog.txt"));
}

}  // namespace
}  // namespace engine
