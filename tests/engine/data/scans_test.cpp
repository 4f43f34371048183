// Scans and counts: the range check, steps under a condition with their progress, starts by key
// and in physical order, counts that leave the file as it was; StatMove, the keyed update pass
// and the distinct-value list of StGetList.
#include "engine/data/scans.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "data_fixture.h"
#include "engine/core/string_slots.h"
#include "engine/core/value_tables.h"
#include "engine/data/data_functions.h"
#include "engine/data/distinct_values.h"
#include "engine/data/field_ref.h"
#include "engine/data/navigation.h"
#include "engine/data/pass_progress.h"
#include "engine/data/record_lists.h"
#include "engine/data/relations.h"
#include "engine/data/stat_move.h"
#include "engine/lang/expression.h"
#include "engine/lang/field_types.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/variables.h"
#include "engine/shell/hooks.h"

namespace engine {
namespace {

using testing::DataFixture;
using testing::Show;
using Codes = std::vector<std::string>;

// moves: GRP A2, NUM A4 (key 1: GRP and NUM), QTY N4, DAY D8 (key 2): 18-byte records.
class ScanTest : public DataFixture {
 protected:
  void SetUp() override {
    DataFixture::SetUp();
    DefineTable("moves", {{"GRP", 2, 'A'}, {"NUM", 4, 'A'}, {"QTY", 4, 'N'}, {"DAY", 8, 'D'}},
                {{0, 6}, {10, 8}});
    ASSERT_EQ(FileOpen(1, kModeCurrent), kOk);
    const struct {
      const char* key;
      int qty;
      const char* day;
    } rows[] = {{"A 0001", 1, "20240105"}, {"A 0002", 5, "20240103"}, {"A 0003", 2, "20240101"},
                {"B 0001", 7, "20240102"}, {"B 0002", 3, "20240104"}, {"C 0001", 9, "20240106"}};
    for (const auto& r : rows) {
      char q[8];
      std::snprintf(q, sizeof q, "%4d", r.qty);
      ASSERT_EQ(Insert(1, std::string(r.key) + q + r.day), kFound);
    }
    InstallFieldAccess();
    InstallDataFunctions();
  }
  void TearDown() override {
    HooksClear();
    SysWordSet(kSysUpStat, 0);
    DataFixture::TearDown();
  }
  static std::string Key() { return Current(1).substr(0, 6); }
  static std::string Eval(const char* expression) {
    StrAreaScope scope;
    return testing::Show(EvalText(StrFromC(expression)));
  }
  static std::string Last() { return ToString(LastCondition()); }
  static Status Move(const char* command, const char* from, const char* to, const char* condition,
                     uint16_t given = 4) {
    return StatMove(StrFromC(command), StrFromC(from), StrFromC(to), StrFromC(condition), given);
  }
};

TEST_F(ScanTest, RangeCheckBoundsTheKeyByTheEndTextInTheStepDirection) {
  ASSERT_EQ(Find(1, 1, "B 0001"), kFound);
  const struct {
    uint8_t flags;
    const char* to;
    Status status;
  } cases[] = {
      {kStepNext, "", kOk},
      {kStepNext, "B", kOk},
      {kStepNext, "B 0001", kOk},
      {kStepNext, "B 0000", kEndOfFile},
      {kStepNext, "A", kEndOfFile},
      {kStepNext, "C", kOk},
      {kStepPrevious, "B", kOk},
      {kStepPrevious, "A", kOk},
      {kStepPrevious, "C", kEndOfFile},
      {kStepPrevious, "B 0002", kEndOfFile},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.flags) + " " + c.to);
    EXPECT_EQ(RangeCheck(1, c.flags, StrFromC(c.to)), c.status);
  }
  ASSERT_EQ(FileLocate(StrLit("BOT"), 1), kFound);
  ASSERT_EQ(KeyStep(1, kStepNext), kEndOfFile);
  EXPECT_EQ(RangeCheck(1, kStepNext, StrLit("")), kEndOfFile);
}

