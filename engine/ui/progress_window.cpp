// The progress window and its state.
#include "engine/ui/progress_window.h"

#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/ui/keys.h"
#include "engine/ui/window_layer.h"

namespace engine {

namespace {

constexpr uint16_t kProgressTitleMessage = 16;
constexpr uint16_t kCancelCaptionMessage = 20;
constexpr int32_t kExtraWidth = 40;
constexpr int32_t kClientHeight = 90;
constexpr Rect kBarPlace{20, 10, 0, 17};
constexpr int32_t kButtonLeftOfEnd = 50;
constexpr int32_t kButtonTop = 35;
constexpr int32_t kButtonWidth = 70;
constexpr int32_t kButtonHeight = 20;
constexpr uint32_t kBarLimit = 0xFFFF;

struct ProgressState {
  WinHandle window = kNoWindow;
  WinHandle bar = kNoWindow;
  bool text_mode = false;
  int32_t width = 0;  // 0: not prepared
  uint32_t total = 0;
  bool total_given = false;
  uint32_t divisor = 1;
  bool wrap = false;
  uint64_t units = 0;
  int32_t position = 0;
  bool cancelled = false;
  uint32_t last_poll = 0;
};

ProgressState g_progress;

bool ProgressWindowProc(WinHandle, const HostEvent& event) {
  switch (event.kind) {
    case EventKind::kKeyDown:
      if (event.key == kVkEscape) g_progress.cancelled = true;
      return true;
    case EventKind::kCommand:
      if (event.id == kIdProgressCancel) g_progress.cancelled = true;
      return true;
    case EventKind::kClose:
      g_progress.cancelled = true;
      return true;
    case EventKind::kChar:
    case EventKind::kSetFocus:
      return true;
    default:
      return false;
  }
}

void SetTotal(uint32_t total) {
  g_progress.divisor = 1;
  g_progress.wrap = total == 0;
  if (total == 0) total = kProgressWrapUnits;
  while (total > kBarLimit) {
    total /= 2;
    g_progress.divisor *= 2;
  }
  g_progress.total = total;
  if (g_progress.bar != kNoWindow) {
    CurrentWindowHost().ProgressSetRange(g_progress.bar, 0, static_cast<int32_t>(total));
  }
}

Status Answer() { return g_progress.cancelled ? Status(kUserCanceled) : Status(kOk); }

}  // namespace

Status ProgressOpen(int32_t width, uint32_t total, bool text_mode) {
  WindowHost& host = CurrentWindowHost();
  if (width <= 0) width = kProgressDefaultWidth;
  if (g_progress.window != kNoWindow && host.IsWindow(g_progress.window)) {
    g_progress.text_mode = text_mode;
    SetTotal(total);
    return kOk;
  }
  StrAreaScope scope;
  Status status = kOk;
  const WinHandle window = WinOpen(kKindProgress, 0, Message(kProgressTitleMessage), kNoWindow, -1,
                                   -1, ProgressWindowProc, &status);
  if (window == kNoWindow) return status;
  const Insets frame = host.FrameInsets(FrameStyle::kModalPopup, false);
  const Rect screen = host.ScreenRect();
  const int32_t outer_width = width + kExtraWidth + frame.left + frame.right;
  const int32_t outer_height = kClientHeight + frame.top + frame.bottom;
  host.MoveWindow(window,
                  Rect{screen.x + (screen.width - outer_width) / 2,
                       screen.y + (screen.height - outer_height) / 2, outer_width, outer_height});
  g_progress = ProgressState{};
  g_progress.window = window;
  g_progress.width = width;
  g_progress.text_mode = text_mode;
  g_progress.last_poll = host.TickCount();
  Status result = kOk;
  if (!text_mode) {
    ControlDesc bar;
    bar.kind = ControlKind::kProgress;
    bar.parent = window;
    bar.rect = Rect{kBarPlace.x, kBarPlace.y, width, kBarPlace.height};
    g_progress.bar = host.CreateControl(bar, nullptr);
    if (g_progress.bar == kNoWindow) result = kCommonCtlError;
  }
  SetTotal(total);
  ControlDesc button;
  button.kind = ControlKind::kButton;
  button.style = kCtlVisible | kCtlTabStop;
  button.parent = window;
  button.id = kIdProgressCancel;
  button.rect = Rect{width - kButtonLeftOfEnd, kButtonTop, kButtonWidth, kButtonHeight};
  button.text = Message(kCancelCaptionMessage);
  (void)host.CreateControl(button, nullptr);
  WinShow(window);
  return result;
}

void ProgressPrepare(int32_t width, uint32_t total, bool text_mode) {
  if (g_progress.window != kNoWindow) return;
  g_progress.width = width;
  g_progress.total = total;
  g_progress.total_given = true;
  g_progress.text_mode = text_mode;
}

Status ProgressStep(uint32_t units) {
  WindowHost& host = CurrentWindowHost();
  if (g_progress.window == kNoWindow || !host.IsWindow(g_progress.window)) {
    const int32_t width = g_progress.width > 0 ? g_progress.width : kProgressDefaultWidth;
    const uint32_t total = g_progress.total_given ? g_progress.total : 0;
    if (const Status opened = ProgressOpen(width, total, false);
        opened.IsError() && opened != kCommonCtlError) {
      return opened;
    }
  }
  if (!g_progress.cancelled) {
    g_progress.units += units == 0 ? 1 : units;
    uint64_t position = g_progress.units / g_progress.divisor;
    if (g_progress.wrap && position > kProgressWrapUnits) {
      g_progress.units = g_progress.divisor;
      position = 1;
    }
    g_progress.position = static_cast<int32_t>(position);
    if (g_progress.bar != kNoWindow) host.ProgressSetPosition(g_progress.bar, g_progress.position);
  }
  (void)WinPump();
  return Answer();
}

Status ProgressText(StrRef text) {
  WindowHost& host = CurrentWindowHost();
  if (g_progress.window == kNoWindow || !host.IsWindow(g_progress.window)) {
    if (const Status opened = ProgressOpen(kProgressDefaultWidth, 0, true); opened.IsError()) {
      return opened;
    }
  }
  host.PaintText(g_progress.window, text.IsStatus() ? StrLit("") : text);
  (void)WinPump();
  return Answer();
}

Status ProgressCheck() {
  if (g_progress.window != kNoWindow) (void)WinPump();
  return Answer();
}

Status ProgressPoll() {
  const uint32_t now = CurrentWindowHost().TickCount();
  if (g_progress.window == kNoWindow || now - g_progress.last_poll >= kProgressPollMilliseconds) {
    g_progress.last_poll = now;
    return ProgressStep(1);
  }
  return ProgressCheck();
}

bool ProgressCancelled() { return g_progress.cancelled; }

bool ProgressIsOpen() { return g_progress.window != kNoWindow; }

int32_t ProgressPosition() { return g_progress.position; }

uint32_t ProgressTotal() { return g_progress.total; }

WinHandle ProgressWindowHandle() { return g_progress.window; }

void ProgressClose() {
  const WinHandle window = g_progress.window;
  g_progress = ProgressState{};
  if (window != kNoWindow) WinDestroy(window);
}

}  // namespace engine
