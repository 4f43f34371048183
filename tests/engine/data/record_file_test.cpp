// Record files: opening and closing, the index format, searches and steps, insertion, update,
// deletion, the lock marker, open sets, the index check on open, and failures of the disk.
#include "engine/data/record_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "data_fixture.h"
#include "engine/core/file_system_faults.h"
#include "engine/core/string_slots.h"
#include "engine/core/value_tables.h"
#include "engine/data/data_functions.h"
#include "engine/data/field_ref.h"
#include "engine/data/file_paths.h"
#include "engine/data/open_file_sets.h"
#include "engine/data/record_index.h"
#include "engine/lang/expression.h"
#include "engine/lang/variables.h"

namespace engine {
namespace {

using testing::DataFixture;

std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (size_t i = 0; i < bytes.size(); ++i) {
    if (i && i % 4 == 0) out += ' ';
    out += kDigits[static_cast<uint8_t>(bytes[i]) >> 4];
    out += kDigits[static_cast<uint8_t>(bytes[i]) & 15];
  }
  return out;
}

// items: CODE A4 (key 1), NAME A8 (key 2), QTY N4: 16-byte records.
class RecordFileTest : public DataFixture {
 protected:
  void SetUp() override {
    DataFixture::SetUp();
    ASSERT_EQ(DefineFile(1, StrLit("items"), StrLit("")), kOk);
    ASSERT_EQ(DefineField(StrLit("CODE"), 4, 'A'), kOk);
    ASSERT_EQ(DefineField(StrLit("NAME"), 8, 'A'), kOk);
    ASSERT_EQ(DefineField(StrLit("QTY"), 4, 'N'), kOk);
    ASSERT_EQ(DefineKey(1, Key(0, 4)), kOk);
    ASSERT_EQ(DefineKey(1, Key(4, 8)), kOk);
  }
  static KeySegments Key(uint16_t start, uint16_t length) {
    KeySegments key;
    key.count = 1;
    key.segment[0] = KeySegment{start, length};
    return key;
  }
  static std::string Rec(const std::string& code, const std::string& name, int qty = 0) {
    std::string r = code;
    r.resize(4, ' ');
    std::string n = name;
    n.resize(8, ' ');
    char q[8];
    std::snprintf(q, sizeof q, "%4d", qty);
    return r + n + q;
  }
  // Opens read-write and inserts records; every insertion must succeed.
  void Fill(const std::vector<std::string>& records) {
    ASSERT_EQ(FileOpen(1, 0), kOk);
    for (const std::string& r : records) {
      const Status s = Insert(1, r);
      ASSERT_TRUE(s == kFound || s == kRepeatedKey) << r << " " << s;
    }
  }
  std::string Index() { return folder().Read("items.DIR"); }
  std::string Data() { return folder().Read("items.FD"); }
  std::string LogText() { return folder().Read("log.txt"); }
};

TEST_F(RecordFileTest, OpeningCreatesBothFilesAndAnEmptyFileStepsToTheEnd) {
  ASSERT_EQ(FileOpen(1, kModeCurrent), kOk);
  EXPECT_TRUE(folder().Has("items.FD"));
  EXPECT_TRUE(folder().Has("items.DIR"));
  EXPECT_EQ(SysWord(kSysCurFil), 1);
  EXPECT_EQ(KeyStep(1, kStepFirst), kEndOfFile);
  EXPECT_EQ(Current(1), std::string(16, ' '));
  EXPECT_EQ(FileCtrl(1).last_status, kEndOfFile);
  EXPECT_EQ(FileOpen(1, kModeCurrent), kOk);  // the same mode again changes nothing
  ASSERT_EQ(FileClose(1), kOk);
  EXPECT_EQ(Index(), "");  // nothing changed, nothing written
  EXPECT_EQ(FileCtrl(1).mode, 0);
  EXPECT_EQ(FileCtrl(1).data_handle, -1);
}

TEST_F(RecordFileTest, IndexLayoutAfterThreeInsertions) {
  Fill({Rec("B", "zeta"), Rec("A", "beta"), Rec("C", "alpha")});
  ASSERT_EQ(FileClose(1), kOk);
  EXPECT_EQ(Data(), Rec("B", "zeta") + Rec("A", "beta") + Rec("C", "alpha"));
  // F, N, then key 1 (A B C: records 1 0 2), then key 2 (alpha beta zeta: 2 1 0).
  EXPECT_EQ(Hex(Index()),
            "00000000 03000000 01000000 00000000 02000000 02000000 01000000 00000000");
}

TEST_F(RecordFileTest, KeyFindOutcomes) {
  Fill({Rec("AB10", "one"), Rec("AB20", "two"), Rec("CD10", "three")});
  const struct {
    const char* text;
    uint8_t flags;
    Status status;
    const char* current;  // first four bytes of half 1 afterwards
    uint32_t cursor;
  } cases[] = {
      {"AB", 0, kFound, "AB10", 0},  // a shorter text finds the first key beginning with it
      {"AB20", 0, kFound, "AB20", 1},
      {"AB15", 0, kKeyNotFound, "AB20", 1},  // buffers left as they were (AB20 from before)
      {"AB15", kFindGreater, kKeyNotFound, "AB20", 1},
      {"B", kFindGreater, kKeyNotFound, "CD10", 2},
      {"", kFindGreater, kKeyNotFound, "AB10", 0},  // empty: one blank, before every key
      {"ZZ", 0, kEndOfFile, "AB10", 3},
      {"ZZ", kFindPrefill, kEndOfFile, "ZZ  ", 3},
      {"AB10 and more", 0, kFound, "AB10", 0},  // cut to the key's length
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " flags " + std::to_string(c.flags));
    EXPECT_EQ(Find(1, 1, c.text, c.flags), c.status);
    EXPECT_EQ(Current(1).substr(0, 4), c.current);
    EXPECT_EQ(CursorPosition(1), c.cursor);
    EXPECT_EQ(FileCtrl(1).last_status, c.status);
  }
  EXPECT_EQ(Find(1, 3, "x"), kDataOutBound);
  // A prefilled miss leaves the rest of the record blank.
  ASSERT_EQ(Find(1, 2, "zzz", kFindPrefill), kEndOfFile);
  EXPECT_EQ(Current(1), "    zzz" + std::string(9, ' '));
  EXPECT_EQ(FileCtrl(1).key, 2);
}

