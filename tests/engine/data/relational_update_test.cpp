// Relational-update texts: loading (repeated entries joined, the last line first), the entries a
// list names, entries a file does not have, unloading by level, the default list, applying with
// both signs; the save routine and InsertWhile.
#include "engine/data/relational_update.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data_fixture.h"
#include "engine/core/string_slots.h"
#include "engine/core/value_tables.h"
#include "engine/data/field_ref.h"
#include "engine/data/navigation.h"
#include "engine/data/relations.h"
#include "engine/lang/expression.h"
#include "engine/lang/variables.h"

namespace engine {
namespace {

using testing::DataFixture;
using testing::Show;
using Rows = std::vector<std::string>;

// items (1): CODE A4 (key 1), QTY N4; docs (2): DOC A4, N_LINE N2 (key 1: both), VAL N4;
// plain (3): X A4 (key 1), Y N4. The texts file adds the quantity of items to T.
class RelupTest : public DataFixture {
 protected:
  void SetUp() override {
    DataFixture::SetUp();
    DefineTable("items", {{"CODE", 4, 'A'}, {"QTY", 4, 'N'}}, {{0, 4}});
    DefineTable("docs", {{"DOC", 4, 'A'}, {"N_LINE", 2, 'N'}, {"VAL", 4, 'N'}}, {{0, 6}});
    DefineTable("plain", {{"X", 4, 'A'}, {"Y", 4, 'N'}}, {{0, 4}});
    WriteLines("TSRELUP.DAT", {"0100T=T+_SGN*QTY{1}", "0101one", "0101one-b", "0200zero2",
                               "0201first2", "0202second2", "0203 \tthird2", "comment line", "0300",
                               "0301a3", "0302b3", "0303c3", "0304T=T+)"});
    WriteLines("TSRELUPSQL.DAT", {"0100sql1"});
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvAppName, StrLit("TSAPP")), kOk);
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvSearchPath, StrView(folder().path().string())), kOk);
    for (uint8_t f = 1; f <= 3; ++f) ASSERT_EQ(FileOpen(f, 0), kOk);
    ASSERT_EQ(VarAssignInteger(StrLit("T"), 0), kOk);
    InstallFieldAccess();
  }
  static std::string Text(uint8_t file, const char* list) {
    StrAreaScope scope;
    return Show(RelupText(file, StrFromC(list)));
  }
  static std::string DefaultList(uint8_t file, const char* text, bool just_loaded) {
    StrAreaScope scope;
    return Show(RelupDefaultList(file, StrFromC(text), just_loaded));
  }
  static int16_t Total() {
    int16_t t = 0;
    EXPECT_TRUE(VarInteger(StrLit("T"), &t));
    return t;
  }
  static std::string Item(const char* code, int qty) {
    char r[16];
    std::snprintf(r, sizeof r, "%-4s%4d", code, qty);
    return r;
  }
};

