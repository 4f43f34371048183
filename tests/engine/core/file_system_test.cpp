// The file-system boundary: Windows names at the boundary, case-insensitive lookup, the open
// flags (never truncating or creating by accident), 64-bit offsets, and the fault-injecting
// file system that the rest of the engine's tests rely on.
#include "engine/core/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/file_system_faults.h"
#include "engine/core/file_system_posix.h"
#include "support/temp_folder.h"

namespace engine {
namespace {

using testing::TempFolder;

std::span<const char> Bytes(std::string_view s) { return {s.data(), s.size()}; }

std::string ReadAll(File& file) {
  uint64_t size = 0;
  EXPECT_EQ(file.Size(&size), kOk);
  std::string out(size, '\0');
  size_t got = 0;
  EXPECT_EQ(file.Read(0, {out.data(), out.size()}, &got), kOk);
  out.resize(got);
  return out;
}

TEST(PathNativeTest, TurnsWindowsNamesIntoNativeOnes) {
  const struct {
    const char* name;
    const char* native;
  } cases[] = {
      {"C:\\APPS", "/APPS"},
      {"c:\\apps\\DICC.DAT", "/apps/DICC.DAT"},
      {"C:APPS\\X.DAT", "APPS/X.DAT"},
      {"..\\APPS\\", "../APPS/"},
      {"DICC.DAT", "DICC.DAT"},
      {"/already/native", "/already/native"},
      {"1:\\x", "1:/x"},  // not a drive letter
      {"C", "C"},
      {"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(PathNative(c.name), c.native);
  }
}

TEST(FileSystemTest, LooksNamesUpExactlyThenWithoutRegardToCase) {
  TempFolder dir;
  std::filesystem::create_directory(dir.path() / "Data");
  dir.Write("Data/dicc.dat", "lower");
  dir.Write("Data/Both.dat", "mixed");
  dir.Write("Data/BOTH.DAT", "upper");
  FileSystem& fs = PlatformFileSystem();
  std::unique_ptr<File> file;

  ASSERT_EQ(fs.Open(dir / "DATA\\DICC.DAT", kOpenRead, &file), kOk);
  EXPECT_EQ(ReadAll(*file), "lower");
  ASSERT_EQ(fs.Open(dir / "Data/BOTH.DAT", kOpenRead, &file), kOk);
  EXPECT_EQ(ReadAll(*file), "upper");  // the exact name wins
  ASSERT_EQ(fs.Open(dir / "data/both.DAT", kOpenRead, &file), kOk);
  EXPECT_EQ(ReadAll(*file), "upper");  // several matches: the first in byte order
  EXPECT_TRUE(fs.Exists(dir / "DATA/Dicc.Dat"));
  EXPECT_FALSE(fs.Exists(dir / "DATA/other.dat"));

  // A new file goes into the existing folder under the name as written.
  ASSERT_EQ(fs.Open(dir / "DATA\\New.Dat", kOpenWrite | kOpenCreate, &file), kOk);
  file.reset();
  EXPECT_TRUE(dir.Has("Data/New.Dat"));
  EXPECT_EQ(PathMatchCase(dir / "DATA/none/x.dat"), dir / "Data/none/x.dat");
}

TEST(FileSystemTest, OpenFlagsCreateOnlyWhatIsMissingAndTruncateOnlyWhenAsked) {
  TempFolder dir;
  FileSystem& fs = PlatformFileSystem();
  std::unique_ptr<File> file;
  dir.Write("a.txt", "keep me");

  EXPECT_EQ(fs.Open(dir / "missing.txt", kOpenRead | kOpenWrite, &file), kFileNotFound);
  EXPECT_FALSE(file);
  EXPECT_FALSE(dir.Has("missing.txt"));
  EXPECT_EQ(fs.Open(dir / "nofolder/x.txt", kOpenWrite | kOpenCreate, &file), kFileNotFound);

  ASSERT_EQ(fs.Open(dir / "a.txt", kOpenRead | kOpenWrite | kOpenCreate, &file), kOk);
  EXPECT_EQ(ReadAll(*file), "keep me");
  EXPECT_EQ(fs.Open(dir / "a.txt", kOpenWrite | kOpenCreate | kOpenExclusive, &file), kFileExist);
  EXPECT_EQ(dir.Read("a.txt"), "keep me");
  EXPECT_EQ(fs.Open(dir.path().string(), kOpenRead, &file), kFileOpening);  // a folder
  // A NUL byte would cut the name short at the platform and name another file.
  const std::string cut = dir / std::string("a.txt\0.bak", 10);
  EXPECT_EQ(fs.Open(cut, kOpenWrite | kOpenTruncate, &file), kBadInputData);
  EXPECT_EQ(fs.Remove(cut), kBadInputData);
  EXPECT_FALSE(fs.Exists(cut));
  EXPECT_EQ(dir.Read("a.txt"), "keep me");

  ASSERT_EQ(fs.Open(dir / "a.txt", kOpenWrite | kOpenTruncate, &file), kOk);
  file.reset();
  EXPECT_EQ(dir.Read("a.txt"), "");
}

TEST(FileSystemTest, ReadsAndWritesAtSixtyFourBitOffsets) {
  TempFolder dir;
  FileSystem& fs = PlatformFileSystem();
  std::unique_ptr<File> file;
  ASSERT_EQ(fs.Open(dir / "big.dat", kOpenRead | kOpenWrite | kOpenCreate, &file), kOk);
  const uint64_t far = (uint64_t{1} << 32) + 65535;
  ASSERT_EQ(file->Write(far, Bytes("xyz")), kOk);
  uint64_t size = 0;
  ASSERT_EQ(file->Size(&size), kOk);
  EXPECT_EQ(size, far + 3);
  char buffer[8] = {};
  size_t got = 0;
  ASSERT_EQ(file->Read(far + 1, {buffer, sizeof buffer}, &got), kOk);
  EXPECT_EQ(std::string(buffer, got), "yz");
  ASSERT_EQ(file->Read(far + 10, {buffer, sizeof buffer}, &got), kOk);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(file->Sync(), kOk);
}

TEST(FileSystemTest, AppendModeWritesAtTheEndWhateverTheOffset) {
  TempFolder dir;
  dir.Write("log.txt", "one\r\n");
  std::unique_ptr<File> file;
  ASSERT_EQ(PlatformFileSystem().Open(dir / "log.txt", kOpenAppend | kOpenCreate, &file), kOk);
  ASSERT_EQ(file->Write(0, Bytes("two\r\n")), kOk);
  file.reset();
  EXPECT_EQ(dir.Read("log.txt"), "one\r\ntwo\r\n");
}

TEST(FileSystemTest, LocksConflictBetweenOpensAndEndWithTheFile) {
  TempFolder dir;
  FileSystem& fs = PlatformFileSystem();
  const std::string name = dir / "shared.dat";
  std::unique_ptr<File> first, second;
  ASSERT_EQ(fs.Open(name, kOpenRead | kOpenWrite | kOpenCreate, &first), kOk);
  ASSERT_EQ(fs.Open(name, kOpenRead | kOpenWrite, &second), kOk);

  ASSERT_EQ(first->Lock(true, false), kOk);
  EXPECT_EQ(second->Lock(true, false), kFileOpening);
  EXPECT_EQ(second->Lock(false, false), kFileOpening);
  first->Unlock();
  ASSERT_EQ(second->Lock(false, false), kOk);  // shared locks go together
  EXPECT_EQ(first->Lock(false, false), kOk);
  EXPECT_EQ(first->Lock(true, false), kFileOpening);
  second.reset();  // closing releases its lock
  EXPECT_EQ(first->Lock(true, false), kOk);
}

TEST(FileSystemTest, RemovesRenamesAndListsFolders) {
  TempFolder dir;
  FileSystem& fs = PlatformFileSystem();
  dir.Write("A.DAT", "a");
  dir.Write("b.dat", "b");
  ASSERT_EQ(fs.Rename(dir / "a.dat", dir / "B.DAT"), kOk);  // replaces b.dat, found by case
  EXPECT_EQ(dir.Read("b.dat"), "a");
  EXPECT_FALSE(dir.Has("A.DAT"));
  EXPECT_EQ(fs.Rename(dir / "none", dir / "x"), kFileNotFound);

  std::vector<std::string> names;
  ASSERT_EQ(fs.ListFolder(dir.path().string(),
                          [&](std::string_view name) {
                            names.emplace_back(name);
                            return true;
                          }),
            kOk);
  EXPECT_EQ(names, std::vector<std::string>{"b.dat"});
  EXPECT_EQ(fs.ListFolder(dir / "none", [](std::string_view) { return true; }), kFileNotFound);

  EXPECT_EQ(fs.Remove(dir / "B.DAT"), kOk);
  EXPECT_FALSE(dir.Has("b.dat"));
  EXPECT_EQ(fs.Remove(dir / "B.DAT"), kFileNotFound);
}

TEST(FileSystemTest, TheCurrentFileSystemCanBeReplacedAndRestored) {
  FaultFileSystem faults(PlatformFileSystem());
  EXPECT_EQ(&CurrentFileSystem(), &PlatformFileSystem());
  SetFileSystem(&faults);
  EXPECT_EQ(&CurrentFileSystem(), &faults);
  SetFileSystem(nullptr);
  EXPECT_EQ(&CurrentFileSystem(), &PlatformFileSystem());
}

class FaultFileSystemTest : public ::testing::Test {
 protected:
  std::unique_ptr<File> OpenFile(std::string_view name) {
    std::unique_ptr<File> file;
    EXPECT_EQ(faults_.Open(dir_ / name, kOpenRead | kOpenWrite | kOpenCreate, &file), kOk);
    return file;
  }

  TempFolder dir_;
  FaultFileSystem faults_{PlatformFileSystem()};
};

TEST_F(FaultFileSystemTest, FailsTheNthCallOnceAndWritesNothingForIt) {
  auto file = OpenFile("f.dat");
  faults_.FailWrite(2);
  EXPECT_EQ(file->Write(0, Bytes("ab")), kOk);
  EXPECT_EQ(file->Write(2, Bytes("cd")), kDiskWriteError);
  EXPECT_EQ(file->Write(4, Bytes("ef")), kOk);
  EXPECT_EQ(faults_.writes(), 3u);

  faults_.FailRead(1, kDiskReadError);
  char buffer[8];
  size_t got = 99;
  EXPECT_EQ(file->Read(0, {buffer, sizeof buffer}, &got), kDiskReadError);
  EXPECT_EQ(got, 0u);
  ASSERT_EQ(file->Read(0, {buffer, sizeof buffer}, &got), kOk);
  EXPECT_EQ(std::string(buffer, got), std::string("ab\0\0ef", 6));

  faults_.FailOpen(1, kPermissionDenied);
  std::unique_ptr<File> other;
  EXPECT_EQ(faults_.Open(dir_ / "g.dat", kOpenWrite | kOpenCreate, &other), kPermissionDenied);
  EXPECT_FALSE(dir_.Has("g.dat"));
  EXPECT_EQ(faults_.Open(dir_ / "g.dat", kOpenWrite | kOpenCreate, &other), kOk);
}

TEST_F(FaultFileSystemTest, ACrashLetsNothingMoreReachTheDisk) {
  dir_.Write("old.dat", "old");
  auto file = OpenFile("new.dat");
  faults_.CrashAfterWrites(1);
  EXPECT_FALSE(faults_.crashed());
  EXPECT_EQ(file->Write(0, Bytes("first")), kOk);
  EXPECT_TRUE(faults_.crashed());
  EXPECT_EQ(file->Sync(), kDiskWriteError);
  EXPECT_EQ(file->Write(5, Bytes("second")), kDiskWriteError);
  EXPECT_EQ(faults_.Rename(dir_ / "new.dat", dir_ / "old.dat"), kDiskWriteError);
  EXPECT_EQ(faults_.Remove(dir_ / "old.dat"), kDiskWriteError);
  std::unique_ptr<File> other;
  EXPECT_EQ(faults_.Open(dir_ / "old.dat", kOpenWrite | kOpenTruncate, &other), kDiskWriteError);
  EXPECT_EQ(faults_.Open(dir_ / "old.dat", kOpenRead, &other), kOk);
  EXPECT_EQ(ReadAll(*other), "old");
  EXPECT_EQ(dir_.Read("new.dat"), "first");

  faults_.Reset();
  EXPECT_EQ(file->Write(5, Bytes("!")), kOk);
  EXPECT_EQ(dir_.Read("new.dat"), "first!");
}

}  // namespace
}  // namespace engine