TEST_F(RecordFileTest, DuplicateKeysAndTheRepeatedKeyStatus) {
  Fill({Rec("A1", "same"), Rec("A2", "other"), Rec("A3", "same")});
  ASSERT_EQ(Find(1, 2, "same"), kFound);
  EXPECT_EQ(Current(1).substr(0, 2), "A1");  // the first of the equal records
  // A new equal record goes after the last of them; in key 2 it repeats a key.
  EXPECT_EQ(Insert(1, Rec("A4", "same")), kRepeatedKey);
  EXPECT_EQ(Walk(1, 2, 2), (std::vector<std::string>{"A2", "A1", "A3", "A4"}));
  ASSERT_EQ(Find(1, 1, "A1"), kFound);
  EXPECT_EQ(Insert(1, Rec("A5", "same")), kFound);  // unique in the current key
  // A file with an N_LINE field never reports a repeated key.
  ASSERT_EQ(FileClose(1), kOk);
  ASSERT_EQ(DefineFile(0, StrLit("lines"), StrLit("")), kOk);
  ASSERT_EQ(DefineField(StrLit("DOC"), 4, 'A'), kOk);
  ASSERT_EQ(DefineField(StrLit("N_LINE"), 2, 'N'), kOk);
  ASSERT_EQ(CompleteDefaultKeys(2), kOk);
  ASSERT_EQ(FileOpen(2, 0), kOk);
  EXPECT_EQ(Insert(2, "D1 1"), kFound);
  EXPECT_EQ(Insert(2, "D1 1"), kFound);
}

TEST_F(RecordFileTest, StepsAtBothEnds) {
  Fill({Rec("A", "a"), Rec("B", "b"), Rec("C", "c")});
  ASSERT_EQ(KeyStep(1, kStepFirst), kFound);
  EXPECT_EQ(KeyStep(1, kStepPrevious), kKeyNotFound);
  EXPECT_EQ(Current(1), std::string(16, ' '));
  EXPECT_EQ(KeyStep(1, kStepPrevious | kStepReadLower), kKeyNotFound);
  EXPECT_EQ(Current(1).substr(0, 1), "A");  // the first record read again
  ASSERT_EQ(KeyStep(1, kStepLast), kFound);
  EXPECT_EQ(Current(1).substr(0, 1), "C");
  EXPECT_EQ(KeyStep(1, kStepNext), kEndOfFile);
  EXPECT_EQ(Current(1), std::string(16, ' '));
  EXPECT_EQ(CursorPosition(1), 2u);
  EXPECT_EQ(KeyStep(1, 0), kFound);  // stay: the record at the cursor again
  EXPECT_EQ(Current(1).substr(0, 1), "C");
  EXPECT_EQ(KeyStep(1, kStepClear), kCleared);
  EXPECT_EQ(Current(1), std::string(16, ' '));
  BufferClear(1, 2);
  EXPECT_EQ(Current(1), "\x1b" + std::string(15, ' '));
  EXPECT_EQ(RecordInsert(1), kBadInputData);  // a record marked deleted is never inserted
  EXPECT_EQ(IndexEntryCount(1), 3u);
}

