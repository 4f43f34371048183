// The main window and its close confirmation.
#include "engine/shell/main_window.h"

#include <algorithm>

#include "engine/core/error_latch.h"
#include "engine/core/message_box.h"
#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/shell/hooks.h"
#include "engine/shell/menus.h"
#include "engine/shell/task_entries.h"
#include "engine/ui/controls.h"
#include "engine/ui/screen_geometry.h"
#include "engine/ui/status_line.h"
#include "engine/ui/window_host.h"
#include "engine/ui/window_layer.h"

namespace engine {

namespace {

constexpr uint16_t kWindowsOpenMessage = 32;
constexpr uint16_t kCloseProgramMessage = 33;
constexpr uint16_t kAuxCloseWithoutAsking = 0x20;
constexpr uint16_t kScrMainWindow = 2;
// Shows how the menu bar is reached, on the window's last row, clear of the windows that open
// in its middle.
void ShowMenuHint(WinHandle window) {
  WindowHost& host = CurrentWindowHost();
  const Rect client = host.GetClientRect(window);
  const int32_t cell = CurrentCellSize().height;
  ControlDesc desc;
  desc.kind = ControlKind::kStatic;
  desc.style = kCtlVisible | kCtlCentered;
  desc.parent = window;
  desc.rect = Rect{0, std::max(0, client.height / cell - 1) * cell, client.width, cell};
  desc.text = kMenuHint;
  (void)host.CreateControl(desc, nullptr);
}

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

Status MainWindowAction(WinHandle, ActionCode action) {
  StrAreaScope scope;
  Status status = kOk;
  switch (ActionClass(action)) {
    case kActMenuItem:
      status = RunMenuOption(ActionArgument(action));
      break;
    case kActCloseMain: {
      uint16_t screens = 0;
      uint16_t windows = 0;
      WinFormCounts(&screens, &windows);
      if (ConfirmClose(screens, windows)) WinCloseAll();
      break;
    }
    case kActHelp:
      status = HelpTask(StrLit(""));
      break;
    default:
      break;
  }
  // A smaller status of a task is no request to the window (the close bit among its bits).
  return status >= kUserCanceled ? status : Status(kOk);
}

Status RunMainWindow(StrRef title, StrRef menu) {
  StrAreaScope scope;
  // The title may be a view of the string slots, which building the menu rewrites.
  if (!title.IsStatus() && StrAreaPushCopy(title).ok()) title = StrAreaTop();
  Status menu_status = kOk;
  const MenuHandle bar = (menu.IsStatus() || menu.empty()) ? kNoMenu : LoadMenu(menu, &menu_status);
  Status status = kOk;
  const WinHandle main =
      WinOpen(kKindMain, 0, StatusLineText(title), kNoWindow, -1, -1, nullptr, &status);
  if (main == kNoWindow) {
    if (bar != kNoMenu) CurrentWindowHost().DestroyMenu(bar);
    (void)ShowStatus(status);
    return status;
  }
  if (bar != kNoMenu) (void)WinSetMenuBar(main, bar);
  SysWordSetBits(kSysScrStat, kScrMainWindow, true);
  (void)WinShowLogo(main);
  if (bar != kNoMenu) ShowMenuHint(main);
  WinSetActionHandler(main, MainWindowAction);
  WinShow(main);
  (void)WinRunModal(kNoWindow);
  WinCloseAll();
  WinLayerReset();
  return menu_status;
}

}  // namespace engine
