// Record lists: building by range and condition, the successor start, reading entries as the
// current record, nesting and slots, deletion of a range, and lists and counts past 65,535
// records.
#include "engine/data/record_lists.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "data_fixture.h"
#include "engine/core/file_system.h"
#include "engine/data/field_ref.h"
#include "engine/data/record_index.h"
#include "engine/data/reorganize.h"
#include "engine/data/scans.h"

namespace engine {
namespace {

using testing::DataFixture;

// parts: CODE A4 (key 1), NAME A6 (key 2), QTY N4: 14-byte records.
class RecordListTest : public DataFixture {
 protected:
  void SetUp() override {
    DataFixture::SetUp();
    DefineTable("parts", {{"CODE", 4, 'A'}, {"NAME", 6, 'A'}, {"QTY", 4, 'N'}}, {{0, 4}, {4, 6}});
    ASSERT_EQ(FileOpen(1, kModeCurrent), kOk);
    InstallFieldAccess();
  }
  static std::string Rec(const std::string& code, const std::string& name, int qty) {
    std::string r = code;
    r.resize(4, ' ');
    std::string n = name;
    n.resize(6, ' ');
    char q[8];
    std::snprintf(q, sizeof q, "%4d", qty);
    return r + n + q;
  }
  void Fill() {
    const struct {
      const char* code;
      const char* name;
      int qty;
    } rows[] = {{"A1", "pin", 1},  {"A2", "nut", 5}, {"A3", "bolt", 2}, {"B1", "gear", 7},
                {"B2", "axle", 3}, {"B3", "cam", 9}, {"C1", "belt", 4}};
    for (const auto& r : rows) ASSERT_EQ(Insert(1, Rec(r.code, r.name, r.qty)), kFound);
  }
  // The codes of the current list, each entry read in turn.
  static std::vector<std::string> Listed() {
    std::vector<std::string> out;
    for (uint32_t i = 0; i < RecListCount(1); ++i) {
      EXPECT_EQ(RecListRead(1, kHalfBoth, i), kOk);
      out.push_back(Current(1).substr(0, 2));
    }
    return out;
  }
};

using Codes = std::vector<std::string>;

TEST_F(RecordListTest, BuildsByRangeConditionStartModeAndMaximum) {
  Fill();
  const struct {
    const char* name;
    uint16_t key;
    const char* from;
    const char* to;
    uint32_t maximum;
    uint16_t from_mode;
    const char* condition;
    Status status;
    Codes codes;
  } cases[] = {
      {"a prefix range", 1, "A", "A", kListNoLimit, 0, "", kOk, {"A1", "A2", "A3"}},
      {"from a key to another", 1, "A2", "B2", kListNoLimit, 0, "", kOk, {"A2", "A3", "B1", "B2"}},
      {"no end", 1, "B2", "", kListNoLimit, 0, "", kOk, {"B2", "B3", "C1"}},
      {"no start", 1, "", "A2", kListNoLimit, 0, "", kOk, {"A1", "A2"}},
      {"with a condition", 1, "A", "B", kListNoLimit, 0, "QTY{1}>2", kOk, {"A2", "B1", "B2", "B3"}},
      {"at most two", 1, "A", "C", 2, 0, "QTY{1}>2", kOk, {"A2", "B1"}},
      {"after the start", 1, "A", "B", kListNoLimit, kListAfterStart, "", kOk, {"B1", "B2", "B3"}},
      {"after a whole key", 1, "A2", "A", kListNoLimit, kListAfterStart, "", kOk, {"A3"}},
      {"by key 2", 2, "b", "c", kListNoLimit, 0, "", kOk, {"C1", "A3", "B3"}},
      {"an empty range", 1, "D", "", kListNoLimit, 0, "", kEndOfFile, {}},
      {"nothing holds", 1, "", "", kListNoLimit, 0, "QTY{1}>100", kEndOfFile, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RecListBuild(1, c.key, StrFromC(c.from), StrFromC(c.to), c.maximum, c.from_mode,
                           StrFromC(c.condition)),
              c.status);
    if (c.status == kOk) {
      EXPECT_EQ(FileCtrl(1).key, c.key);
    }
    EXPECT_EQ(RecListCount(1), c.codes.size());
    EXPECT_EQ(Listed(), c.codes);
    RecListFree(1);
    EXPECT_EQ(RecListSlotsInUse(), 0);
  }
}

TEST_F(RecordListTest, AnEmptyRangeLeavesTheBuffersAsTheyWere) {
  Fill();
  ASSERT_EQ(Find(1, 1, "B2"), kFound);
  ASSERT_EQ(FieldSet(1, 2, StrLit("edited")), kOk);
  const std::string before = Current(1);
  EXPECT_EQ(RecListBuild(1, 1, StrLit("X"), StrLit("Y"), kListNoLimit, 0, StrLit("")), kEndOfFile);
  EXPECT_EQ(Current(1), before);
  EXPECT_EQ(CurrentRecordNumber(1), 4u);
  // The empty list is the current list until it is freed, so that build and free stay paired.
  EXPECT_EQ(RecListSlotsInUse(), 1);
  EXPECT_EQ(RecListRead(1, kHalfBoth, 0), kDataOutBound);
  RecListFree(1);
  EXPECT_EQ(RecListRead(1, kHalfBoth, 0), kDataOutBound);  // no list at all
  // A failing condition is the result, and no list is left behind.
  EXPECT_EQ(RecListBuild(1, 1, StrLit(""), StrLit(""), kListNoLimit, 0, StrLit("QTY{1}>>")),
            kSyntaxError);
  EXPECT_EQ(RecListSlotsInUse(), 0);
  EXPECT_EQ(RecListBuild(1, 9, StrLit(""), StrLit(""), kListNoLimit, 0, StrLit("")), kDataOutBound);
}

TEST_F(RecordListTest, AReadEntryIsTheRecordThatIsChangedOrDeleted) {
  Fill();
  ASSERT_EQ(RecListBuild(1, 2, StrLit(""), StrLit(""), kListNoLimit, 0, StrLit("QTY{1}>4")), kOk);
  ASSERT_EQ(Listed(), (Codes{"B3", "B1", "A2"}));
  {
    StrAreaScope scope;
    EXPECT_EQ(testing::Show(RecListField(1, 1, 2)), "gear  ");
    EXPECT_EQ(testing::Show(RecListField(1, 7, 2)), "");
  }
  // Entry 1 is current: an update and a deletion act on it, not on the cursor's last position.
  ASSERT_EQ(RecListRead(1, kHalfBoth, 1), kOk);
  ASSERT_EQ(FieldSet(1, 3, StrLit("70")), kOk);
  EXPECT_EQ(RecordUpdate(1), kOk);
  ASSERT_EQ(RecListRead(1, kHalfBoth, 2), kOk);
  EXPECT_EQ(RecordDelete(1, 0), kOk);
  EXPECT_EQ(Walk(1, 1, 2), (Codes{"A1", "A3", "B1", "B2", "B3", "C1"}));
  ASSERT_EQ(Find(1, 1, "B1"), kFound);
  EXPECT_EQ(Current(1), Rec("B1", "gear", 70));
  // The deleted entry reads as no record: status 1, and nothing is current to be deleted again.
  EXPECT_EQ(RecListRead(1, kHalfBoth, 2), kKeyNotFound);
  EXPECT_EQ(RecordDelete(1, 0), kKeyNotFound);
  EXPECT_EQ(IndexEntryCount(1), 6u);
  RecListFree(1);
}

TEST_F(RecordListTest, ListsNestTwoDeepPerFileAndShareEightSlots) {
  Fill();
  ASSERT_EQ(RecListBuild(1, 1, StrLit("A"), StrLit("A"), kListNoLimit, 0, StrLit("")), kOk);
  ASSERT_EQ(RecListBuild(1, 1, StrLit("B"), StrLit("B"), kListNoLimit, 0, StrLit("")), kOk);
  ASSERT_EQ(RecListBuild(1, 1, StrLit("C"), StrLit("C"), kListNoLimit, 0, StrLit("")), kOk);
  EXPECT_EQ(FileCtrl(1).list_nesting, 2);
  EXPECT_EQ(RecListBuild(1, 1, StrLit(""), StrLit(""), kListNoLimit, 0, StrLit("")), kDataOutBound);
  EXPECT_EQ(RecListCount(1), 1u);  // the C list is still current
  RecListFree(1);
  EXPECT_EQ(Listed(), (Codes{"B1", "B2", "B3"}));
  RecListFree(1);
  EXPECT_EQ(Listed(), (Codes{"A1", "A2", "A3"}));
  RecListFree(1);
  EXPECT_EQ(RecListCount(1), 0u);
  RecListFree(1);  // nothing left: no effect
  EXPECT_EQ(RecListSlotsInUse(), 0);

  // Three files hold three lists each: the ninth finds no slot.
  DefineTable("more", {{"CODE", 4, 'A'}}, {{0, 4}});
  DefineTable("most", {{"CODE", 4, 'A'}}, {{0, 4}});
  for (uint8_t f = 2; f <= 3; ++f) {
    ASSERT_EQ(FileOpen(f, 0), kOk);
    ASSERT_EQ(Insert(f, "X"), kFound);
  }
  for (uint8_t f = 1; f <= 3; ++f) {
    for (int n = 0; n < (f == 3 ? 2 : 3); ++n) {
      ASSERT_EQ(RecListBuild(f, 1, StrLit(""), StrLit(""), kListNoLimit, 0, StrLit("")), kOk);
    }
  }
  EXPECT_EQ(RecListSlotsInUse(), kListSlots);
  EXPECT_EQ(RecListBuild(3, 1, StrLit(""), StrLit(""), kListNoLimit, 0, StrLit("")), kDataOutBound);
  // A snapshot taken while other lists were held gives back neither freed slots nor the list
  // built since: the file keeps the lists it holds now.
  StrAreaScope scope;
  const StrRef snapshot = FileSnapshot(3);
  RecListFree(3);
  RecListFree(3);
  ASSERT_EQ(RecListBuild(3, 1, StrLit(""), StrLit(""), kListNoLimit, 0, StrLit("")), kOk);
  ASSERT_EQ(FileRestore(3, snapshot), kOk);
  EXPECT_EQ(RecListCount(3), 1u);
  EXPECT_EQ(FileCtrl(3).list_nesting, 0);
  RecListFree(3);
  EXPECT_EQ(FileCtrl(3).list_slot, 0);
  // Closing a file gives back its lists, saved ones too.
  EXPECT_EQ(RecListSlotsInUse(), 6);
  ASSERT_EQ(FileClose(1), kOk);
  EXPECT_EQ(RecListSlotsInUse(), 3);
  EXPECT_EQ(FileCtrl(1).list_slot, 0);
}

TEST_F(RecordListTest, DeleteAllRemovesExactlyTheMatchingRecords) {
  Fill();
  uint32_t deleted = 0;
  EXPECT_EQ(RecListDeleteAll(1, 1, StrLit("B"), StrLit(""), &deleted), kOk);
  EXPECT_EQ(deleted, 3u);
  EXPECT_EQ(Walk(1, 1, 2), (Codes{"A1", "A2", "A3", "C1"}));
  EXPECT_EQ(RecListDeleteAll(1, 1, StrLit("A"), StrLit("QTY{1}<>5"), &deleted), kOk);
  EXPECT_EQ(deleted, 2u);
  EXPECT_EQ(Walk(1, 1, 2), (Codes{"A2", "C1"}));
  EXPECT_EQ(RecListDeleteAll(1, 1, StrLit("Z"), StrLit(""), &deleted), kOk);
  EXPECT_EQ(deleted, 0u);
  EXPECT_EQ(RecListSlotsInUse(), 0);
  EXPECT_EQ(FileReorganize(1, nullptr), kOk);
  ASSERT_EQ(FileOpen(1, 0), kOk);
  EXPECT_EQ(Walk(1, 1, 2), (Codes{"A2", "C1"}));
}

// Two file numbers on the same disk files stand for two processes sharing a data folder: each
// works on its own copy of the index, a reopen picks up what the other wrote, and the lock
// marker keeps a second locked open out.
TEST_F(RecordListTest, ProcessesSharingTheFilesSeeEachOthersRecordsAfterAReopen) {
  Fill();
  DefineTable("parts", {{"CODE", 4, 'A'}, {"NAME", 6, 'A'}, {"QTY", 4, 'N'}}, {{0, 4}, {4, 6}});
  ASSERT_EQ(FileOpen(2, 0), kOk);
  ASSERT_EQ(Insert(2, Rec("A4", "rivet", 6)), kFound);
  ASSERT_EQ(FileClose(2), kOk);
  uint32_t count = 0;
  ASSERT_EQ(RecordCount(1, 1, StrLit("A"), StrLit("A"), StrLit(""), &count), kOk);
  EXPECT_EQ(count, 3u);
  ASSERT_EQ(FileReopenData(1, kOk), kOk);
  ASSERT_EQ(RecordCount(1, 1, StrLit("A"), StrLit("A"), StrLit(""), &count), kOk);
  EXPECT_EQ(count, 4u);
  ASSERT_EQ(RecListBuild(1, 2, StrLit("r"), StrLit("r"), kListNoLimit, 0, StrLit("")), kOk);
  EXPECT_EQ(Listed(), (Codes{"A4"}));
  RecListFree(1);
  // A locked open refuses a second one at once.
  ASSERT_EQ(FileClose(1), kOk);
  ASSERT_EQ(FileOpen(1, kModeLocked), kOk);
  EXPECT_EQ(FileOpen(2, kModeLocked), kPermissionDenied);
  EXPECT_EQ(FileOpen(2, kModeReadOnly), kOk);
  EXPECT_EQ(IndexEntryCount(2), 8u);
}

TEST(KeySuccessorTest, TheLastByteIsRaisedAndFullBytesCarry) {
  const struct {
    std::string text;
    bool exists;
    std::string successor;
  } cases[] = {
      {"AB", true, "AC"},       {std::string("A\0", 2), true, std::string("A\x01", 2)},
      {"A\xFE", true, "A\xFF"}, {"A\xFF", true, "B"},
      {"A\xFF\xFF", true, "B"}, {"\x41\xFF\x41", true, "\x41\xFF\x42"},
      {"\xFF", false, ""},      {"\xFF\xFF", false, ""},
      {"", false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string successor;
    EXPECT_EQ(KeySuccessor(StrView(c.text), &successor), c.exists);
    if (c.exists) {
      EXPECT_EQ(successor, c.successor);
    }
  }
}

TEST_F(RecordListTest, AStartAfterAKeyEndingInFFSkipsEveryKeyThatBeginsWithIt) {
  for (const std::string code : {"A\xFE",
                                 "A\xFF"
                                 "1",
                                 "A\xFF"
                                 "2",
                                 "B"}) {
    ASSERT_EQ(Insert(1, Rec(code, "x", 1)), kFound);
  }
  ASSERT_EQ(
      RecListBuild(1, 1, StrLit("A\xFF"), StrLit(""), kListNoLimit, kListAfterStart, StrLit("")),
      kOk);
  EXPECT_EQ(Listed(), (Codes{"B "}));
  RecListFree(1);
  ASSERT_EQ(
      RecListBuild(1, 1, StrLit("A\xFE"), StrLit(""), kListNoLimit, kListAfterStart, StrLit("")),
      kOk);
  EXPECT_EQ(RecListCount(1), 3u);
  RecListFree(1);
  // Nothing follows a start of 0xFF bytes only.
  EXPECT_EQ(
      RecListBuild(1, 1, StrLit("\xFF"), StrLit(""), kListNoLimit, kListAfterStart, StrLit("")),
      kEndOfFile);
  RecListFree(1);
}

// A file of more records than 16 bits count: lists, counts and range deletions take them all.
class LargeRangeTest : public DataFixture {
 protected:
  static constexpr uint32_t kRecords = 65'600;
  void SetUp() override {
    DataFixture::SetUp();
    DefineTable("many", {{"CODE", 6, 'A'}, {"KIND", 2, 'A'}}, {{0, 6}});
    std::string data;
    data.reserve(size_t{kRecords} * 8);
    char code[16];
    for (uint32_t n = 0; n < kRecords; ++n) {
      std::snprintf(code, sizeof code, "%06u%s", n, n % 2 ? "od" : "ev");
      data += code;
    }
    folder().Write("many.FD", data);
    SetFileSystem(&no_sync_);
    // The open finds no index and builds it from the records.
    ASSERT_EQ(FileOpen(1, kModeCurrent), kOk);
    ASSERT_EQ(IndexEntryCount(1), kRecords);
    InstallFieldAccess();
  }
  void TearDown() override {
    DataFixture::TearDown();
    SetFileSystem(nullptr);
  }

 private:
  // The platform's files without waiting for the disk: the many index checkpoints of a long
  // deletion would otherwise each wait for a sync.
  class NoSyncFile final : public File {
   public:
    explicit NoSyncFile(std::unique_ptr<File> base) : base_(std::move(base)) {}
    Status Read(uint64_t offset, std::span<char> buffer, size_t* got) override {
      return base_->Read(offset, buffer, got);
    }
    Status Write(uint64_t offset, std::span<const char> data) override {
      return base_->Write(offset, data);
    }
    Status Size(uint64_t* size) override { return base_->Size(size); }
    Status Sync() override { return kOk; }
    Status Lock(bool exclusive, bool wait) override { return base_->Lock(exclusive, wait); }
    void Unlock() override { base_->Unlock(); }

   private:
    std::unique_ptr<File> base_;
  };
  class NoSyncFileSystem final : public FileSystem {
   public:
    Status Open(std::string_view name, uint32_t flags, std::unique_ptr<File>* file) override {
      std::unique_ptr<File> opened;
      const Status status = base_.Open(name, flags, &opened);
      if (status.ok()) *file = std::make_unique<NoSyncFile>(std::move(opened));
      return status;
    }
    bool Exists(std::string_view name) override { return base_.Exists(name); }
    Status Remove(std::string_view name) override { return base_.Remove(name); }
    Status Rename(std::string_view from, std::string_view to) override {
      return base_.Rename(from, to);
    }
    Status ListFolder(std::string_view folder,
                      const std::function<bool(std::string_view name)>& each) override {
      return base_.ListFolder(folder, each);
    }
    File* StandardStream(int n) override { return base_.StandardStream(n); }

   private:
    FileSystem& base_ = PlatformFileSystem();
  };
  NoSyncFileSystem no_sync_;
};

TEST_F(LargeRangeTest, ListsCountsAndDeletionsPassSixtyFiveThousandRecords) {
  EXPECT_EQ(RecListBuild(1, 1, StrLit("0"), StrLit("1"), kListNoLimit, 0, StrLit("")), kOk);
  EXPECT_EQ(RecListCount(1), kRecords);
  EXPECT_EQ(RecListEntry(1, kRecords - 1), kRecords - 1);
  RecListFree(1);
  uint32_t count = 0;
  EXPECT_EQ(RecordCount(1, 1, StrLit("0"), StrLit("1"), StrLit(""), &count), kOk);
  EXPECT_EQ(count, kRecords);
  EXPECT_EQ(RecordCount(1, 1, StrLit(""), StrLit(""), StrLit("KIND{1}=='od'"), &count), kOk);
  EXPECT_EQ(count, kRecords / 2);
  uint32_t deleted = 0;
  EXPECT_EQ(RecListDeleteAll(1, 1, StrLit("0"), StrLit(""), &deleted), kOk);
  EXPECT_EQ(deleted, kRecords);
  EXPECT_EQ(IndexEntryCount(1), 0u);
}

}  // namespace
}  // namespace engine
