// Dated reports and the invariant check.
#include "engine/core/diagnostics.h"

#include <cstdio>
#include <cstdlib>

#include "engine/core/error_latch.h"
#include "engine/core/message_box.h"
#include "engine/core/messages.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/lang/dates.h"
#include "engine/ui/window_host.h"

namespace engine {

namespace {

constexpr size_t kHeaderMax = 384;
constexpr StrRef kReportHeader =
    StrLit("*****************************\r\n Date:%s - Time:%s - User:%s\r\n");
constexpr StrRef kReportFooter = StrLit("\r\n**********************\r\n\r\n");
constexpr StrRef kReportUser = StrLit("0");
constexpr StrRef kLogSuffix = StrLit("log.txt");

StrRef TwoDigits(int n) { return IntToStrPadded(static_cast<int16_t>(n), 2, '0'); }

}  // namespace

StrRef ReportDateText(const LocalDateTime& now) {
  return FormatDateLongYear(Date{now.year, now.month, now.day});
}

StrRef ReportTimeText(const LocalDateTime& now) {
  StrAreaScope scope;
  return scope.Return(
      StrFormat(kHeaderMax, StrLit("%s:%s:%s"),
                {TwoDigits(now.hour), TwoDigits(now.minute), TwoDigits(now.second)}));
}

StrRef LogFileName() {
  StrAreaScope scope;
  const StrRef set = SlotGet(kGroupDiagnostics, kDiagLogFile);
  if (!set.empty()) return scope.Return(set);
  const StrRef prefix = AppPrefix();
  if (!StrConcat(prefix, kLogSuffix).ok()) return scope.Return(kLogSuffix);
  return scope.Return(StrAreaTop());
}

Status WriteReport(StrRef text, StrRef file) {
  StrAreaScope scope;
  if (text.IsStatus()) text = StrLit("");
  if (file.IsStatus() || file.empty()) file = LogFileName();
  const LocalDateTime now = CurrentClock().Now();
  const StrRef header =
      StrFormat(kHeaderMax, kReportHeader, {ReportDateText(now), ReportTimeText(now), kReportUser});
  uint16_t handle = kNoHandle;
  Status status = StreamOpen(file, kStreamAppend | kStreamSilent, &handle);
  if (!status.ok()) {
    LatchRecord(kLatchFirst, kSiteStreams, kFileNotFound);
    return ReportStatus(kFileNotFound, file);
  }
  // One write, so that a report from another process never lands inside this one.
  status = StrConcat(header, text);
  if (status.ok()) status = StrConcat(StrAreaTop(), kReportFooter);
  if (status.ok()) status = StreamWriteText(handle, kPosEnd, StrAreaTop());
  StreamClose(handle);
  if (!status.ok()) return ReportStatus(status, file, true);
  return kOk;
}

StrRef InvariantCheck(bool condition, StrRef name) {
  if (condition) return name;
  (void)CurrentWindowHost().MessageBox(name, kAssertionTitle, kBoxError);
  (void)WriteReport(name, kAssertionsLog);
  CurrentWindowHost().ReleaseDisplay();
  std::fflush(nullptr);
  std::_Exit(kInvariantExitStatus);
}

}  // namespace engine
