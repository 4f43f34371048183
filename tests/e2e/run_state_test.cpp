// The run state file between real processes: a copy killed while running leaves "1" and the next
// start asks once to recover; a copy running beside another is recognised by its lock, is not
// offered a recovery, and the first copy's next task is refused.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

#include "e2e_support.h"

namespace orvendal::e2e {
namespace {

constexpr const char* kRecovery = "Last session uncorrectly closed. Recovering data";

// Whether some process holds a lock on the file.
bool Locked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return locked;
}

// Starts ledger with an INPUT file that is a FIFO: the program stops in the middle of its run,
// between the start and the script, until something opens the FIFO for writing.
class HeldRun {
 public:
  HeldRun(const AppFolder& app, std::vector<std::string> extra) : fifo_(app.work() + "/hold") {
    EXPECT_EQ(::mkfifo(fifo_.c_str(), 0600), 0);
    ProgramRun run;
    run.args = {"/INPUT:hold"};
    run.args.insert(run.args.end(), extra.begin(), extra.end());
    run.env["ORVENDAL_HOST"] = "headless";
    run.folder = app.work();
    program_ = std::make_unique<RunningProgram>(kLedger, run);
    const std::string state = app.work() + "/COFSTAT.DAT";
    for (int i = 0; i < 1000 && !Locked(state); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(Locked(state)) << "the held run did not start";
  }
  // Lets the program go on: the script it reads is empty.
  void Release() {
    const int fd = ::open(fifo_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) ::close(fd);
  }
  RunningProgram& program() { return *program_; }

 private:
  std::string fifo_;
  std::unique_ptr<RunningProgram> program_;
};

TEST(RunStateTest, AKilledRunLeavesOneAndTheNextStartAsksOnceToRecover) {
  AppFolder app("ledger");
  {
    HeldRun held(app, {});
    EXPECT_EQ(app.Read("COFSTAT.DAT"), "1");
    held.program().Kill();
    EXPECT_EQ(held.program().Wait().signal, SIGKILL);
  }
  EXPECT_EQ(app.Read("COFSTAT.DAT"), "1");
  // What an interrupted reorganisation leaves: the records in the copy, no data file. The
  // recovery rebuilds the data file from it.
  app.Write("ACCOUNTS.TMP",
            std::string("0000000001") + std::string(30, 'a') + "0000000002" + std::string(30, 'b'));
  const ProgramResult r =
      app.Run(kLedger, {"/RUN:'ExpEval WRITE('n.txt';-3;FN$TRIM(FN#FLEN('accounts')))'"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(Occurrences(r.err, kRecovery), 1u) << r.err;
  EXPECT_NE(r.err.find(std::string(kRecovery) + " [Yes]"), std::string::npos) << r.err;
  EXPECT_EQ(app.Read("COFSTAT.DAT"), "0");
  EXPECT_EQ(app.Read("n.txt"), "2");
  const std::string data_file = app.Find("ACCOUNTS.FD");
  ASSERT_FALSE(data_file.empty());
  EXPECT_EQ(app.Read(data_file).size(), 80u);
  EXPECT_EQ(app.Find("ACCOUNTS.TMP"), "");
  // A normal end asks nothing the next time.
  const ProgramResult again = app.Run(kLedger, {"/RUN:'ExpEval A=1'"});
  EXPECT_EQ(again.exit_code, 0);
  EXPECT_EQ(Occurrences(again.err, kRecovery), 0u) << again.err;
}

TEST(RunStateTest, ASecondCopyRunningAtTheSameTimeIsDetected) {
  AppFolder app("ledger");
  HeldRun first(app, {"/RUN:'ExpEval A=1'"});
  // The second copy sees a running copy, not a crash: nothing is asked, and nothing is rebuilt
  // under the copy that is running.
  app.Write("ACCOUNTS.TMP", std::string("0000000001") + std::string(30, 'a'));
  const ProgramResult second = app.Run(kLedger, {"/RUN:'ExpEval B=1'"});
  EXPECT_EQ(second.exit_code, 0) << second.err;
  EXPECT_EQ(Occurrences(second.err, kRecovery), 0u) << second.err;
  EXPECT_TRUE(app.Has("ACCOUNTS.TMP"));
  // The first copy still runs: its "1" stays.
  EXPECT_EQ(app.Read("COFSTAT.DAT"), "1");
  // The second copy wrote the file, so the first copy's next task is refused.
  first.Release();
  const ProgramResult r = first.program().Wait();
  EXPECT_EQ(r.exit_code, 139) << r.err;
  EXPECT_NE(r.err.find("NETACCESERROR"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("COFSTAT.DAT"), std::string::npos) << r.err;
  EXPECT_EQ(app.Read("COFSTAT.DAT"), "0");
}

}  // namespace
}  // namespace orvendal::e2e