TEST_F(ScanTest, ScanStepFindsTheNextRecordInRangeThatHolds) {
  ASSERT_EQ(KeyStep(1, kStepFirst), kFound);
  std::vector<std::string> seen;
  const ScanProgress progress = [&](StrRef key) {
    seen.push_back(ToString(key));
    return Status(kOk);
  };
  // Without the move bit the current record is looked at first.
  EXPECT_EQ(ScanStep(1, kStepNext, StrLit("QTY{1}>4"), StrLit("B"), progress), kFound);
  EXPECT_EQ(Key(), "A 0002");
  EXPECT_EQ(seen, (Codes{"A "}));
  EXPECT_EQ(ScanStep(1, kStepNext, StrLit("QTY{1}>4"), StrLit("B"), progress), kFound);
  EXPECT_EQ(Key(), "A 0002");
  EXPECT_EQ(ScanStep(1, kStepNext | kScanMoveFirst, StrLit("QTY{1}>4"), StrLit("B"), progress),
            kFound);
  EXPECT_EQ(Key(), "B 0001");
  // B 0002 fails the condition and C 0001 lies past the range.
  EXPECT_EQ(ScanStep(1, kStepNext | kScanMoveFirst, StrLit("QTY{1}>4"), StrLit("B"), progress),
            kEndOfFile);
  EXPECT_EQ(FileCtrl(1).last_status, kEndOfFile);
  EXPECT_EQ(RecordUpdate(1), kEndOfFile);  // nothing current to change
  // Backward, within a lower bound.
  ASSERT_EQ(FileLocate(StrLit("BOT"), 1), kFound);
  EXPECT_EQ(ScanStep(1, kStepPrevious | kScanMoveFirst, StrLit(""), StrLit("B"), nullptr), kFound);
  EXPECT_EQ(Key(), "B 0002");
  EXPECT_EQ(ScanStep(1, kStepPrevious | kScanMoveFirst, StrLit("QTY{1}==5"), StrLit("B"), nullptr),
            kEndOfFile);
  // A failing condition and a cancelled progress end the scan with their status.
  ASSERT_EQ(KeyStep(1, kStepFirst), kFound);
  EXPECT_EQ(ScanStep(1, kStepNext, StrLit("QTY{1}>>"), StrLit(""), nullptr), kSyntaxError);
  int calls = 0;
  const ScanProgress cancelling = [&](StrRef) { return Status(++calls == 2 ? kUserCanceled : 0); };
  EXPECT_EQ(ScanStep(1, kStepNext, StrLit("QTY{1}>100"), StrLit(""), cancelling), kUserCanceled);
  EXPECT_EQ(calls, 2);
  // Dates of a key's first field reach the progress in their display form.
  seen.clear();
  ASSERT_EQ(Find(1, 2, "20240101"), kFound);
  EXPECT_EQ(ScanStep(1, kStepNext | kScanMoveFirst, StrLit(""), StrLit(""), progress), kFound);
  StrAreaScope scope;
  EXPECT_EQ(seen, (Codes{Show(FormatDisplay('D', StrLit("20240102"), kWidthAsIs))}));
}

