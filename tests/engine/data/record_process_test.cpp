// Record files across processes: a child that inserts, updates and deletes is killed at random
// points, and every record it reported written must be there afterwards, found by every key, with
// an index that matches the data; and two processes adding records to one file at the same time
// both keep all of theirs.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "data_fixture.h"
#include "engine/core/file_system.h"
#include "engine/data/record_index.h"
#include "engine/data/reorganize.h"

namespace engine {
namespace {

using testing::DataFixture;

constexpr uint16_t kLength = 40;  // CODE A8, NAME A12, VER N6, filler A14

std::string Code(int key) {
  char text[16];
  std::snprintf(text, sizeof text, "K%07d", key);
  return text;
}

// Key 2 moves with every version; different records may share it.
std::string Name(int key, int version) {
  char text[16];
  std::snprintf(text, sizeof text, "N%05d",
                static_cast<int>((int64_t{key} * 7919 + int64_t{version} * 104729) % 3001));
  std::string name = text;
  name.resize(12, ' ');
  return name;
}

std::string Record(int key, int version) {
  char ver[8];
  std::snprintf(ver, sizeof ver, "%6d", version);
  std::string record = Code(key) + Name(key, version) + ver;
  record.resize(kLength, '.');
  return record;
}

void Report(int fd, const std::string& line) {
  const std::string text = line + "\n";
  if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) _exit(4);
}

class RecordProcessTest : public DataFixture {
 protected:
  void SetUp() override {
    DataFixture::SetUp();
    ASSERT_EQ(DefineFile(1, StrLit("books"), StrLit("")), kOk);
    ASSERT_EQ(DefineField(StrLit("CODE"), 8, 'A'), kOk);
    ASSERT_EQ(DefineField(StrLit("NAME"), 12, 'A'), kOk);
    ASSERT_EQ(DefineField(StrLit("VER"), 6, 'N'), kOk);
    ASSERT_EQ(DefineField(StrLit("FILL"), 14, 'A'), kOk);
    KeySegments key;
    key.count = 1;
    key.segment[0] = KeySegment{0, 8};
    ASSERT_EQ(DefineKey(1, key), kOk);
    key.segment[0] = KeySegment{8, 12};
    ASSERT_EQ(DefineKey(1, key), kOk);
  }

  // The on-disk index read back and compared with the data file.
  void ExpectIndexMatchesData() {
    const std::string data = folder().Read("books.FD");
    ASSERT_EQ(data.size() % kLength, 0u);
    std::unique_ptr<File> file;
    ASSERT_EQ(CurrentFileSystem().Open(folder() / "books.DIR", kOpenRead, &file), kOk);
    IndexState index;
    bool well_formed = false;
    ASSERT_EQ(IndexLoad(file.get(), 2, data.size() / kLength, &index, &well_formed), kOk);
    EXPECT_TRUE(well_formed);
    std::vector<KeySegments> keys = {KeySegmentsOf(1, 1), KeySegmentsOf(1, 2)};
    std::string reason;
    EXPECT_TRUE(
        IndexMatchesData(index, IndexedData{{data.data(), data.size()}, kLength, &keys}, &reason))
        << reason;
    IndexRelease(&index);
  }

