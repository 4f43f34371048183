// The functions on files: FILESEL opens that never create over a file they failed to open,
// handles limited to those FILESEL opened, READ$ and WRITE by handle and path, saved variables
// whose string values can never end their quotes, expression files and procedures (EXEC$), and
// the data-file functions handed to their seam (148 while no data-file subsystem is there).
#include <gtest/gtest.h>

#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/file_system.h"
#include "engine/core/file_system_faults.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "function_fixture.h"
#include "support/temp_folder.h"

namespace engine {
namespace {

using testing::ExprCase;
using testing::Show;

class BuiltinFilesTest : public testing::FunctionFixture {
 protected:
  void TearDown() override {
    StreamCloseAll();
    SetFileSystem(nullptr);
    FunctionFixture::TearDown();
  }
  testing::TempFolder dir_{true};
};

TEST_F(BuiltinFilesTest, FileLengths) {
  dir_.Write("data.txt", "0123456789");
  const ExprCase cases[] = {
      {"FN#FLEN('data.txt')", "10"},
      {"FN#FLEN('missing.txt')", ""},
      {"FN#FLEN(1)", "<status 128>"},
  };
  CheckAll(cases);
  SetPathExpander([](StrRef name) {
    return StrAreaReturn(StrAreaMark(),
                         name.view() == "%DATA%\\data.txt" ? StrLit("data.txt") : name);
  });
  EXPECT_EQ(Eval("FN#FLEN('%DATA%\\data.txt')"), "10");
}

TEST_F(BuiltinFilesTest, FileselHandlesReadAndWrite) {
  dir_.Write("in.txt", "abcdefgh");
  Run("H=FILESEL('out.txt';2)");
  const ExprCase cases[] = {
      {"H>=3", "1"},
      {"WRITE(H;-1;'abc')", ""},
      {"WRITE(H;-1;12.5)", ""},
      {"FILESEL(H)", ""},
      {"R=FILESEL('in.txt';9)", "3"},  // read-only
      {"READ$(R;0;3)", "abc"},
      {"READ$(R;;2)", "de"},  // on from the current position
      {"READ$(R)", "fgh"},
      {"READ$(R;;0)==FN$CHRS(26)", "1"},  // at the end
      {"READ$(R;2;0)", ""},
      {"FILESEL(R)", ""},
      {"READ$(R)", ""},  // closed: the empty text
      {"READ$('in.txt')", "abcdefgh"},
      {"READ$('in.txt';2;3)", "cde"},
      {"READ$('in.txt';6)", "gh"},
      {"READ$('missing.txt')", ""},
      {"FILESEL('missing.txt';8)", "<status 164>"},
      {"FILESEL('created.txt';1)>=3", "1"},
  };
  CheckAll(cases);
  EXPECT_EQ(dir_.Read("out.txt"), "abc12.5");
  EXPECT_EQ(dir_.Read("created.txt"), "");
}

TEST_F(BuiltinFilesTest, AFailedOpenNeverCreatesOverTheFile) {
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  dir_.Write("data.txt", "precious");
  for (const char* flags : {"1", "2", "4", "9"}) {
    SCOPED_TRACE(flags);
    faults.FailOpen(1, kPermissionDenied);
    EXPECT_EQ(Eval(std::string("FILESEL('data.txt';") + flags + ")"), "<status 175>");
    EXPECT_EQ(dir_.Read("data.txt"), "precious");
  }
  faults.FailOpen(1, kPermissionDenied);
  EXPECT_EQ(Eval("WRITE('data.txt';-3;'gone')"), "131");
  EXPECT_EQ(dir_.Read("data.txt"), "precious");
}

TEST_F(BuiltinFilesTest, OnlyHandlesFileselOpenedAreTouched) {
  dir_.Write("records.fd", "RECORDS");
  uint16_t other = kNoHandle;
  ASSERT_EQ(StreamOpen(StrLit("records.fd"), 0, &other), kOk);
  const std::string h = std::to_string(other);
  EXPECT_EQ(Eval("WRITE(" + h + ";0;'XX')"), "151");
  EXPECT_EQ(Eval("READ$(" + h + ";0;3)"), "");
  EXPECT_EQ(Eval("FILESEL(" + h + ")"), "<status 147>");
  EXPECT_EQ(Eval("FILESEL(39)"), "<status 147>");
  EXPECT_EQ(Eval("FILESEL(-1)"), "<status 147>");
  EXPECT_EQ(StreamSize(other), 7u);  // still open
  StreamClose(other);
  EXPECT_EQ(dir_.Read("records.fd"), "RECORDS");
}

TEST_F(BuiltinFilesTest, WritingToPaths) {
  const ExprCase cases[] = {
      {"WRITE('w.txt';0;'hello')", ""},  {"WRITE('w.txt';-1;' world')", ""},
      {"READ$('w.txt')", "hello world"}, {"WRITE('w.txt';1;'EY')", ""},
      {"READ$('w.txt')", "hEYlo world"}, {"WRITE('w.txt';-3;'new')", ""},
      {"READ$('w.txt')", "new"},         {"WRITE('w.txt';-3;'')", ""},
      {"FN#FLEN('w.txt')", ""},          {"WRITE('w.txt';0)", "<status 147>"},
  };
  CheckAll(cases);
  EXPECT_TRUE(dir_.Has("w.txt"));
}

TEST_F(BuiltinFilesTest, SavedVariablesNeverEndTheirQuotes) {
  Run("A=5;B$=\"it's\";C#=0;D$='say \"hi\"'");
  EXPECT_EQ(Eval("WRITE('vars.txt';-2;'A,B$,C#,D$')"), "");
  EXPECT_EQ(dir_.Read("vars.txt"), "A=5;B$=\"it's\";C#=0;D$='say \"hi\"'");
  // The saved values come back; a name already saved keeps its saved value.
  Run("A=9;B$='x';E#=2.5");
  EXPECT_EQ(Eval("WRITE('vars.txt';-2;'A,B$,E#')"), "");
  EXPECT_EQ(Eval("A"), "5");
  EXPECT_EQ(Eval("B$"), "it's");
  EXPECT_EQ(dir_.Read("vars.txt"), "A=5;B$=\"it's\";C#=0;D$='say \"hi\"';E#=2.5");

  // A value that tries to close its quote and add a statement stays a value.
  Run("X$=\"';P=1;'\"");
  EXPECT_EQ(Eval("WRITE('inject.txt';-2;'X$')"), "");
  Run("X$='changed'");
  EXPECT_EQ(Eval("WRITE('inject.txt';-2;'X$')"), "");
  EXPECT_EQ(Eval("X$"), "';P=1;'");
  EXPECT_EQ(Eval("P"), "");
  // A value holding both quotes cannot be saved safely and is refused, the file unchanged.
  Run("Q$='a'+\"'\"+'b'+'\"'");
  EXPECT_EQ(Eval("WRITE('inject.txt';-2;'Q$')"), "163");
  EXPECT_EQ(dir_.Read("inject.txt"), "X$=\"';P=1;'\"");
  EXPECT_EQ(Eval("WRITE('inject.txt';-2;'A+B')"), "147");
  EXPECT_EQ(Eval("WRITE('inject.txt';-2;'T$(')"), "147");
}

// A procedure runner that answers with the names it was given.
Status Runner(StrRef function, StrRef file, uint16_t flags) {
  if (function.view() == "FAIL") return kFileNotFound;
  const std::string answer =
      ToString(function) + "@" + ToString(file) + "#" + std::to_string(flags);
  return SlotPush(kGroupReturnValues, StrView(answer));
}

TEST_F(BuiltinFilesTest, ProceduresAndExpressionFiles) {
  LatchClear();
  EXPECT_EQ(Eval("EXEC$('TOTALS';'SALES.PRC')"), "<status 148>");
  EXPECT_NE(Show(DetailText()).find("EXEC$()"), std::string::npos) << Show(DetailText());

  RegisterHookAs<ProcedureRunner>(Runner, kHookProcedure);
  EXPECT_EQ(Eval("EXEC$('TOTALS';'SALES.PRC')"), "TOTALS@SALES.PRC#2");
  EXPECT_EQ(Eval("EXEC$('TOTALS')"), "TOTALS@#2");
  EXPECT_EQ(SlotCount(kGroupReturnValues), 0);
  EXPECT_EQ(Eval("EXEC$('FAIL')"), "<status 164>");

  dir_.Write("calc.exp", "A=1\r\nB=A+1\r\n");
  EXPECT_EQ(Eval("EXEC$('calc.exp')"), "");
  EXPECT_EQ(Eval("B"), "2");
  std::filesystem::create_directory(dir_.path() / "defs");
  dir_.Write("defs/more.exp", "C=3\n");
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvSearchPath, StrView((dir_.path() / "defs").string())),
            kOk);
  EXPECT_EQ(Eval("EXEC$('more.exp')"), "");
  EXPECT_EQ(Eval("C"), "3");
  dir_.Write("bad.exp", "A='x'-1\r\n");
  EXPECT_EQ(Eval("EXEC$('bad.exp')"), "<status 128>");
  dir_.Write("empty.exp", "");
  EXPECT_EQ(Eval("EXEC$('empty.exp')"), "<status 164>");
  // A file that is there but too long to be read whole is no missing file.
  dir_.Write("long.exp", std::string(70000, ' ') + "A=1\r\n");
  EXPECT_EQ(Eval("EXEC$('long.exp')"), "<status 146>");
  LatchClear();
  EXPECT_EQ(Eval("EXEC$('missing.exp')"), "<status 164>");
  EXPECT_NE(Show(DetailText()).find("missing.exp"), std::string::npos) << Show(DetailText());
}

