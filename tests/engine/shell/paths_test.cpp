// Paths and %NAME% variables: joining and resolving folders, the path variables, environment
// variables in any case, configuration variables, unknown names, and values that hold their own
// name.
#include "engine/shell/paths.h"

#include <gtest/gtest.h>

#include "shell_fixture.h"

namespace engine {
namespace {

class PathsTest : public testing::ShellFixture {
 protected:
  std::string Path(uint16_t n) {
    const uint16_t mark = StrAreaMark();
    const std::string value = testing::Show(AppPath(n));
    StrAreaRelease(mark);
    return value;
  }
  std::string Expand(const std::string& text) { return Text(&ExpandPathVars, text); }
};

TEST_F(PathsTest, JoinAddsOneSeparatorAndResolveClimbsFolders) {
  const struct {
    const char* folder;
    const char* name;
    const char* joined;
  } joins[] = {
      {"C:\\APPS", "DICC.DAT", "C:\\APPS\\DICC.DAT"},
      {"C:\\APPS\\", "DICC.DAT", "C:\\APPS\\DICC.DAT"},
      {"C:\\APPS", "\\DICC.DAT", "C:\\APPS\\DICC.DAT"},
      {"/srv/apps/", "Help", "/srv/apps/Help"},
      {"", "DICC.DAT", "DICC.DAT"},
      {"/srv", "", "/srv"},
  };
  for (const auto& j : joins) {
    SCOPED_TRACE(std::string(j.folder) + " + " + j.name);
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(testing::Show(PathJoin(StrView(j.folder), StrView(j.name))), j.joined);
    StrAreaRelease(mark);
  }
  const struct {
    const char* base;
    const char* relative;
    const char* resolved;
  } resolves[] = {
      {"C:\\APPS\\LEDGER", "..\\data", "C:\\APPS\\data"},
      {"/home/u/work", "..\\APPS", "/home/u\\APPS"},
      {"C:\\A\\B\\C", "..\\..\\X\\.\\Y", "C:\\A\\X\\Y"},
      {"/work", "..\\data", "/data"},
      {"", "..\\data", "..\\data"},
      {"C:\\APPS", "data", "C:\\APPS\\data"},
  };
  for (const auto& r : resolves) {
    SCOPED_TRACE(std::string(r.base) + " + " + r.relative);
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(testing::Show(PathResolve(StrView(r.base), StrView(r.relative))), r.resolved);
    StrAreaRelease(mark);
  }
}

TEST_F(PathsTest, PathVariablesFollowTheEnvironmentItemsAndTheFolders) {
  SetItem(kEnvSearchPath, "/srv/apps");
  EXPECT_EQ(Path(kPathRun), "/opt/orvendal/bin");
  EXPECT_EQ(Path(kPathDefault), "/srv/apps");
  EXPECT_EQ(Path(kPathDocs), env_.current);
  EXPECT_EQ(Path(kPathHelp), "/srv/apps\\Help");
  EXPECT_EQ(Path(kPathBackup), "Backups");
  SetItem(kEnvDocsFolder, "/srv/docs");
  SetItem(kEnvHelpFolder, "/srv/help");
  SetItem(kEnvDatabase, "'dbhost',books,me,secret");
  EXPECT_EQ(Path(kPathDocs), "/srv/docs");
  EXPECT_EQ(Path(kPathData), "/srv\\data");
  EXPECT_EQ(Path(kPathHelp), "/srv/help");
  EXPECT_EQ(Path(kPathBackup), "/srv/docs\\Backups");
  EXPECT_EQ(Path(kPathBackRel), env_.current + "\\Backups\\dbhost\\BOOKS");
  EXPECT_EQ(Path(0), "");
  EXPECT_EQ(Path(8), "");
}

TEST_F(PathsTest, EveryKindOfVariableExpandsAndUnknownNamesDisappear) {
  env_.vars["TEMP"] = "/tmp";
  env_.vars["USERPROFILE"] = "/home/u";
  SetItem(kEnvCommandLine, "ledger /TRACE:1");
  SetItem(kEnvAppDescription, "Orvendal Accounts");
  SetItem(kEnvLanguage, "EN");
  SetItem(kEnvSearchPath, "/srv/apps");
  SetItem(kEnvDatabase, " host , 'books' ,user,pw");
  const struct {
    const char* text;
    const char* expanded;
  } cases[] = {
      {"%APNAME%FSTAT.DAT", "COFSTAT.DAT"},
      {"%APPPATH_DOCS%", env_.current.c_str()},
      {"%TEMP%\\x.txt", "/tmp\\x.txt"},
      {"%userprofile%\\x", "/home/u\\x"},
      {"%ProgramFiles%\\x", "\\x"},
      {"%NOSUCHNAME%CLCFIX.DAT", "CLCFIX.DAT"},
      {"%LANGMODULE%-%APDESCRIP%", "EN-Orvendal Accounts"},
      {"%COMMANDLINE%", "ledger /TRACE:1"},
      {"%DATABASE_HOST%.%DATABASE_DBNAME%.%DATABASE_USER%", "host.books.USER"},
      {"%DOCPATH%|%DATAPATH%|%HELPPATH%", "/srv/apps||"},
      {"50% off", "50% off"},
      {"a%%b", "ab"},
      {"no variables", "no variables"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(Expand(c.text), c.expanded);
  }
}

TEST_F(PathsTest, AValueHoldingItsOwnNameIsExpandedOnceAndExpansionEnds) {
  SetItem(kEnvDocsFolder, "/x/%APPPATH_DOCS%/y");
  EXPECT_EQ(Expand("%APPPATH_DOCS%\\F"), "/x/%APPPATH_DOCS%/y\\F");
  env_.vars["TEMP"] = "%TEMP%%TEMP%";
  EXPECT_EQ(Expand("[%TEMP%]"), "[%TEMP%%TEMP%]");
  // Another variable inside a value is expanded; the loop through both names is cut.
  SetItem(kEnvCommandLine, "cmd %APDESCRIP%");
  SetItem(kEnvAppDescription, "title %COMMANDLINE%");
  EXPECT_EQ(Expand("%COMMANDLINE%"), "cmd title %COMMANDLINE%");
  // The ':' of a value is kept as it is.
  SetItem(kEnvDocsFolder, "C:\\DOCS");
  EXPECT_EQ(Expand("%APPPATH_DOCS%\\%APNAME%PARINI.DAT"), "C:\\DOCS\\COPARINI.DAT");
}

}  // namespace
}  // namespace engine