TEST_F(RelupTest, TextsAreLoadedPerFileAndJoinedLastLineFirst) {
  EXPECT_EQ(Text(1, "1"), "");  // not loaded yet
  ASSERT_EQ(RelupLoad(1, StrLit("")), kOk);
  ASSERT_EQ(RelupLoad(2, StrLit("")), kOk);
  EXPECT_EQ(RelupBase(1), 0);
  EXPECT_EQ(RelupItemCount(1), 2);
  EXPECT_EQ(RelupBase(2), 2);
  EXPECT_EQ(RelupItemCount(2), 4);
  EXPECT_EQ(RelupLoad(1, StrLit("")), kOk);  // loaded once only
  EXPECT_EQ(SlotCount(kGroupRelUpdates), 6);
  const struct {
    uint8_t file;
    const char* list;
    const char* text;
  } cases[] = {
      {1, "", "T=T+_SGN*QTY{1}"},
      {1, "1", "T=T+_SGN*QTY{1};one-b;one"},
      // An entry file 1 does not have reads as empty, never as file 2's entry 1.
      {1, "3", "T=T+_SGN*QTY{1}"},
      {1, "0,1,1", "T=T+_SGN*QTY{1};one-b;one"},  // each entry once
      {1, "NONE", ""},
      {1, "99,100,-1", "T=T+_SGN*QTY{1}"},
      {2, "1,3", "zero2;first2;third2"},
      {2, "'2'", "zero2;second2"},  // the value of an expression
      {2, "1+2", "zero2;third2"},
      {2, "'1,2'", "zero2;first2;second2"},
      {3, "1", ""},  // not loaded
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.file) + ": " + c.list);
    EXPECT_EQ(Text(c.file, c.list), c.text);
  }
  EXPECT_EQ(Text(1, "1+)").substr(0, 8), "<status ");
  // The SQL flavour reads the other texts file; a file with no lines loads no texts.
  (void)SysWordSetBits(kSysAuxStat, kAuxStatSql, true);
  ASSERT_EQ(RelupLoad(3, StrLit("")), kOk);
  (void)SysWordSetBits(kSysAuxStat, kAuxStatSql, false);
  EXPECT_TRUE(RelupLoaded(3));
  EXPECT_EQ(RelupItemCount(3), 0);
  EXPECT_EQ(Text(3, "1"), "");
  // "NONE" loads nothing.
  RelupUnload(3, RelupBase(3));
  ASSERT_EQ(RelupLoad(3, StrLit("NONE")), kOk);
  EXPECT_FALSE(RelupLoaded(3));
  ASSERT_EQ(RelupLoad(3, StrLit("")), kOk);
  EXPECT_EQ(Text(3, "1,2,3"), "a3;b3;c3");
}

TEST_F(RelupTest, ALineTooLongIsRefusedNamingItsFileAndLine) {
  // Its cut-off rest begins like a line of file 1 and must not be read as one.
  std::string line = "0201" + std::string(70000, 'x');
  line.replace(65000, 6, "0101zz");
  WriteLines("TSRELUP.DAT", {"0100T=1", line, "0102after"});
  EXPECT_EQ(RelupLoad(1, StrLit("")), kStringTooLong);
  EXPECT_FALSE(RelupLoaded(1));
  const std::string detail = Show(DetailText());
  EXPECT_NE(detail.find("TSRELUP.DAT, line 2"), std::string::npos) << detail;
  EXPECT_EQ(SlotCount(kGroupRelUpdates), 0);
}

TEST_F(RelupTest, UnloadingForgetsEveryFileWhoseTextsItRemoved) {
  ASSERT_EQ(RelupLoad(2, StrLit("")), kOk);  // items 0..3
  ASSERT_EQ(RelupLoad(1, StrLit("")), kOk);  // items 4..5
  // Unloading file 1's level keeps file 2.
  RelupUnload(1, RelupBase(1));
  EXPECT_FALSE(RelupLoaded(1));
  EXPECT_TRUE(RelupLoaded(2));
  EXPECT_EQ(SlotCount(kGroupRelUpdates), 4);
  EXPECT_EQ(Text(2, "3"), "zero2;third2");
  // A level inside file 2's items forgets file 2 as well: nothing points at freed items.
  ASSERT_EQ(RelupLoad(1, StrLit("")), kOk);
  RelupUnload(1, 2);
  EXPECT_FALSE(RelupLoaded(1));
  EXPECT_FALSE(RelupLoaded(2));
  EXPECT_EQ(Text(2, "3"), "");
  // Loading again gives each file its own texts.
  ASSERT_EQ(RelupLoad(1, StrLit("")), kOk);
  ASSERT_EQ(RelupLoad(2, StrLit("")), kOk);
  EXPECT_EQ(Text(2, "3"), "zero2;third2");
  EXPECT_EQ(Text(1, "1"), "T=T+_SGN*QTY{1};one-b;one");
  // Closing and opening a file forgets its texts; the items stay until unloaded.
  ASSERT_EQ(FileClose(2), kOk);
  ASSERT_EQ(FileOpen(2, 0), kOk);
  EXPECT_FALSE(RelupLoaded(2));
  RelupUnload(1, 0);
  EXPECT_EQ(SlotCount(kGroupRelUpdates), 0);
  EXPECT_FALSE(RelupLoaded(1));
}