// A runner whose run pushes no value.
Status SilentRunner(StrRef, StrRef, uint16_t) { return kOk; }

TEST_F(BuiltinFilesTest, ExecTakesOnlyTheValueItsOwnRunPushed) {
  ASSERT_EQ(SlotPush(kGroupReturnValues, StrLit("older run")), kOk);
  RegisterHookAs<ProcedureRunner>(SilentRunner, kHookProcedure);
  EXPECT_EQ(Eval("EXEC$('TOTALS')"), "");
  RegisterHookAs<ProcedureRunner>(Runner, kHookProcedure);
  EXPECT_EQ(Eval("EXEC$('TOTALS')"), "TOTALS@#2");
  EXPECT_EQ(Eval("EXEC$('FAIL')"), "<status 164>");
  ASSERT_EQ(SlotCount(kGroupReturnValues), 1);
  EXPECT_EQ(Show(SlotLast(kGroupReturnValues)), "older run");
  ASSERT_EQ(SlotClearGroup(kGroupReturnValues), kOk);
}

// A data-file subsystem that records each call and answers `result`.
class FakeDataFiles final : public DataFileFunctions {
 public:
  std::string call;
  Status result = kOk;

  Status Find(StrRef text, uint16_t file, uint16_t key, uint16_t mode) override {
    call = "find " + ToString(text) + " " + std::to_string(file) + " " + std::to_string(key) + " " +
           std::to_string(mode);
    return result;
  }
  Status Relation(uint16_t file, uint16_t target, uint16_t rule, uint16_t mode,
                  StrRef expression) override {
    call = "relation " + std::to_string(file) + " " + std::to_string(target) + " " +
           std::to_string(rule) + " " + std::to_string(mode) + " " + ToString(expression);
    return result;
  }
  Status Locate(StrRef command, uint16_t file) override {
    call = "locate " + ToString(command) + " " + std::to_string(file);
    return result;
  }
  StrRef KeyText(uint16_t file, uint16_t key, uint16_t half, uint16_t option) override {
    call = "key " + std::to_string(file) + " " + std::to_string(key) + " " + std::to_string(half) +
           " " + std::to_string(option);
    return result.IsError() ? StrError(result) : StrAreaReturn(StrAreaMark(), StrLit("K0001"));
  }
  Status LastStatus(uint16_t file, uint16_t* status) override {
    call = "last " + std::to_string(file);
    *status = 2;
    return result;
  }
  Status RecordCount(StrRef name, uint64_t* count) override {
    if (name.view() != "CLIENTS") return kNothing;
    *count = 70000;
    return kOk;
  }
  Status OpenFileSet(StrRef list) override {
    call = "set " + ToString(list);
    return result;
  }
  StrRef FieldRaw(StrRef reference, uint16_t half) override {
    call = "field " + ToString(reference) + " " + std::to_string(half);
    return StrAreaReturn(StrAreaMark(), StrLit("raw  "));
  }
};