TEST_F(RecordFileTest, InsertionLeavesTheCursorOnTheNewRecord) {
  Fill({Rec("A", "a"), Rec("C", "c"), Rec("E", "e")});
  ASSERT_EQ(Find(1, 1, "E"), kFound);
  EXPECT_EQ(Insert(1, Rec("B", "b")), kFound);
  EXPECT_EQ(CursorPosition(1), 1u);
  EXPECT_EQ(KeyStep(1, kStepNext), kFound);
  EXPECT_EQ(Current(1).substr(0, 1), "C");
  // The new record is current: an update right after it acts on it.
  ASSERT_EQ(Find(1, 1, "E"), kFound);
  ASSERT_EQ(Insert(1, Rec("D", "d")), kFound);
  BufferCopy(1, 1);
  ASSERT_EQ(FieldSet(1, 3, StrLit("7")), kOk);
  EXPECT_EQ(RecordUpdate(1), kFound);
  ASSERT_EQ(Find(1, 1, "D"), kFound);
  EXPECT_EQ(Current(1), Rec("D", "d", 7));
}

TEST_F(RecordFileTest, UpdateMovesTheChangedKeysOnly) {
  Fill({Rec("A", "delta"), Rec("B", "alpha"), Rec("C", "echo")});
  ASSERT_EQ(Find(1, 2, "alpha"), kFound);
  ASSERT_EQ(FieldSet(1, 2, StrLit("foxtrot")), kOk);
  EXPECT_EQ(RecordUpdate(1), kFound);
  EXPECT_EQ(CursorPosition(1), 2u);  // the cursor follows the record in key 2
  EXPECT_EQ(Walk(1, 2, 1), (std::vector<std::string>{"A", "C", "B"}));
  EXPECT_EQ(Walk(1, 1, 1), (std::vector<std::string>{"A", "B", "C"}));
  ASSERT_EQ(FileClose(1), kOk);
  EXPECT_EQ(Data().substr(16, 16), Rec("B", "foxtrot"));
}

TEST_F(RecordFileTest, UpdateWithUnchangedBuffersWritesNothing) {
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  Fill({Rec("A", "a")});
  ASSERT_EQ(Find(1, 1, "A"), kFound);
  const uint32_t writes = faults.writes();
  EXPECT_EQ(RecordUpdate(1), kFound);
  EXPECT_EQ(faults.writes(), writes);
  ASSERT_EQ(FileClose(1), kOk);
  SetFileSystem(nullptr);
}

TEST_F(RecordFileTest, ClosingMakesWrittenRecordsDurable) {
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  Fill({Rec("A", "a")});
  ASSERT_EQ(FileClose(1), kOk);
  // Nothing written: nothing to sync, even when the disk refuses everything.
  ASSERT_EQ(FileOpen(1, 0), kOk);
  faults.CrashAfterWrites(0);
  EXPECT_EQ(FileClose(1), kOk);
  faults.Reset();
  // An update that moves no key leaves the index alone but must still reach the disk.
  ASSERT_EQ(FileOpen(1, 0), kOk);
  ASSERT_EQ(Find(1, 1, "A"), kFound);
  ASSERT_EQ(FieldSet(1, 3, StrLit("5")), kOk);
  ASSERT_EQ(RecordUpdate(1), kFound);
  faults.CrashAfterWrites(0);
  EXPECT_EQ(FileClose(1), kDiskWriteError);
  EXPECT_FALSE(FileIsOpen(1));
  SetFileSystem(nullptr);
  EXPECT_EQ(Data(), Rec("A", "a", 5));
}

TEST_F(RecordFileTest, UpdateAndDeleteActOnlyOnACurrentRecord) {
  Fill({Rec("A", "a"), Rec("B", "b")});
  const std::string before = Data();
  const struct {
    const char* name;
    uint8_t step;
    const char* find;
    Status status;
  } cases[] = {
      {"after a miss", 0, "AA", kKeyNotFound},
      {"after the end", 0, "Z", kEndOfFile},
      {"after clearing", kStepClear, nullptr, kCleared},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.find) {
      ASSERT_EQ(Find(1, 1, c.find), c.status);
    } else {
      ASSERT_EQ(KeyStep(1, c.step), c.status);
    }
    Put(1, Rec("X", "x"));
    EXPECT_EQ(RecordUpdate(1), c.status);
    EXPECT_EQ(RecordDelete(1, 0), c.status);
    EXPECT_EQ(Data(), before);
    EXPECT_EQ(IndexEntryCount(1), 2u);
  }
  // After a deletion no record is current: a second one deletes nothing more.
  ASSERT_EQ(Find(1, 1, "A"), kFound);
  EXPECT_EQ(RecordDelete(1, 0), kFound);
  EXPECT_EQ(RecordDelete(1, 0), kCleared);
  EXPECT_EQ(IndexEntryCount(1), 1u);
  // With flag 2 the deletion stands on the record that followed.
  ASSERT_EQ(Insert(1, Rec("A", "a")), kFound);
  ASSERT_EQ(Find(1, 1, "A"), kFound);
  EXPECT_EQ(RecordDelete(1, kDeleteFindNext), kKeyNotFound);
  EXPECT_EQ(Current(1).substr(0, 1), "B");
}

