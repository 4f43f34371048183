// Streams: the opening rule and handle table, the line reader on every line-end form and on
// chunk boundaries, positioned reads and writes with 64-bit offsets, the whole-file helpers,
// and what is (and is not) latched and reported.
#include "engine/core/streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/file_system_faults.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "support/core_fixture.h"
#include "support/temp_folder.h"

namespace engine {
namespace {

using testing::Show;
using Lines = std::vector<std::string>;

StrRef S(std::string_view text) { return StrView(text); }

class StreamsTest : public testing::CoreFixture {
 protected:
  void TearDown() override {
    StreamCloseAll();
    SetFileSystem(nullptr);
    CoreFixture::TearDown();
  }

  uint16_t Open(std::string_view name, uint16_t flags) {
    uint16_t handle = kNoHandle;
    EXPECT_EQ(StreamOpen(S(name), flags, &handle), kOk) << name;
    return handle;
  }

  // Every line of the file, then "<end>" when the reader answers the end of the file.
  std::vector<std::string> ReadLines(std::string_view name) {
    std::vector<std::string> lines;
    const uint16_t handle = Open(name, kStreamReadOnly);
    for (int guard = 0; guard < 100; ++guard) {
      const uint16_t mark = StrAreaMark();
      const StrRef line = StreamReadLine(handle, kPosCurrent, kReadLine);
      lines.push_back(StrCheck(line) == kNothing ? "<end>" : Show(line));
      StrAreaRelease(mark);
      if (line.IsStatus()) break;
    }
    StreamClose(handle);
    return lines;
  }