TEST_F(ScanTest, ScanStartByKeyAndInPhysicalOrder) {
  ASSERT_EQ(SetLastCondition(StrLit("before")), kOk);
  EXPECT_EQ(ScanStart(1, 1, StrLit("A 0002"), StrLit(""), StrLit("QTY{1}<5"), nullptr), kFound);
  EXPECT_EQ(Key(), "A 0003");
  EXPECT_EQ(Last(), "QTY{1}<5");
  EXPECT_EQ(ScanNextMatching(1, 1, StrLit("QTY{1}<5"), StrLit(""), nullptr), kFound);
  EXPECT_EQ(Key(), "B 0002");
  EXPECT_EQ(ScanNextMatching(1, 1, StrLit("QTY{1}<5"), StrLit(""), nullptr), kEndOfFile);
  // The first record in range must hold as well: none of group A holds, so none is found.
  EXPECT_EQ(ScanStart(1, 1, StrLit("A"), StrLit("A"), StrLit("QTY{1}>5"), nullptr), kEndOfFile);
  EXPECT_EQ(Last(), "QTY{1}<5");  // only a start that finds something replaces it
  // No start text: from the first record of the key.
  EXPECT_EQ(ScanStart(1, 2, StrLit(""), StrLit(""), StrLit(""), nullptr), kFound);
  EXPECT_EQ(Key(), "A 0003");
  // Key 0: physical order, the condition only.
  ASSERT_EQ(Find(1, 1, "C 0001"), kFound);
  EXPECT_EQ(ScanStart(1, 0, StrLit("ignored"), StrLit(""), StrLit("QTY{1}>2"), nullptr), kFound);
  EXPECT_EQ(Key(), "A 0002");
  Codes order;
  for (Status s = kFound; s == kFound;
       s = ScanNextMatching(1, 0, StrLit("QTY{1}>2"), StrLit(""), nullptr)) {
    order.push_back(Key());
  }
  EXPECT_EQ(order, (Codes{"A 0002", "B 0001", "B 0002", "C 0001"}));
  // The physical scan's record is the current one: it can be changed.
  ASSERT_EQ(ScanStart(1, 0, StrLit(""), StrLit(""), StrLit("GRP{1}=='B '"), nullptr), kFound);
  ASSERT_EQ(FieldSet(1, 3, StrLit("70")), kOk);
  EXPECT_EQ(RecordUpdate(1), kOk);
  ASSERT_EQ(Find(1, 1, "B 0001"), kFound);
  EXPECT_EQ(Current(1).substr(6, 4), "  70");
}

TEST_F(ScanTest, RecordCountLeavesTheFileAsItWas) {
  ASSERT_EQ(Find(1, 1, "B 0002"), kFound);
  ASSERT_EQ(FieldSet(1, 3, StrLit("44")), kOk);
  ASSERT_EQ(RecListBuild(1, 1, StrLit("A"), StrLit("A"), kListNoLimit, 0, StrLit("")), kOk);
  ASSERT_EQ(RecListRead(1, kHalfCurrent, 1), kOk);
  ASSERT_EQ(FieldSet(1, 3, StrLit("44")), kOk);
  const std::string before = Current(1);
  ASSERT_EQ(SetLastCondition(StrLit("QTY{1}>0")), kOk);
  const struct {
    uint16_t key;
    const char* from;
    const char* to;
    const char* condition;
    uint32_t count;
  } cases[] = {
      {1, "", "", "", 6},         {1, "A", "B", "QTY{1}>2", 3},
      {1, "B", "", "", 3},        {2, "20240103", "20240104", "", 2},
      {0, "", "", "QTY{1}>4", 3}, {1, "D", "", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.from) + ".." + c.to + " " + c.condition);
    uint32_t count = 99;
    EXPECT_EQ(
        RecordCount(1, c.key, StrFromC(c.from), StrFromC(c.to), StrFromC(c.condition), &count),
        kOk);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(Current(1), before);
    EXPECT_EQ(FileCtrl(1).key, 1);
    EXPECT_EQ(CurrentRecordNumber(1), 1u);
    EXPECT_EQ(RecListCount(1), 3u);
    EXPECT_EQ(Last(), "QTY{1}>0");
  }
  uint32_t count = 0;
  EXPECT_EQ(RecordCount(1, 1, StrLit(""), StrLit(""), StrLit("QTY{1}>>"), &count), kSyntaxError);
  EXPECT_EQ(RecordCount(1, 5, StrLit(""), StrLit(""), StrLit(""), &count), kDataOutBound);
  RecListFree(1);
}