TEST_F(RecordFileTest, DeletedSlotsAreReusedOnlyWhileTheyHoldADeletedRecord) {
  Fill({Rec("A", "a"), Rec("B", "b"), Rec("C", "c")});
  ASSERT_EQ(Find(1, 1, "B"), kFound);
  ASSERT_EQ(RecordDelete(1, 0), kFound);
  EXPECT_EQ(Data().substr(16, 16), "\x1b" + Rec("B", "b").substr(1));
  // The deleted record's slot takes the next new record.
  ASSERT_EQ(Insert(1, Rec("D", "d")), kFound);
  EXPECT_EQ(CurrentRecordNumber(1), 1u);
  EXPECT_EQ(Data().substr(16, 16), Rec("D", "d"));
  // A free slot that someone else has filled meanwhile is not overwritten.
  ASSERT_EQ(Find(1, 1, "A"), kFound);
  ASSERT_EQ(RecordDelete(1, 0), kFound);
  std::string data = Data();
  data.replace(0, 16, Rec("Q", "other"));
  folder().Write("items.FD", data);
  ASSERT_EQ(Insert(1, Rec("E", "e")), kFound);
  EXPECT_EQ(CurrentRecordNumber(1), 3u);
  EXPECT_EQ(Data().substr(0, 16), Rec("Q", "other"));
  EXPECT_EQ(Data().substr(48, 16), Rec("E", "e"));
  ASSERT_EQ(FileClose(1), kOk);
  // Counted on disk, without the file open: the live records only.
  folder().Write("items.FD", Data() + "\x1b" + Rec("F", "f").substr(1));
  EXPECT_EQ(FileRecordCount(1), 4u);
}