TEST_F(BuiltinFilesTest, DataFileFunctionsWithoutTheirSubsystem) {
  const ExprCase cases[] = {
      {"FILEFIND('K')", "<status 148>"},
      {"FILEREL(1;2;1;0)", "<status 148>"},
      {"FILELOCATE()", "<status 148>"},
      {"KEY$()", "<status 148>"},
      {"IER()", "<status 148>"},
      {"FILESEL('CLIENTS,ITEMS')", "<status 148>"},
      {"FN$FLDS(CODE{1})", "<status 148>"},
      {"FN#FLEN('CLIENTS')", ""},
  };
  CheckAll(cases);
}

Status RelationByHook(uint16_t file, uint16_t target, uint16_t rule, uint16_t mode,
                      StrRef expression) {
  return file == 1 && target == 2 && rule == 3 && mode == 4 && expression.view() == "X=1" ? 1 : 141;
}

TEST_F(BuiltinFilesTest, DataFileFunctionsHandTheirWorkToTheSubsystem) {
  FakeDataFiles files;
  SetDataFileFunctions(&files);
  const struct {
    const char* text;
    const char* result;
    const char* call;
  } cases[] = {
      {"FILEFIND('K1';2;3;4)", "", "find K1 2 3 4"},
      {"FILEFIND()", "", "find  0 65535 0"},
      {"FILEREL(1;2;3;0;A=1;B{2}='x')", "", "relation 1 2 3 0 A=1;B{2}='x'"},
      {"FILEREL(1;2;3;4)", "", "relation 1 2 3 4 "},
      {"FILELOCATE()", "", "locate NXT 0"},
      {"FILELOCATE('PRV';5)", "", "locate PRV 5"},
      {"KEY$()", "K0001", "key 0 65535 1 0"},
      {"KEY$(2;1;2;1)", "K0001", "key 2 1 2 1"},
      {"IER(3)", "2", "last 3"},
      {"FILESEL('CLIENTS,ITEMS')", "", "set CLIENTS,ITEMS"},
      {"FN$FLDS(NAME{CLIENTS};2)", "raw  ", "field NAME{CLIENTS} 2"},
      {"FN#FLEN('CLIENTS')", "70000", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    files.call.clear();
    EXPECT_EQ(Eval(c.text), c.result);
    EXPECT_EQ(files.call, c.call);
  }
  // Results below 128 are the number; from 128 the call fails.
  files.result = 2;
  EXPECT_EQ(Eval("FILEFIND('K')"), "2");
  files.result = kFileOpening;
  EXPECT_EQ(Eval("FILEFIND('K')"), "<status 166>");
  EXPECT_EQ(Eval("KEY$()"), "<status 166>");
  files.result = kOk;

  // Inside an accumulate pass the relation hook does the work of mode 4.
  RegisterHookAs<RelationHook>(RelationByHook, kHookRelation);
  files.call.clear();
  EXPECT_EQ(Eval("FILEREL(1;2;3;4;X=1)"), "");
  EXPECT_EQ(files.call, "relation 1 2 3 4 X=1");
  SysWordSetBits(kSysUpStat, 4, true);
  files.call.clear();
  EXPECT_EQ(Eval("FILEREL(1;2;3;4;X=1)"), "1");
  EXPECT_EQ(files.call, "");
  EXPECT_EQ(Eval("FILEREL(1;2;3;0;X=1)"), "");
  EXPECT_EQ(files.call, "relation 1 2 3 0 X=1");
}

}  // namespace
}  // namespace engine
