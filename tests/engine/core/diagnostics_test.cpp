// Dated reports (layout, date and time, the default log file, failures) and the invariant
// check, which shows the broken invariant, reports it to assertions.log and ends the process.
#include "engine/core/diagnostics.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/file_system.h"
#include "engine/core/file_system_faults.h"
#include "engine/core/string_slots.h"
#include "engine/ui/headless_host.h"
#include "support/core_fixture.h"
#include "support/temp_folder.h"

namespace engine {
namespace {

using testing::Show;

constexpr LocalDateTime kMoment{2024, 3, 5, 9, 5, 3, 250};
constexpr const char* kMomentHeader =
    "*****************************\r\n Date:03-05-2024 - Time:09:05:03 - User:0\r\n";
constexpr const char* kFooter = "\r\n**********************\r\n\r\n";

class DiagnosticsTest : public testing::CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    SetClock(&clock_);
  }
  void TearDown() override {
    SetClock(nullptr);
    SetFileSystem(nullptr);
    CoreFixture::TearDown();
  }

  FixedClock clock_{kMoment};
  testing::TempFolder dir_{true};
};

TEST_F(DiagnosticsTest, ReportDatesAreLongYearDatesInTheLanguageOrderAndTimesHaveSeconds) {
  const struct {
    LocalDateTime when;
    const char* language;
    const char* date;
    const char* time;
  } cases[] = {
      {kMoment, "", "03-05-2024", "09:05:03"},
      {kMoment, "EN", "03-05-2024", "09:05:03"},
      {kMoment, "ES", "05-03-2024", "09:05:03"},
      {{1999, 12, 31, 23, 59, 59, 0}, "IT", "31-12-1999", "23:59:59"},
      {{987, 1, 1, 0, 0, 0, 0}, "DE", "01-01-0987", "00:00:00"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " " + c.date);
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvLanguage, StrView(c.language)), kOk);
    EXPECT_EQ(Show(ReportDateText(c.when)), c.date);
    EXPECT_EQ(Show(ReportTimeText(c.when)), c.time);
  }
}

TEST_F(DiagnosticsTest, AReportIsAppendedWithItsHeaderAndFooter) {
  ASSERT_EQ(WriteReport(StrLit("first"), StrLit("report.log")), kOk);
  clock_.Set({2024, 3, 6, 10, 0, 0, 0});
  ASSERT_EQ(WriteReport(StrLit("second\r\nline"), StrLit("report.log")), kOk);
  EXPECT_EQ(dir_.Read("report.log"),
            std::string(kMomentHeader) + "first" + kFooter +
                "*****************************\r\n Date:03-06-2024 - Time:10:00:00 - User:0\r\n"
                "second\r\nline" +
                kFooter);
}

TEST_F(DiagnosticsTest, WithoutAFileTheReportGoesToTheLogFile) {
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvAppName, StrLit("GAINVC01:Orvendal")), kOk);
  EXPECT_EQ(Show(LogFileName()), "GAlog.txt");
  ASSERT_EQ(WriteReport(StrLit("to the log"), StrLit("")), kOk);
  EXPECT_EQ(dir_.Read("GAlog.txt"), std::string(kMomentHeader) + "to the log" + kFooter);

  ASSERT_EQ(SlotSet(kGroupDiagnostics, kDiagLogFile, StrLit("trace.txt")), kOk);
  EXPECT_EQ(Show(LogFileName()), "trace.txt");
  ASSERT_EQ(WriteReport(StrLit("x"), StrError(kNothing)), kOk);
  EXPECT_EQ(dir_.Read("trace.txt"), std::string(kMomentHeader) + "x" + kFooter);
}

TEST_F(DiagnosticsTest, AFileThatCannotBeOpenedIsFileNotFoundWithItsName) {
  EXPECT_EQ(WriteReport(StrLit("lost"), StrLit("no-folder\\report.log")), kFileNotFound);
  EXPECT_EQ(Show(DetailText()), "no-folder\\report.log");
  EXPECT_EQ(LatchedCode(), kFileNotFound);

  FaultFileSystem faults(PlatformFileSystem());
  SetFileSystem(&faults);
  faults.FailOpen(1, kPermissionDenied);
  EXPECT_EQ(WriteReport(StrLit("lost"), StrLit("report.log")), kFileNotFound);
  faults.FailWrite(1);
  EXPECT_EQ(WriteReport(StrLit("lost"), StrLit("report.log")), kDiskWriteError);
  EXPECT_EQ(dir_.Read("report.log"), "");
}

// A host that tells on standard error what box it was asked to show, so that a test can see it
// from outside a process that has ended.
class TellingHost : public HeadlessHost {
 public:
  BoxButton MessageBox(StrRef text, StrRef title, int kind) override {
    std::fprintf(stderr, "box[%s|%s|%d]\n", ToString(title).c_str(), ToString(text).c_str(), kind);
    return BoxButton::kOk;
  }
  void ReleaseDisplay() override { std::fprintf(stderr, "display released\n"); }
};

TEST_F(DiagnosticsTest, AHoldingInvariantReturnsItsName) {
  TellingHost host;
  SetWindowHost(&host);
  EXPECT_EQ(Show(InvariantCheck(true, StrLit("MantWindow"))), "MantWindow");
  SetWindowHost(nullptr);
  EXPECT_FALSE(dir_.Has("assertions.log"));
}

// The box is shown, then the display given back (a terminal restored) before the process ends.
TEST_F(DiagnosticsTest, ABrokenInvariantIsShownReportedAndEndsTheProcess) {
  GTEST_FLAG_SET(death_test_style, "fast");
  dir_.Write("COFSTAT.DAT", "1");
  TellingHost host;
  SetWindowHost(&host);
  EXPECT_EXIT((void)InvariantCheck(false, StrLit("ScreenActionSet")),
              ::testing::ExitedWithCode(kInvariantExitStatus),
              "box\\[Assertion Fail\\|ScreenActionSet\\|3\\]\ndisplay released\n");
  SetWindowHost(nullptr);
  EXPECT_EQ(dir_.Read("assertions.log"), std::string(kMomentHeader) + "ScreenActionSet" + kFooter);
  EXPECT_EQ(dir_.Read("COFSTAT.DAT"), "1");  // the run state still says "running"
}

}  // namespace
}  // namespace engine
