// Reorganisation: deleted records dropped, keys rebuilt, and the reorganisation copy handled so
// that no record is lost whatever state an earlier run left behind.
#include "engine/data/reorganize.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data_fixture.h"
#include "engine/core/file_system_faults.h"
#include "engine/data/record_index.h"

namespace engine {
namespace {

using testing::DataFixture;

// items: CODE A1 (key 1), NAME A4 (key 2): 5-byte records.
class ReorganizeTest : public DataFixture {
 protected:
  void SetUp() override {
    DataFixture::SetUp();
    ASSERT_EQ(DefineFile(1, StrLit("items"), StrLit("")), kOk);
    ASSERT_EQ(DefineField(StrLit("CODE"), 1, 'A'), kOk);
    ASSERT_EQ(DefineField(StrLit("NAME"), 4, 'A'), kOk);
    KeySegments key;
    key.count = 1;
    key.segment[0] = KeySegment{0, 1};
    ASSERT_EQ(DefineKey(1, key), kOk);
    key.segment[0] = KeySegment{1, 4};
    ASSERT_EQ(DefineKey(1, key), kOk);
  }
  std::string Data() { return folder().Read("items.FD"); }
  std::string Copy() { return folder().Read("items.TMP"); }
  // The live records in key 1 order, after opening the file afresh.
  std::vector<std::string> Records() {
    EXPECT_EQ(FileOpen(1, kModeReadOnly), kOk);
    std::vector<std::string> out = Walk(1, 1, 5);
    EXPECT_EQ(Walk(1, 2, 5).size(), out.size());
    EXPECT_EQ(FileClose(1), kOk);
    return out;
  }
  static const std::string kDeleted;
};

const std::string ReorganizeTest::kDeleted =
    "\x1b"
    "bbbb";

TEST_F(ReorganizeTest, DropsDeletedRecordsAndRebuildsTheKeys) {
  folder().Write("items.FD", "Czzzz" + kDeleted +
                                 "Byyyy"
                                 "Axxxx");
  folder().Write("items.DIR", "garbage");
  folder().Write("items.lock", " ");  // left by a program that ended without closing
  std::vector<std::string> seen;
  uint32_t total = 0;
  ASSERT_EQ(FileReorganize(1,
                           [&](StrRef key, uint32_t count) {
                             seen.push_back(ToString(key));
                             total = count;
                             return Status(kOk);
                           }),
            kOk)
      << testing::Show(DetailText());
  EXPECT_EQ(seen, (std::vector<std::string>{"C", "\x1b", "B", "A"}));
  EXPECT_EQ(total, 4u);
  EXPECT_EQ(Data(),
            "Czzzz"
            "Byyyy"
            "Axxxx");
  EXPECT_FALSE(folder().Has("items.TMP"));
  EXPECT_FALSE(folder().Has("items.lock"));
  EXPECT_FALSE(FileIsOpen(1));
  // The index was saved by the reorganisation: opening finds nothing to rebuild.
  EXPECT_EQ(Records(), (std::vector<std::string>{"Axxxx", "Byyyy", "Czzzz"}));
  EXPECT_EQ(folder().Read("log.txt"), "<missing>");
}

TEST_F(ReorganizeTest, ACopyLeftByAnInterruptedRunIsRebuiltFrom) {
  const std::string records =
      "Aaaaa"
      "Bbbbb"
      "Ccccc";
  // No data file beside the copy.
  folder().Write("items.TMP", records);
  ASSERT_EQ(FileReorganize(1, nullptr), kOk);
  EXPECT_EQ(Data(), records);
  EXPECT_FALSE(folder().Has("items.TMP"));
  // A data file holding part of the copy's records: the unfinished rebuild is redone.
  folder().Write("items.TMP", records);
  folder().Write("items.FD", "Bbbbb");
  ASSERT_EQ(FileReorganize(1, nullptr), kOk);
  EXPECT_EQ(Data(), records);
  EXPECT_FALSE(folder().Has("items.TMP"));
}

TEST_F(ReorganizeTest, ACopyBesideADataFileWithOtherRecordsIsNeverTouched) {
  folder().Write("items.TMP",
                 "Aaaaa"
                 "Bbbbb");
  folder().Write("items.FD",
                 "Bbbbb"
                 "Nnnnn");
  EXPECT_EQ(FileReorganize(1, nullptr), kFileExist);
  EXPECT_NE(testing::Show(DetailText()).find("items.TMP"), std::string::npos);
  EXPECT_EQ(Copy(),
            "Aaaaa"
            "Bbbbb");
  EXPECT_EQ(Data(),
            "Bbbbb"
            "Nnnnn");
}

TEST_F(ReorganizeTest, AFailureBeforeOrDuringTheRebuildKeepsTheData) {
  const std::string records =
      "Aaaaa"
      "Bbbbb"
      "Ccccc";
  folder().Write("items.FD", records);
  folder().Write("items.DIR", "old index");
  {
    // The rename fails: nothing is changed, the index is not deleted.
    FaultFileSystem faults(PlatformFileSystem());
    SetFileSystem(&faults);
    faults.CrashAfterWrites(0);
    EXPECT_EQ(FileReorganize(1, nullptr), kFileIO);
    SetFileSystem(nullptr);
    EXPECT_EQ(Data(), records);
    EXPECT_EQ(folder().Read("items.DIR"), "old index");
  }
  {
    // A data file that cannot be read is named and left with its index; no copy is made.
    FaultFileSystem faults(PlatformFileSystem());
    SetFileSystem(&faults);
    faults.FailOpen(1);
    EXPECT_EQ(FileReorganize(1, nullptr), kPermissionDenied);
    SetFileSystem(nullptr);
    EXPECT_NE(testing::Show(DetailText()).find("items.FD"), std::string::npos);
    EXPECT_EQ(Data(), records);
    EXPECT_EQ(folder().Read("items.DIR"), "old index");
    EXPECT_FALSE(folder().Has("items.TMP"));
  }
  // Cancelled half-way: the data file is put back.
  int calls = 0;
  EXPECT_EQ(FileReorganize(
                1, [&](StrRef, uint32_t) { return Status(++calls == 2 ? kUserCanceled : kOk); }),
            kUserCanceled);
  EXPECT_EQ(Data(), records);
  EXPECT_FALSE(folder().Has("items.TMP"));
  EXPECT_EQ(Records(), (std::vector<std::string>{"Aaaaa", "Bbbbb", "Ccccc"}));

  // The rebuilt file cannot be closed (its data not synced, its index not saved): the copy is
  // kept.
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  calls = 0;
  EXPECT_EQ(FileReorganize(1,
                           [&](StrRef, uint32_t) {
                             if (++calls == 3) faults.CrashAfterWrites(1);  // the data goes in
                             return Status(kOk);
                           }),
            kDiskWriteError);
  SetFileSystem(nullptr);
  EXPECT_EQ(Copy(), records);
  EXPECT_EQ(Data(), records);
  EXPECT_EQ(Records(), (std::vector<std::string>{"Aaaaa", "Bbbbb", "Ccccc"}));
}

TEST_F(ReorganizeTest, ACopyEndingInAPartRecordIsKept) {
  folder().Write("items.FD",
                 "Aaaaa"
                 "Bbbbb"
                 "Cc");
  EXPECT_EQ(FileOpen(1, 0), kFileIO);  // the data file itself cannot be used
  EXPECT_EQ(FileReorganize(1, nullptr), kFileIO);
  EXPECT_EQ(Copy(),
            "Aaaaa"
            "Bbbbb"
            "Cc");
  EXPECT_EQ(Data(),
            "Aaaaa"
            "Bbbbb");
  EXPECT_EQ(Records(), (std::vector<std::string>{"Aaaaa", "Bbbbb"}));
  // Running it again changes nothing and loses nothing.
  EXPECT_EQ(FileReorganize(1, nullptr), kFileIO);
  EXPECT_EQ(Copy(),
            "Aaaaa"
            "Bbbbb"
            "Cc");
  EXPECT_EQ(Data(),
            "Aaaaa"
            "Bbbbb");
}

TEST_F(ReorganizeTest, RecoveryRebuildsEveryFileThatExists) {
  ASSERT_EQ(DefineFile(1, StrLit("absent"), StrLit("")), kOk);
  ASSERT_EQ(DefineField(StrLit("X"), 3, 'A'), kOk);
  ASSERT_EQ(DefineFile(1, StrLit("third"), StrLit("")), kOk);
  ASSERT_EQ(DefineField(StrLit("Y"), 1, 'A'), kOk);
  folder().Write("items.FD", "Bbbbb" + kDeleted + "Aaaaa");
  folder().Write("third.TMP", "xyz");
  EXPECT_EQ(RecoverDataFiles(nullptr), kOk);
  EXPECT_EQ(Data(),
            "Bbbbb"
            "Aaaaa");
  EXPECT_FALSE(folder().Has("absent.FD"));
  EXPECT_EQ(folder().Read("third.FD"), "xyz");
  // A failing file does not stop the others; the first failure is the result.
  folder().Write("items.FD",
                 "Bbbbb"
                 "A");
  folder().Write("third.FD", "zy");
  EXPECT_EQ(RecoverDataFiles(nullptr), kFileIO);
  EXPECT_EQ(folder().Read("third.FD"), "zy");
  EXPECT_FALSE(folder().Has("third.TMP"));
}

}  // namespace
}  // namespace engine