TEST_F(RelupTest, TheDefaultListFollowsTheLoadedTexts) {
  ASSERT_EQ(RelupLoad(1, StrLit("")), kOk);
  ASSERT_EQ(RelupLoad(2, StrLit("")), kOk);
  ASSERT_EQ(RelupLoad(3, StrLit("")), kOk);
  const struct {
    uint8_t file;
    const char* text;
    bool just_loaded;
    const char* list;
  } cases[] = {
      {1, "", true, "1"}, {2, "", true, "1+(N_LINE{}>0)"}, {3, "", true, ""},
      {2, "", false, ""}, {2, "NONE", true, "NONE"},       {2, "5", true, "5"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.file) + ": " + c.text);
    EXPECT_EQ(DefaultList(c.file, c.text, c.just_loaded), c.list);
  }
  // The line list takes entry 1 for a header (line 0) and entry 2 for a line, evaluated for the
  // file whatever the current file is.
  SysWordSet(kSysCurFil, 1);
  ASSERT_EQ(Insert(2, "D1   0   1"), kFound);
  EXPECT_EQ(Text(2, "1+(N_LINE{}>0)"), "zero2;first2");
  ASSERT_EQ(Insert(2, "D1   3   1"), kFound);
  EXPECT_EQ(Text(2, "1+(N_LINE{}>0)"), "zero2;second2");
  EXPECT_EQ(SysWord(kSysCurFil), 1);
}

TEST_F(RelupTest, ApplyingWithdrawsTheRecordAsItWasAndAddsItAsSaved) {
  Put(1, Item("A", 8));
  ASSERT_EQ(BufferPut(1, kHalfRead, StrView(Item("A", 5))), kOk);
  const StrRef text = StrLit("T=T+_SGN*QTY{1},S=_SGN,U=_UPSTAT");
  EXPECT_EQ(RelupApply(1, -1, text), kOk);
  EXPECT_EQ(Total(), -5);
  EXPECT_EQ(Current(1), Item("A", 8));  // the current record is put back
  EXPECT_EQ(RelupApply(1, 1, text), kOk);
  EXPECT_EQ(Total(), 3);
  int16_t sign = 0;
  ASSERT_TRUE(VarInteger(StrLit("S"), &sign));
  EXPECT_EQ(sign, 1);
  EXPECT_EQ(SysWord(kSysSgn), 0);
  // The SQL flavour is on while the text is evaluated.
  (void)SysWordSetBits(kSysAuxStat, kAuxStatSql, true);
  EXPECT_EQ(RelupApply(1, 1, text), kOk);
  (void)SysWordSetBits(kSysAuxStat, kAuxStatSql, false);
  int16_t upstat = 0;
  ASSERT_TRUE(VarInteger(StrLit("U"), &upstat));
  EXPECT_TRUE(upstat & kUpStatSql);
  EXPECT_FALSE(SysWordTest(kSysUpStat, kUpStatSql));
  // Off without _UPSTAT bit 1; a failing text is the status, and the record is put back.
  (void)SysWordSetBits(kSysUpStat, kUpStatRelations, false);
  EXPECT_EQ(RelupApply(1, 1, text), kOk);
  EXPECT_EQ(Total(), 11);
  (void)SysWordSetBits(kSysUpStat, kUpStatRelations, true);
  EXPECT_TRUE(RelupApply(1, -1, StrLit("T=T+)")).IsError());
  EXPECT_EQ(Current(1), Item("A", 8));
  EXPECT_EQ(SysWord(kSysSgn), 0);
}

