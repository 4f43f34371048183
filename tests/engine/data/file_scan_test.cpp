// FILESCAN passes: accumulation into the current file, EXPSET, virtual files in the temporary
// folder and their CLOSE, the options and the progress window.
#include "engine/data/file_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "data_fixture.h"
#include "engine/core/value_tables.h"
#include "engine/data/field_ref.h"
#include "engine/data/file_paths.h"
#include "engine/data/pass_progress.h"
#include "engine/data/record_lists.h"
#include "engine/data/relations.h"
#include "engine/data/scans.h"
#include "engine/lang/expression.h"
#include "engine/lang/variables.h"

namespace engine {
namespace {

using testing::DataFixture;
using Rows = std::vector<std::string>;

constexpr const char* kAccumulate = "GRP{2}=GRP{1},TOTAL{2}=TOTAL{2}+QTY{1},CNT{2}=CNT{2}+1,1";

// moves (1): GRP A2, NUM A4 (key 1: both), QTY N4; totals (2): GRP A2 (key 1), TOTAL N6, CNT N4.
class FileScanTest : public DataFixture {
 protected:
  void SetUp() override {
    DataFixture::SetUp();
    DefineTable("moves", {{"GRP", 2, 'A'}, {"NUM", 4, 'A'}, {"QTY", 4, 'N'}}, {{0, 6}});
    DefineTable("totals", {{"GRP", 2, 'A'}, {"TOTAL", 6, 'N'}, {"CNT", 4, 'N'}}, {{0, 2}});
    ASSERT_EQ(FileOpen(1, 0), kOk);
    const struct {
      const char* key;
      int qty;
    } rows[] = {{"A 0001", 1}, {"A 0002", 5}, {"A 0003", 2},
                {"B 0001", 7}, {"B 0002", 3}, {"C 0001", 9}};
    for (const auto& r : rows) {
      char q[8];
      std::snprintf(q, sizeof q, "%4d", r.qty);
      ASSERT_EQ(Insert(1, std::string(r.key) + q), kFound);
    }
    ASSERT_EQ(FileOpen(2, kModeCurrent), kOk);
    std::filesystem::create_directory(folder() / "tmp");
    SetTemporaryFolder(StrView(folder() / "tmp"));
    InstallFieldAccess();
  }
  void TearDown() override {
    SetPassProgress(nullptr);
    SysWordSet(kSysUpStat, 0);
    DataFixture::TearDown();
    SetTemporaryFolder(StrLit(""));
  }
  static Rows Totals() {
    Rows out;
    if (IndexEntryCount(2) == 0) return out;
    for (Status s = KeyStep(2, kStepFirst); s == kFound; s = KeyStep(2, kStepNext)) {
      out.push_back(Current(2));
    }
    return out;
  }
  static Status Scan(const char* options, const char* second, const char* third,
                     const char* fourth = "", const char* fifth = "") {
    return FileScan(StrFromC(options), StrFromC(second), StrFromC(third), StrFromC(fourth),
                    StrFromC(fifth));
  }
  size_t TemporaryFilesOnDisk() {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator(folder() / "tmp")) {
      ++n;
    }
    return n;
  }
};

TEST_F(FileScanTest, AccumulateAddsTheSourceRecordsIntoTheCurrentFile) {
  const struct {
    const char* name;
    const char* options;
    const char* condition;
    const char* assign;
    const char* pre;
    Rows totals;
  } cases[] = {
      {"every record",
       "ACUM FILE=moves",
       "",
       kAccumulate,
       "",
       {"A      8   3", "B     10   2", "C      9   1"}},
      {"a range", "acum FILE=1 INDEX=1 FROM='B' TO='B'", "", kAccumulate, "", {"B     10   2"}},
      {"a condition",
       "ACUM FILE=1",
       "QTY{1}>2",
       kAccumulate,
       "",
       {"A      5   1", "B     10   2", "C      9   1"}},
      // A record whose third expression is false leaves the target unchanged for it.
      {"assignments that do not hold",
       "ACUM FILE=1",
       "",
       "GRP{2}=GRP{1},TOTAL{2}=TOTAL{2}+QTY{1},CNT{2}=CNT{2}+1,QTY{1}>2",
       "",
       {"A      5   1", "B     10   2", "C      9   1"}},
      {"a fourth expression that does not hold",
       "ACUM FILE=1",
       "",
       kAccumulate,
       "GRP{1}<>'B '",
       {"A      8   3", "C      9   1"}},
      {"nothing in range", "ACUM FILE=1 FROM='X'", "", kAccumulate, "", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_EQ(RecListDeleteAll(2, 1, StrLit(""), StrLit("")), kOk);
    EXPECT_EQ(Scan(c.options, c.condition, c.assign, c.pre), kOk) << testing::Show(DetailText());
    EXPECT_EQ(Totals(), c.totals);
    EXPECT_EQ(SysWord(kSysStat), c.totals.empty() ? kOutOfData : kOk);
    EXPECT_EQ(SysWord(kSysSgn), 0);
    EXPECT_FALSE(SysWordTest(kSysUpStat, kUpStatInPass));
  }
}

TEST_F(FileScanTest, AVirtualTargetLivesInTheTemporaryFolderUntilClose) {
  ASSERT_EQ(Insert(2, "Z      1   1"), kFound);
  EXPECT_EQ(Scan("ACUM FILE=1 VIRTUAL=2", "", kAccumulate), kOk);
  EXPECT_TRUE(IsVirtual(2));
  EXPECT_EQ(Totals(), (Rows{"A      8   3", "B     10   2", "C      9   1"}));
  EXPECT_EQ(TemporaryFilesOnDisk(), 2u);
  // The pass state stays on for the steps that read the virtual file.
  EXPECT_TRUE(SysWordTest(kSysUpStat, kUpStatInPass));
  // A second pass adds to the same virtual file.
  EXPECT_EQ(Scan("ACUM FILE=1 FROM='C' VIRTUAL=2", "", kAccumulate), kOk);
  EXPECT_EQ(Totals(), (Rows{"A      8   3", "B     10   2", "C     18   2"}));
  EXPECT_EQ(Scan("CLOSE", "", ""), kOk);
  EXPECT_FALSE(FileIsOpen(2));
  EXPECT_FALSE(SysWordTest(kSysUpStat, kUpStatInPass));
  EXPECT_EQ(TemporaryFilesOnDisk(), 0u);
  EXPECT_EQ(TemporaryFileCount(), 0);
  // The file's own records were never touched.
  ASSERT_EQ(FileOpen(2, kModeCurrent), kOk);
  EXPECT_EQ(Totals(), (Rows{"Z      1   1"}));
  // CLOSE of a file that is not virtual closes nothing.
  EXPECT_EQ(Scan("CLOSE", "", ""), kOk);
  EXPECT_TRUE(FileIsOpen(2));
}

TEST_F(FileScanTest, VirtualOneSwitchesTheFillInOffForThePass) {
  ASSERT_EQ(VarAssignInteger(StrLit("SEEN"), 0), kOk);
  EXPECT_EQ(Scan("ACUM FILE=1 TO='A' VIRTUAL=1", "", "SEEN=_UPSTAT,0"), kOk);
  int16_t seen = 0;
  ASSERT_TRUE(VarInteger(StrLit("SEEN"), &seen));
  EXPECT_EQ(seen & (kUpStatNoFillIn | kUpStatInPass), kUpStatNoFillIn | kUpStatInPass);
  EXPECT_EQ(SysWord(kSysUpStat), kUpStatRelations);  // as it was before the pass
  EXPECT_FALSE(IsVirtual(2));
}

TEST_F(FileScanTest, ExpSetEvaluatesForEachRecordAndPutsTheSourceBack) {
  ASSERT_EQ(VarAssignInteger(StrLit("N"), 0), kOk);
  ASSERT_EQ(VarAssignInteger(StrLit("C"), 0), kOk);
  ASSERT_EQ(Find(1, 1, "B 0002"), kFound);
  ASSERT_EQ(FieldSet(1, 3, StrLit("77")), kOk);
  const std::string before = Current(1);
  ASSERT_EQ(SetLastCondition(StrLit("kept")), kOk);
  EXPECT_EQ(Scan("EXPSET FILE=1 FROM='A' TO='B'", "QTY{1}>1", "", "", "N=N+QTY{1},C=C+1"), kOk);
  int16_t n = 0;
  int16_t c = 0;
  ASSERT_TRUE(VarInteger(StrLit("N"), &n));
  ASSERT_TRUE(VarInteger(StrLit("C"), &c));
  EXPECT_EQ(n, 17);  // 5 + 2 + 7 + 3
  EXPECT_EQ(c, 4);
  EXPECT_EQ(Current(1), before);
  EXPECT_EQ(CurrentRecordNumber(1), 4u);
  EXPECT_EQ(ToString(LastCondition()), "kept");
  EXPECT_EQ(SysWord(kSysStat), kOk);
  EXPECT_TRUE(Scan("EXPSET FILE=1", "", "", "", "N=N+)").IsError());
}

// A progress window that counts and can cancel.
class CountingProgress final : public PassProgress {
 public:
  Status Open(uint32_t total) override {
    opened.push_back(total);
    return kOk;
  }
  Status Step() override { return ++steps == cancel_at ? Status(kUserCanceled) : Status(kOk); }
  Status Text(StrRef) override { return kOk; }
  Status Check() override { return cancel_check ? Status(kUserCanceled) : Status(kOk); }
  void Close() override { ++closed; }

  std::vector<uint32_t> opened;
  int steps = 0;
  int closed = 0;
  int cancel_at = 0;
  bool cancel_check = false;
};

TEST_F(FileScanTest, ACountedPassShowsItsProgressAndCanBeCancelled) {
  CountingProgress progress;
  SetPassProgress(&progress);
  EXPECT_EQ(Scan("ACUM FILE=1 MODE=1 FROM='A' TO='B'", "QTY{1}>1", kAccumulate), kOk);
  EXPECT_EQ(progress.opened, (std::vector<uint32_t>{4}));
  EXPECT_EQ(progress.steps, 3);  // after each advance that found a record
  EXPECT_EQ(progress.closed, 1);

  ASSERT_EQ(RecListDeleteAll(2, 1, StrLit(""), StrLit("")), kOk);
  progress = CountingProgress{};
  progress.cancel_at = 2;
  EXPECT_EQ(Scan("ACUM FILE=1 MODE=1", "", kAccumulate), kUserCanceled);
  EXPECT_EQ(SysWord(kSysStat), kUserCanceled);
  EXPECT_EQ(Totals(), (Rows{"A      6   2"}));  // the records before the cancel stay added
  EXPECT_EQ(progress.closed, 1);
  EXPECT_EQ(SysWord(kSysSgn), 0);
  EXPECT_FALSE(SysWordTest(kSysUpStat, kUpStatInPass));

  // A fifth expression that does not hold asks whether the user cancelled.
  progress = CountingProgress{};
  progress.cancel_check = true;
  EXPECT_EQ(Scan("ACUM FILE=1", "", kAccumulate, "", "QTY{1}<5"), kUserCanceled);
  EXPECT_EQ(Scan("ACUM FILE=1 FROM='A 0002'", "", kAccumulate, "", "QTY{1}<50"), kOk);
}

TEST_F(FileScanTest, BadOptionsAreRefused) {
  EXPECT_EQ(Scan("SUM FILE=1", "", kAccumulate), kBadInputData);
  EXPECT_EQ(SysWord(kSysStat), kBadInputData);
  EXPECT_EQ(Scan("ACUM FILE=nosuchfile", "", kAccumulate), kFileOpening);
  EXPECT_TRUE(Scan("ACUM FILE=1 FROM=)", "", kAccumulate).IsError());
  EXPECT_EQ(Scan("ACUM FILE=1", "QTY{1}>>", kAccumulate), kSyntaxError);
  EXPECT_EQ(Scan("ACUM FILE=1 INDEX=4", "", kAccumulate), kDataOutBound);
  EXPECT_EQ(Totals(), Rows{});
}

}  // namespace
}  // namespace engine