TEST_F(ScanTest, AFileWithoutIndexIsScannedAndCountedByItsRecords) {
  DefineTable("raw", {{"TEXT", 100, 'A'}}, {});
  std::string data;
  for (char c = '0'; c <= '9'; ++c) data += std::string(100, c);
  folder().Write("raw.FD", data);
  ASSERT_EQ(FileOpen(2, kModeNoIndex), kOk);
  uint32_t count = 0;
  EXPECT_EQ(RecordCount(2, 1, StrLit("x"), StrLit(""), StrLit("anything"), &count), kOk);
  EXPECT_EQ(count, 10u);
  EXPECT_EQ(ScanStart(2, 1, StrLit(""), StrLit(""), StrLit("TEXT{2}>='7'"), nullptr), kFound);
  EXPECT_EQ(Current(2)[0], '7');
  EXPECT_EQ(ScanNextMatching(2, 1, StrLit("TEXT{2}>='7'"), StrLit(""), nullptr), kFound);
  EXPECT_EQ(Current(2)[0], '8');
  EXPECT_EQ(ScanNextMatching(2, 1, StrLit("TEXT{2}>='7'"), StrLit(""), nullptr), kFound);
  EXPECT_EQ(Current(2)[0], '9');
  EXPECT_EQ(ScanNextMatching(2, 1, StrLit("TEXT{2}>='7'"), StrLit(""), nullptr), kEndOfFile);
}

TEST_F(ScanTest, StatMoveWalksWithTheLastCondition) {
  const struct {
    const char* command;
    const char* from;
    const char* to;
    const char* condition;
    uint16_t given;
    Status status;
    const char* key;
  } steps[] = {
      {"NEW", "A", "B", "QTY{1}>2", 4, kFound, "A 0002"},
      {"NXT", "", "", "", 1, kFound, "B 0001"},
      {"NEXT", "", "", "", 1, kFound, "B 0002"},
      {"NXT", "", "", "", 1, kFound, "C 0001"},  // no end text given here: no bound
      {"NXT", "", "", "", 1, kEndOfFile, "      "},
      {"TOP", "A", "", "", 2, kFound, "A 0002"},  // NEW again with the last condition
      {"NXT", "", "A", "", 3, kEndOfFile, "B 0001"},
      {"NEW", "A", "", "", 4, kFound, "A 0001"},
      {"BOT", "A", "", "", 3, kFound, "B 0001"},  // past the group of the start text
      {"BOTTOM", "B", "", "", 3, kFound, "C 0001"},
      {"BOT", "C", "", "", 3, kEndOfFile, "      "},
      {"BOT", "C", "", "", 3, kEndOfFile, "      "},  // the last result already ended
      {"NEW", "", "", "QTY{1}==3", 4, kFound, "B 0002"},
      {"SVE", "B", "QTY{1}=0", "", 3, kOk, "B 0002"},  // outside passes: nothing
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(std::string(s.command) + " " + s.from);
    EXPECT_EQ(Move(s.command, s.from, s.to, s.condition, s.given), s.status);
    EXPECT_EQ(Key(), s.key);
    EXPECT_EQ(FileCtrl(1).last_status, s.status);
    EXPECT_EQ(FileCtrl(1).move_status, s.status);
  }
  EXPECT_EQ(Current(1).substr(6, 4), "   3");
  // RLD reads the record the last move reached again.
  ASSERT_EQ(FieldSet(1, 3, StrLit("99")), kOk);
  EXPECT_EQ(Move("RLD", "", "", "", 1), kFound);
  EXPECT_EQ(Current(1).substr(0, 10), "B 0002   3");
  for (const char* command : {"PRV", "PREVIOUS", "FND", "DEL", "INS", "XYZ"}) {
    SCOPED_TRACE(command);
    EXPECT_EQ(Move(command, "", "", "", 1), kSyntaxError);
  }
}