TEST_F(RelupTest, TheSaveRoutineWritesAndAppliesByItsWord) {
  ASSERT_EQ(RelupLoad(1, StrLit("")), kOk);
  const uint16_t ins = NavCommandWord(StrLit("INS"));
  const uint16_t sve = NavCommandWord(StrLit("SVE"));
  const uint16_t del = NavCommandWord(StrLit("DEL"));
  // An insertion adds the record.
  Put(1, Item("A", 5));
  EXPECT_EQ(SaveWithRelations(ins, 1, StrLit(""), StrLit("")), kOk);
  EXPECT_EQ(Total(), 5);
  // A duplicate key 1 is refused with 5: nothing written or applied, the typed record kept.
  ASSERT_EQ(Insert(1, Item("B", 1)), kFound);
  ASSERT_EQ(VarAssignInteger(StrLit("T"), 6), kOk);
  Put(1, Item("A", 9));
  EXPECT_EQ(SaveWithRelations(ins, 1, StrLit(""), StrLit("")), kBadKey);
  EXPECT_EQ(Current(1), Item("A", 9));
  EXPECT_EQ(CurrentRecordNumber(1), 1u);
  EXPECT_EQ(Total(), 6);
  EXPECT_EQ(IndexEntryCount(1), 2u);
  // Without the duplicate check the record goes in; the repeated key it reports is still
  // applied, as the record is written.
  (void)SysWordSetBits(kSysUpStat, kUpStatNoKeyCheck, true);
  EXPECT_EQ(SaveWithRelations(ins, 1, StrLit(""), StrLit("")), kRepeatedKey);
  (void)SysWordSetBits(kSysUpStat, kUpStatNoKeyCheck, false);
  EXPECT_EQ(IndexEntryCount(1), 3u);
  EXPECT_EQ(Total(), 15);
  // An update withdraws the record as read and adds it as saved, and saving again after another
  // change withdraws what the first save applied.
  ASSERT_EQ(Find(1, 1, "B"), kFound);
  ASSERT_EQ(FieldSet(1, 2, StrLit("4")), kOk);
  EXPECT_EQ(SaveWithRelations(sve, 1, StrLit(""), StrLit("")), kOk);
  EXPECT_EQ(Total(), 18);
  ASSERT_EQ(FieldSet(1, 2, StrLit("10")), kOk);
  EXPECT_EQ(SaveWithRelations(sve, 1, StrLit(""), StrLit("")), kOk);
  EXPECT_EQ(Total(), 24);
  EXPECT_EQ(SaveWithRelations(sve, 1, StrLit(""), StrLit("")), kOk);  // unchanged
  EXPECT_EQ(Total(), 24);
  ASSERT_EQ(Find(1, 1, "B"), kFound);
  EXPECT_EQ(Current(1), Item("B", 10));
  // A blank key writes nothing and applies nothing (neither withdrawal nor addition).
  Put(1, Item("", 50));
  EXPECT_EQ(SaveWithRelations(sve, 1, StrLit(""), StrLit("")), kOk);
  EXPECT_EQ(SaveWithRelations(ins, 1, StrLit(""), StrLit("")), kOk);
  EXPECT_EQ(Total(), 24);
  EXPECT_EQ(IndexEntryCount(1), 3u);
  // A key expression that gives a blank record's value fails the check the same way.
  Put(1, Item("C", 50));
  EXPECT_EQ(SaveWithRelations(ins, 1, StrLit(""), StrLit("'fixed'")), kOk);
  EXPECT_EQ(IndexEntryCount(1), 3u);
  EXPECT_EQ(SaveWithRelations(ins, 1, StrLit(""), StrLit("CODE{1}")), kOk);
  EXPECT_EQ(IndexEntryCount(1), 4u);
  EXPECT_EQ(Total(), 74);
  // A deletion withdraws the record.
  ASSERT_EQ(Find(1, 1, "C"), kFound);
  EXPECT_EQ(SaveWithRelations(del, 1, StrLit(""), StrLit("")), kOk);
  EXPECT_EQ(Total(), 24);
  EXPECT_EQ(Find(1, 1, "C"), kEndOfFile);
  // Without a current record a deletion deletes and withdraws nothing.
  EXPECT_EQ(SaveWithRelations(del, 1, StrLit(""), StrLit("")), kEndOfFile);
  EXPECT_EQ(Total(), 24);
  // "NONE", and the word bit that skips the texts, write without applying.
  Put(1, Item("D", 100));
  EXPECT_EQ(SaveWithRelations(kSaveInsert, 1, kRelupNone, StrLit("")), kOk);
  Put(1, Item("E", 100));
  EXPECT_EQ(SaveWithRelations(kSaveInsert | kSaveNoRelup, 1, StrLit(""), StrLit("")), kOk);
  EXPECT_EQ(IndexEntryCount(1), 5u);
  EXPECT_EQ(Total(), 24);
  // A failing text leaves the record written.
  ASSERT_EQ(RelupLoad(3, StrLit("")), kOk);
  Put(3, "X      1");
  EXPECT_TRUE(SaveWithRelations(kSaveInsert, 3, StrLit("4"), StrLit("")).IsError());
  EXPECT_EQ(IndexEntryCount(3), 1u);
}