  // Whether the record of `key` is found by key 1 and, as the same record, by key 2; its
  // version, or nothing.
  std::optional<int> Lookup(int key) {
    const Status status = Find(1, 1, Code(key));
    if (status != kFound) return std::nullopt;
    const uint32_t record = CurrentRecordNumber(1);
    const std::string current = Current(1);
    const int version = std::stoi(current.substr(20, 6));
    EXPECT_EQ(current, Record(key, version));
    bool by_name = false;
    for (Status s = Find(1, 2, Name(key, version)); s == kFound && !by_name;
         s = KeyStep(1, kStepNext)) {
      if (Current(1).substr(8, 12) != Name(key, version)) break;
      by_name = CurrentRecordNumber(1) == record;
    }
    EXPECT_TRUE(by_name) << Code(key) << " is not found by its key 2";
    return version;
  }
};

// The child's work: random insertions, updates and deletions over the keys it was given, each
// announced before ("i", "u", "d" with key and version) and confirmed after ("done").
[[noreturn]] void ChildWork(int fd, std::map<int, int> live, int next_key, uint32_t seed) {
  std::mt19937 random(seed);
  if (FileOpen(1, 0) != kOk) _exit(2);
  for (int op = 0; op < 100000; ++op) {
    const int choice = static_cast<int>(random() % 100);
    if (live.empty() || choice < 50) {
      const int key = next_key++;
      Report(fd, "i " + std::to_string(key) + " 1");
      if (BufferPut(1, kHalfCurrent, StrView(Record(key, 1))) != kOk) _exit(3);
      const Status status = RecordInsert(1);
      if (status != kFound && status != kRepeatedKey) _exit(5);
      live[key] = 1;
    } else {
      auto it = live.begin();
      std::advance(it, random() % live.size());
      const int key = it->first;
      if (KeyFind(1, 1, StrView(Code(key)), 0) != kFound) _exit(6);
      if (choice < 85) {
        const int version = it->second + 1;
        Report(fd, "u " + std::to_string(key) + " " + std::to_string(version));
        if (BufferPut(1, kHalfCurrent, StrView(Record(key, version))) != kOk) _exit(3);
        if (RecordUpdate(1) != kFound) _exit(7);
        it->second = version;
      } else {
        Report(fd, "d " + std::to_string(key) + " 0");
        if (RecordDelete(1, 0) != kFound) _exit(8);
        live.erase(it);
      }
    }
    Report(fd, "done");
  }
  _exit(FileClose(1) == kOk ? 0 : 9);
}

TEST_F(RecordProcessTest, KilledAtRandomPointsLosesNoReportedRecord) {
  std::map<int, int> live;  // key -> version, as the children reported them
  int next_key = 1;
  std::mt19937 random(20240131);
  const auto start = std::chrono::steady_clock::now();
  int rounds = 0;
  for (; rounds < 60; ++rounds) {
    if (rounds >= 12 && std::chrono::steady_clock::now() - start > std::chrono::seconds(15)) break;
    SCOPED_TRACE("round " + std::to_string(rounds));
    int pipe_fds[2];
    ASSERT_EQ(::pipe(pipe_fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(pipe_fds[0]);
      ChildWork(pipe_fds[1], live, next_key, static_cast<uint32_t>(random()));
    }
    ::close(pipe_fds[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 60));
    ::kill(child, SIGKILL);
    int wait_status = 0;
    ASSERT_EQ(::waitpid(child, &wait_status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(wait_status)) << "the child ended by itself: " << wait_status;

    // What the child reported: finished operations, and at most one in progress.
    std::string log;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;) log.append(buffer, n);
    ::close(pipe_fds[0]);
    char pending_op = 0;
    int pending_key = 0;
    int pending_version = 0;
    size_t at = 0;
    for (size_t end; (end = log.find('\n', at)) != std::string::npos; at = end + 1) {
      const std::string line = log.substr(at, end - at);
      if (line == "done") {
        if (pending_op == 'i' || pending_op == 'u') live[pending_key] = pending_version;
        if (pending_op == 'd') live.erase(pending_key);
        if (pending_op == 'i') next_key = pending_key + 1;
        pending_op = 0;
      } else {
        ASSERT_EQ(
            std::sscanf(line.c_str(), "%c %d %d", &pending_op, &pending_key, &pending_version), 3)
            << line;
      }
    }

    // Start-up recovery on every other round, a plain open on the others.
    if (rounds % 2 == 1) {
      ASSERT_EQ(RecoverDataFiles(nullptr), kOk) << testing::Show(DetailText());
    }
    ASSERT_EQ(FileOpen(1, 0), kOk) << testing::Show(DetailText());
    for (int key = 1; key < next_key + 1; ++key) {
      const std::optional<int> found = Lookup(key);
      if (pending_op != 0 && key == pending_key) {
        // The operation in progress may or may not have reached the disk.
        if (pending_op == 'i' && found) {
          EXPECT_EQ(*found, 1);
        }
        if (pending_op == 'u') {
          ASSERT_TRUE(found.has_value()) << Code(key);
          EXPECT_TRUE(*found == live[key] || *found == pending_version);
        }
        if (found) {
          live[key] = *found;
        } else {
          live.erase(key);
        }
        if (pending_op == 'i') next_key = key + 1;
        continue;
      }
      auto expected = live.find(key);
      if (expected == live.end()) {
        EXPECT_FALSE(found.has_value()) << Code(key) << " should not be there";
      } else {
        ASSERT_TRUE(found.has_value()) << Code(key) << " was reported written but is lost";
        EXPECT_EQ(*found, expected->second) << Code(key);
      }
    }
    EXPECT_EQ(IndexEntryCount(1), live.size());
    ASSERT_EQ(FileClose(1), kOk);
    ExpectIndexMatchesData();
    if (HasFatalFailure()) return;
  }
  EXPECT_GE(rounds, 12);
  EXPECT_GT(live.size(), 50u);
}

TEST_F(RecordProcessTest, TwoProcessesAddingToOneFileBothKeepTheirRecords) {
  // Deleted records that both processes will find on their free lists.
  ASSERT_EQ(FileOpen(1, 0), kOk);
  for (int key = 900000; key < 900040; ++key) {
    ASSERT_EQ(BufferPut(1, kHalfCurrent, StrView(Record(key, 1))), kOk);
    ASSERT_EQ(RecordInsert(1), kFound);
  }
  for (int key = 900000; key < 900040; ++key) {
    ASSERT_EQ(Find(1, 1, Code(key)), kFound);
    ASSERT_EQ(RecordDelete(1, 0), kFound);
  }
  ASSERT_EQ(FileClose(1), kOk);

  constexpr int kEach = 400;
  int barrier[2];
  ASSERT_EQ(::pipe(barrier), 0);
  std::vector<pid_t> children;
  for (int side = 0; side < 2; ++side) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(barrier[1]);
      char go = 0;
      if (::read(barrier[0], &go, 1) != 1) _exit(2);
      if (FileOpen(1, 0) != kOk) _exit(3);
      for (int i = 0; i < kEach; ++i) {
        const int key = (side + 1) * 100000 + i;
        if (BufferPut(1, kHalfCurrent, StrView(Record(key, 1))) != kOk) _exit(4);
        const Status status = RecordInsert(1);
        if (status != kFound && status != kRepeatedKey) _exit(5);
      }
      _exit(FileClose(1) == kOk ? 0 : 6);
    }
    children.push_back(child);
  }
  ::close(barrier[0]);
  ASSERT_EQ(::write(barrier[1], "gg", 2), 2);
  ::close(barrier[1]);
  for (pid_t child : children) {
    int wait_status = 0;
    ASSERT_EQ(::waitpid(child, &wait_status, 0), child);
    ASSERT_TRUE(WIFEXITED(wait_status) && WEXITSTATUS(wait_status) == 0) << wait_status;
  }
  ASSERT_EQ(FileOpen(1, 0), kOk);
  EXPECT_EQ(IndexEntryCount(1), 2u * kEach);
  for (int side = 1; side <= 2; ++side) {
    for (int i = 0; i < kEach; ++i) {
      const int key = side * 100000 + i;
      ASSERT_EQ(Lookup(key), std::optional<int>(1)) << Code(key);
    }
  }
  ASSERT_EQ(FileClose(1), kOk);
  ExpectIndexMatchesData();
}

}  // namespace
}  // namespace engine