TEST_F(ScanTest, StatMoveInsidePassesStepsThroughTheKey) {
  (void)SysWordSetBits(kSysUpStat, kUpStatInPass, true);
  EXPECT_EQ(Move("TOP", "", "INDEX=2", "", 3), kFound);  // the key named INDEX in the end text
  EXPECT_EQ(FileCtrl(1).key, 2);
  EXPECT_EQ(Key(), "A 0003");
  EXPECT_EQ(Move("NXT", "", "20240104", "QTY{1}>4", 4), kFound);
  EXPECT_EQ(Key(), "B 0001");
  EXPECT_EQ(Move("NXT", "", "20240104", "QTY{1}>4", 4), kFound);
  EXPECT_EQ(Key(), "A 0002");
  EXPECT_EQ(Move("NXT", "", "20240104", "QTY{1}>4", 4), kEndOfFile);
  EXPECT_EQ(Move("TOP", "", "", "", 1), kFound);
  EXPECT_EQ(Key(), "A 0003");
  ASSERT_EQ(Find(1, 1, "A 0001"), kFound);
  EXPECT_EQ(Move("SVE", "B", "QTY{1}=QTY{1}+100", "", 3), kOk);
  // The pass leaves the file where it was.
  EXPECT_EQ(Key(), "A 0001");
  EXPECT_EQ(FileCtrl(1).key, 1);
  ASSERT_EQ(Find(1, 1, "B"), kFound);
  EXPECT_EQ(Current(1).substr(6, 4), " 107");
  ASSERT_EQ(KeyStep(1, kStepNext), kFound);
  EXPECT_EQ(Current(1).substr(6, 4), " 103");
  ASSERT_EQ(KeyStep(1, kStepNext), kFound);
  EXPECT_EQ(Current(1).substr(6, 4), "   9");
  ASSERT_EQ(Find(1, 1, "A 0001"), kFound);
  EXPECT_EQ(Move("BOT", "A", "", "", 2), kFound);
  EXPECT_EQ(Key(), "B 0001");
}

TEST_F(ScanTest, KeyedUpdatePassCanCreateTheFirstRecordOfThePrefix) {
  ASSERT_EQ(Find(1, 1, "A 0001"), kFound);
  ASSERT_EQ(FieldSet(1, 3, StrLit("55")), kOk);  // an unsaved change of the current record
  EXPECT_EQ(KeyedUpdatePass(1, 1, StrLit("D 0001"), StrLit("QTY{1}=QTY{1}+1"), false), kOk);
  EXPECT_EQ(IndexEntryCount(1), 6u);
  EXPECT_EQ(KeyedUpdatePass(1, 1, StrLit("D 0001"), StrLit("QTY{1}=QTY{1}+1"), true), kOk);
  EXPECT_EQ(SysWord(kSysRelRes), kRelResCreated);
  EXPECT_EQ(Current(1).substr(0, 10), "A 0001  55");
  ASSERT_EQ(Find(1, 1, "D 0001"), kFound);
  EXPECT_EQ(Current(1), "D 0001   1        ");  // made from cleared buffers, then updated
  EXPECT_EQ(KeyedUpdatePass(1, 1, StrLit("A"), StrLit("QTY{1}=QTY{1}/0+"), false), kSyntaxError);
}

TEST_F(ScanTest, APrefilledKeySetsEveryFieldItsSegmentsCover) {
  // Key 1 spans GRP and NUM in one segment: a miss pre-fills both.
  EXPECT_EQ(Find(1, 1, "Q 0009", kFindPrefill), kEndOfFile);
  EXPECT_EQ(Current(1), "Q 0009" + std::string(12, ' '));
  // A segment that covers fields in part copies its bytes into them.
  DefineTable("odd", {{"X", 2, 'A'}, {"Y", 4, 'A'}}, {{1, 4}});
  ASSERT_EQ(FileOpen(2, 0), kOk);
  EXPECT_EQ(Find(2, 1, "abcd", kFindPrefill), kEndOfFile);
  EXPECT_EQ(Current(2), " abcd ");
  EXPECT_EQ(Find(2, 1, "ab", kFindPrefill), kEndOfFile);
  EXPECT_EQ(Current(2), " ab   ");
}