  testing::TempFolder dir_{true};
};

TEST_F(StreamsTest, LineReaderTakesCrLfCrAndLfAndTreatsATrailingCtrlZAsTheEnd) {
  const struct {
    std::string_view content;
    Lines lines;
  } cases[] = {
      {"A\r\nB\nC", {"A", "B", "C", "<end>"}},
      {"A\rB\r\nC\n", {"A", "B", "C", "<end>"}},
      {"\n\r\n\r", {"", "", "", "<end>"}},
      {"A\n\rB", {"A", "", "B", "<end>"}},
      {"A\x1A", {"A", "<end>"}},
      {"A\r\n\x1A", {"A", "<end>"}},
      {"A\x1A"
       "B\n",
       {"A\x1A"
        "B",
        "<end>"}},
      {"", {"<end>"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::string(c.content)));
    dir_.Write("t.txt", c.content);
    EXPECT_EQ(ReadLines("t.txt"), c.lines);
  }
  // The end of the file is an ordinary result: nothing latched, nothing to report.
  EXPECT_EQ(LatchedError(), 0u);
  EXPECT_EQ(Show(DetailText()), "");
}

TEST_F(StreamsTest, ACrLfSplitAcrossTwoChunksIsOneLineEnd) {
  const std::string first(511, 'x');
  dir_.Write("t.txt", first + "\r\n" + "y\r\nz");
  EXPECT_EQ(ReadLines("t.txt"), (Lines{first, "y", "z", "<end>"}));
  // The same with the chunk boundary one line further on.
  const std::string second(511 - 3, 'w');
  dir_.Write("t.txt", "ab\n" + second + "\r\n" + "v");
  EXPECT_EQ(ReadLines("t.txt"), (Lines{"ab", second, "v", "<end>"}));
}

TEST_F(StreamsTest, ALongLineIsReadWholeOrInPiecesOfTheDestination) {
  const std::string long_line(1000, 'L');
  dir_.Write("t.txt", long_line + "\nend");
  EXPECT_EQ(ReadLines("t.txt"), (Lines{long_line, "end", "<end>"}));

  dir_.Write("t.txt", "abc\r\ndefghij\n");
  const uint16_t handle = Open("t.txt", kStreamReadOnly);
  char buffer[4];
  size_t got = 0;
  std::vector<std::string> pieces;
  Status status;
  while ((status = StreamRead(handle, kPosCurrent, kReadLine, buffer, &got)) == kOk) {
    pieces.emplace_back(buffer, got);
  }
  EXPECT_EQ(status, kNothing);
  EXPECT_EQ(pieces, (Lines{"abc", "defg", "hij"}));
}

TEST_F(StreamsTest, PositionsAreSixtyFourBitAndTheMarkersNeverMeetARealOffset) {
  std::string content(70000, '.');
  content[65535] = 'Q';
  dir_.Write("big.dat", content);
  const uint16_t handle = Open("big.dat", 0);
  EXPECT_EQ(StreamSize(handle), 70000u);

  char c = 0;
  size_t got = 0;
  ASSERT_EQ(StreamRead(handle, 65535, 1, {&c, 1}, &got), kOk);
  EXPECT_EQ(c, 'Q');
  EXPECT_EQ(StreamTell(handle), 65536u);
  ASSERT_EQ(StreamWrite(handle, 65535, std::span<const char>("Z", 1)), kOk);
  EXPECT_EQ(StreamSize(handle), 70000u);  // written in place, not appended
  ASSERT_EQ(StreamWriteText(handle, kPosEnd, StrLit("E")), kOk);
  EXPECT_EQ(StreamSize(handle), 70001u);
  EXPECT_TRUE(StreamAtEnd(handle));

  ASSERT_EQ(StreamSeek(handle, 65534), kOk);
  char two[2];
  ASSERT_EQ(StreamRead(handle, kPosCurrent, 2, two, &got), kOk);
  EXPECT_EQ(std::string(two, got), ".Z");
  EXPECT_EQ(StreamRead(handle, 70001, 5, two, &got), kNothing);
  EXPECT_EQ(StreamSeek(kStdIn, 0), kDiskIO);
  EXPECT_EQ(StreamSize(kStdOut), kUnknownSize);
  StreamClose(handle);
  EXPECT_EQ(dir_.Read("big.dat").substr(65534, 2), ".Z");
}

TEST_F(StreamsTest, OpeningFollowsTheFlags) {
  dir_.Write("old.txt", "old");
  // Read and write without read-only: a missing file is created empty.
  uint16_t handle = Open("new.txt", 0);
  EXPECT_EQ(handle, kStreamFirstFile);
  EXPECT_EQ(dir_.Read("new.txt"), "");
  // kStreamWrite empties, kStreamAppend keeps and writes at the end.
  StreamClose(Open("old.txt", kStreamWrite));
  EXPECT_EQ(dir_.Read("old.txt"), "");
  dir_.Write("old.txt", "old");
  handle = Open("old.txt", kStreamAppend);
  ASSERT_EQ(StreamWriteText(handle, 0, StrLit("+more")), kOk);
  StreamClose(handle);
  EXPECT_EQ(dir_.Read("old.txt"), "old+more");

  // Read-only on a missing file: 164, latched under "Streams" with the name as detail.
  handle = 7;
  EXPECT_EQ(StreamOpen(StrLit("none.txt"), kStreamReadOnly, &handle), kFileNotFound);
  EXPECT_EQ(handle, kNoHandle);
  EXPECT_FALSE(dir_.Has("none.txt"));
  EXPECT_EQ(LatchedCode(), kFileNotFound);
  EXPECT_EQ(LatchedSite(), kSiteStreams);
  EXPECT_EQ(Show(DetailText()), "none.txt");
  // Silent: the same status, nothing latched or reported.
  LatchClear();
  DetailClear();
  EXPECT_EQ(StreamOpen(StrLit("none.txt"), kStreamReadOnly | kStreamSilent, &handle),
            kFileNotFound);
  EXPECT_EQ(LatchedError(), 0u);
  EXPECT_EQ(Show(DetailText()), "");

  EXPECT_EQ(StreamOpen(StrLit(""), 0, &handle), kBadInputData);
  EXPECT_EQ(StreamOpen(S(std::string(kStreamNameLimit, 'n')), 0, &handle), kBadInputData);
  EXPECT_EQ(StreamOpen(StrError(kNothing), 0, &handle), kBadInputData);
}

TEST_F(StreamsTest, TheConsoleNameGivesTheStandardStreams) {
  const struct {
    uint16_t flags;
    uint16_t handle;
  } cases[] = {
      {kStreamWrite, kStdOut},
      {kStreamWrite | kStreamSilent, kStdOut},
      {kStreamReadOnly, kStdIn},
      {0, kStdIn},
      {kStreamWrite | kStreamReadOnly, kStdIn},
      {kStreamAppend, kStdIn},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.flags);
    EXPECT_EQ(Open("CON", c.flags), c.handle);
  }
  EXPECT_FALSE(dir_.Has("CON"));
  StreamClose(kStdOut);  // never closed
  EXPECT_NE(CurrentFileSystem().StandardStream(kStdOut), nullptr);
}

TEST_F(StreamsTest, ThirtySevenFilesAtOnceAndThenDataOutBound) {
  std::vector<uint16_t> handles;
  for (int i = 0; i < kStreamHandles - kStreamFirstFile; ++i) {
    handles.push_back(Open("f" + std::to_string(i), 0));
  }
  EXPECT_EQ(handles.front(), kStreamFirstFile);
  EXPECT_EQ(handles.back(), kStreamHandles - 1);
  uint16_t handle = 0;
  EXPECT_EQ(StreamOpen(StrLit("one-more"), 0, &handle), kDataOutBound);
  EXPECT_EQ(handle, kNoHandle);
  EXPECT_EQ(StreamOpen(StrLit("CON"), kStreamWrite, &handle), kDataOutBound);
  EXPECT_EQ(LatchedCode(), kDataOutBound);
  StreamClose(handles[5]);
  EXPECT_EQ(Open("one-more", 0), handles[5]);
}

TEST_F(StreamsTest, AFailedOpenNeverCreatesOrTruncates) {
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  dir_.Write("data.txt", "precious");
  for (const uint16_t flags : {uint16_t{0}, kStreamWrite, kStreamAppend}) {
    SCOPED_TRACE(flags);
    const uint32_t opens = faults.opens();
    faults.FailOpen(1, kPermissionDenied);
    uint16_t handle = 0;
    EXPECT_EQ(StreamOpen(StrLit("data.txt"), flags, &handle), kPermissionDenied);
    EXPECT_EQ(faults.opens(), opens + 1);  // no second attempt that could create or truncate
    EXPECT_EQ(dir_.Read("data.txt"), "precious");
  }
  // A missing file is created in the one open.
  const uint32_t opens = faults.opens();
  StreamClose(Open("fresh.txt", 0));
  EXPECT_EQ(faults.opens(), opens + 1);
  EXPECT_TRUE(dir_.Has("fresh.txt"));
}

TEST_F(StreamsTest, ReadAndWriteFailuresAreLatchedAndNeverPassForSuccess) {
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  dir_.Write("t.txt", "line\n");
  const uint16_t handle = Open("t.txt", 0);
  faults.FailRead(1);
  EXPECT_EQ(StrCheck(StreamReadLine(handle, 0, kReadLine)), kDiskReadError);
  EXPECT_EQ(LatchedCode(), kDiskReadError);
  EXPECT_EQ(LatchedSite(), kSiteStreams);
  EXPECT_EQ(Show(StreamReadLine(handle, 0, kReadLine)), "line");

  LatchClear();
  faults.FailWrite(1);
  EXPECT_EQ(StreamWriteText(handle, kPosEnd, StrLit("x")), kDiskWriteError);
  EXPECT_EQ(LatchedCode(), kDiskWriteError);
  EXPECT_EQ(StreamWrite(handle, 0, std::span<const char>()), kNothing);
  EXPECT_EQ(StreamWriteText(handle, 0, StrError(kOutOfMemory)), kOutOfMemory);
  size_t got = 0;
  char c;
  EXPECT_EQ(StreamRead(20, 0, 1, {&c, 1}, &got), kBadFileNumber);
  EXPECT_EQ(StreamWriteText(20, 0, StrLit("x")), kBadFileNumber);
}

TEST_F(StreamsTest, WholeFileWritesAppendReplaceAndReportShortWrites) {
  ASSERT_EQ(FileWriteAt(StrLit("w.txt"), 0, StrLit("hello")), kOk);
  ASSERT_EQ(FileWriteAt(StrLit("w.txt"), kPosEnd, StrLit(" world")), kOk);
  ASSERT_EQ(FileWriteAt(StrLit("w.txt"), 0, StrLit("J")), kOk);
  EXPECT_EQ(dir_.Read("w.txt"), "Jello world");
  EXPECT_EQ(FileWriteAt(StrLit("w.txt"), 0, StrLit("")), kNothing);
  EXPECT_EQ(FileWriteAll(StrLit("w.txt"), 0, StrLit("")), kOk);
  ASSERT_EQ(FileWriteAll(StrLit("w.txt"), kPosReplace, StrLit("new")), kOk);
  EXPECT_EQ(dir_.Read("w.txt"), "new");

  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  faults.FailWrite(1);
  EXPECT_EQ(FileWriteAt(StrLit("w.txt"), kPosReplace, StrLit("lost")), kDiskWriteError);
  EXPECT_NE(Show(DetailText()).find("w.txt"), std::string::npos);
  faults.FailWrite(1);
  EXPECT_EQ(FileWriteAll(StrLit("w.txt"), kPosEnd, StrLit("lost")), kFileIO);
  EXPECT_EQ(dir_.Read("w.txt"), "new");
  // A failed replacement leaves nothing behind but the file itself.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()),
                          std::filesystem::directory_iterator()),
            1);

  // A crash after the new content was written but before it took the name: the old content
  // is still there.
  faults.CrashAfterWrites(1);
  EXPECT_EQ(FileWriteAll(StrLit("w.txt"), kPosReplace, StrLit("written, never renamed")), kFileIO);
  faults.Reset();
  EXPECT_EQ(dir_.Read("w.txt"), "new");
  ASSERT_EQ(FileWriteAll(StrLit("w.txt"), kPosReplace, StrLit("after")), kOk);
  EXPECT_EQ(dir_.Read("w.txt"), "after");
}

