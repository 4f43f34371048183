// Configuration files: order and overriding, the required file, files found along the search
// path, failing statements and unreadable files named in the detail text, and the
// language-variables file applied at the end.
#include "engine/shell/config_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/core/file_system_faults.h"
#include "engine/lang/variables.h"
#include "shell_fixture.h"

namespace engine {
namespace {

class ConfigFilesTest : public testing::ShellFixture {
 protected:
  int16_t Integer(const char* name) {
    int16_t value = -1;
    EXPECT_TRUE(VarInteger(StrView(name), &value)) << name;
    return value;
  }
};

TEST_F(ConfigFilesTest, FilesLoadInOrderAndLaterOnesOverride) {
  dir_.Write("COCLCUSR.DAT", "A=1\r\nB=1\r\n");
  dir_.Write("COCLCFIX.DAT", "B=2\nC=A+B\n");
  dir_.Write("QNCLCUSR.DAT", "C=C*10");
  ASSERT_EQ(LoadConfigFiles(kConfigFiles), kOk) << Detail();
  EXPECT_EQ(Integer("A"), 1);
  EXPECT_EQ(Integer("B"), 2);
  EXPECT_EQ(Integer("C"), 30);
}

TEST_F(ConfigFilesTest, TheRequiredFileMissingIs164NamingTheExpandedName) {
  dir_.Write("COCLCUSR.DAT", "A=1");
  EXPECT_EQ(LoadConfigFiles(kConfigFiles), kFileNotFound);
  EXPECT_EQ(Detail(), "COCLCFIX.DAT");
  // An empty required file is as good as a missing one; an empty optional one is skipped.
  dir_.Write("COCLCFIX.DAT", "\r\n");
  EXPECT_EQ(LoadConfigFile(StrLit("%APNAME%CLCFIX.DAT"), true), kFileNotFound);
  EXPECT_EQ(LoadConfigFile(StrLit("%APNAME%CLCFIX.DAT"), false), kOk);
}

TEST_F(ConfigFilesTest, AFileIsFoundAlongTheSearchPathUnderAnyCase) {
  std::filesystem::create_directory(dir_.path() / "apps");
  dir_.Write("apps/coclcfix.dat", "F=7");
  SetItem(kEnvSearchPath, "nowhere," + dir_ / "apps");
  ASSERT_EQ(LoadConfigFiles(StrLit("%APNAME%CLCFIX.DAT;1")), kOk) << Detail();
  EXPECT_EQ(Integer("F"), 7);
}

TEST_F(ConfigFilesTest, AFailingStatementStopsTheListWithTheFileInTheDetail) {
  dir_.Write("COCLCUSR.DAT", "A=1;B=(");
  dir_.Write("COCLCFIX.DAT", "Z=1");
  const Status status = LoadConfigFiles(kConfigFiles);
  EXPECT_GE(status, kTypeMismatch);
  EXPECT_NE(Detail().find("COCLCUSR.DAT"), std::string::npos) << Detail();
  int16_t z = 0;
  EXPECT_FALSE(VarInteger(StrLit("Z"), &z));
}

TEST_F(ConfigFilesTest, AFileThatExistsButCannotBeReadIsAFailureNotASkip) {
  dir_.Write("COCLCUSR.DAT", "A=1");
  dir_.Write("COCLCFIX.DAT", "Z=1");
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  faults.FailOpen(1, kPermissionDenied);
  const Status status = LoadConfigFile(StrLit("%APNAME%CLCUSR.DAT"), false);
  SetFileSystem(nullptr);
  EXPECT_EQ(status, kPermissionDenied);
  EXPECT_EQ(Detail(), "COCLCUSR.DAT");
}

TEST_F(ConfigFilesTest, TheLanguageVariablesFileIsAppliedAfterAllFilesLoaded) {
  dir_.Write("COCLCFIX.DAT", "TITLE$='mine'");
  dir_.Write("COLANGVARS.DAT", "TITLE$=0031\r\n");
  ASSERT_EQ(LoadConfigFiles(kConfigFiles), kOk) << Detail();
  const uint16_t mark = StrAreaMark();
  ASSERT_EQ(VarPush(StrLit("TITLE$")), kOk);
  EXPECT_EQ(testing::Show(StrAreaTop()), "Process not defined");
  StrAreaRelease(mark);
}

}  // namespace
}  // namespace engine