TEST_F(RelupTest, InsertWhileInsertsAndCountsUntilTheRecordConditionFails) {
  ASSERT_EQ(RelupLoad(1, StrLit("")), kOk);
  ASSERT_EQ(VarAssignInteger(StrLit("I"), 0), kOk);
  int per_record = 0;
  int steps = 0;
  uint32_t count = 0;
  const StrRef record = StrLit("I=I+1,CODE{1}='N'+FN$TRIM(I),QTY{1}=I,I<=3");
  EXPECT_EQ(InsertWhile(
                1, StrLit("I=0,1"), StrLit(""), record, StrLit(""), StrLit("I>=9"),
                [&] {
                  ++per_record;
                  return Status(kOk);
                },
                [&] {
                  ++steps;
                  return Status(kOk);
                },
                &count),
            kOk);
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(per_record, 3);
  EXPECT_EQ(steps, 3);
  EXPECT_EQ(Total(), 6);
  EXPECT_EQ(Walk(1, 1, 4), (Rows{"N1  ", "N2  ", "N3  "}));
  // A false start condition does nothing; the until condition ends the loop; a cancel too.
  EXPECT_EQ(InsertWhile(1, StrLit("0"), StrLit(""), record, StrLit(""), StrLit(""), nullptr,
                        nullptr, &count),
            kOk);
  EXPECT_EQ(count, 0u);
  // A step whose condition is false inserts nothing and goes on.
  ASSERT_EQ(VarAssignInteger(StrLit("I"), 10), kOk);
  ASSERT_EQ(VarAssignInteger(StrLit("J"), 0), kOk);
  EXPECT_EQ(
      InsertWhile(1, StrLit(""), StrLit("J=J+1,J<>2"), StrLit("I=I+1,CODE{1}='M'+FN$TRIM(I),1"),
                  StrLit(""), StrLit("J>=3"), nullptr, nullptr, &count),
      kOk);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(Walk(1, 1, 4), (Rows{"M11 ", "M12 ", "N1  ", "N2  ", "N3  "}));
  EXPECT_EQ(InsertWhile(
                1, StrLit(""), StrLit(""), StrLit("CODE{1}='Z',1"), StrLit(""), StrLit("0"),
                nullptr, [] { return Status(kUserCanceled); }, &count),
            kUserCanceled);
  EXPECT_EQ(count, 1u);
}

}  // namespace
}  // namespace engine
