// The small tasks and the standard hooks: MantAux on the definition stack, the font file and the
// FontSet reordering, the procedure choices of PrcExec, the steps hook and the low-level hook.
#include "engine/shell/shell_tasks.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "engine/lang/variables.h"
#include "engine/shell/definitions.h"
#include "engine/ui/fonts.h"
#include "shell_fixture.h"

namespace engine {
namespace {

class ShellTasksTest : public testing::ShellFixture {
 protected:
  void TearDown() override {
    FontsClear();
    ShellFixture::TearDown();
  }
  int16_t Integer(const char* name) {
    int16_t value = -1;
    if (!VarInteger(StrView(name), &value)) return -1;
    return value;
  }
};

TEST_F(ShellTasksTest, MantAuxPushesAndPopsTheDefinitionStack) {
  EXPECT_EQ(MantAux(StrLit("1,1")), kOk);
  EXPECT_EQ(SlotCount(kGroupDefinitionStack), 1);
  EXPECT_EQ(MantAux(StrLit("1,0")), kOk);
  EXPECT_EQ(SlotCount(kGroupDefinitionStack), 0);
  // Without both parameter files there is nothing to copy.
  EXPECT_EQ(MantAux(StrLit("0")), kOk);
  EXPECT_EQ(MantAux(StrLit("2")), kBadInputData);
  EXPECT_EQ(Detail(), "2");
}

TEST_F(ShellTasksTest, TheFirstEntryOfTheFontFileJoinsTheFonts) {
  ASSERT_EQ(AddFont(24, 12, 400, StrLit("Lucida Console")), kOk);
  EXPECT_EQ(LoadFontFile(), kOk);
  EXPECT_EQ(FontCount(), 1);
  dir_.Write("QNFONT.PPN", "20;10;Bold;  Courier New \r\n16;8;;Fixed\r\n");
  ASSERT_EQ(LoadFontFile(), kOk);
  ASSERT_EQ(FontCount(), 2);
  const UserFont* font = CurrentFont();
  EXPECT_EQ(font->height, 20);
  EXPECT_EQ(font->width, 10);
  EXPECT_EQ(font->weight, 700);
  EXPECT_STREQ(font->face.data(), "Courier New");
  EXPECT_EQ(SlotCount(kGroupDefinitionStack), 0);
}

TEST_F(ShellTasksTest, ThePickedFontEntryMovesToTheFrontOfTheFile) {
  const struct {
    uint16_t k;
    const char* text;
  } cases[] = {{1, "a\r\nb\r\nc\r\n"}, {2, "b\r\na\r\nc\r\n"}, {3, "c\r\na\r\nb\r\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.k);
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(testing::Show(FontEntriesPicked(StrLit("a:b:c"), c.k)), c.text);
    StrAreaRelease(mark);
  }
  // Without a selection window nothing is picked and the file stays as it is.
  dir_.Write("QNFONT.PPN", "20;10;;A\r\n16;8;;B\r\n");
  EXPECT_EQ(FontSet(), kOk);
  EXPECT_EQ(dir_.Read("QNFONT.PPN"), "20;10;;A\r\n16;8;;B\r\n");
  EXPECT_EQ(SlotCount(kGroupDefinitionStack), 0);
}

TEST_F(ShellTasksTest, ProcedureChoicesListMatchingFilesWithTheirTitles) {
  std::filesystem::create_directory(dir_.path() / "defs");
  dir_.Write("defs/CLOSE.PRC", "; Close the month\r\nX=1\r\n");
  dir_.Write("defs/CLEAN.PRC", "TITLE$:'Clean up':\r\nX=1\r\n");
  dir_.Write("defs/CLEAR.PRC", "X=1\r\n");
  dir_.Write("defs/OTHER.PRC", "; Other\r\n");
  SetItem(kEnvSearchPath, dir_ / "defs");
  const uint16_t mark = StrAreaMark();
  StrRef titles;
  StrRef files;
  ASSERT_EQ(ProcedureChoices(StrLit("CL*.prc"), &titles, &files), kOk);
  EXPECT_EQ(testing::Show(titles), "'Clean up','CLEAR.PRC','Close the month'");
  const std::string folder = dir_ / "defs";
  EXPECT_EQ(testing::Show(files),
            folder + "\\CLEAN.PRC," + folder + "\\CLEAR.PRC," + folder + "\\CLOSE.PRC");
  StrAreaRelease(mark);
  EXPECT_EQ(ProcedureChoices(StrLit("NONE*"), &titles, &files), kFileNotFound);
  EXPECT_EQ(Detail(), "Process not defined");
  EXPECT_EQ(StrAreaMark(), mark);
  // Without a selection window the list is offered and nothing runs.
  EXPECT_EQ(PrcExec(StrLit("CL*.PRC")), kOk);
  // A name without '*' is the procedure file itself.
  EXPECT_EQ(PrcExec(StrLit("CLOSE")), kFileNotFound);
  EXPECT_EQ(Detail(), "CLOSE");
}

TEST_F(ShellTasksTest, TheStepsHookRunsStepsWhenTheFormIsConfirmed) {
  RegisterStandardHooks();
  const auto steps = HookAs<TaskWindowHook>(kHookSteps);
  ASSERT_NE(steps, nullptr);
  ASSERT_EQ(VarAssign(StrLit("STEPS$"), StrLit("'ExpEval A=1'"), ValueKind::kString), kOk);
  ASSERT_EQ(VarAssign(StrLit("COND$"), StrLit("X>1"), ValueKind::kString), kOk);
  EXPECT_EQ(steps(21), kNothing);
  EXPECT_EQ(Integer("A"), -1);
  EXPECT_EQ(steps(kFormConfirmed), kOk);
  EXPECT_EQ(Integer("A"), 1);
  EXPECT_EQ(SlotGet(kGroupDiagnostics, kDiagCondition).view(), "X>1");
  const auto low = HookAs<TaskWindowHook>(kHookLowLevel);
  ASSERT_NE(low, nullptr);
  EXPECT_EQ(low(kFormConfirmed), kFeatureRemoved);
  EXPECT_EQ(Detail(), "TaskLowLevel");
}

}  // namespace
}  // namespace engine