TEST_F(ScanTest, TheStatMoveFunctionIsRegisteredWithTheRelationHook) {
  ASSERT_EQ(RegisterStatMove(), kOk);
  EXPECT_NE(HookAt(kHookRelation), nullptr);
  EXPECT_EQ(Eval("StatMove('NEW';'B';'B')"), "");
  EXPECT_EQ(Key(), "B 0001");
  EXPECT_EQ(Eval("StatMove('NXT';'';'B')+StatMove('NXT';'';'B')"), "2");
  EXPECT_EQ(Eval("StatMove('PRV')"), "<status 147>");
  EXPECT_EQ(Eval("StatMove('NEW';'A';'A';'QTY{1}>1';5)"), "<status 147>");
}

// A progress that records what it was shown and can cancel at a given step.
class RecordingProgress final : public PassProgress {
 public:
  Status Open(uint32_t total) override {
    opened.push_back(total);
    return kOk;
  }
  Status Step() override { return ++steps == cancel_at ? Status(kUserCanceled) : Status(kOk); }
  Status Text(StrRef text) override {
    texts.push_back(ToString(text));
    return kOk;
  }
  Status Check() override { return cancel_at ? Status(kUserCanceled) : Status(kOk); }
  void Close() override { ++closed; }

  std::vector<uint32_t> opened;
  std::vector<std::string> texts;
  int steps = 0;
  int closed = 0;
  int cancel_at = 0;
};

TEST_F(ScanTest, StGetListGathersTheDistinctValuesGroupByGroup) {
  RecordingProgress progress;
  SetPassProgress(&progress);
  DistinctQuery query;
  query.fields = StrLit("QTY{1},NUM{1}");
  query.flags = 1;
  EXPECT_EQ(DistinctValuesNew(query), kOk);
  std::vector<std::string> values;
  for (uint32_t i = 0; i < DistinctValueCount(); ++i) values.push_back(Show(DistinctValue(i)));
  EXPECT_EQ(values,
            (Codes{"   1", "   2", "   3", "   5", "   7", "   9", "0001", "0002", "0003"}));
  EXPECT_EQ(progress.texts, (Codes{"A ", "B ", "C "}));
  EXPECT_EQ(progress.closed, 1);
  EXPECT_EQ(RecListSlotsInUse(), 0);
  DistinctValuesKill();

  query.fields = StrLit("QTY{1}");
  query.from = StrLit("A");
  query.to = StrLit("B");
  query.bound = StrLit("3");
  query.bound_is_number = true;
  EXPECT_EQ(DistinctValuesNew(query), kOk);
  EXPECT_EQ(DistinctValueCount(), 3u);  // 5, 7 and 3; not 1 or 2, nor 9 of group C
  query.bound_is_upper = true;
  DistinctValuesKill();
  EXPECT_EQ(DistinctValuesNew(query), kOk);
  EXPECT_EQ(DistinctValueCount(), 1u);
  DistinctValuesKill();

  ASSERT_EQ(RegisterStGetList(), kOk);
  EXPECT_EQ(Eval("StGetList('NEW';1;'B';'C';0;1;'QTY{1}')"), "");
  EXPECT_EQ(DistinctValueCount(), 3u);
  EXPECT_EQ(Eval("StGetList('GET')"), "");
  EXPECT_EQ(DistinctValueCount(), 3u);
  EXPECT_EQ(Eval("StGetList('KILL')"), "");
  EXPECT_EQ(DistinctValueCount(), 0u);
  EXPECT_EQ(Eval("StGetList('ADD')"), "<status 147>");
  EXPECT_EQ(Eval("StGetList('NEW';1;'';'';0;0;'NOPE{1}')"), "<status 147>");
  SetPassProgress(nullptr);
}

}  // namespace
}  // namespace engine
