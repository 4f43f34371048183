// Diagnostics: dated reports appended to log files, and the check of an internal invariant
// that reports the broken invariant and ends the process.
//
// A dated report is the header line of 29 asterisks, " Date:<date> - Time:<hh:mm:ss> -
// User:0", the reported text, and a footer of 22 asterisks, each line ended with CR LF and the
// report followed by an empty line.
#pragma once

#include "engine/core/clock.h"
#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kAssertionsLog = StrLit("assertions.log");
inline constexpr StrRef kAssertionTitle = StrLit("Assertion Fail");
// The exit status of a process ended by a failed invariant (141, INTERNALERROR).
inline constexpr int kInvariantExitStatus = kInternalError;

// The date of a dated report: the long-year date of the language ("03-05-2024" month first,
// "05-03-2024" in the languages that write the day first); pushed.
StrRef ReportDateText(const LocalDateTime& now);
// The time of a dated report, "hh:mm:ss"; pushed.
StrRef ReportTimeText(const LocalDateTime& now);

// The log file: StringSlots item (9, 10) when set, else AppPrefix() followed by "log.txt";
// pushed.
StrRef LogFileName();

// Appends a dated report of `text` to `file`, or to LogFileName() when `file` is empty. 164
// with the file name as detail text when the file cannot be opened for appending; the write's
// status when it fails.
[[nodiscard]] Status WriteReport(StrRef text, StrRef file);

// Returns `name` when `condition` holds. Otherwise shows `name` in an error box titled
// "Assertion Fail", appends a dated report of it to "assertions.log" in the current folder and
// ends the process with kInvariantExitStatus, saving and closing nothing else (so the run
// state file still says the program is running, and the next start offers recovery).
StrRef InvariantCheck(bool condition, StrRef name);

}  // namespace engine