TEST_F(StreamsTest, WholeFileReads) {
  dir_.Write("r.txt", "a\r\nb\nc");
  EXPECT_EQ(Show(FileReadAll(StrLit("r.txt"), 0, kReadToEnd)), "a\r\nb\nc");
  EXPECT_EQ(Show(FileReadAll(StrLit("r.txt"), 3, 2)), "b\n");
  EXPECT_EQ(Show(FileReadAll(StrLit("r.txt"), 9, kReadToEnd)), "");
  EXPECT_EQ(Show(FileReadJoined(StrLit("r.txt"), StrLit(";"))), "a;b;c");
  char buffer[8];
  size_t got = 0;
  ASSERT_EQ(FileReadAt(StrLit("r.txt"), 1, kReadToEnd, buffer, &got), kOk);
  EXPECT_EQ(std::string(buffer, got), "\r\nb\nc");
  EXPECT_EQ(FileSizeByName(StrLit("r.txt")), 6u);
  EXPECT_EQ(FileSizeByName(StrLit("none.txt")), 0u);

  // A missing file is answered, not reported: the caller decides whether it matters.
  EXPECT_EQ(StrCheck(FileReadAll(StrLit("none.txt"), 0, kReadToEnd)), kFileNotFound);
  EXPECT_EQ(FileReadAt(StrLit("none.txt"), 0, 1, buffer, &got), kFileNotFound);
  EXPECT_EQ(LatchedError(), 0u);
  EXPECT_EQ(Show(DetailText()), "");

  ASSERT_EQ(FileRename(StrLit("r.txt"), StrLit("s.txt")), kOk);
  EXPECT_TRUE(FileExists(StrLit("S.TXT")));
  EXPECT_EQ(FileDelete(StrLit("s.txt")), kOk);
  EXPECT_FALSE(FileExists(StrLit("s.txt")));
  EXPECT_EQ(FileDelete(StrLit("s.txt")), kFileNotFound);
}

