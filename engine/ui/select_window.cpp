// The selection window and the popup menu.
#include "engine/ui/select_window.h"

#include <algorithm>
#include <vector>

#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/ui/keys.h"
#include "engine/ui/native_fonts.h"
#include "engine/ui/screen_geometry.h"
#include "engine/ui/window_layer.h"

namespace engine {

namespace {

constexpr int32_t kEntryMargin = 5;
constexpr int32_t kListMinColumns = 15;
constexpr uint16_t kSelectListId = kIdPickListFirst;

// One running selection.
struct Selection {
  WinHandle window = kNoWindow;
  bool modal = false;
  uint16_t count = 0;
  WinHandle list = kNoWindow;
  std::vector<WinHandle> buttons;
  int32_t pressed = 0;
  uint16_t picked = 0;
  bool done = false;
};

std::vector<Selection> g_selections;

Selection* SelectionOf(WinHandle window) {
  for (auto it = g_selections.rbegin(); it != g_selections.rend(); ++it) {
    if (it->window == window) return &*it;
  }
  return nullptr;
}

void Pick(Selection& s, uint16_t n) {
  s.picked = n;
  s.done = true;
  SysWordSet(kSysStat, static_cast<int16_t>(n));
  WinEndModal();
}

void Cancel(Selection& s) {
  s.picked = 0;
  s.done = true;
  SysWordSet(kSysStat, 0);
  if (s.modal) WinDestroy(s.window);
  WinEndModal();
}

void Press(Selection& s, int32_t index) {
  WindowHost& host = CurrentWindowHost();
  if (s.buttons.empty()) return;
  host.SetButtonPressed(s.buttons[static_cast<size_t>(s.pressed)], false);
  s.pressed = index;
  host.SetButtonPressed(s.buttons[static_cast<size_t>(index)], true);
  host.SetFocus(s.buttons[static_cast<size_t>(index)]);
}

bool SelectWindowProc(WinHandle window, const HostEvent& event) {
  Selection* s = SelectionOf(window);
  if (!s || s->done) return true;
  WindowHost& host = CurrentWindowHost();
  const int32_t count = static_cast<int32_t>(s->buttons.size());
  switch (event.kind) {
    case EventKind::kKeyDown:
      switch (event.key) {
        case kVkReturn:
          if (s->list != kNoWindow) {
            const int32_t current = host.ListCurrent(s->list);
            if (current >= 0) Pick(*s, static_cast<uint16_t>(current + 1));
          } else {
            Pick(*s, static_cast<uint16_t>(s->pressed + 1));
          }
          return true;
        case kVkEscape:
          Cancel(*s);
          return true;
        case kVkUp:
          if (s->list != kNoWindow) return false;
          Press(*s, (s->pressed + count - 1) % count);
          return true;
        case kVkDown:
          if (s->list != kNoWindow) return false;
          Press(*s, (s->pressed + 1) % count);
          return true;
        case kVkTab:
          if (s->list == kNoWindow) Press(*s, (s->pressed + 1) % count);
          return true;
        default:
          return false;
      }
    case EventKind::kCommand:
      if (event.id >= kIdMenuFirst && event.id < kIdMenuFirst + s->count && s->list == kNoWindow) {
        Pick(*s, static_cast<uint16_t>(event.id - kIdMenuFirst + 1));
      } else if (event.id == kSelectListId && event.code == kNotifyDoubleClick) {
        const int32_t current = host.ListCurrent(s->list);
        if (current >= 0) Pick(*s, static_cast<uint16_t>(current + 1));
      }
      return true;
    case EventKind::kClose:
      Cancel(*s);
      return true;
    case EventKind::kSetFocus:
    case EventKind::kChar:
      return true;
    default:
      return false;
  }
}

// Lays the entries out as a list box at (1, 1) of the window.
WinHandle AddList(WinHandle window, StrRef entries, uint16_t count, int32_t columns, int32_t rows) {
  WindowHost& host = CurrentWindowHost();
  const CellSize cell = CurrentCellSize();
  ControlDesc desc;
  desc.kind = ControlKind::kListBox;
  desc.style = kCtlVisible | kCtlTabStop;
  desc.parent = window;
  desc.id = kSelectListId;
  desc.rect = Rect{ColumnX(1), RowY(1), CellsWidth(columns), rows * (cell.height - 3)};
  const WinHandle list = host.CreateControl(desc, nullptr);
  if (list == kNoWindow) return kNoWindow;
  (void)FontApply(list, kFontUser);
  for (uint16_t i = 1; i <= count; ++i) {
    StrAreaScope scope;
    (void)host.ListAdd(list, StrUnquote(StrTrim(ListField(entries, ',', i), kTrimBoth)));
  }
  host.ListSetItemHeight(list, cell.height - 3);
  host.ListSetCurrent(list, 0);
  return list;
}

// Lays the entries out as a grid of buttons, `rows` high, from (1, 1) of the window.
bool AddButtons(Selection& s, StrRef entries, int32_t button_columns, int32_t rows) {
  WindowHost& host = CurrentWindowHost();
  const CellSize cell = CurrentCellSize();
  for (uint16_t i = 0; i < s.count; ++i) {
    StrAreaScope scope;
    ControlDesc desc;
    desc.kind = ControlKind::kButton;
    desc.style = kCtlVisible | kCtlTabStop;
    desc.parent = s.window;
    desc.id = static_cast<uint16_t>(kIdMenuFirst + i);
    desc.rect = Rect{ColumnX(1 + (i / rows) * button_columns), RowY(1 + i % rows),
                     CellsWidth(button_columns), cell.height};
    desc.text = StrUnquote(StrTrim(ListField(entries, ',', i + 1), kTrimBoth));
    const WinHandle button = host.CreateControl(desc, nullptr);
    if (button == kNoWindow) return false;
    (void)FontApply(button, kFontSystem);
    s.buttons.push_back(button);
  }
  return true;
}

}  // namespace

uint16_t WinSelect(StrRef title, StrRef entries, uint16_t flags) {
  SysWordSet(kSysStat, 0);
  const uint16_t count = ListCount(entries, ',');
  if (count == 0 || title.IsStatus()) return 0;
  WindowHost& host = CurrentWindowHost();
  StrAreaScope scope;
  const int32_t widest = ListWidest(entries, ',', false);
  const bool use_list = (flags & kSelectListBox) != 0;
  const ScreenExtent screen = DefaultScreen();
  const CellSize cell = CurrentCellSize();
  int32_t columns = 0;
  int32_t rows = count;
  int32_t button_columns = widest + kEntryMargin;
  if (use_list) {
    const StrRef shown_title = WinText(title);
    columns =
        std::max({widest + kEntryMargin, static_cast<int32_t>(shown_title.len), kListMinColumns});
    rows = std::min<int32_t>(count, screen.rows);
  } else {
    int32_t grid_columns = 1;
    while (rows > 1 && host.WorkArea().height < 3 * rows * cell.height) {
      rows = (rows + 1) / 2;
      grid_columns *= 2;
    }
    columns = button_columns * grid_columns;
  }

  Selection s;
  s.modal = (flags & kSelectPopup) != 0;
  s.count = count;
  WindowProc previous = nullptr;
  const ScreenExtent saved = ExtentOverride();
  if (s.modal) {
    SetExtentOverride(
        ScreenExtent{static_cast<uint16_t>(columns), static_cast<uint16_t>(rows), 0, 0, 0, 0});
    s.window = WinOpen(kKindPopup, (flags & kSelectBeside) ? kPlaceBesideFocus : 0, title,
                       kNoWindow, -1, -1, SelectWindowProc);
  } else {
    s.window = WinTop();
    previous = WinSetProc(s.window, SelectWindowProc);
  }
  bool laid = s.window != kNoWindow;
  if (laid && use_list) {
    s.list = AddList(s.window, entries, count, columns, rows);
    laid = s.list != kNoWindow;
  } else if (laid) {
    laid = AddButtons(s, entries, button_columns, rows);
  }
  SetExtentOverride(saved);
  if (s.window == kNoWindow) return 0;
  if (!laid) {
    if (s.modal) {
      WinDestroy(s.window);
    } else {
      for (WinHandle b : s.buttons) host.DestroyWindow(b);
      (void)WinSetProc(s.window, previous);
    }
    return 0;
  }
  g_selections.push_back(s);
  WinShow(s.window);
  if (s.list != kNoWindow) {
    host.SetFocus(s.list);
  } else {
    host.SetButtonPressed(s.buttons.front(), true);
    host.SetFocus(s.buttons.front());
  }
  (void)WinRunModal(s.window);
  Selection* ran = SelectionOf(s.window);
  const uint16_t picked = ran ? ran->picked : 0;
  if (ran) {
    if (!s.modal) {
      for (WinHandle b : ran->buttons) host.DestroyWindow(b);
      if (ran->list != kNoWindow) host.DestroyWindow(ran->list);
      (void)WinSetProc(s.window, previous);
    }
    g_selections.erase(g_selections.begin() + (ran - g_selections.data()));
  }
  SysWordSet(kSysStat, static_cast<int16_t>(picked));
  return picked;
}

uint16_t WinPopupMenu(StrRef entries, const Point* at) {
  const uint16_t count = ListCount(entries, ',');
  if (count == 0) return 0;
  WindowHost& host = CurrentWindowHost();
  StrAreaScope scope;
  const MenuHandle menu = host.CreatePopupMenu();
  for (uint16_t i = 0; i < count; ++i) {
    StrAreaScope item;
    const StrRef caption = WinText(StrUnquote(StrTrim(ListField(entries, ',', i + 1), kTrimBoth)));
    (void)host.AppendMenuItem(menu, static_cast<uint16_t>(kIdPopupFirst + i), caption);
  }
  WinHandle owner = WinTop();
  WinHandle temporary = kNoWindow;
  if (owner == kNoWindow) {
    const StrRef class_name = WinEnsureClass(kKindPopup);
    if (!class_name.IsStatus()) {
      WindowDesc desc;
      desc.class_name = class_name;
      desc.title = StrLit("");
      desc.frame = FrameStyle::kModalPopup;
      temporary = host.CreateTopWindow(desc, nullptr);
      owner = temporary;
    }
  }
  const Point where = at ? *at : host.GetCursorPos();
  const uint16_t chosen = host.TrackPopupMenu(menu, where, owner);
  host.DestroyMenu(menu);
  if (temporary != kNoWindow) host.DestroyWindow(temporary);
  return chosen >= kIdPopupFirst ? static_cast<uint16_t>(chosen - kIdPopupFirst + 1) : 0;
}

}  // namespace engine
