// Relations: rules in the option strings (matched only where an entry starts), FILEREL in its
// modes, a related record created from cleared buffers, the SQL flavour, the step to the
// neighbour record, and the engine's relation hook with its fill-in.
#include "engine/data/relations.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data_fixture.h"
#include "engine/core/value_tables.h"
#include "engine/data/data_functions.h"
#include "engine/data/field_ref.h"
#include "engine/data/stat_move.h"
#include "engine/lang/expression.h"
#include "engine/lang/field_types.h"
#include "engine/lang/variables.h"
#include "engine/shell/hooks.h"

namespace engine {
namespace {

using testing::DataFixture;
using testing::Show;
using Rows = std::vector<std::string>;

// lines (1): CODE A4 (key 1), REF A4, AMT N6; heads (2): HCODE A4 (key 1), NAME A8 (key 2),
// TOTAL N6, TMPX N4, NOTE A6.
class RelationTest : public DataFixture {
 protected:
  void SetUp() override {
    DataFixture::SetUp();
    DefineTable("lines", {{"CODE", 4, 'A'}, {"REF", 4, 'A'}, {"AMT", 6, 'N'}}, {{0, 4}});
    DefineTable("heads",
                {{"HCODE", 4, 'A'},
                 {"NAME", 8, 'A'},
                 {"TOTAL", 6, 'N'},
                 {"TMPX", 4, 'N'},
                 {"NOTE", 6, 'A'}},
                {{0, 4}, {4, 8}});
    ASSERT_EQ(FileOpen(1, 0), kOk);
    ASSERT_EQ(FileOpen(2, 0), kOk);
    const struct {
      const char* code;
      const char* ref;
      int amount;
    } lines[] = {
        {"L1", "H1", 5}, {"L2", "H2", 7}, {"L3", "H9", 11}, {"L4", "H3", 2}, {"L5", "H25", 4}};
    for (const auto& l : lines) {
      char line[32];
      std::snprintf(line, sizeof line, "%-4s%-4s%6d", l.code, l.ref, l.amount);
      ASSERT_EQ(Insert(1, line), kFound);
    }
    ASSERT_EQ(Insert(2, Head("H1", "alpha", 10)), kFound);
    ASSERT_EQ(Insert(2, Head("H3", "gamma", 30)), kFound);
    InstallFieldAccess();
    InstallDataFunctions();
  }
  void TearDown() override {
    HooksClear();
    DataFixture::TearDown();
  }
  static std::string Head(const std::string& code, const std::string& name, int total,
                          const std::string& tmpx = "    ", const std::string& note = "") {
    std::string c = code;
    c.resize(4, ' ');
    std::string n = name;
    n.resize(8, ' ');
    char t[8];
    std::snprintf(t, sizeof t, "%6d", total);
    std::string o = note;
    o.resize(6, ' ');
    return c + n + t + tmpx + o;
  }
  static void OnLine(const char* code) { ASSERT_EQ(Find(1, 1, code), kFound); }
  static std::string HeadOf(const char* code) {
    EXPECT_EQ(Find(2, 1, code), kFound) << code;
    return Current(2);
  }
  static Status Rel(uint16_t mode, const char* expression, uint16_t rule = 1) {
    return FileRel(1, 2, rule, mode, StrFromC(expression));
  }
  static int16_t RelRes() { return SysWord(kSysRelRes); }
};

TEST_F(RelationTest, RulesAreFoundByTargetAndRelationNumber) {
  const struct {
    const char* options;
    uint8_t target;
    uint16_t relation;
    uint16_t key;
    const char* expression;
  } cases[] = {
      {"2R1K3=CODE{1}", 2, 1, 3, "CODE{1}"},
      {"2R1K3:CODE{1}", 2, 1, 3, "CODE{1}"},
      // The rule for file 2 is not found inside the rule for file 12, nor that of relation 1
      // inside relation 11.
      {"12R1K1=X{1}", 2, 1, 0, ""},
      {"2R11K1=X{1}", 2, 1, 0, ""},
      {"12R1K1=X{1}:2R1K2=REF{1}", 2, 1, 2, "REF{1}"},
      {"A 2R1K2=REF{1}&2R2K1=CODE{1}", 2, 2, 1, "CODE{1}"},
      {"x/2R1K2='REF{1} '", 2, 1, 2, "REF{1} "},
      {"9R1K1='2R1K4=Q' ", 2, 1, 0, ""},  // inside quotes
      {"2R1K=CODE{1}", 2, 1, 0, ""},      // no key number
      {"2R1K2=REF{1}", 1, 1, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options);
    DefineTable("probe", {{"F", 1, 'A'}}, {{0, 1}});
    const auto probe = FileCount();
    ASSERT_EQ(AddFileOptions(probe, StrFromC(c.options)), kOk);
    EXPECT_EQ(RelationKey(probe, c.target, c.relation), c.key);
    StrAreaScope scope;
    EXPECT_EQ(Show(RelationExpression(probe, c.target, c.relation)), c.expression);
  }
}

TEST_F(RelationTest, FileRelFindsCreatesUpdatesAndDeletes) {
  ASSERT_EQ(AddFileOptions(1, StrLit("2R1K1=REF{1}:2R2K1=NOPE{1}")), kOk);
  // Mode 0 without an expression positions the related file.
  OnLine("L4");
  EXPECT_EQ(Rel(0, ""), kFound);
  EXPECT_EQ(Current(2), Head("H3", "gamma", 30));
  EXPECT_EQ(RelRes(), kRelResNone);
  // A found record is updated by the expression.
  OnLine("L1");
  EXPECT_EQ(Rel(0, "TOTAL{2}=TOTAL{2}+AMT{1}"), kFound);
  EXPECT_EQ(HeadOf("H1"), Head("H1", "alpha", 15));
  // A miss under mode 4 with a greater key present (status 1) inserts, _RELRES staying 0. The
  // new record starts from cleared buffers with its key set: nothing of H1 (still in the
  // buffers) or of the greater record H3 is carried over.
  OnLine("L2");
  ASSERT_EQ(Find(2, 1, "H1"), kFound);
  EXPECT_EQ(Rel(kRelModeCreate, "TOTAL{2}=TOTAL{2}+AMT{1}"), kFound);
  EXPECT_EQ(RelRes(), kRelResNone);
  EXPECT_EQ(HeadOf("H2"), Head("H2", "", 7, "    ", ""));
  OnLine("L5");
  EXPECT_EQ(Rel(kRelModeCreate | kRelModeGreater, "TOTAL{2}=TOTAL{2}+AMT{1}"), kFound);
  EXPECT_EQ(HeadOf("H25"), Head("H25", "", 4));
  // Past the last key (status 2) _RELRES is 4.
  OnLine("L3");
  EXPECT_EQ(Rel(kRelModeCreate, ""), kFound);
  EXPECT_EQ(RelRes(), kRelResCreated);
  EXPECT_EQ(HeadOf("H9"), Head("H9", "", 0).substr(0, 12) + std::string(16, ' '));
  // Mode 8 changes nothing; a miss without mode 4 creates nothing.
  OnLine("L1");
  EXPECT_EQ(Rel(kRelModeNoChange, "TOTAL{2}=0"), kFound);
  EXPECT_EQ(HeadOf("H1"), Head("H1", "alpha", 15));
  ASSERT_EQ(RecordDelete(2, 0), kOk);
  EXPECT_EQ(Rel(0, "TOTAL{2}=0"), kKeyNotFound);
  EXPECT_EQ(IndexEntryCount(2), 4u);
  // Mode 12 deletes the record found.
  OnLine("L4");
  EXPECT_EQ(Rel(kRelModeCreate | kRelModeNoChange, ""), kOk);
  EXPECT_EQ(RelRes(), kRelResDeleted);
  EXPECT_EQ(Walk(2, 1, 4), (Rows{"H2  ", "H25 ", "H9  "}));
  EXPECT_EQ(Rel(kRelModeCreate | kRelModeNoChange, ""), kKeyNotFound);
  EXPECT_EQ(RelRes(), kRelResNone);
  // A missing rule, a rule whose expression fails.
  EXPECT_EQ(Rel(0, "", 7), kBadInputData);
  EXPECT_EQ(Rel(0, "", 2), kSyntaxError);
  // Through the expression function.
  OnLine("L2");
  StrAreaScope scope;
  EXPECT_EQ(Show(EvalText(StrLit("FILEREL(1;2;1;4;TOTAL{2}=TOTAL{2}+100)"))), "");
  EXPECT_EQ(HeadOf("H2"), Head("H2", "", 107));
  EXPECT_EQ(Show(EvalText(StrLit("FILEREL(1;2;5;0)"))), "<status 163>");
}

TEST_F(RelationTest, TheSqlFlavourUpdatesEveryRecordOfTheKeyValue) {
  ASSERT_EQ(AddFileOptions(1, StrLit("2R1K1=FN$MIDS(REF{1};1;1)")), kOk);
  (void)SysWordSetBits(kSysUpStat, kUpStatSql, true);
  OnLine("L1");
  ASSERT_EQ(Find(2, 1, "H3"), kFound);
  EXPECT_EQ(Rel(0, "TOTAL{2}=TOTAL{2}+1"), kOk);
  EXPECT_EQ(HeadOf("H1"), Head("H1", "alpha", 11));
  EXPECT_EQ(HeadOf("H3"), Head("H3", "gamma", 31));
  // Without an expression it is a plain search.
  EXPECT_EQ(Rel(0, ""), kFound);
  (void)SysWordSetBits(kSysUpStat, kUpStatSql, false);
}

TEST_F(RelationTest, ARelationCanStepToTheNeighbourRecord) {
  ASSERT_EQ(AddFileOptions(1, StrLit("2R1K1=REF{1}")), kOk);
  ASSERT_EQ(Insert(2, Head("H5", "epsilon", 50)), kFound);
  OnLine("L1");
  (void)SysWordSetBits(kSysScrStat, kScrStatNeighbour, true);
  EXPECT_EQ(Rel(kRelModeGreater, ""), kFound);
  EXPECT_EQ(Current(2).substr(0, 4), "H3  ");
  EXPECT_EQ(RelRes(), kRelResStepped);
  EXPECT_FALSE(SysWordTest(kSysScrStat, kScrStatNeighbour));
  // Backward when the last key was 23; with mode 8 on until the expression holds.
  OnLine("L4");
  SysWordSet(kSysLastKey, kLastKeyBackward);
  (void)SysWordSetBits(kSysScrStat, kScrStatNeighbour, true);
  EXPECT_EQ(Rel(kRelModeGreater, ""), kFound);
  EXPECT_EQ(Current(2).substr(0, 4), "H1  ");
  SysWordSet(kSysLastKey, 0);
  OnLine("L1");
  (void)SysWordSetBits(kSysScrStat, kScrStatNeighbour, true);
  EXPECT_EQ(Rel(kRelModeGreater | kRelModeNoChange, "TOTAL{2}>40"), kFound);
  EXPECT_EQ(Current(2).substr(0, 4), "H5  ");
  EXPECT_EQ(HeadOf("H5"), Head("H5", "epsilon", 50));  // mode 8: nothing changed
  // Without the bit no step is made.
  OnLine("L1");
  EXPECT_EQ(Rel(kRelModeGreater, ""), kFound);
  EXPECT_EQ(Current(2).substr(0, 4), "H1  ");
  EXPECT_EQ(RelRes(), kRelResNone);
}

TEST_F(RelationTest, TheRelationHookFillsInTheRecordsItCreates) {
  ASSERT_EQ(AddFileOptions(1, StrLit("2R1K1=REF{1}")), kOk);
  ASSERT_EQ(RegisterStatMove(), kOk);
  (void)SysWordSetBits(kSysUpStat, kUpStatInPass, true);
  StrAreaScope scope;
  const std::string empty_number = Show(FormatStored('N', StrLit(""), 4));
  const char* add = "FILEREL(1;2;1;4;TOTAL{2}=TOTAL{2}+AMT{1})";
  // A miss: a new record with its key, the TMP fields emptied, the expression applied to it.
  OnLine("L2");
  ASSERT_EQ(Find(2, 1, "H1"), kFound);
  EXPECT_EQ(Show(EvalText(StrFromC(add))), "");
  EXPECT_EQ(RelRes(), kRelResCreated);
  EXPECT_EQ(HeadOf("H2"), Head("H2", "", 7, empty_number));
  // A hit adds to the record found.
  EXPECT_EQ(Show(EvalText(StrFromC(add))), "");
  EXPECT_EQ(RelRes(), kRelResNone);
  EXPECT_EQ(HeadOf("H2"), Head("H2", "", 14, empty_number));
  // RESET$ of the task, when it has one, fills the record in instead.
  ASSERT_EQ(VarAssign(StrLit("RESET$"), StrLit("NOTE{2}='fresh'"), ValueKind::kString), kOk);
  OnLine("L3");
  EXPECT_EQ(Show(EvalText(StrFromC(add))), "");
  EXPECT_EQ(HeadOf("H9"), Head("H9", "", 11, "    ", "fresh"));
  // No fill-in under _UPSTAT bit 8.
  (void)SysWordSetBits(kSysUpStat, kUpStatNoFillIn, true);
  OnLine("L5");
  EXPECT_EQ(Show(EvalText(StrFromC(add))), "");
  EXPECT_EQ(HeadOf("H25"), Head("H25", "", 4));
  // A deletion request is the ordinary one.
  EXPECT_EQ(Show(EvalText(StrLit("FILEREL(1;2;1;12)"))), "");
  EXPECT_EQ(RelRes(), kRelResDeleted);
  EXPECT_EQ(Find(2, 1, "H25"), kKeyNotFound);
  // Outside passes FILEREL does not go through the hook: no fill-in.
  (void)SysWordSetBits(kSysUpStat, kUpStatInPass | kUpStatNoFillIn, false);
  OnLine("L4");
  ASSERT_EQ(Find(2, 1, "H3"), kFound);
  ASSERT_EQ(RecordDelete(2, 0), kOk);
  EXPECT_EQ(Show(EvalText(StrFromC(add))), "");
  EXPECT_EQ(HeadOf("H3"), Head("H3", "", 2));
}

}  // namespace
}  // namespace engine