TEST_F(StreamsTest, AWholeFileReadLargerThanAStringIsTooLongNotCut) {
  dir_.Write("big.txt", std::string(65536, 'b'));
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(StrCheck(FileReadAll(StrLit("big.txt"), 0, kReadToEnd)), kStringTooLong);
  EXPECT_EQ(StrAreaMark(), mark);
  EXPECT_EQ(LatchedCode(), kStringTooLong);
  EXPECT_EQ(Show(DetailText()), "big.txt");
  EXPECT_EQ(Show(FileReadAll(StrLit("big.txt"), 1, kReadToEnd)), std::string(65535, 'b'));
}

TEST_F(StreamsTest, AWholeFileReadNeedsRoomInTheStringArea) {
  dir_.Write("r.txt", std::string(2000, 'r'));
  const uint16_t mark = StrAreaMark();
  while (StrAreaScratch().len >= 2000) {
    const size_t take = StrAreaScratch().len > 40000 ? 40000 : StrAreaScratch().len - 1000;
    ASSERT_EQ(StrAreaAlloc(take), kOk);
  }
  EXPECT_EQ(StrCheck(FileReadAll(StrLit("r.txt"), 0, kReadToEnd)), kOutOfMemory);
  StrAreaRelease(mark);
  EXPECT_EQ(FileReadAll(StrLit("r.txt"), 0, kReadToEnd).len, 2000);
}

