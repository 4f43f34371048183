// The main window and its close confirmation.
#include "engine/shell/main_window.h"

#include "engine/core/error_latch.h"
#include "engine/core/message_box.h"
#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/shell/hooks.h"
#include "engine/ui/window_host.h"

namespace engine {

namespace {

constexpr uint16_t kWindowsOpenMessage = 32;
constexpr uint16_t kCloseProgramMessage = 33;
constexpr uint16_t kAuxCloseWithoutAsking = 0x20;
constexpr uint16_t kScrMainWindow = 2;

StrRef CountsText(uint16_t code, uint16_t screens, uint16_t windows) {
  return StrFormat(384, Message(code), {int64_t{screens}, int64_t{windows}});
}

}  // namespace

bool ConfirmClose(uint16_t screens, uint16_t windows) {
  StrAreaScope scope;
  if (const auto close_hook = HookAs<TaskWindowHook>(kHookLowLevel)) {
    const uint16_t answer = close_hook(0);
    DetailClear();
    if (answer != kFeatureRemoved) return answer == kOk;
  }
  if (screens > 1 || windows > 1) {
    (void)ShowMessage(CountsText(kWindowsOpenMessage, screens, windows), StrLit(""), kBoxWarning);
    return false;
  }
  if (SysWordTest(kSysAuxStat, kAuxCloseWithoutAsking)) return true;
  return AskYes(CountsText(kCloseProgramMessage, screens, windows));
}

Status RunMainWindow(StrRef title, StrRef menu) {
  (void)title;
  (void)menu;
  SysWordSetBits(kSysScrStat, kScrMainWindow, true);
  while (!ConfirmClose(0, 1)) {
  }
  return kOk;
}

}  // namespace engine
