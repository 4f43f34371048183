// The run state file: a first start, a run that ended abnormally (asked once, recovered on yes,
// refused on no), a copy that is still running (its lock held: nothing asked), a change by
// another program caught to the nanosecond, and the end.
#include "engine/shell/run_state.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

#include "engine/core/file_system.h"
#include "engine/core/file_system_faults.h"
#include "shell_fixture.h"

namespace engine {
namespace {

constexpr const char* kFile = "COFSTAT.DAT";
constexpr const char* kRecovery = "Last session uncorrectly closed. Recovering data";

class RunStateTest : public testing::ShellFixture {
 protected:
  // Opens the file as another copy of the program would and holds a shared lock on it.
  std::unique_ptr<File> OtherCopy() {
    std::unique_ptr<File> file;
    EXPECT_EQ(CurrentFileSystem().Open(kFile, kOpenRead | kOpenWrite | kOpenCreate, &file), kOk);
    EXPECT_EQ(file->Lock(false, false), kOk);
    return file;
  }
  size_t RecoveryQuestions() const {
    size_t n = 0;
    for (const MessageBoxRecord& box : host_.boxes()) n += box.text == kRecovery;
    return n;
  }
};

TEST_F(RunStateTest, AFirstStartWritesOneAndANormalEndZero) {
  ASSERT_EQ(RunState(kRunStarting), kOk);
  EXPECT_EQ(dir_.Read(kFile), "1");
  EXPECT_EQ(RunState(kRunCheck), kOk);
  EXPECT_EQ(RunState(kRunEnded), kOk);
  EXPECT_EQ(dir_.Read(kFile), "0");
  EXPECT_TRUE(host_.boxes().empty());
}

TEST_F(RunStateTest, AOneLeftByAKilledRunIsAskedOnceAndRecoveredOnYes) {
  dir_.Write(kFile, "1");
  ASSERT_EQ(RunState(kRunStarting), kOk);
  EXPECT_EQ(RecoveryQuestions(), 1u);
  EXPECT_EQ(host_.boxes().back().kind, kBoxYesNo);
  EXPECT_EQ(dir_.Read(kFile), "1");
  EXPECT_EQ(RunState(kRunEnded), kOk);
  EXPECT_EQ(dir_.Read(kFile), "0");
}

TEST_F(RunStateTest, DecliningTheRecoveryEndsTheStartWithUserCanceled) {
  dir_.Write(kFile, "1");
  host_.QueueAnswer(BoxButton::kNo);
  EXPECT_EQ(RunState(kRunStarting), kUserCanceled);
  EXPECT_EQ(RecoveryQuestions(), 1u);
  EXPECT_EQ(dir_.Read(kFile), "1");
  // Nothing is held: the next start asks again.
  ASSERT_EQ(RunState(kRunStarting), kOk);
  EXPECT_EQ(RecoveryQuestions(), 2u);
}

TEST_F(RunStateTest, AOneWhoseLockIsHeldIsACopyStillRunningAndNothingIsAsked) {
  dir_.Write(kFile, "1");
  std::unique_ptr<File> other = OtherCopy();
  ASSERT_EQ(RunState(kRunStarting), kOk);
  EXPECT_EQ(RecoveryQuestions(), 0u);
  EXPECT_EQ(dir_.Read(kFile), "1");
  // This copy's end leaves the "1" to the copy still running, whose end clears it.
  EXPECT_EQ(RunState(kRunEnded), kOk);
  EXPECT_EQ(dir_.Read(kFile), "1");
  other.reset();
  ASSERT_EQ(RunState(kRunStarting), kOk);
  EXPECT_EQ(RecoveryQuestions(), 1u);
}

TEST_F(RunStateTest, TheRunningCopyHoldsItsLockForTheWholeRun) {
  ASSERT_EQ(RunState(kRunStarting), kOk);
  std::unique_ptr<File> probe;
  ASSERT_EQ(CurrentFileSystem().Open(kFile, kOpenRead, &probe), kOk);
  EXPECT_EQ(probe->Lock(true, false), kFileOpening);
  EXPECT_EQ(RunState(kRunEnded), kOk);
  EXPECT_EQ(probe->Lock(true, false), kOk);
}

TEST_F(RunStateTest, AWriteByAnotherProgramWithinTheSameSecondRefusesTheNextTask) {
  ASSERT_EQ(RunState(kRunStarting), kOk);
  ASSERT_EQ(RunState(kRunCheck), kOk);
  struct stat st;
  ASSERT_EQ(::stat(kFile, &st), 0);
  // Another copy writes its "1" a millisecond later, in the same second.
  std::unique_ptr<File> other;
  ASSERT_EQ(CurrentFileSystem().Open(kFile, kOpenWrite, &other), kOk);
  ASSERT_EQ(other->Write(0, std::span<const char>("1", 1)), kOk);
  other.reset();
  timespec times[2] = {st.st_atim, st.st_mtim};
  times[1].tv_nsec = (times[1].tv_nsec + 1000000) % 1000000000;
  ASSERT_EQ(::utimensat(AT_FDCWD, kFile, times, 0), 0);
  EXPECT_EQ(RunState(kRunCheck), kNetAccessError);
  EXPECT_EQ(Detail(), kFile);
  // Put back to the very time it had, the file counts as unchanged.
  times[1] = st.st_mtim;
  ASSERT_EQ(::utimensat(AT_FDCWD, kFile, times, 0), 0);
  EXPECT_EQ(RunState(kRunCheck), kOk);
}

TEST_F(RunStateTest, NoCheckBeforeAStartAndTheFileNameFollowsTheApplicationPrefix) {
  EXPECT_EQ(RunState(kRunCheck), kOk);
  SetItem(kEnvAppName, "XYZ");
  ASSERT_EQ(RunState(kRunStarting), kOk);
  EXPECT_EQ(dir_.Read("XYFSTAT.DAT"), "1");
  EXPECT_FALSE(dir_.Has(kFile));
}

TEST_F(RunStateTest, AFileThatCannotBeOpenedIsReportedByName) {
  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  faults.FailOpen(1, kPermissionDenied);
  EXPECT_EQ(RunState(kRunStarting), kPermissionDenied);
  SetFileSystem(nullptr);
  EXPECT_EQ(Detail(), kFile);
  EXPECT_EQ(RunState(kRunCheck), kOk);
}

}  // namespace
}  // namespace engine
