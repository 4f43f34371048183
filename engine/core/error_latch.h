// ErrorLatch: the process-wide record of the first error (status 128 or more) reported since
// it was last cleared, with the number of the engine site that raised it; and the detail text
// that accompanies the most recent report.
#pragma once

#include <cstdint>

#include "engine/core/str_ref.h"

namespace engine {

// Engine sites, as recorded in the latch next to the status code.
inline constexpr uint16_t kSiteStringInit = 1;
inline constexpr uint16_t kSiteStringAssign = 2;
inline constexpr uint16_t kSiteStrConcat = 3;
inline constexpr uint16_t kSiteVarNameAssign = 4;
inline constexpr uint16_t kSiteSqlConnect = 5;
inline constexpr uint16_t kSiteSqlExec = 6;
inline constexpr uint16_t kSiteExecCompiler = 7;
inline constexpr uint16_t kSiteMallocAcums = 8;
inline constexpr uint16_t kSiteExecRunTime = 9;
inline constexpr uint16_t kSiteVarStruct = 10;
inline constexpr uint16_t kSiteExpExec = 11;
inline constexpr uint16_t kSiteSort = 12;
inline constexpr uint16_t kSiteBufferFld = 13;
inline constexpr uint16_t kSiteDynStrings = 14;
inline constexpr uint16_t kSiteStructFuncs = 15;
inline constexpr uint16_t kSiteFormatStrings = 16;
inline constexpr uint16_t kSiteStreams = 17;
inline constexpr uint16_t kSiteDataFile = 18;
inline constexpr uint16_t kSiteLocalLists = 19;
inline constexpr uint16_t kSiteScreens = 20;
inline constexpr uint16_t kSiteDevices = 21;
inline constexpr uint16_t kSiteHtmlScan = 22;

// Latch conditions.
inline constexpr int kLatchNever = 0;
inline constexpr int kLatchFirst = 1;   // take the code when the latch is clear and code >= 128
inline constexpr int kLatchAlways = 2;  // take it unconditionally (code 0, site 0 clears)

// Records (code, site) according to `condition`. Returns `value` unchanged so that it can
// wrap a return statement.
void LatchRecord(int condition, uint16_t site, uint16_t code);
template <typename T>
T LatchError(int condition, uint16_t site, uint16_t code, T value) {
  LatchRecord(condition, site, code);
  return value;
}

// The latch as one 32-bit value: code in the low half, site in the high half.
uint32_t LatchedError();
inline uint16_t LatchedCode() { return static_cast<uint16_t>(LatchedError() & 0xFFFF); }
inline uint16_t LatchedSite() { return static_cast<uint16_t>(LatchedError() >> 16); }
void LatchClear();

// Latches (condition, site, code) and answers StrError(code) when code is non-zero, else s.
StrRef ErrorResult(int condition, uint16_t site, uint16_t code, StrRef s);

// Detail text: the text that accompanies the most recent report (a file name, the failing
// expression), kept in StringSlots item (9, 9) until the error has been shown.
StrRef DetailText();
void DetailClear();

// Stores `text` as the detail text and returns `code`. With `append` and a detail text already
// present, the new detail is the old one, CR LF, and `text`; the old text is first cut back at
// its last CR until it is at most 1,024 bytes (an old text with no CR keeps its first 1,024).
// Never fails visibly: when the text cannot be stored the code is still returned.
Status ReportStatus(Status code, StrRef text, bool append = false);

// The detail text that names a line of a file: "<file>, line <number>", with ": " and `text`
// after it when one is given. Pushes one temporary.
StrRef LineOfFile(StrRef file, int64_t number, StrRef text = StrRef{"", 0});

}  // namespace engine
