// Definition files and task parameters: extensions by type, reading whole files and single
// records onto the definition stack, parameter names by number with the context prefix, and the
// values of parameters from variables.
#include "engine/shell/definitions.h"

#include <gtest/gtest.h>

#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "shell_fixture.h"

namespace engine {
namespace {

class DefinitionsTest : public testing::ShellFixture {
 protected:
  std::string ParamName(uint16_t n) {
    const uint16_t mark = StrAreaMark();
    const std::string name = testing::Show(TaskParamName(n));
    StrAreaRelease(mark);
    return name;
  }
  std::string Top() { return ToString(SlotLast(kGroupDefinitionStack)); }
  std::string Value(const char* key) { return Text(&DefinitionValue, key); }
};

TEST_F(DefinitionsTest, DefinitionFileNamesTakeTheExtensionOfTheirType) {
  const struct {
    uint16_t type;
    const char* name;
  } cases[] = {{1, "MENU.PPN"},  {4, "MENU.DAT"}, {5, "MENU.DAT"}, {9, "MENU.PMT"},
               {14, "MENU.CFG"}, {0, "MENU"},     {15, "MENU"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.type);
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(testing::Show(DefFileName(StrLit("MENU"), c.type)), c.name);
    StrAreaRelease(mark);
  }
}

TEST_F(DefinitionsTest, ParameterNamesComeFromTheirRangeAndTakeTheContextPrefix) {
  const struct {
    uint16_t n;
    const char* name;
  } cases[] = {{1, "MODULES$"},
               {4, "SUBMENU$"},
               {74, "COND$"},
               {80, "TITLE$"},
               {81, "WD"},
               {82, ""},
               {91, "DEVICE$"},
               {92, "DOCNAME$"},
               {98, "STEPS$"},
               {99, "PRCNAME$"},
               {104, "PARM_FILE$"},
               {105, "PARM_FILE_WRITE$"},
               {116, "STRUCT$"},
               {117, ""},
               {90, ""},
               {100, ""},
               {0, ""},
               {10, ""},
               {64, "USR_COND$"},
               {65, "IK$(1)"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    EXPECT_EQ(ParamName(c.n), c.name);
  }
  ASSERT_EQ(SlotSet(kGroupDiagnostics, kDiagContextNames, StrLit("ORDER,LINE")), kOk);
  SysWordSet(kSysAux, 2);
  EXPECT_EQ(ParamName(92), "LINE.DOCNAME$");
  EXPECT_EQ(ParamName(90), "");
  SysWordSet(kSysAux, 0);
}

TEST_F(DefinitionsTest, AWholeFileOrOneRecordIsPushedOnTheDefinitionStack) {
  dir_.Write("MENU.PPN",
             "01 MENU$:Files,Customers\r\n01 EXEC$:'MantMain CUST'\r\n 2 MENU$:Reports\r\n"
             "10 TITLE$=Ten\n");
  ASSERT_EQ(ReadDefinition(StrLit("MENU.PPN"), kAllRecords, kDefPpn, ':'), kOk);
  EXPECT_EQ(Top(),
            "01 MENU$:Files,Customers:01 EXEC$:'MantMain CUST': 2 MENU$:Reports:10 TITLE$=Ten");
  ASSERT_EQ(ReadDefinition(StrLit("menu.ppn"), 1, kDefPpn, ':'), kOk);
  EXPECT_EQ(Top(), "MENU$:Files,Customers:EXEC$:'MantMain CUST'");
  EXPECT_EQ(Value("EXEC$"), "MantMain CUST");
  EXPECT_EQ(Value("MENU$"), "FILES,CUSTOMERS");
  ASSERT_EQ(ReadDefinition(StrLit("MENU.PPN"), 2, kDefPpn, '|'), kOk);
  EXPECT_EQ(Top(), "MENU$:Reports");
  EXPECT_EQ(SlotCount(kGroupDefinitionStack), 3);
  ASSERT_EQ(DropDefinition(), kOk);
  EXPECT_EQ(Top(), "MENU$:Files,Customers:EXEC$:'MantMain CUST'");
  EXPECT_EQ(ReadDefinition(StrLit("MENU.PPN"), 7, kDefPpn, ':'), kFileNotFound);
  EXPECT_EQ(ReadDefinition(StrLit("NONE.PPN"), kAllRecords, kDefPpn, ':'), kFileNotFound);
  EXPECT_EQ(Detail(), "NONE.PPN");
  EXPECT_EQ(SlotCount(kGroupDefinitionStack), 2);
}

TEST_F(DefinitionsTest, RecordTypesAreReadWhereEachFileTypeKeepsThem) {
  const struct {
    uint16_t type;
    const char* line;
    uint16_t record;
    const char* text;
  } cases[] = {
      {kDefPpn, "12 text", 12, "text"},
      {kDefPpn, " 3 text", 3, "text"},
      {kDefPan, "\"12text\"", 12, "text"},
      {kDefStp, "0042 step", 42, "step"},
      {kDefDat, "31<0001010>", 31, "<0001010>"},
      {kDefPdc, "00007rest", 7, "00007rest"},
      {kDefPmt, "Files", 0, "Files"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(LineRecordType(c.type, StrView(c.line)), c.record);
    EXPECT_EQ(LineRecordText(c.type, StrView(c.line)).view(), c.text);
  }
}

TEST_F(DefinitionsTest, AParameterWithoutAWindowIsTheVariableOfItsName) {
  ASSERT_EQ(VarAssign(StrLit("STEPS$"), StrLit("'ExpEval A=1',B"), ValueKind::kString), kOk);
  ASSERT_EQ(VarAssignInteger(StrLit("MAX_IDS_ATTR"), 12), kOk);
  const struct {
    uint16_t n;
    uint16_t field;
    const char* value;
  } cases[] = {{98, 0, "'ExpEval A=1',B"},
               {98, 2, "B"},
               {98, kNothing, "'ExpEval A=1',B"},
               {8, 0, "12"},
               {92, 0, ""},
               {65, 0, ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.n);
    const uint16_t mark = StrAreaMark();
    EXPECT_EQ(testing::Show(TaskParam(c.n, c.field)), c.value);
    StrAreaRelease(mark);
  }
  // Under a context the bare name still reaches the variable.
  ASSERT_EQ(SlotSet(kGroupDiagnostics, kDiagContextNames, StrLit("ORDER")), kOk);
  SysWordSet(kSysAux, 1);
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(testing::Show(TaskParam(98, 2)), "B");
  StrAreaRelease(mark);
  SysWordSet(kSysAux, 0);
}

}  // namespace
}  // namespace engine
