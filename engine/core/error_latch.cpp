// The ErrorLatch record and its operations.
#include "engine/core/error_latch.h"

#include <string_view>

#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"

namespace engine {

namespace {
struct Latch {
  uint16_t code = 0;
  uint16_t site = 0;
} g_latch;
}  // namespace

void LatchRecord(int condition, uint16_t site, uint16_t code) {
  if (condition == kLatchNever) return;
  if (condition == kLatchAlways || (g_latch.code == 0 && Status(code).IsError())) {
    g_latch.code = code;
    g_latch.site = site;
  }
}

uint32_t LatchedError() { return static_cast<uint32_t>(g_latch.site) << 16 | g_latch.code; }

void LatchClear() { g_latch = Latch{}; }

StrRef ErrorResult(int condition, uint16_t site, uint16_t code, StrRef s) {
  LatchRecord(condition, site, code);
  return code ? StrError(code) : s;
}

namespace {
constexpr uint16_t kDetailKeep = 1024;
constexpr StrRef kLineOfFile = StrLit("%s, line %i");
constexpr StrRef kLineOfFileWithText = StrLit("%s, line %i: %s");
constexpr size_t kLineDetailMax = 4096;
}  // namespace

StrRef DetailText() { return SlotGet(kGroupDiagnostics, kDiagDetailText); }

void DetailClear() { (void)SlotSet(kGroupDiagnostics, kDiagDetailText, StrLit("")); }

Status ReportStatus(Status code, StrRef text, bool append) {
  if (text.IsStatus()) text = StrLit("");
  StrAreaScope scope;
  StrRef old = DetailText();
  if (append && old.len > 0) {
    while (old.len > kDetailKeep) {
      const std::string_view v = old.view();
      const size_t cr = v.rfind('\r');
      old.len = static_cast<uint16_t>(cr == std::string_view::npos ? kDetailKeep : cr);
    }
    if (StrConcat(old, StrLit("\r\n")).ok() && StrConcat(StrAreaTop(), text).ok()) {
      text = StrAreaTop();
    }
  }
  // The detail is kept when there is room for it. Failing to keep it is no error of its own: it
  // must not take the latch from the error being reported.
  const uint32_t latched = LatchedError();
  if (!SlotSet(kGroupDiagnostics, kDiagDetailText, text).ok()) {
    LatchRecord(kLatchAlways, static_cast<uint16_t>(latched >> 16),
                static_cast<uint16_t>(latched & 0xFFFF));
  }
  return code;
}

StrRef LineOfFile(StrRef file, int64_t number, StrRef text) {
  return StrFormat(kLineDetailMax, text.empty() ? kLineOfFile : kLineOfFileWithText,
                   {file, number, text});
}

}  // namespace engine
