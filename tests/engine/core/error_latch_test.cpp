// The first-error latch and the detail text that accompanies a report.
#include "engine/core/error_latch.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/string_area.h"
#include "support/core_fixture.h"

namespace engine {
namespace {

using testing::Show;
using ErrorLatchTest = testing::CoreFixture;

TEST_F(ErrorLatchTest, KeepsTheFirstErrorUntilReplacedOrCleared) {
  EXPECT_EQ(LatchError(kLatchFirst, kSiteStreams, 120, 7), 7);  // a warning is not latched
  EXPECT_EQ(LatchedError(), 0u);
  EXPECT_EQ(LatchError(kLatchFirst, kSiteStreams, kNothing, 0), 0);  // nor is "nothing"
  EXPECT_EQ(LatchedError(), 0u);
  (void)LatchError(kLatchFirst, kSiteFormatStrings, kStringTooLong, 0);
  (void)LatchError(kLatchFirst, kSiteStreams, kFileNotFound, 0);
  EXPECT_EQ(LatchedCode(), kStringTooLong);
  EXPECT_EQ(LatchedSite(), kSiteFormatStrings);
  EXPECT_EQ(LatchedError(), (uint32_t{kSiteFormatStrings} << 16) | kStringTooLong);
  (void)LatchError(kLatchAlways, kSiteStreams, kFileNotFound, 0);
  EXPECT_EQ(LatchedCode(), kFileNotFound);
  (void)LatchError(kLatchAlways, 0, 0, 0);
  EXPECT_EQ(LatchedError(), 0u);
  (void)LatchError(kLatchNever, kSiteStreams, kFileNotFound, 0);
  EXPECT_EQ(LatchedError(), 0u);
}

TEST_F(ErrorLatchTest, ErrorResultTurnsACodeIntoAStatusValue) {
  EXPECT_EQ(Show(ErrorResult(kLatchFirst, kSiteDataFile, 0, StrLit("ok"))), "ok");
  EXPECT_EQ(StrCheck(ErrorResult(kLatchFirst, kSiteDataFile, kFileIO, StrLit("ok"))), kFileIO);
  EXPECT_EQ(LatchedSite(), kSiteDataFile);
}

TEST_F(ErrorLatchTest, ReportStatusReplacesOrAppendsTheDetail) {
  EXPECT_EQ(ReportStatus(kFileNotFound, StrLit("A.DAT")), kFileNotFound);
  EXPECT_EQ(ReportStatus(kFileNotFound, StrLit("B.DAT"), true), kFileNotFound);
  EXPECT_EQ(Show(DetailText()), "A.DAT\r\nB.DAT");
  (void)ReportStatus(kFileNotFound, StrLit("C.DAT"));
  EXPECT_EQ(Show(DetailText()), "C.DAT");
  DetailClear();
  (void)ReportStatus(kFileNotFound, StrLit("D.DAT"), true);
  EXPECT_EQ(Show(DetailText()), "D.DAT");
}

TEST_F(ErrorLatchTest, AReportWithTheStringAreaFullLeavesTheLatchToTheReportedError) {
  const uint16_t mark = StrAreaMark();
  while (StrAreaPushCopy(StrLit("x")).ok()) {
  }
  for (const uint32_t before : {0u, (uint32_t{kSiteStreams} << 16) | kFileNotFound}) {
    SCOPED_TRACE(before);
    LatchClear();
    if (before) LatchRecord(kLatchFirst, kSiteStreams, kFileNotFound);
    EXPECT_EQ(ReportStatus(kOutOfMemory, StrLit("no room")), kOutOfMemory);
    EXPECT_EQ(LatchedError(), before);
    (void)LatchError(kLatchFirst, kSiteExecRunTime, kOutOfMemory, 0);
    EXPECT_EQ(LatchedCode(), before ? kFileNotFound : kOutOfMemory);
  }
  StrAreaRelease(mark);
}

TEST_F(ErrorLatchTest, AppendingCutsALongOldDetailBackByLines) {
  const std::string line(600, 'x');
  const std::string three_lines = line + "\r\n" + line + "\r\n" + line;
  (void)ReportStatus(kFileIO, StrView(three_lines));
  (void)ReportStatus(kFileIO, StrLit("new"), true);
  EXPECT_EQ(Show(DetailText()), line + "\r\nnew");

  const std::string no_breaks(3000, 'y');
  (void)ReportStatus(kFileIO, StrView(no_breaks));
  (void)ReportStatus(kFileIO, StrLit("new"), true);
  EXPECT_EQ(Show(DetailText()), std::string(1024, 'y') + "\r\nnew");
}

}  // namespace
}  // namespace engine