TEST_F(StreamsTest, FilesAreFoundInTheCurrentFolderThenAlongTheSearchPath) {
  std::filesystem::create_directories(dir_.path() / "one");
  std::filesystem::create_directories(dir_.path() / "Two");
  dir_.Write("one/a.dat", "1");
  dir_.Write("Two/b.dat", "2");
  dir_.Write("Two/QN_LANG_ES.MSJ", "");
  dir_.Write("Two/qn_lang_de.msj", "");
  dir_.Write("b.dat", "here");
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvSearchPath, StrLit("missing, one ,'TWO\\'")), kOk);

  EXPECT_EQ(Show(FileFindOnPath(StrLit("B.DAT"))), "B.DAT");
  EXPECT_EQ(Show(FileFindOnPath(StrLit("A.DAT"))), "one\\A.DAT");
  EXPECT_EQ(Show(FileFindOnPath(StrLit("QN_LANG_*.MSJ"))), "TWO\\QN_LANG_ES.MSJ");
  EXPECT_EQ(StrCheck(FileFindOnPath(StrLit("c.dat"))), kFileNotFound);
  EXPECT_EQ(StrCheck(FileFindOnPath(StrLit("one\\b.dat"))), kFileNotFound);  // as written only
  EXPECT_EQ(Show(FileFindOnPath(StrLit("one\\*.DAT"))), "one\\a.dat");
}

// Standard input and output come from the file system; a test one scripts them.
class ScriptedStdin : public File {
 public:
  explicit ScriptedStdin(std::string bytes) : bytes_(std::move(bytes)) {}
  Status Read(uint64_t, std::span<char> buffer, size_t* got) override {
    *got = 0;
    while (*got < buffer.size() && next_ < bytes_.size()) buffer[(*got)++] = bytes_[next_++];
    return kOk;
  }
  Status Write(uint64_t, std::span<const char> data) override {
    written_.append(data.data(), data.size());
    return kOk;
  }
  Status Size(uint64_t*) override { return kFileIO; }
  Status Sync() override { return kOk; }

  std::string written_;

 private:
  std::string bytes_;
  size_t next_ = 0;
};

class ScriptedConsole : public FaultFileSystem {
 public:
  ScriptedConsole() : FaultFileSystem(PlatformFileSystem()) {}
  File* StandardStream(int n) override { return n == 0 ? &in : n == 1 ? &out : nullptr; }
  ScriptedStdin in{"ab\r\ncd\ref\n\ngh"};
  ScriptedStdin out{""};
};

TEST_F(StreamsTest, StandardInputIsReadByLinesAndOutputIsWritten) {
  ScriptedConsole console;
  SetFileSystem(&console);
  std::vector<std::string> lines;
  for (int i = 0; i < 10; ++i) {
    const StrRef line = StreamReadLine(kStdIn, kPosCurrent, kReadLine);
    lines.push_back(StrCheck(line) == kNothing ? "<end>" : Show(line));
    if (line.IsStatus()) break;
  }
  EXPECT_EQ(lines, (Lines{"ab", "cd", "ef", "", "gh", "<end>"}));
  ASSERT_EQ(StreamWriteText(kStdOut, kPosEnd, StrLit("out\r\n")), kOk);
  EXPECT_EQ(console.out.written_, "out\r\n");
  EXPECT_EQ(LatchedError(), 0u);
}

}  // namespace
}  // namespace engine