TEST_F(RecordFileTest, ARecordAnotherUserReplacedIsNeitherUpdatedNorDeleted) {
  Fill({Rec("A", "a"), Rec("B", "b")});
  const std::string original = Data();
  // Meanwhile another user deleted A and a new record took its slot; or deleted B only.
  const struct {
    const char* name;
    const char* code;
    std::string slot;
  } cases[] = {
      {"slot reused", "A", Rec("Q", "other", 7)},
      {"deleted", "B", "\x1b" + Rec("B", "b").substr(1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const uint32_t slot = c.code[0] == 'A' ? 0 : 1;
    for (const bool deleting : {false, true}) {
      folder().Write("items.FD", original);
      ASSERT_EQ(Find(1, 1, c.code), kFound);
      std::string data = original;
      data.replace(slot * 16, 16, c.slot);
      folder().Write("items.FD", data);
      Status status = kOk;
      if (deleting) {
        status = RecordDelete(1, 0);
      } else {
        ASSERT_EQ(FieldSet(1, 3, StrLit("5")), kOk);
        status = RecordUpdate(1);
      }
      EXPECT_EQ(status, kNetAccessError) << deleting;
      EXPECT_NE(testing::Show(DetailText()).find("replaced by another user"), std::string::npos);
      EXPECT_EQ(Data(), data) << deleting;
    }
  }
  // A record another user only changed is still written over, as before.
  folder().Write("items.FD", original);
  ASSERT_EQ(Find(1, 1, "A"), kFound);
  std::string data = original;
  data.replace(0, 16, Rec("A", "renamed", 7));
  folder().Write("items.FD", data);
  ASSERT_EQ(FieldSet(1, 3, StrLit("9")), kOk);
  EXPECT_EQ(RecordUpdate(1), kFound);
  EXPECT_EQ(Data().substr(0, 16), Rec("A", "a", 9));
}

TEST_F(RecordFileTest, TheSixtyFifthInsertionSavesTheIndexFirst) {
  ASSERT_EQ(FileOpen(1, 0), kOk);
  for (int i = 0; i < 64; ++i) ASSERT_EQ(Insert(1, Rec(std::to_string(1000 + i), "n")), kFound);
  EXPECT_EQ(Index(), "");
  ASSERT_EQ(Insert(1, Rec("0999", "n")), kFound);
  EXPECT_EQ(Index().size(), 8u + 2 * 64 * 4);
  ASSERT_EQ(FileClose(1), kOk);
  EXPECT_EQ(Index().size(), 8u + 2 * 65 * 4);
  ASSERT_EQ(FileOpen(1, 0), kOk);
  EXPECT_EQ(IndexEntryCount(1), 65u);
  const std::vector<std::string> walk = Walk(1, 1, 4);
  ASSERT_EQ(walk.size(), 65u);
  EXPECT_EQ(walk.front(), "0999");
  EXPECT_EQ(walk.back(), "1063");
  EXPECT_EQ(LogText(), "<missing>");  // the saved index matched its data
}

TEST_F(RecordFileTest, LockMarker) {
  ASSERT_EQ(FileOpen(1, kModeLocked), kOk);
  EXPECT_EQ(folder().Read("items.lock"), " ");
  // Its own marker refuses another locked mode of the same process, and the file stays open.
  EXPECT_EQ(FileOpen(1, kModeLocked | kModeCurrent), kPermissionDenied);
  EXPECT_TRUE(FileIsOpen(1));
  ASSERT_EQ(FileClose(1), kOk);
  EXPECT_FALSE(folder().Has("items.lock"));

  // Another process's marker: a locked open is refused and leaves it; an unlocked one works.
  folder().Write("items.lock", " ");
  EXPECT_EQ(FileOpen(1, kModeLocked), kPermissionDenied);
  EXPECT_FALSE(FileIsOpen(1));
  EXPECT_TRUE(folder().Has("items.lock"));
  EXPECT_EQ(FileOpen(1, 0), kOk);
  ASSERT_EQ(FileClose(1), kOk);
  EXPECT_TRUE(folder().Has("items.lock"));
  std::filesystem::remove(folder().path() / "items.lock");

  // A failure after the marker was made removes it again.
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  faults.FailOpen(2, kPermissionDenied);  // the data file's open
  EXPECT_EQ(FileOpen(1, kModeLocked), kNothing);
  EXPECT_FALSE(folder().Has("items.lock"));
  EXPECT_FALSE(FileIsOpen(1));
  SetFileSystem(nullptr);
  EXPECT_EQ(SlotGet(kGroupRecordBuffers, 0).len, 0);

  // With temporary copies no marker is used and the files are new ones in the temporary folder.
  SetTemporaryFolder(StrView(folder().path().string()));
  SysWordSetBits(kSysUpStat, kUpStatTemporary, true);
  ASSERT_EQ(FileOpen(1, kModeLocked), kOk);
  EXPECT_FALSE(folder().Has("items.lock"));
  EXPECT_NE(testing::Show(OpenDataPath(1)), "items.FD");
  ASSERT_EQ(Insert(1, Rec("T", "t")), kFound);
  ASSERT_EQ(FileClose(1), kOk);
  SysWordSetBits(kSysUpStat, kUpStatTemporary, false);
  EXPECT_EQ(TemporaryFileCount(), 2);
  DeleteTemporaryFiles();
  SetTemporaryFolder(StrLit(""));
}

TEST_F(RecordFileTest, AFailedLockedOpenLeavesNoMarkerBehind) {
  Fill({Rec("A", "a"), Rec("B", "b")});
  ASSERT_EQ(FileClose(1), kOk);
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  // Whichever read of the open fails, the open either works or leaves nothing open or marked.
  bool failed = false;
  for (uint32_t n = 1; n <= 12; ++n) {
    SCOPED_TRACE(n);
    faults.Reset();
    faults.FailRead(n);
    const Status status = FileOpen(1, kModeLocked);
    if (status.ok()) {
      ASSERT_EQ(FileClose(1), kOk);
    } else {
      failed = true;
      EXPECT_FALSE(FileIsOpen(1));
    }
    EXPECT_FALSE(folder().Has("items.lock"));
  }
  EXPECT_TRUE(failed);
  SetFileSystem(nullptr);
}

TEST_F(RecordFileTest, OpenSetsAndRestore) {
  ASSERT_EQ(DefineFile(0, StrLit("other"), StrLit("")), kOk);
  ASSERT_EQ(DefineField(StrLit("X"), 2, 'A'), kOk);
  ASSERT_EQ(OpenFileSet(StrLit("items,other")), kOk);
  EXPECT_EQ(FileMode(1), 1);
  EXPECT_EQ(FileMode(2), 8);
  EXPECT_EQ(SysWord(kSysCurFil), 2);
  ASSERT_EQ(OpenFileSet(StrLit("2;1,items;2")), kOk);
  EXPECT_EQ(FileMode(1), 10);
  EXPECT_EQ(FileMode(2), 1);
  EXPECT_TRUE(folder().Has("items.lock"));
  EXPECT_EQ(OpenSetDepth(), 2);
  ASSERT_EQ(OpenFileSet(kRestoreSet), kOk);  // back to the set below
  EXPECT_EQ(FileMode(1), 1);
  EXPECT_EQ(FileMode(2), 8);
  EXPECT_FALSE(folder().Has("items.lock"));
  ASSERT_EQ(OpenFileSet(kRestoreSet), kOk);  // it was the only one: everything closes
  EXPECT_FALSE(FileIsOpen(1));
  EXPECT_FALSE(FileIsOpen(2));
  EXPECT_EQ(OpenFileSet(kRestoreSet), kInternalError);
  EXPECT_EQ(testing::Show(DetailText()), "RESTORE");
  EXPECT_EQ(OpenFileSet(StrLit("items,nothing")), kFileOpening);
  EXPECT_EQ(testing::Show(DetailText()), "nothing");
  EXPECT_EQ(OpenSetDepth(), 0);
  ASSERT_EQ(OpenFileSet(StrLit("items")), kOk);
  ASSERT_EQ(OpenFileSet(StrLit("other")), kOk);
  ASSERT_EQ(OpenSetRestoreTo(0), kOk);
  EXPECT_FALSE(FileIsOpen(1));
  // A data file that cannot be opened fails the set, naming the file.
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  faults.FailOpen(1);
  EXPECT_EQ(OpenFileSet(StrLit("items")), kDiskOpenError);
  EXPECT_EQ(testing::Show(DetailText()), "items.FD");
  EXPECT_FALSE(FileIsOpen(1));
  SetFileSystem(nullptr);
  ASSERT_EQ(OpenSetRestoreTo(0), kOk);
}

TEST_F(RecordFileTest, ABadOrMissingIndexIsRebuiltFromTheData) {
  Fill({Rec("B", "b"), Rec("A", "a"), Rec("C", "c")});
  ASSERT_EQ(Find(1, 1, "B"), kFound);
  ASSERT_EQ(RecordDelete(1, 0), kFound);
  ASSERT_EQ(FileClose(1), kOk);
  const std::string good = Index();
  const struct {
    const char* name;
    std::string index;  // "<none>": no index file
  } cases[] = {
      {"missing", "<none>"},
      {"empty", ""},
      {"cut short", good.substr(0, 13)},
      {"header only", good.substr(0, 8)},
      {"garbage", std::string(40, '\xff')},
      {"stale counts", std::string("\0\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\0\0", 16)},
      {"out of order",
       good.substr(0, 12) + good.substr(16, 4) + good.substr(12, 4) + good.substr(20)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(folder().path() / "log.txt");
    if (c.index == "<none>") {
      std::filesystem::remove(folder().path() / "items.DIR");
    } else {
      folder().Write("items.DIR", c.index);
    }
    ASSERT_EQ(FileOpen(1, kModeReadOnly), kOk);
    EXPECT_EQ(Walk(1, 1, 1), (std::vector<std::string>{"A", "C"}));
    EXPECT_EQ(Walk(1, 2, 1), (std::vector<std::string>{"A", "C"}));
    ASSERT_EQ(FileClose(1), kOk);
    EXPECT_NE(LogText().find("Index rebuilt from its data file: items.DIR"), std::string::npos);
    // Read-only: the rebuilt index stayed in memory.
    EXPECT_EQ(Index(), c.index == "<none>" ? "<missing>" : c.index);
    ASSERT_EQ(FileOpen(1, 0), kOk);
    ASSERT_EQ(FileClose(1), kOk);
    EXPECT_EQ(Index(), good);  // the writable open saved the rebuilt index at once
  }
}

TEST_F(RecordFileTest, AnotherProcessesRecordsAppearAfterAReopen) {
  Fill({Rec("A", "a")});
  std::string data = Data();
  folder().Write("items.FD", data + Rec("B", "b"));  // appended by someone else
  EXPECT_EQ(IndexEntryCount(1), 1u);
  ASSERT_EQ(Find(1, 1, "A"), kFound);
  EXPECT_EQ(FileReopenData(1, kOk), kOk);
  EXPECT_EQ(IndexEntryCount(1), 2u);
  EXPECT_EQ(CurrentRecordNumber(1), 0u);  // still on the same record
  EXPECT_EQ(Find(1, 2, "b"), kFound);
  EXPECT_EQ(FileReopenData(1, kKeyNotFound), kKeyNotFound);
  EXPECT_EQ(FileReopenData(2, kOk), kDataOutBound);
}

TEST_F(RecordFileTest, ADataFileOfPartRecordsIsRefused) {
  folder().Write("items.FD", Rec("A", "a") + "xyz");
  EXPECT_EQ(FileOpen(1, 0), kFileIO);
  EXPECT_EQ(testing::Show(DetailText()),
            "items.FD: 19 bytes are no whole number of 16-byte records");
  EXPECT_FALSE(FileIsOpen(1));
  EXPECT_EQ(Data(), Rec("A", "a") + "xyz");
}

TEST_F(RecordFileTest, AFailedWriteLeavesTheIndexAsItWas) {
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  Fill({Rec("A", "a"), Rec("B", "b")});
  faults.FailWrite(1);
  EXPECT_EQ(Insert(1, Rec("C", "c")), kDiskWriteError);
  EXPECT_EQ(IndexEntryCount(1), 2u);
  EXPECT_EQ(Find(1, 1, "C"), kEndOfFile);
  ASSERT_EQ(Find(1, 1, "A"), kFound);
  ASSERT_EQ(FieldSet(1, 2, StrLit("zulu")), kOk);
  faults.FailWrite(1);
  EXPECT_EQ(RecordUpdate(1), kDiskWriteError);
  EXPECT_EQ(Walk(1, 2, 1), (std::vector<std::string>{"A", "B"}));
  ASSERT_EQ(Find(1, 1, "B"), kFound);
  faults.FailWrite(1);
  EXPECT_EQ(RecordDelete(1, 0), kDiskWriteError);
  EXPECT_EQ(IndexEntryCount(1), 2u);
  EXPECT_EQ(Current(1), Rec("B", "b"));  // the buffer is not left marked deleted
  EXPECT_EQ(Insert(1, Rec("C", "c")), kFound);
  ASSERT_EQ(FileClose(1), kOk);
  SetFileSystem(nullptr);
  EXPECT_EQ(Data(), Rec("A", "a") + Rec("B", "b") + Rec("C", "c"));
}

TEST_F(RecordFileTest, ACrashWhileSavingTheIndexLeavesTheOldOrTheNewOne) {
  Fill({Rec("A", "a")});
  ASSERT_EQ(FileClose(1), kOk);
  std::string saved = Index();
  uint32_t records = 1;
  for (uint32_t writes = 0;; ++writes) {
    SCOPED_TRACE(writes);
    ASSERT_LT(writes, 10u);
    ASSERT_EQ(FileOpen(1, 0), kOk);
    ASSERT_EQ(Insert(1, Rec("N" + std::to_string(writes), "n")), kFound);
    ++records;
    const std::string data = Data();
    FaultFileSystem faults(PlatformFileSystem());
    SetFileSystem(&faults);
    faults.CrashAfterWrites(writes);
    const Status closed = FileClose(1);
    SetFileSystem(nullptr);
    if (closed.ok()) {
      EXPECT_EQ(Index().size(), 8u + 2 * 4 * records);
      break;
    }
    EXPECT_EQ(closed, kDiskIO);
    EXPECT_EQ(Index(), saved);  // the old index, whole
    EXPECT_EQ(Data(), data);
    // The next open finds the index behind its data and rebuilds it.
    ASSERT_EQ(FileOpen(1, 0), kOk);
    EXPECT_EQ(IndexEntryCount(1), records);
    ASSERT_EQ(FileClose(1), kOk);
    saved = Index();
    EXPECT_EQ(saved.size(), 8u + 2 * 4 * records);
  }
}

TEST_F(RecordFileTest, ScanInPhysicalOrderSkipsDeletedRecords) {
  Fill({Rec("C", "c"), Rec("A", "a"), Rec("B", "b")});
  ASSERT_EQ(Find(1, 1, "A"), kFound);
  ASSERT_EQ(RecordDelete(1, 0), kFound);
  uint32_t record = 0;
  ASSERT_EQ(ScanNext(1, 0, 0, &record), kFound);
  EXPECT_EQ(record, 0u);
  EXPECT_EQ(Current(1).substr(0, 1), "C");
  ASSERT_EQ(ScanNext(1, record, kScanAfter, &record), kFound);
  EXPECT_EQ(record, 2u);
  // The scanned record is the current one: an update changes it and nothing else.
  EXPECT_EQ(CurrentRecordNumber(1), 2u);
  ASSERT_EQ(FieldSet(1, 3, StrLit("9")), kOk);
  ASSERT_EQ(RecordUpdate(1), kFound);
  EXPECT_EQ(Data().substr(32, 16), Rec("B", "b", 9));
  EXPECT_EQ(Data().substr(0, 16), Rec("C", "c"));
  EXPECT_EQ(ScanNext(1, record, kScanAfter, &record), kEndOfFile);
  EXPECT_EQ(record, 3u);
  ASSERT_EQ(FileClose(1), kOk);
  ASSERT_EQ(FileOpen(1, kModeNoIndex), kOk);
  EXPECT_EQ(FileRecordCount(1), 3u);
  EXPECT_EQ(Find(1, 1, "C"), kIndexCmdError);
  ASSERT_EQ(ScanNext(1, 0, 0, &record), kFound);
}

TEST_F(RecordFileTest, RawRecordInputAndOutput) {
  Fill({Rec("A", "a"), Rec("B", "b")});
  Put(1, Rec("Z", "raw"));
  ASSERT_EQ(RecordWrite(1, 1), kOk);  // no index change: the record at 1 is simply replaced
  EXPECT_EQ(Data().substr(16), Rec("Z", "raw"));
  ASSERT_EQ(RecordRead(1, 0, kHalfBoth), kOk);
  EXPECT_EQ(Current(1), Rec("A", "a"));
  EXPECT_FALSE(BuffersDiffer(1));
  EXPECT_EQ(RecordRead(1, 2, kHalfCurrent), kDiskReadError);
  EXPECT_NE(testing::Show(DetailText()).find("items.FD #2"), std::string::npos);
  EXPECT_EQ(DataFileDeleteAll(), kFeatureRemoved);
  EXPECT_EQ(testing::Show(DetailText()), "DataFileDeleteAll");
}

TEST_F(RecordFileTest, SnapshotPutsBackPositionAndBuffers) {
  Fill({Rec("A", "a"), Rec("C", "c"), Rec("E", "e")});
  ASSERT_EQ(Find(1, 1, "C"), kFound);
  StrAreaScope scope;
  const StrRef snapshot = FileSnapshot(1);
  ASSERT_FALSE(snapshot.IsStatus());
  // A nested operation inserts before the record and moves away.
  ASSERT_EQ(Insert(1, Rec("B", "b")), kFound);
  ASSERT_EQ(KeyStep(1, kStepLast), kFound);
  ASSERT_EQ(FileRestore(1, snapshot), kOk);
  EXPECT_EQ(Current(1).substr(0, 1), "C");
  EXPECT_EQ(CurrentRecordNumber(1), 1u);
  EXPECT_EQ(FileCtrl(1).last_status, kFound);
  EXPECT_EQ(KeyStep(1, kStepNext), kFound);
  EXPECT_EQ(Current(1).substr(0, 1), "E");
  EXPECT_EQ(FileRestore(1, StrLit("short")), kBadInputData);
}

TEST_F(RecordFileTest, FieldsThroughBuffersAndExpressions) {
  ASSERT_EQ(DefineFile(0, StrLit("dates"), StrLit("")), kOk);
  ASSERT_EQ(DefineField(StrLit("D6"), 6, 'F'), kOk);
  ASSERT_EQ(DefineField(StrLit("AMOUNT"), 6, 'N'), kOk);
  ASSERT_EQ(FileOpen(2, 0), kOk);
  ASSERT_EQ(FileOpen(1, kModeCurrent), kOk);
  SysWordSetBits(kSysCompat, kCompatDateCodes, true);
  const struct {
    const char* value;
    const char* stored;
    const char* read;
  } dates[] = {
      {"", "      ", "        "},  // a blank date stays blank
      {"20240131", "C4 131", "20240131"},
      {"19991231", "991231", "19991231"},
      {"20000105", "A0 1 5", "20000105"},
  };
  for (const auto& d : dates) {
    SCOPED_TRACE(d.value);
    ASSERT_EQ(FieldSet(2, 1, StrView(d.value)), kOk);
    StrAreaScope scope;
    EXPECT_EQ(testing::Show(FieldGetRaw(2, 1, 1)), d.stored);
    EXPECT_EQ(testing::Show(FieldGet(2, 1)), d.read);
  }
  SysWordSetBits(kSysCompat, kCompatDateCodes, false);
  {
    StrAreaScope scope;
    EXPECT_EQ(testing::Show(FieldGet(2, 1)), "A0 1 5");
    ASSERT_EQ(BufferPut(2, kHalfCurrent, StrLit("      D12345")), kOk);
    EXPECT_EQ(testing::Show(FieldGet(2, 2)), "12339");  // the integer exclusive-or 10
    EXPECT_EQ(FieldSet(2, 2, StrLit("1234567")), kDataOutBound);
    EXPECT_EQ(testing::Show(FieldGetRaw(2, 2, 1)), "D12345");
    EXPECT_EQ(testing::Show(FieldGet(2, 3)), "<status 168>");
    EXPECT_EQ(testing::Show(DetailText()), "(File:2, Field:3)");
  }
  // NAME{FILE} references in expressions read and write the current record.
  InstallFieldAccess();
  Put(1, Rec("K1", "first", 12));
  EXPECT_EQ(EvalStatus(StrLit("QTY{1}=QTY{items}+30")), kOk) << testing::Show(DetailText());
  EXPECT_EQ(Current(1), Rec("K1", "first", 42));
  StrAreaScope scope;
  EXPECT_EQ(testing::Show(EvalText(StrLit("NAME{}"))), "first   ");
  ASSERT_EQ(FileClose(2), kOk);
  EXPECT_EQ(FieldSet(2, 1, StrLit("x")), kFileNotInit);
}

TEST_F(RecordFileTest, TheBuiltInFunctionsReachTheRecordFiles) {
  Fill({Rec("A", "alpha", 3), Rec("B", "beta", 4)});
  ASSERT_EQ(FileClose(1), kOk);
  InstallFieldAccess();
  InstallDataFunctions();
  const struct {
    const char* expression;
    const char* result;
  } cases[] = {
      {"FN#FLEN('items')", "2"},
      {"FN#FLEN('ITEMS')", "2"},
      {"FILESEL('items;0')", ""},
      {"FN#FLEN('items')", "2"},
      {"FILEFIND('B')", ""},  // 0: found
      {"IER(1)", ""},
      {"KEY$(1;1)", "B   "},
      {"FN$FLDS(QTY{1})", "   4"},
      {"FILEFIND('C')", "2"},
      {"FILELOCATE('TOP')", ""},
      {"KEY$(1;1)", "A   "},
      {"FN#FLEN('items.FD')", "32"},  // no data file of that name: the disk file's size
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression);
    StrAreaScope scope;
    EXPECT_EQ(testing::Show(EvalText(StrView(c.expression))), c.result)
        << testing::Show(DetailText());
  }
  EXPECT_EQ(FileMode(1), 8);
  ASSERT_EQ(Find(1, 2, "beta"), kFound);
  ASSERT_EQ(FieldSet(1, 2, StrLit("renamed")), kOk);
  StrAreaScope scope;
  EXPECT_EQ(testing::Show(EvalText(StrLit("KEY$(1;2;2)+'/'+KEY$(1;2)"))), "beta    /renamed ");
  EXPECT_EQ(testing::Show(EvalText(StrLit("FN$FLDS(NAME{1};2)"))), "beta    ");
  EXPECT_EQ(testing::Show(EvalText(StrLit("IER()"))), "");
  RemoveDataFunctions();
}

}  // namespace
}  // namespace engine
