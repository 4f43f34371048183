// The floating text window.
#include "engine/ui/floating_text.h"

#include <algorithm>

#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/ui/screen_geometry.h"
#include "engine/ui/window_layer.h"

namespace engine {

namespace {

constexpr int32_t kScreenMargin = 10;
constexpr int32_t kExtraLines = 3;

WinHandle g_floating = kNoWindow;

}  // namespace

Status FloatingTextShow(StrRef lines) {
  if (lines.IsStatus()) return StrCheck(lines);
  WindowHost& host = CurrentWindowHost();
  StrAreaScope scope;
  int32_t count = 0;
  int32_t longest = 0;
  size_t start = 0;
  while (start <= lines.len) {
    uint16_t end = StrFindAny(lines, start, StrLit("\r\n"), true);
    if (end == kNothing) end = lines.len;
    longest = std::max<int32_t>(longest, end - static_cast<int32_t>(start));
    ++count;
    if (end < lines.len && lines[end] == '\r' && end + 1 < lines.len && lines[end + 1] == '\n') {
      ++end;
    }
    start = static_cast<size_t>(end) + 1;
  }
  const CellSize cell = CurrentCellSize();
  const Rect screen = host.ScreenRect();
  const int32_t width = std::min(longest * cell.width, screen.width - kScreenMargin);
  const int32_t height = (count + kExtraLines) * cell.height;
  const Rect place{screen.x + (screen.width - width) / 2, screen.y + (screen.height - height) / 2,
                   width, height};
  if (g_floating == kNoWindow || !host.IsWindow(g_floating)) {
    const StrRef class_name = WinEnsureClass(kKindPopup);
    if (class_name.IsStatus()) return StrCheck(class_name);
    WindowDesc desc;
    desc.class_name = class_name;
    desc.title = StrLit("");
    desc.frame = FrameStyle::kBorderless;
    desc.rect = place;
    desc.topmost = true;
    Status status = kOk;
    g_floating = host.CreateTopWindow(desc, &status);
    if (g_floating == kNoWindow) return status != kOk ? status : Status(kWindowsControlError);
  } else {
    host.MoveWindow(g_floating, place);
  }
  host.PaintText(g_floating, lines);
  host.ShowWindow(g_floating, kShowNormal);
  return kOk;
}

void FloatingTextClose() {
  if (g_floating != kNoWindow) CurrentWindowHost().DestroyWindow(g_floating);
  g_floating = kNoWindow;
}

WinHandle FloatingTextWindow() { return g_floating; }

}  // namespace engine
