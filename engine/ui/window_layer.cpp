// Opening windows, the event loop, event routing, field-control hooks and action dispatch.
#include "engine/ui/window_layer.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

#include "engine/core/message_box.h"
#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/ui/screen_geometry.h"
#include "engine/ui/window_stack.h"

namespace engine {

namespace {

struct KindInfo {
  StrRef name;
  FrameStyle frame;
};

constexpr std::array<KindInfo, kWindowKinds> kKinds = {{
    {StrLit(""), FrameStyle::kCaptioned},
    {StrLit("LnMant"), FrameStyle::kCaptioned},
    {StrLit("Mant"), FrameStyle::kCaptioned},
    {StrLit("MantDlg"), FrameStyle::kModalPopup},
    {StrLit("Grid"), FrameStyle::kModalPopup},
    {StrLit("Dialogx"), FrameStyle::kModalPopup},
    {StrLit("DevSel"), FrameStyle::kModalPopup},
    {StrLit("Progress"), FrameStyle::kModalPopup},
    {StrLit(""), FrameStyle::kCaptioned},
    {StrLit(""), FrameStyle::kModalPopup},
    {StrLit(""), FrameStyle::kModalPopup},
    {StrLit(""), FrameStyle::kOverlapped},
}};

constexpr uint16_t kScrStatOpenShifted = 8;  // _SCRSTAT: open windows as if another were open
constexpr uint16_t kCompatNoHooks = 512;     // _COMPAT: no hooks on field controls
constexpr uint16_t kAuxNoBits = 4 | 8 | 16;
constexpr uint16_t kCloseBit = 8;
constexpr int32_t kCascadeX = 100;
constexpr int32_t kCascadeY = 60;
constexpr uint16_t kDefaultTextLimit = 383;
constexpr uint8_t kScannerStart = 29;  // Ctrl+]
constexpr size_t kScannerBuffer = 384;
constexpr size_t kCaptionLimit = 64;

struct LayerWindow {
  uint16_t kind = 0;
  WindowProc proc = nullptr;
  ActionHandler action = nullptr;
  bool focused_once = false;
};

struct FieldHook {
  ControlKind kind = ControlKind::kEdit;
  bool shift = false;
  bool ctrl = false;
  bool collecting = false;
  uint16_t collected = 0;
  char buffer[kScannerBuffer] = {};
  uint8_t caption_length = 0;
  char caption[kCaptionLimit] = {};
};

struct TimerEntry {
  WinHandle window;
  uint16_t id;
  TimerHandler handler;
};

std::map<WinHandle, LayerWindow> g_windows;
std::map<WinHandle, FieldHook> g_hooks;
std::vector<TimerEntry> g_timers;
const FormFieldOps* g_field_ops = nullptr;
FormCounter g_form_counter = nullptr;
bool g_quit = false;
bool g_end_modal = false;

WindowHost& Host() { return CurrentWindowHost(); }

WinHandle WindowOf(WinHandle handle) {
  return Host().IsControl(handle) ? Host().ParentOf(handle) : handle;
}

uint16_t LastKey() { return static_cast<uint16_t>(SysWord(kSysLastKey)); }
void SetLastKey(uint16_t code) { SysWordSet(kSysLastKey, static_cast<int16_t>(code)); }

bool IsFieldId(uint16_t id) { return id >= kIdFieldFirst && id <= kIdFieldLast; }

Status FormAction(WinHandle window, ActionCode action) {
  auto it = g_windows.find(window);
  if (it == g_windows.end() || !it->second.action) return kOk;
  return it->second.action(window, action);
}

// Reads a field control's text back into its field.
Status ReadBack(WinHandle control) {
  if (control == kNoWindow || !Host().IsControl(control)) return kOk;
  const uint16_t id = Host().ControlId(control);
  if (!IsFieldId(id) || LastKey() == kKeyEsc) return kOk;
  if (!g_field_ops || !g_field_ops->store_text) return kOk;
  StrAreaScope scope;
  const StrRef text = WinControlText(control, 0);
  if (text.IsStatus()) return StrCheck(text);
  return g_field_ops->store_text(WindowOf(control), static_cast<uint16_t>(id - kIdFieldBase), text);
}

void Deliver(const HostEvent& event);

// ---- Scrolling -------------------------------------------------------------------------

void Scroll(WinHandle window, const HostEvent& event) {
  WindowHost& host = Host();
  const uint16_t bar = event.id == kScrollHorizontal ? kScrollHorizontal : kScrollVertical;
  ScrollBarState state = host.GetScrollBar(window, bar);
  const CellSize cell = CurrentCellSize();
  const int32_t page = bar == kScrollVertical ? cell.height : cell.width;
  int32_t position = state.position;
  switch (event.code) {
    case kScrollLineUp:
      position -= 2;
      break;
    case kScrollLineDown:
      position += 2;
      break;
    case kScrollPageUp:
      position -= page;
      break;
    case kScrollPageDown:
      position += page;
      break;
    case kScrollThumbTrack:
      position = event.param;
      break;
    case kScrollTop:
      position = 0;
      break;
    case kScrollBottom:
      position = state.range;
      break;
    default:
      return;
  }
  position = std::clamp(position, 0, std::max(0, state.range));
  const int32_t delta = position - state.position;
  if (delta != 0) {
    host.ScrollChildren(window, bar == kScrollHorizontal ? -delta : 0,
                        bar == kScrollVertical ? -delta : 0);
  }
  state.position = position;
  host.SetScrollBar(window, bar, state);
}

// ---- Field-control hooks ---------------------------------------------------------------

void ShowCheckCaption(WinHandle control, const FieldHook& hook) {
  const bool checked = Host().IsChecked(control);
  (void)Host().SetText(control, checked ? StrMake(hook.caption, hook.caption_length) : StrLit(""));
}

void EndScanner(WinHandle control, FieldHook& hook) {
  hook.collecting = false;
  if (ScannerInputPush(StrMake(hook.buffer, hook.collected)) != kOk) return;
  hook.collected = 0;
  (void)WinDispatch(control, MakeAction(kActScannerText));
}

// Translates a key in a field's control; true when the control must not see it.
bool HookKey(WinHandle control, FieldHook& hook, const HostEvent& event) {
  const uint16_t vk = event.key;
  if (event.kind == EventKind::kKeyUp) {
    if (vk == kVkShift) hook.shift = false;
    if (vk == kVkControl) hook.ctrl = false;
    return false;
  }
  if (event.kind == EventKind::kChar) {
    const unsigned char ch = static_cast<unsigned char>(event.key);
    if (hook.kind != ControlKind::kEdit) return false;
    if (hook.collecting) {
      if (ch >= 32) {
        if (hook.collected < kScannerBuffer) hook.buffer[hook.collected++] = static_cast<char>(ch);
        return false;
      }
      EndScanner(control, hook);
      return true;
    }
    if (ch == kScannerStart) {
      hook.collecting = true;
      return true;
    }
    return false;
  }
  // A key-down.
  if (vk == kVkShift) {
    hook.shift = true;
    return false;
  }
  if (vk == kVkControl) {
    hook.ctrl = true;
    return false;
  }
  if (hook.collecting) return false;
  uint16_t code = KeyCodeOf(vk);
  if (vk == kVkTab && hook.shift && !hook.ctrl) code = kKeyShiftTab;
  if (vk == kVkEnd && hook.ctrl && !hook.shift) code = kKeyCtrlEnd;
  switch (hook.kind) {
    case ControlKind::kCheckBox:
      if (vk == kVkSpace) {
        Host().SetCheck(control, !Host().IsChecked(control));
        ShowCheckCaption(control, hook);
        return true;
      }
      if (code != kKeyEnter && code != kKeyTab && code != kKeyShiftTab && code != kKeyEsc) {
        return false;
      }
      break;
    case ControlKind::kComboBox:
      if (code == kKeyEnter) {
        SetLastKey(code);
        Deliver(HostEvent{EventKind::kCommand, WindowOf(control), 0, kIdOk, kNotifyClicked,
                          static_cast<int32_t>(control)});
        return true;
      }
      if (code != kKeyEsc) return false;
      break;
    default:
      break;
  }
  SetLastKey(code);
  if (code == kKeyOther) return false;
  const ActionCode action = KeyMapAction(SysWord(kSysKeyMap), code);
  if (action != 0) {
    hook.ctrl = false;
    (void)WinDispatch(control, action);
  }
  return true;
}

// ---- Routing ---------------------------------------------------------------------------

WindowProc ProcOf(WinHandle window) {
  auto it = g_windows.find(window);
  return it == g_windows.end() ? nullptr : it->second.proc;
}

void Deliver(const HostEvent& event) {
  WindowHost& host = Host();
  switch (event.kind) {
    case EventKind::kNone:
      return;
    case EventKind::kQuit:
      g_quit = true;
      return;
    case EventKind::kTimer:
      for (const TimerEntry& t : g_timers) {
        if (t.window == event.target && t.id == event.id) {
          t.handler(t.window, t.id);
          return;
        }
      }
      break;
    case EventKind::kKeyDown:
    case EventKind::kKeyUp:
    case EventKind::kChar: {
      auto hook = g_hooks.find(event.target);
      if (hook != g_hooks.end()) {
        if (!HookKey(event.target, hook->second, event) && host.IsWindow(event.target)) {
          host.DefaultEvent(event);
        }
        return;
      }
      const WinHandle window = WindowOf(event.target);
      const WindowProc proc = ProcOf(window);
      if (proc && proc(window, event)) return;
      if (host.IsWindow(event.target)) host.DefaultEvent(event);
      return;
    }
    case EventKind::kSetFocus:
    case EventKind::kKillFocus: {
      // Focus changes are queued: one that a later change overtook is no news any more.
      if (event.kind == EventKind::kSetFocus && host.GetFocus() != event.target) return;
      if (!host.IsControl(event.target)) break;
      const WinHandle window = host.ParentOf(event.target);
      if (event.kind == EventKind::kSetFocus && StackFind(window)) {
        (void)StackPush(window, kShowNormal);
      }
      auto hook = g_hooks.find(event.target);
      if (hook == g_hooks.end()) return;
      if (event.kind == EventKind::kKillFocus) {
        if (hook->second.kind != ControlKind::kComboBox) {
          (void)WinDispatch(event.target, MakeAction(kActFocusOut));
        }
      } else if (hook->second.kind == ControlKind::kEdit) {
        (void)WinDispatch(event.target, MakeAction(kActFocusIn));
      }
      return;
    }
    case EventKind::kPrivate:
      if (host.IsControl(event.target)) {
        if (event.id == kMsgScanData && g_hooks.count(event.target)) {
          (void)WinDispatch(event.target, MakeAction(kActScanData));
        }
        return;
      }
      break;
    case EventKind::kCommand: {
      const WinHandle source = static_cast<WinHandle>(event.param);
      auto hook = g_hooks.find(source);
      if (hook != g_hooks.end() && hook->second.kind == ControlKind::kCheckBox) {
        ShowCheckCaption(source, hook->second);
      }
      break;
    }
    default:
      break;
  }
  const WinHandle window = WindowOf(event.target);
  const WindowProc proc = ProcOf(window);
  if (proc && proc(window, event)) return;
  if (event.kind == EventKind::kClose) WinDestroy(window);
}

bool LoopGoesOn(WinHandle window) {
  if (g_quit || g_end_modal || StackCount() == 0) return false;
  return window == kNoWindow || StackTop() == window;
}

}  // namespace

// ---- Kinds -----------------------------------------------------------------------------

FrameStyle KindFrame(uint16_t kind) {
  return kind < kWindowKinds ? kKinds[kind].frame : FrameStyle::kCaptioned;
}

bool KindIsModal(uint16_t kind) { return KindFrame(kind) == FrameStyle::kModalPopup; }

StrRef WindowClassName(uint16_t kind) {
  StrAreaScope scope;
  const StrRef prefix = AppPrefix();
  if (kind < kWindowKinds && !kKinds[kind].name.empty()) {
    return scope.Return(StrFormat(64, StrLit("%s%s"), {prefix, kKinds[kind].name}));
  }
  return scope.Return(StrFormat(64, StrLit("%sWnd%i"), {prefix, static_cast<int64_t>(kind)}));
}

StrRef WinEnsureClass(uint16_t kind) {
  if (kind >= kWindowKinds) return StrError(kBadInputData);
  StrAreaScope scope;
  const StrRef name = WindowClassName(kind);
  if (name.IsStatus()) return scope.Return(name);
  if (!Host().IsClassRegistered(name)) {
    const Status registered = Host().RegisterWindowClass(name);
    if (registered != kOk) return StrError(registered);
  }
  return scope.Return(name);
}

WindowProc WinSetProc(WinHandle window, WindowProc proc) {
  auto it = g_windows.find(window);
  if (it == g_windows.end()) return nullptr;
  const WindowProc old = it->second.proc;
  it->second.proc = proc;
  return old;
}

// ---- Windows ---------------------------------------------------------------------------

WinHandle WinOpen(uint16_t kind, uint16_t placement, StrRef title, WinHandle parent, int32_t row,
                  int32_t column, WindowProc proc, Status* status) {
  auto fail = [&](Status s) {
    if (status) *status = s;
    return kNoWindow;
  };
  if (kind >= kWindowKinds) return fail(kBadInputData);
  WindowHost& host = Host();
  StrAreaScope scope;
  const StrRef class_name = WinEnsureClass(kind);
  if (class_name.IsStatus()) return fail(StrCheck(class_name));
  const FrameStyle frame_style = KindFrame(kind);
  const ScreenExtent extent = CurrentExtent();
  int32_t width = 0;
  int32_t height = 0;
  int32_t fixed_width = 0;
  int32_t fixed_height = 0;
  const bool fixed = FixedScreenSize(&fixed_width, &fixed_height);
  if (fixed) {
    const Insets dialog = host.FrameInsets(FrameStyle::kModalPopup, false);
    width = fixed_width + dialog.left + dialog.right;
    height = fixed_height + dialog.top + dialog.bottom;
  } else {
    const Insets frame = host.FrameInsets(frame_style, kind == kKindMain);
    width = CellsWidth(extent.columns) + frame.left + frame.right;
    height = RowsHeight(extent.rows + extent.extra_rows) + frame.top + frame.bottom;
  }
  const Rect work = host.WorkArea();
  ScrollBarState vertical;
  ScrollBarState horizontal;
  if (height > work.height) {
    vertical = ScrollBarState{true, height - work.height, work.height, 0};
    height = work.height;
  }
  if (width > work.width) {
    horizontal = ScrollBarState{true, width - work.width, work.width, 0};
    width = work.width;
  }
  if (vertical.shown) width += kScrollBarPixels;
  if (horizontal.shown) height += kScrollBarPixels;

  Point at;
  if (row != -1 && column != -1) {
    at = Point{ColumnX(column), RowY(row)};
  } else {
    at = Point{work.x + (work.width - width) / 2, work.y + (work.height - height) / 2};
    const WinHandle focused = host.GetFocus();
    if ((placement & kPlaceBesideFocus) && host.IsControl(focused)) {
      const Rect control = host.GetWindowRect(focused);
      at = Point{control.right(), control.y};
      const int16_t max_rows = SysWord(kSysWMaxRow);
      if (max_rows > 0 && StackTop() != kNoWindow) {
        at.y = std::min(at.y, host.GetWindowRect(StackTop()).y + RowsHeight(max_rows));
      }
    }
    if (StackCount() > 0 || SysWordTest(kSysScrStat, kScrStatOpenShifted)) {
      at.x += kCascadeX;
      at.y += kCascadeY;
    }
    at.x = std::max(work.x, std::min(at.x, work.right() - width));
    at.y = std::max(work.y, std::min(at.y, work.bottom() - height));
  }

  const WinHandle below = StackTop();
  if (KindIsModal(kind) && below != kNoWindow) host.EnableWindow(below, false);
  WindowDesc desc;
  desc.class_name = class_name;
  desc.title = WinText(title.IsStatus() ? StrLit("") : title);
  desc.frame = frame_style;
  desc.owner = parent != kNoWindow ? parent : below;
  desc.rect = Rect{at.x, at.y, width, height};
  Status created = kOk;
  const WinHandle window = host.CreateTopWindow(desc, &created);
  if (window == kNoWindow) {
    if (KindIsModal(kind) && below != kNoWindow) host.EnableWindow(below, true);
    return fail(created != kOk ? created : Status(kWindowsControlError));
  }
  if (vertical.shown) host.SetScrollBar(window, kScrollVertical, vertical);
  if (horizontal.shown) host.SetScrollBar(window, kScrollHorizontal, horizontal);
  g_windows[window] = LayerWindow{kind, proc ? proc : FormWindowProc, nullptr, false};
  (void)StackPush(window, (kind == kKindMaximized && !fixed) ? kShowMaximized : kShowNormal);
  if (status) *status = kOk;
  return window;
}

void WinShow(WinHandle window) {
  const WindowStackEntry* entry = StackFind(window);
  Host().ShowWindow(window, entry ? entry->show : kShowNormal);
}

Status WinRunModal(WinHandle window) {
  WindowHost& host = Host();
  const WinHandle top = StackTop();
  if (top != kNoWindow && !host.IsVisible(top)) WinShow(top);
  g_end_modal = false;
  while (LoopGoesOn(window)) {
    HostEvent event;
    if (!host.GetEvent(&event, ReadMode::kWait)) break;
    Deliver(event);
  }
  g_end_modal = false;
  HostEvent event;
  while (!g_quit && host.GetEvent(&event, ReadMode::kQueuedOnly)) Deliver(event);
  return g_quit ? Status(kUserCanceled) : Status(kOk);
}

void WinEndModal() { g_end_modal = true; }

int WinPump() {
  WindowHost& host = Host();
  HostEvent event;
  while (!g_quit && host.GetEvent(&event, ReadMode::kPoll)) Deliver(event);
  return (g_quit || StackCount() == 0) ? 1 : 0;
}

void WinDeliverQueued() {
  WindowHost& host = Host();
  HostEvent event;
  while (!g_quit && host.GetEvent(&event, ReadMode::kQueuedOnly)) Deliver(event);
}

uint16_t WinWaitKey() {
  WindowHost& host = Host();
  while (!g_quit && StackCount() > 0) {
    HostEvent event;
    if (!host.GetEvent(&event, ReadMode::kWait)) break;
    if (event.kind == EventKind::kKeyDown && event.key != kVkShift && event.key != kVkControl &&
        event.key != kVkMenu) {
      return KeyCodeOf(event.key);
    }
    if (event.kind == EventKind::kKeyUp || event.kind == EventKind::kChar) continue;
    Deliver(event);
  }
  return kKeyEsc;
}

WinHandle WinTop() { return StackTop(); }

uint16_t WinKind(WinHandle window) {
  auto it = g_windows.find(window);
  return it == g_windows.end() ? kWindowKinds : it->second.kind;
}

void WinDestroy(WinHandle window) {
  WindowHost& host = Host();
  if (host.IsWindow(window)) {
    for (auto it = g_hooks.begin(); it != g_hooks.end();) {
      const bool gone = !host.IsWindow(it->first) || host.ParentOf(it->first) == window;
      it = gone ? g_hooks.erase(it) : std::next(it);
    }
  }
  g_timers.erase(std::remove_if(g_timers.begin(), g_timers.end(),
                                [&](const TimerEntry& t) { return t.window == window; }),
                 g_timers.end());
  g_windows.erase(window);
  host.DestroyWindow(window);
  if (!StackRemove(window)) return;
  const WinHandle top = StackTop();
  if (top == kNoWindow) {
    host.PostEvent(HostEvent{EventKind::kQuit, kNoWindow, 0, 0, 0, 0});
    return;
  }
  host.EnableWindow(top, true);
  host.SetFocus(top);
}

void WinCloseAll() {
  while (StackTop() != kNoWindow) WinDestroy(StackTop());
}

bool WinQuitRequested() { return g_quit; }

void WinPostClose(WinHandle window) {
  Host().PostEvent(HostEvent{EventKind::kClose, window, 0, 0, 0, 0});
}

void WinPostEngineEvent(WinHandle window, uint8_t n) {
  Host().PostEvent(HostEvent{EventKind::kPrivate, window, 0, kMsgEngineEvent, 0, n});
}

Status WinSetTitle(WinHandle window, StrRef title) {
  if (title.IsStatus()) return StrCheck(title);
  StrAreaScope scope;
  return Host().SetText(window, WinText(title)) ? Status(kOk) : Status(kWindowsControlError);
}

StrRef WinControlText(WinHandle control, uint16_t limit) {
  return Host().GetText(control, limit == 0 ? kDefaultTextLimit : limit);
}

StrRef WinText(StrRef text) {
  if (text.IsStatus()) return text;
  StrAreaScope scope;
  if (text.len == 4 && IsMessageCode(text)) {
    const StrRef message = Message(text);
    if (!message.IsStatus() && !message.empty()) return scope.Return(message);
  }
  return scope.Return(text);
}

void WinSetTimer(WinHandle window, uint16_t id, uint32_t milliseconds, TimerHandler handler) {
  WinKillTimer(window, id);
  g_timers.push_back(TimerEntry{window, id, handler});
  Host().SetTimer(window, id, milliseconds);
}

void WinKillTimer(WinHandle window, uint16_t id) {
  g_timers.erase(
      std::remove_if(g_timers.begin(), g_timers.end(),
                     [&](const TimerEntry& t) { return t.window == window && t.id == id; }),
      g_timers.end());
  Host().KillTimer(window, id);
}

void WinLayerReset() {
  g_windows.clear();
  g_hooks.clear();
  g_timers.clear();
  g_quit = false;
  g_end_modal = false;
  StackReset();
}

// ---- Actions ---------------------------------------------------------------------------

void WinSetActionHandler(WinHandle window, ActionHandler handler) {
  auto it = g_windows.find(window);
  if (it != g_windows.end()) it->second.action = handler;
}

void SetFormFieldOps(const FormFieldOps* ops) { g_field_ops = ops; }

void SetFormCounter(FormCounter counter) { g_form_counter = counter; }

void WinFormCounts(uint16_t* screens, uint16_t* windows) {
  if (g_form_counter) {
    g_form_counter(screens, windows);
    return;
  }
  *screens = 0;
  *windows = StackCount();
}

Status WinDispatch(WinHandle source, ActionCode action) {
  WindowHost& host = Host();
  const bool from_control = host.IsControl(source);
  const WinHandle window = from_control ? host.ParentOf(source) : source;
  const uint16_t id = from_control ? host.ControlId(source) : 0;
  Status status = kOk;
  switch (ActionClass(action)) {
    case kActFocusIn: {
      if (id == 0) {
        status = FormAction(window, action);
        break;
      }
      if (!IsFieldId(id)) break;
      const uint16_t field = static_cast<uint16_t>(id - kIdFieldBase);
      const bool current =
          g_field_ops && g_field_ops->current_field && g_field_ops->current_field(window) == field;
      if (!current && g_field_ops && g_field_ops->check_current &&
          g_field_ops->check_current(window) == kBadUserData) {
        status = FormAction(window, MakeAction(kActCheckRejected));
        break;
      }
      const bool editable =
          !g_field_ops || !g_field_ops->editable || g_field_ops->editable(window, field);
      if (editable) {
        host.SelectAllText(source);
        status = FormAction(window, MakeAction(kActFieldEntered, static_cast<uint8_t>(field)));
      }
      break;
    }
    case kActFocusOut:
      if (!IsNavigationKey(LastKey())) status = ReadBack(source);
      break;
    default:
      if (IsNavigationKey(LastKey())) status = ReadBack(host.GetFocus());
      if (status == kOk) status = FormAction(window, action);
      break;
  }
  // The close bit is a flag of the small statuses a form answers; 121 to 127 are conditions
  // to show (126 for a value the field refused must not close the form), whatever their bits.
  if ((status & kCloseBit) && status < kDetailOnly) {
    const WinHandle top = StackTop();
    if (top != kNoWindow) WinPostClose(top);
    status = static_cast<uint16_t>(status & ~kAuxNoBits);
  }
  if (status > kDetailOnly && status != kNothing) (void)ShowStatus(status);
  return status;
}

bool FormWindowProc(WinHandle window, const HostEvent& event) {
  WindowHost& host = Host();
  switch (event.kind) {
    case EventKind::kClose: {
      const uint8_t cls = WinKind(window) == kKindMain ? kActCloseMain : kActCloseForm;
      const Status status = WinDispatch(window, MakeAction(cls));
      if (status != kOk && host.IsWindow(window)) WinDestroy(window);
      return true;
    }
    case EventKind::kCommand: {
      const WinHandle control = static_cast<WinHandle>(event.param);
      const WinHandle source = host.IsWindow(control) ? control : window;
      if (event.code == kNotifyDoubleClick) {
        SetLastKey(kKeyOther);
        (void)WinDispatch(source, CommandAction(kIdOk));
      } else if (event.code == kNotifySelEndOk) {
        SetLastKey(kKeyOther);
        (void)WinDispatch(source, MakeAction(kActListSelect));
      } else if (const ActionCode action = CommandAction(event.id); action != 0) {
        SetLastKey(kKeyOther);
        (void)WinDispatch(window, action);
      }
      return true;
    }
    case EventKind::kScroll:
      Scroll(window, event);
      return true;
    case EventKind::kSetFocus: {
      if (event.target != window) return false;
      if (StackFind(window)) (void)StackPush(window, kShowNormal);
      auto it = g_windows.find(window);
      const bool first = it != g_windows.end() && !it->second.focused_once;
      if (it != g_windows.end()) it->second.focused_once = true;
      (void)WinDispatch(window, MakeAction(first ? kActFirstFocus : kActFocusIn));
      return true;
    }
    case EventKind::kKeyDown:
      // Esc on the window itself, or on one of its controls that is not a field's.
      if (event.key == kVkEscape && event.code == 0) {
        WinPostClose(window);
        return true;
      }
      return false;
    case EventKind::kPrivate:
      if (event.id == kMsgEngineEvent) {
        (void)WinDispatch(window, MakeAction(kActEvent, static_cast<uint8_t>(event.param)));
        return true;
      }
      return false;
    default:
      return false;
  }
}

// ---- Field controls --------------------------------------------------------------------

void WinHookControl(WinHandle control, StrRef checked_caption) {
  if (SysWordTest(kSysCompat, kCompatNoHooks)) return;
  WindowHost& host = Host();
  if (!host.IsControl(control)) return;
  FieldHook hook;
  hook.kind = host.KindOf(control);
  if (!checked_caption.IsStatus()) {
    hook.caption_length =
        static_cast<uint8_t>(std::min<size_t>(checked_caption.len, kCaptionLimit));
    std::copy(checked_caption.begin(), checked_caption.begin() + hook.caption_length, hook.caption);
  }
  g_hooks[control] = hook;
}

bool WinIsHooked(WinHandle control) { return g_hooks.count(control) != 0; }

Status ScannerInputPush(StrRef text) { return SlotPush(kGroupWindowStack, text); }

StrRef ScannerInputTake() {
  if (SlotCount(kGroupWindowStack) == 0) return StrError(kNothing);
  const uint16_t mark = StrAreaMark();
  const StrRef oldest = StrAreaReturn(mark, SlotGet(kGroupWindowStack, 0));
  if (oldest.IsStatus()) return oldest;
  if (const Status removed = SlotDelete(kGroupWindowStack, 0); removed != kOk) {
    StrAreaRelease(mark);
    return StrError(removed);
  }
  return oldest;
}

}  // namespace engine
