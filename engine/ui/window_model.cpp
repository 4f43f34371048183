// The in-memory window model and the platform's own behaviour of its controls and menus.
#include "engine/ui/window_model.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "engine/core/file_system.h"
#include "engine/core/message_box.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"

namespace engine {

namespace {

// Metrics of the stock fonts: a cell of 12 by 24 pixels, the same as the programs' own font.
constexpr TextMetrics kStockMetrics{21, 11};

bool SameName(const std::string& a, StrRef b) {
  if (a.size() != b.len) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

bool StartsWithNoCase(const std::string& caption, const std::string& typed) {
  if (typed.empty() || caption.size() < typed.size()) return false;
  for (size_t i = 0; i < typed.size(); ++i) {
    if (AsciiUpper(caption[i]) != AsciiUpper(typed[i])) return false;
  }
  return true;
}

bool TakesInput(const ModelWindow& w) { return w.visible && w.enabled; }

bool IsListKind(ControlKind kind) {
  return kind == ControlKind::kListBox || kind == ControlKind::kComboBox;
}

}  // namespace

KeyInput CharKey(char ch) {
  KeyInput key;
  key.ch = ch;
  if ((ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9')) {
    key.vk = static_cast<uint16_t>(AsciiUpper(ch));
  } else if (ch == ' ') {
    key.vk = kVkSpace;
  }
  return key;
}

int32_t MenuBarItemColumn(const ModelMenu& bar, int32_t item) {
  int32_t column = 1;
  for (int32_t i = 0; i < item && static_cast<size_t>(i) < bar.items.size(); ++i) {
    column += static_cast<int32_t>(bar.items[static_cast<size_t>(i)].caption.size()) + 2;
  }
  return column;
}

int32_t MenuBoxWidth(const ModelMenu& menu) {
  size_t widest = 0;
  for (const ModelMenuItem& item : menu.items) widest = std::max(widest, item.caption.size());
  return static_cast<int32_t>(widest) + 4;
}

int32_t ListViewPageRows(const ModelWindow& view, int32_t cell_height) {
  const int32_t cells = cell_height > 0 ? view.rect.height / cell_height : 0;
  return std::max(1, cells - 1);
}

int32_t ScrollToShow(int32_t position, int32_t range, int32_t view, int32_t start, int32_t size) {
  int32_t wanted = position;
  if (size > view || start < position) {
    wanted = start;
  } else if (start + size > position + view) {
    wanted = start + size - view;
  }
  return std::clamp(wanted, 0, std::max(0, range));
}

WindowModel::WindowModel() = default;
WindowModel::~WindowModel() = default;

// ---- Lookup ----------------------------------------------------------------------------

ModelWindow* WindowModel::Get(WinHandle window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

const ModelWindow* WindowModel::Get(WinHandle window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

const ModelWindow* WindowModel::Find(WinHandle window) const { return Get(window); }

const ModelMenu* WindowModel::Menu(MenuHandle menu) const {
  auto it = menus_.find(menu);
  return it == menus_.end() ? nullptr : &it->second;
}

WinHandle WindowModel::TopLevelOf(WinHandle window) const {
  const ModelWindow* w = Get(window);
  if (!w) return kNoWindow;
  return w->top_level ? window : w->parent;
}

std::vector<WinHandle> WindowModel::StackingOrder() const {
  std::vector<WinHandle> order;
  for (WinHandle h : z_order_) {
    const ModelWindow* w = Get(h);
    if (w && w->visible && !w->topmost) order.push_back(h);
  }
  for (WinHandle h : z_order_) {
    const ModelWindow* w = Get(h);
    if (w && w->visible && w->topmost) order.push_back(h);
  }
  return order;
}

std::vector<WinHandle> WindowModel::ControlsOf(WinHandle window) const {
  std::vector<WinHandle> controls;
  for (const auto& [handle, w] : windows_) {
    if (!w.top_level && w.parent == window) controls.push_back(handle);
  }
  return controls;  // handles grow, so this is creation order
}

WinHandle WindowModel::KeyTarget() const {
  const ModelWindow* focused = Get(focus_);
  if (focused) {
    const ModelWindow* top = Get(TopLevelOf(focus_));
    if (top && TakesInput(*top) && TakesInput(*focused)) return focus_;
  }
  for (auto it = z_order_.rbegin(); it != z_order_.rend(); ++it) {
    const ModelWindow* w = Get(*it);
    if (w && !w->topmost && TakesInput(*w)) return *it;
  }
  return kNoWindow;
}

// ---- Classes and windows ---------------------------------------------------------------

Status WindowModel::RegisterWindowClass(StrRef name) {
  if (name.IsStatus() || name.empty()) return kBadInputData;
  if (!IsClassRegistered(name)) classes_.push_back(ToString(name));
  return kOk;
}

bool WindowModel::IsClassRegistered(StrRef name) {
  for (const std::string& c : classes_) {
    if (SameName(c, name)) return true;
  }
  return false;
}

WinHandle WindowModel::CreateTopWindow(const WindowDesc& desc, Status* status) {
  if (!IsClassRegistered(desc.class_name)) {
    if (status) *status = kWindowsControlError;
    return kNoWindow;
  }
  if (desc.owner != kNoWindow && !IsWindow(desc.owner)) {
    if (status) *status = kWindowsControlError;
    return kNoWindow;
  }
  ModelWindow w;
  w.handle = NewHandle();
  w.top_level = true;
  w.class_name = ToString(desc.class_name);
  w.text = ToString(desc.title.IsStatus() ? StrLit("") : desc.title);
  w.frame = desc.frame;
  w.parent = desc.owner;
  w.rect = desc.rect;
  w.topmost = desc.topmost;
  const WinHandle handle = w.handle;
  windows_.emplace(handle, std::move(w));
  z_order_.push_back(handle);
  if (status) *status = kOk;
  return handle;
}

WinHandle WindowModel::CreateControl(const ControlDesc& desc, Status* status) {
  const ModelWindow* parent = Get(desc.parent);
  if (!parent || !parent->top_level) {
    if (status) *status = kWindowsControlError;
    return kNoWindow;
  }
  ModelWindow w;
  w.handle = NewHandle();
  w.kind = desc.kind;
  w.style = desc.style;
  w.parent = desc.parent;
  w.id = desc.id;
  w.rect = desc.rect;
  w.text = ToString(desc.text.IsStatus() ? StrLit("") : desc.text);
  w.caret = static_cast<uint16_t>(w.text.size());
  w.visible = (desc.style & kCtlVisible) != 0;
  const WinHandle handle = w.handle;
  windows_.emplace(handle, std::move(w));
  if (status) *status = kOk;
  return handle;
}

void WindowModel::DestroyWindow(WinHandle window) {
  ModelWindow* w = Get(window);
  if (!w) return;
  if (w->top_level) {
    for (WinHandle control : ControlsOf(window)) DestroyWindow(control);
    if (w->menu != kNoMenu) DestroyMenu(w->menu);
    if (menu_.active && menu_.window == window) menu_ = MenuTrack{};
    DropTimers(window);
    z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), window), z_order_.end());
    if (TopLevelOf(focus_) == window) focus_ = kNoWindow;
  } else {
    ModelWindow* parent = Get(w->parent);
    if (parent && parent->focus_child == window) parent->focus_child = kNoWindow;
    if (focus_ == window) focus_ = kNoWindow;
  }
  windows_.erase(window);
}

bool WindowModel::IsWindow(WinHandle window) { return Get(window) != nullptr; }

void WindowModel::Raise(WinHandle window) {
  auto it = std::find(z_order_.begin(), z_order_.end(), window);
  if (it == z_order_.end()) return;
  z_order_.erase(it);
  z_order_.push_back(window);
}

void WindowModel::ShowWindow(WinHandle window, uint8_t show) {
  ModelWindow* w = Get(window);
  if (!w) return;
  if (show == kShowHidden) {
    w->visible = false;
    if (TopLevelOf(focus_) == TopLevelOf(window) || focus_ == window) {
      focus_ = kNoWindow;
      const WinHandle next = KeyTarget();
      if (next != kNoWindow) SetFocus(next);
    }
    return;
  }
  w->visible = true;
  if (!w->top_level) return;
  w->maximized = show == kShowMaximized;
  if (w->topmost) return;
  Raise(window);
  if (w->enabled && TopLevelOf(focus_) != window) {
    const WinHandle child = w->focus_child;
    SetFocus(IsWindow(child) ? child : window);
  }
}

bool WindowModel::IsVisible(WinHandle window) {
  const ModelWindow* w = Get(window);
  return w && w->visible;
}

void WindowModel::EnableWindow(WinHandle window, bool enable) {
  if (ModelWindow* w = Get(window)) w->enabled = enable;
}

bool WindowModel::IsWindowEnabled(WinHandle window) {
  const ModelWindow* w = Get(window);
  return w && w->enabled;
}

// ---- Geometry --------------------------------------------------------------------------

void WindowModel::MoveWindow(WinHandle window, const Rect& rect) {
  if (ModelWindow* w = Get(window)) w->rect = rect;
}

Rect WindowModel::GetWindowRect(WinHandle window) {
  const ModelWindow* w = Get(window);
  if (!w) return {};
  if (w->top_level) return w->rect;
  // A control's rectangle in screen coordinates.
  const ModelWindow* parent = Get(w->parent);
  if (!parent) return w->rect;
  const bool with_menu = parent->menu != kNoMenu;
  const Insets frame = FrameInsets(parent->frame, with_menu);
  return Rect{parent->rect.x + frame.left + w->rect.x, parent->rect.y + frame.top + w->rect.y,
              w->rect.width, w->rect.height};
}

Rect WindowModel::GetClientRect(WinHandle window) {
  const ModelWindow* w = Get(window);
  if (!w) return {};
  if (!w->top_level) return Rect{0, 0, w->rect.width, w->rect.height};
  const Insets frame = FrameInsets(w->frame, w->menu != kNoMenu);
  return Rect{0, 0, std::max(0, w->rect.width - frame.left - frame.right),
              std::max(0, w->rect.height - frame.top - frame.bottom)};
}

// A character screen draws a frame as one cell on each side with the caption in the top
// border. A captioned window with a menu bar is the application's main window: the bar takes
// the top row and the caption the bottom row, as a status line.
Insets WindowModel::FrameInsets(FrameStyle frame, bool with_menu) {
  if (frame == FrameStyle::kBorderless) return {};
  if (frame == FrameStyle::kCaptioned && with_menu) return {0, cell_height_, 0, cell_height_};
  return {cell_width_, cell_height_ + (with_menu ? cell_height_ : 0), cell_width_, cell_height_};
}

Rect WindowModel::WorkArea() {
  return Rect{0, 0, kScreenColumns * cell_width_, kScreenRows * cell_height_};
}

Rect WindowModel::ScreenRect() { return WorkArea(); }

void WindowModel::SetCellGrid(int32_t width, int32_t height) {
  if (width > 0) cell_width_ = width;
  if (height > 0) cell_height_ = height;
}

// ---- Texts and identifiers -------------------------------------------------------------

bool WindowModel::SetText(WinHandle window, StrRef text) {
  ModelWindow* w = Get(window);
  if (!w || text.IsStatus()) return false;
  w->text = ToString(text);
  w->caret = static_cast<uint16_t>(w->text.size());
  w->all_selected = false;
  return true;
}

StrRef WindowModel::GetText(WinHandle window, uint16_t limit) {
  const ModelWindow* w = Get(window);
  if (!w) return StrError(kWindowsControlError);
  std::string_view text = w->text;
  if (w->kind == ControlKind::kComboBox && !w->top_level) {
    text = (w->current >= 0 && static_cast<size_t>(w->current) < w->items.size())
               ? std::string_view(w->items[static_cast<size_t>(w->current)])
               : std::string_view();
  }
  if (text.size() > limit) text = text.substr(0, limit);
  const uint16_t mark = StrAreaMark();
  return StrAreaReturn(mark, StrView(text));
}

WinHandle WindowModel::FindControl(WinHandle parent, uint16_t id) {
  for (const auto& [handle, w] : windows_) {
    if (!w.top_level && w.parent == parent && w.id == id) return handle;
  }
  return kNoWindow;
}

uint16_t WindowModel::ControlId(WinHandle control) {
  const ModelWindow* w = Get(control);
  return (w && !w->top_level) ? w->id : 0;
}

WinHandle WindowModel::ParentOf(WinHandle window) {
  const ModelWindow* w = Get(window);
  return w ? w->parent : kNoWindow;
}

bool WindowModel::IsControl(WinHandle window) {
  const ModelWindow* w = Get(window);
  return w && !w->top_level;
}

ControlKind WindowModel::KindOf(WinHandle control) {
  const ModelWindow* w = Get(control);
  return w ? w->kind : ControlKind::kStatic;
}

// ---- Focus -----------------------------------------------------------------------------

void WindowModel::SetFocus(WinHandle window) {
  ModelWindow* w = Get(window);
  if (!w || window == focus_ || !TakesInput(*w)) return;
  const WinHandle top = TopLevelOf(window);
  ModelWindow* top_window = Get(top);
  if (!top_window || !TakesInput(*top_window)) return;
  const WinHandle old = focus_;
  focus_ = window;
  if (!w->top_level) top_window->focus_child = window;
  if (!top_window->topmost) Raise(top);
  if (!w->top_level) ScrollIntoView(window);
  if (old != kNoWindow) {
    events_.push_back(HostEvent{EventKind::kKillFocus, old, 0, 0, 0, static_cast<int32_t>(window)});
  }
  events_.push_back(HostEvent{EventKind::kSetFocus, window, 0, 0, 0, static_cast<int32_t>(old)});
}

// A window larger than the screen scrolls so that the control that takes the focus is seen.
void WindowModel::ScrollIntoView(WinHandle control) {
  const ModelWindow* c = Get(control);
  if (!c) return;
  const WinHandle window = c->parent;
  ModelWindow* w = Get(window);
  if (!w) return;
  const Rect client = GetClientRect(window);
  const Rect at = c->rect;
  for (uint16_t bar : {kScrollHorizontal, kScrollVertical}) {
    ScrollBarState& state = w->scroll[bar];
    if (!state.shown) continue;
    const bool vertical = bar == kScrollVertical;
    const int32_t start = (vertical ? at.y : at.x) + state.position;
    const int32_t size = vertical ? at.height : at.width;
    const int32_t view = vertical ? client.height : client.width;
    const int32_t position = ScrollToShow(state.position, state.range, view, start, size);
    if (position == state.position) continue;
    const int32_t delta = state.position - position;
    state.position = position;
    ScrollChildren(window, vertical ? 0 : delta, vertical ? delta : 0);
  }
}

// ---- Control requests ------------------------------------------------------------------

void WindowModel::SetCheck(WinHandle control, bool checked) {
  if (ModelWindow* w = Get(control)) w->checked = checked;
}

bool WindowModel::IsChecked(WinHandle control) {
  const ModelWindow* w = Get(control);
  return w && w->checked;
}

void WindowModel::SetTextLimit(WinHandle control, uint16_t limit) {
  if (ModelWindow* w = Get(control)) w->text_limit = limit;
}

void WindowModel::SelectAllText(WinHandle control) {
  ModelWindow* w = Get(control);
  if (w && w->kind == ControlKind::kEdit) {
    w->all_selected = true;
    w->caret = static_cast<uint16_t>(w->text.size());
  }
}

void WindowModel::SetControlFont(WinHandle control, FontHandle font) {
  if (ModelWindow* w = Get(control)) w->font = font;
}

void WindowModel::SetBitmap(WinHandle control, BitmapHandle bitmap) {
  if (ModelWindow* w = Get(control)) w->bitmap = bitmap;
}

void WindowModel::SetButtonPressed(WinHandle control, bool pressed) {
  if (ModelWindow* w = Get(control)) w->pressed = pressed;
}

bool WindowModel::IsButtonPressed(WinHandle control) {
  const ModelWindow* w = Get(control);
  return w && w->pressed;
}

int32_t WindowModel::ListAdd(WinHandle control, StrRef text) {
  ModelWindow* w = Get(control);
  if (!w || !IsListKind(w->kind) || text.IsStatus()) return -1;
  w->items.push_back(ToString(text));
  return static_cast<int32_t>(w->items.size()) - 1;
}

void WindowModel::ListSetItemHeight(WinHandle control, int32_t height) {
  if (ModelWindow* w = Get(control)) w->item_height = height;
}

void WindowModel::ListSetCurrent(WinHandle control, int32_t index) {
  ModelWindow* w = Get(control);
  if (!w) return;
  w->current = (index >= 0 && static_cast<size_t>(index) < w->items.size()) ? index : -1;
}

int32_t WindowModel::ListCurrent(WinHandle control) {
  const ModelWindow* w = Get(control);
  return w ? w->current : -1;
}

int32_t WindowModel::ListCount(WinHandle control) {
  const ModelWindow* w = Get(control);
  return w ? static_cast<int32_t>(w->items.size()) : 0;
}

void WindowModel::ProgressSetRange(WinHandle control, int32_t low, int32_t high) {
  if (ModelWindow* w = Get(control)) {
    w->progress_low = low;
    w->progress_high = high;
  }
}

void WindowModel::ProgressSetPosition(WinHandle control, int32_t position) {
  if (ModelWindow* w = Get(control)) w->progress_position = position;
}

void WindowModel::PaintText(WinHandle window, StrRef text) {
  if (ModelWindow* w = Get(window)) w->painted = ToString(text.IsStatus() ? StrLit("") : text);
}

// ---- List views ------------------------------------------------------------------------

namespace {

ModelWindow* AsListView(ModelWindow* w) {
  return (w && !w->top_level && w->kind == ControlKind::kListView) ? w : nullptr;
}

}  // namespace

bool WindowModel::ListViewInsertColumn(WinHandle control, int32_t column, StrRef heading,
                                       int32_t width, bool right_aligned) {
  ModelWindow* view = AsListView(Get(control));
  if (!view || heading.IsStatus() || column < 0) return false;
  const size_t at = std::min(static_cast<size_t>(column), view->columns.size());
  view->columns.insert(view->columns.begin() + static_cast<std::ptrdiff_t>(at),
                       ModelColumn{ToString(heading), std::max(0, width), right_aligned});
  for (std::vector<std::string>& row : view->rows) {
    if (row.size() > at) row.insert(row.begin() + static_cast<std::ptrdiff_t>(at), std::string());
  }
  return true;
}

int32_t WindowModel::ListViewColumnWidth(WinHandle control, int32_t column) {
  const ModelWindow* view = AsListView(Get(control));
  if (!view || column < 0 || static_cast<size_t>(column) >= view->columns.size()) return -1;
  return view->columns[static_cast<size_t>(column)].width;
}

bool WindowModel::ListViewSetCell(WinHandle control, int32_t row, int32_t column, StrRef text) {
  ModelWindow* view = AsListView(Get(control));
  if (!view || text.IsStatus() || row < 0 || column < 0 ||
      static_cast<size_t>(column) >= view->columns.size()) {
    return false;
  }
  if (view->rows.size() <= static_cast<size_t>(row))
    view->rows.resize(static_cast<size_t>(row) + 1);
  std::vector<std::string>& cells = view->rows[static_cast<size_t>(row)];
  if (cells.size() <= static_cast<size_t>(column)) cells.resize(static_cast<size_t>(column) + 1);
  cells[static_cast<size_t>(column)] = ToString(text);
  return true;
}

int32_t WindowModel::ListViewRowCount(WinHandle control) {
  const ModelWindow* view = AsListView(Get(control));
  return view ? static_cast<int32_t>(view->rows.size()) : 0;
}

void WindowModel::ListViewDeleteRows(WinHandle control) {
  if (ModelWindow* view = AsListView(Get(control))) {
    view->rows.clear();
    view->current = -1;
    view->top_row = 0;
  }
}

int32_t WindowModel::ListViewSelection(WinHandle control) {
  const ModelWindow* view = AsListView(Get(control));
  return view ? view->current : -1;
}

void WindowModel::ListViewSelect(WinHandle control, int32_t row) {
  ModelWindow* view = AsListView(Get(control));
  if (!view) return;
  if (row < 0 || static_cast<size_t>(row) >= view->rows.size()) {
    view->current = -1;
    return;
  }
  view->current = row;
  ListViewShow(*view, row);
}

void WindowModel::ListViewShow(ModelWindow& view, int32_t row) {
  const int32_t page = ListViewPageRows(view, cell_height_);
  const int32_t count = static_cast<int32_t>(view.rows.size());
  view.top_row = ScrollToShow(view.top_row, std::max(0, count - page), page, row, 1);
}

int32_t WindowModel::ListViewTopRow(WinHandle control) {
  const ModelWindow* view = AsListView(Get(control));
  return view ? view->top_row : 0;
}

void WindowModel::ListViewScroll(WinHandle control, int32_t rows) {
  ModelWindow* view = AsListView(Get(control));
  if (!view) return;
  const int32_t count = static_cast<int32_t>(view->rows.size());
  const int32_t last_top = std::max(0, count - ListViewPageRows(*view, cell_height_));
  view->top_row = std::clamp(view->top_row + rows, 0, last_top);
}

Rect WindowModel::ListViewCellRect(WinHandle control, int32_t row, int32_t column) {
  const ModelWindow* view = AsListView(Get(control));
  if (!view || column < 0 || static_cast<size_t>(column) >= view->columns.size()) return {};
  int32_t x = 0;
  for (int32_t i = 0; i < column; ++i) x += view->columns[static_cast<size_t>(i)].width;
  return Rect{x, (row - view->top_row + 1) * cell_height_,
              view->columns[static_cast<size_t>(column)].width, cell_height_};
}

// ---- Scrolling -------------------------------------------------------------------------

void WindowModel::SetScrollBar(WinHandle window, uint16_t bar, const ScrollBarState& state) {
  ModelWindow* w = Get(window);
  if (w && bar <= kScrollVertical) w->scroll[bar] = state;
}

ScrollBarState WindowModel::GetScrollBar(WinHandle window, uint16_t bar) {
  const ModelWindow* w = Get(window);
  return (w && bar <= kScrollVertical) ? w->scroll[bar] : ScrollBarState{};
}

void WindowModel::ScrollChildren(WinHandle window, int32_t dx, int32_t dy) {
  for (WinHandle control : ControlsOf(window)) {
    ModelWindow* c = Get(control);
    c->rect.x += dx;
    c->rect.y += dy;
  }
}

// ---- Fonts and bitmaps -----------------------------------------------------------------

FontHandle WindowModel::CreateFont(const FontDesc& desc) {
  Font font{desc, ToString(desc.face.IsStatus() ? StrLit("") : desc.face)};
  font.desc.face = StrRef{};
  fonts_.push_back(std::move(font));
  return static_cast<FontHandle>(fonts_.size()) + 2;
}

FontHandle WindowModel::GetStockFont(StockFont font) { return font == StockFont::kSystem ? 1 : 2; }

TextMetrics WindowModel::GetTextMetrics(FontHandle font) {
  if (font >= 3 && font - 3 < fonts_.size()) {
    const FontDesc& desc = fonts_[font - 3].desc;
    return TextMetrics{desc.height, desc.width};
  }
  return kStockMetrics;
}

BitmapHandle WindowModel::LoadBitmapResource(uint16_t) { return kNoBitmap; }

BitmapHandle WindowModel::LoadBitmapFile(StrRef path) {
  if (path.IsStatus() || path.empty() || !CurrentFileSystem().Exists(path.view())) {
    return kNoBitmap;
  }
  bitmaps_.push_back(ToString(path));
  return static_cast<BitmapHandle>(bitmaps_.size());
}

// ---- Menus -----------------------------------------------------------------------------

MenuHandle WindowModel::CreateMenuBar() {
  const MenuHandle handle = next_menu_++;
  menus_[handle].bar = true;
  return handle;
}

MenuHandle WindowModel::CreatePopupMenu() {
  const MenuHandle handle = next_menu_++;
  menus_[handle].bar = false;
  return handle;
}

bool WindowModel::AppendMenuItem(MenuHandle menu, uint16_t id, StrRef caption) {
  auto it = menus_.find(menu);
  if (it == menus_.end() || caption.IsStatus()) return false;
  it->second.items.push_back(ModelMenuItem{id, ToString(caption), kNoMenu});
  return true;
}

bool WindowModel::AppendSubMenu(MenuHandle menu, MenuHandle popup, StrRef caption) {
  auto it = menus_.find(menu);
  if (it == menus_.end() || menus_.find(popup) == menus_.end() || caption.IsStatus()) {
    return false;
  }
  it->second.items.push_back(ModelMenuItem{0, ToString(caption), popup});
  return true;
}

bool WindowModel::SetWindowMenu(WinHandle window, MenuHandle menu) {
  ModelWindow* w = Get(window);
  if (!w || !w->top_level || (menu != kNoMenu && menus_.find(menu) == menus_.end())) return false;
  w->menu = menu;
  return true;
}

MenuHandle WindowModel::GetWindowMenu(WinHandle window) {
  const ModelWindow* w = Get(window);
  return w ? w->menu : kNoMenu;
}

void WindowModel::DestroyMenu(MenuHandle menu) {
  auto it = menus_.find(menu);
  if (it == menus_.end()) return;
  std::vector<MenuHandle> popups;
  for (const ModelMenuItem& item : it->second.items) {
    if (item.popup != kNoMenu) popups.push_back(item.popup);
  }
  menus_.erase(it);
  for (MenuHandle popup : popups) DestroyMenu(popup);
  for (auto& [handle, w] : windows_) {
    if (w.menu == menu) w.menu = kNoMenu;
  }
}

Point WindowModel::GetCursorPos() {
  const Rect screen = ScreenRect();
  return Point{screen.width / 2, screen.height / 2};
}

uint16_t WindowModel::TrackPopupMenu(MenuHandle menu, Point at, WinHandle owner) {
  const ModelMenu* popup = Menu(menu);
  if (!popup || popup->items.empty() || menu_.active) return 0;
  const int32_t rows = static_cast<int32_t>(popup->items.size()) + 2;
  const int32_t width = MenuBoxWidth(*popup);
  MenuTrack::Level level;
  level.menu = menu;
  level.column = std::clamp(at.x / cell_width_, 0, std::max(0, kScreenColumns - width));
  level.row = std::clamp(at.y / cell_height_ - rows + 1, 0, std::max(0, kScreenRows - rows));
  menu_ = MenuTrack{};
  menu_.active = true;
  menu_.popup_only = true;
  menu_.window = owner;
  menu_.levels.push_back(level);
  while (!menu_.ended) {
    if (!PullInput(InputWait::kForMenu)) break;
  }
  const uint16_t chosen = menu_.ended ? menu_.chosen : 0;
  menu_ = MenuTrack{};
  return chosen;
}

void WindowModel::MenuOpen(WinHandle window, char letter) {
  const ModelWindow* w = Get(window);
  if (!w || w->menu == kNoMenu || !TakesInput(*w)) return;
  const ModelMenu* bar = Menu(w->menu);
  if (!bar || bar->items.empty()) return;
  menu_ = MenuTrack{};
  menu_.active = true;
  menu_.window = window;
  menu_.levels.push_back(MenuTrack::Level{w->menu, 0, 1, 0});
  if (letter != 0) {
    menu_.typed = std::string(1, letter);
    if (!MenuSelectTyped()) {
      menu_ = MenuTrack{};
      return;
    }
    menu_.typed.clear();
    MenuChoose();
  }
}

void WindowModel::MenuOpenLevel(MenuHandle popup) {
  const MenuTrack::Level& parent = menu_.levels.back();
  const ModelMenu* parent_menu = Menu(parent.menu);
  MenuTrack::Level level;
  level.menu = popup;
  if (parent_menu->bar) {
    level.column = std::max(0, MenuBarItemColumn(*parent_menu, parent.highlighted) - 1);
    level.row = 1;
  } else {
    level.column = parent.column + MenuBoxWidth(*parent_menu) - 1;
    level.row = parent.row + 1 + parent.highlighted;
  }
  if (const ModelMenu* m = Menu(popup)) {
    level.column = std::clamp(level.column, 0, std::max(0, kScreenColumns - MenuBoxWidth(*m)));
    const int32_t rows = static_cast<int32_t>(m->items.size()) + 2;
    level.row = std::clamp(level.row, 0, std::max(0, kScreenRows - rows));
  }
  menu_.levels.push_back(level);
}

bool WindowModel::MenuSelectTyped() {
  MenuTrack::Level& level = menu_.levels.back();
  const ModelMenu* menu = Menu(level.menu);
  if (!menu) return false;
  for (size_t i = 0; i < menu->items.size(); ++i) {
    if (StartsWithNoCase(menu->items[i].caption, menu_.typed)) {
      level.highlighted = static_cast<int32_t>(i);
      return true;
    }
  }
  return false;
}

void WindowModel::MenuChoose() {
  const MenuTrack::Level& level = menu_.levels.back();
  const ModelMenu* menu = Menu(level.menu);
  if (!menu || menu->items.empty()) return;
  const ModelMenuItem& item = menu->items[static_cast<size_t>(level.highlighted)];
  if (item.popup != kNoMenu) {
    const ModelMenu* popup = Menu(item.popup);
    if (popup && !popup->items.empty()) MenuOpenLevel(item.popup);
    return;
  }
  MenuEnd(item.id);
}

void WindowModel::MenuEnd(uint16_t chosen) {
  if (menu_.popup_only) {
    menu_.chosen = chosen;
    menu_.ended = true;
    return;
  }
  const WinHandle window = menu_.window;
  menu_ = MenuTrack{};
  if (chosen != 0) {
    events_.push_back(HostEvent{EventKind::kCommand, window, 0, chosen, 0, 0});
  }
}

void WindowModel::MenuKey(const KeyInput& key) {
  MenuTrack::Level& level = menu_.levels.back();
  const ModelMenu* menu = Menu(level.menu);
  if (!menu || menu->items.empty()) {
    MenuEnd(0);
    return;
  }
  const int32_t count = static_cast<int32_t>(menu->items.size());
  const bool at_bar = menu->bar;
  auto move = [&](int32_t delta) {
    level.highlighted = (level.highlighted + delta + count) % count;
  };
  // From a popup of the bar, Left and Right go to the neighbouring popup of the bar.
  auto switch_bar_popup = [&](int32_t delta) {
    menu_.levels.resize(1);
    MenuTrack::Level& bar = menu_.levels.front();
    const int32_t bar_count = static_cast<int32_t>(Menu(bar.menu)->items.size());
    bar.highlighted = (bar.highlighted + delta + bar_count) % bar_count;
    MenuChoose();
  };
  if (key.ch >= 32 && (key.mods & (kModCtrl | kModAlt)) == 0) {
    menu_.typed.push_back(key.ch);
    if (!MenuSelectTyped()) {
      menu_.typed.assign(1, key.ch);
      (void)MenuSelectTyped();
    }
    return;
  }
  menu_.typed.clear();
  switch (key.vk) {
    case kVkEscape:
      if (menu_.levels.size() > 1) {
        menu_.levels.pop_back();
      } else {
        MenuEnd(0);
      }
      break;
    case kVkF10:
      if (!menu_.popup_only) MenuEnd(0);
      break;
    case kVkReturn:
      MenuChoose();
      break;
    case kVkUp:
      if (!at_bar) move(-1);
      break;
    case kVkDown:
      if (at_bar) {
        MenuChoose();
      } else {
        move(1);
      }
      break;
    case kVkLeft:
      if (at_bar) {
        move(-1);
      } else if (menu_.levels.size() > 2 || menu_.popup_only) {
        if (menu_.levels.size() > 1) menu_.levels.pop_back();
      } else {
        switch_bar_popup(-1);
      }
      break;
    case kVkRight:
      if (at_bar) {
        move(1);
      } else if (menu->items[static_cast<size_t>(level.highlighted)].popup != kNoMenu) {
        MenuChoose();
      } else if (!menu_.popup_only) {
        switch_bar_popup(1);
      }
      break;
    case kVkHome:
      level.highlighted = 0;
      break;
    case kVkEnd:
      level.highlighted = count - 1;
      break;
    default:
      break;
  }
}

// ---- Timers and events -----------------------------------------------------------------

uint32_t WindowModel::TickCount() {
  using namespace std::chrono;
  return static_cast<uint32_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void WindowModel::SetTimer(WinHandle window, uint16_t id, uint32_t milliseconds) {
  KillTimer(window, id);
  timers_.push_back(Timer{window, id, milliseconds, TickCount() + milliseconds});
}

void WindowModel::KillTimer(WinHandle window, uint16_t id) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.window == window && t.id == id; }),
                timers_.end());
}

void WindowModel::DropTimers(WinHandle window) {
  timers_.erase(std::remove_if(timers_.begin(), timers_.end(),
                               [&](const Timer& t) { return t.window == window; }),
                timers_.end());
}

int64_t WindowModel::MillisecondsToNextTimer() {
  if (timers_.empty()) return -1;
  const uint32_t now = TickCount();
  int64_t soonest = std::numeric_limits<int64_t>::max();
  for (const Timer& t : timers_) {
    soonest = std::min<int64_t>(soonest, std::max<int32_t>(0, static_cast<int32_t>(t.due - now)));
  }
  return soonest;
}

void WindowModel::FireDueTimers() {
  if (timers_.empty()) return;
  const uint32_t now = TickCount();
  for (Timer& t : timers_) {
    if (static_cast<int32_t>(now - t.due) < 0) continue;
    t.due = now + t.interval;
    const bool pending = std::any_of(events_.begin(), events_.end(), [&](const HostEvent& e) {
      return e.kind == EventKind::kTimer && e.target == t.window && e.id == t.id;
    });
    if (!pending) events_.push_back(HostEvent{EventKind::kTimer, t.window, 0, t.id, 0, 0});
  }
}

void WindowModel::PostEvent(const HostEvent& event) { events_.push_back(event); }

bool WindowModel::GetEvent(HostEvent* event, ReadMode mode) {
  for (;;) {
    while (!events_.empty()) {
      const HostEvent next = events_.front();
      events_.pop_front();
      // Events of a window that is gone are dropped, as the platform does.
      if (next.kind != EventKind::kQuit && !IsWindow(next.target)) continue;
      *event = next;
      return true;
    }
    if (mode == ReadMode::kQueuedOnly) return false;
    FireDueTimers();
    if (!events_.empty()) continue;
    const bool got = PullInput(mode == ReadMode::kWait ? InputWait::kForEvent : InputWait::kPoll);
    if (got) continue;
    if (mode != ReadMode::kWait) return false;
    *event = HostEvent{EventKind::kQuit, kNoWindow, 0, 0, 0, 0};
    return true;
  }
}

// ---- Input -----------------------------------------------------------------------------

void WindowModel::Input(const KeyInput& key) {
  if (menu_.active) {
    MenuKey(key);
    return;
  }
  const WinHandle target = KeyTarget();
  if (target == kNoWindow) return;
  auto push = [&](EventKind kind, uint16_t code, uint16_t mods) {
    events_.push_back(HostEvent{kind, target, code, 0, mods, 0});
  };
  const bool shift = (key.mods & kModShift) && key.vk != kVkShift;
  const bool ctrl = (key.mods & kModCtrl) && key.vk != kVkControl;
  if (shift) push(EventKind::kKeyDown, kVkShift, key.mods);
  if (ctrl) push(EventKind::kKeyDown, kVkControl, key.mods);
  push(EventKind::kKeyDown, key.vk, key.mods);
  if (key.ch != 0) push(EventKind::kChar, static_cast<unsigned char>(key.ch), key.mods);
  if (ctrl) push(EventKind::kKeyUp, kVkControl, 0);
  if (shift) push(EventKind::kKeyUp, kVkShift, 0);
}

void WindowModel::CancelMenu() {
  if (!menu_.active) return;
  if (menu_.popup_only) {
    MenuEnd(0);
  } else {
    menu_ = MenuTrack{};
  }
}

void WindowModel::ClickMenuBar(WinHandle window, int32_t item) {
  const ModelWindow* w = Get(window);
  if (!w || w->menu == kNoMenu) return;
  const ModelMenu* bar = Menu(w->menu);
  if (!bar || item < 0 || static_cast<size_t>(item) >= bar->items.size()) return;
  if (menu_.active && !menu_.popup_only && menu_.window == window) {
    if (menu_.levels.front().highlighted == item && menu_.levels.size() > 1) {
      menu_ = MenuTrack{};
      return;
    }
  } else {
    if (menu_.active) return;
    MenuOpen(window, 0);
    if (!menu_.active) return;
  }
  menu_.levels.resize(1);
  menu_.levels.front().highlighted = item;
  menu_.typed.clear();
  MenuChoose();
}

void WindowModel::ClickMenuItem(size_t level, int32_t item) {
  if (!menu_.active || level >= menu_.levels.size()) return;
  const ModelMenu* menu = Menu(menu_.levels[level].menu);
  if (!menu || item < 0 || static_cast<size_t>(item) >= menu->items.size()) return;
  menu_.levels.resize(level + 1);
  menu_.levels.back().highlighted = item;
  menu_.typed.clear();
  MenuChoose();
}

void WindowModel::ClickListEntry(WinHandle control, int32_t index, bool twice) {
  ModelWindow* w = Get(control);
  if (!w || w->top_level || !TakesInput(*w)) return;
  const ModelWindow* parent = Get(w->parent);
  if (!parent || !TakesInput(*parent)) return;
  SetFocus(control);
  if (w->kind == ControlKind::kListView) {
    ListViewSelect(control, index);
    return;
  }
  if (!IsListKind(w->kind) || index < 0 || static_cast<size_t>(index) >= w->items.size()) return;
  if (w->current != index) {
    w->current = index;
    const uint16_t code = w->kind == ControlKind::kComboBox ? kNotifySelEndOk : kNotifySelChange;
    events_.push_back(
        HostEvent{EventKind::kCommand, w->parent, 0, w->id, code, static_cast<int32_t>(control)});
  }
  if (twice && w->kind == ControlKind::kListBox) Click(control);
}

void WindowModel::Click(WinHandle control) {
  ModelWindow* w = Get(control);
  if (!w || w->top_level || !TakesInput(*w)) return;
  const ModelWindow* parent = Get(w->parent);
  if (!parent || !TakesInput(*parent)) return;
  switch (w->kind) {
    case ControlKind::kCheckBox:
      w->checked = !w->checked;
      [[fallthrough]];
    case ControlKind::kButton:
      events_.push_back(HostEvent{EventKind::kCommand, w->parent, 0, w->id, kNotifyClicked,
                                  static_cast<int32_t>(control)});
      break;
    case ControlKind::kListBox:
      if (w->current >= 0) {
        events_.push_back(HostEvent{EventKind::kCommand, w->parent, 0, w->id, kNotifyDoubleClick,
                                    static_cast<int32_t>(control)});
      }
      break;
    default:
      SetFocus(control);
      break;
  }
}

void WindowModel::FocusNextTabStop(WinHandle from, bool backwards) {
  const WinHandle window = TopLevelOf(from);
  std::vector<WinHandle> stops;
  for (WinHandle control : ControlsOf(window)) {
    const ModelWindow* c = Get(control);
    if ((c->style & kCtlTabStop) && TakesInput(*c)) stops.push_back(control);
  }
  if (stops.empty()) return;
  auto it = std::find(stops.begin(), stops.end(), from);
  size_t next = 0;
  if (it != stops.end()) {
    const size_t at = static_cast<size_t>(it - stops.begin());
    next = backwards ? (at + stops.size() - 1) % stops.size() : (at + 1) % stops.size();
  } else if (backwards) {
    next = stops.size() - 1;
  }
  SetFocus(stops[next]);
}

void WindowModel::EditKey(ModelWindow& edit, uint16_t vk) {
  const uint16_t length = static_cast<uint16_t>(edit.text.size());
  switch (vk) {
    case kVkLeft:
      if (edit.caret > 0) --edit.caret;
      break;
    case kVkRight:
      if (edit.caret < length) ++edit.caret;
      break;
    case kVkHome:
      edit.caret = 0;
      break;
    case kVkEnd:
      edit.caret = length;
      break;
    case kVkDelete:
      if (edit.style & kCtlReadOnly) break;
      if (edit.all_selected) {
        edit.text.clear();
        edit.caret = 0;
      } else if (edit.caret < length) {
        edit.text.erase(edit.caret, 1);
      }
      break;
    default:
      return;
  }
  edit.all_selected = false;
}

void WindowModel::EditChar(ModelWindow& edit, char ch) {
  if (edit.style & kCtlReadOnly) return;
  const unsigned char byte = static_cast<unsigned char>(ch);
  if (byte == 8) {
    if (edit.all_selected) {
      edit.text.clear();
      edit.caret = 0;
    } else if (edit.caret > 0) {
      edit.text.erase(--edit.caret, 1);
    }
    edit.all_selected = false;
    return;
  }
  if (byte < 32) return;
  if (edit.all_selected) {
    edit.text.clear();
    edit.caret = 0;
    edit.all_selected = false;
  }
  if (edit.text_limit != 0 && edit.text.size() >= edit.text_limit) return;
  if (edit.text.size() >= kMaxStrLen) return;
  edit.text.insert(edit.caret, 1, ch);
  ++edit.caret;
}

void WindowModel::ListKey(ModelWindow& list, uint16_t vk) {
  const int32_t count = static_cast<int32_t>(list.items.size());
  if (count == 0) return;
  int32_t current = list.current;
  switch (vk) {
    case kVkUp:
      current = std::max(0, current - 1);
      break;
    case kVkDown:
      current = std::min(count - 1, current + 1);
      break;
    case kVkPrior:
      current = std::max(0, current - 10);
      break;
    case kVkNext:
      current = std::min(count - 1, std::max(0, current) + 10);
      break;
    case kVkHome:
      current = 0;
      break;
    case kVkEnd:
      current = count - 1;
      break;
    case kVkReturn:
      // Enter stands in for the double click that picks an entry.
      if (list.kind == ControlKind::kListBox && list.current >= 0) {
        events_.push_back(HostEvent{EventKind::kCommand, list.parent, 0, list.id,
                                    kNotifyDoubleClick, static_cast<int32_t>(list.handle)});
      }
      return;
    default:
      return;
  }
  if (current == list.current) return;
  list.current = current;
  const uint16_t code = list.kind == ControlKind::kComboBox ? kNotifySelEndOk : kNotifySelChange;
  events_.push_back(HostEvent{EventKind::kCommand, list.parent, 0, list.id, code,
                              static_cast<int32_t>(list.handle)});
}

void WindowModel::DefaultEvent(const HostEvent& event) {
  ModelWindow* w = Get(event.target);
  if (!w) return;
  if (event.kind == EventKind::kChar) {
    if (!w->top_level && w->kind == ControlKind::kEdit) EditChar(*w, static_cast<char>(event.key));
    return;
  }
  if (event.kind != EventKind::kKeyDown) return;
  const uint16_t vk = event.key;
  const uint16_t mods = event.code;
  const WinHandle top = TopLevelOf(event.target);
  if ((vk == kVkF10 && mods == 0) ||
      ((mods & kModAlt) && ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')))) {
    MenuOpen(top, vk == kVkF10 ? 0 : static_cast<char>(vk));
    return;
  }
  if (vk == kVkTab && !(mods & kModCtrl)) {
    FocusNextTabStop(event.target, (mods & kModShift) != 0);
    return;
  }
  if (w->top_level) return;
  switch (w->kind) {
    case ControlKind::kEdit:
      EditKey(*w, vk);
      break;
    case ControlKind::kButton:
    case ControlKind::kCheckBox:
      if (vk == kVkSpace || vk == kVkReturn) Click(event.target);
      break;
    case ControlKind::kListBox:
    case ControlKind::kComboBox:
      ListKey(*w, vk);
      break;
    case ControlKind::kListView:
      ListViewKey(*w, vk);
      break;
    default:
      break;
  }
}

void WindowModel::ListViewKey(ModelWindow& view, uint16_t vk) {
  const int32_t count = static_cast<int32_t>(view.rows.size());
  if (count == 0) return;
  const int32_t page = ListViewPageRows(view, cell_height_);
  int32_t row = view.current;
  switch (vk) {
    case kVkUp:
      row = std::max(0, row - 1);
      break;
    case kVkDown:
      row = std::min(count - 1, row + 1);
      break;
    case kVkPrior:
      row = std::max(0, row - page);
      break;
    case kVkNext:
      row = std::min(count - 1, std::max(0, row) + page);
      break;
    case kVkHome:
      row = 0;
      break;
    case kVkEnd:
      row = count - 1;
      break;
    default:
      return;
  }
  view.current = row;
  ListViewShow(view, row);
}

// ---- Message boxes ---------------------------------------------------------------------

void WindowModel::BoxShow(StrRef text, StrRef title, int kind) {
  box_ = ModelBox{true, ToString(title.IsStatus() ? StrLit("") : title),
                  ToString(text.IsStatus() ? StrLit("") : text), kind, 0};
}

bool WindowModel::BoxClick(int index, BoxButton* answer) {
  const BoxStyle style = MessageBoxStyle(box_.kind);
  if (!box_.shown || index < 0 || index >= style.button_count) return false;
  box_.focused = index;
  *answer = style.buttons[static_cast<size_t>(index)];
  return true;
}

bool WindowModel::BoxKey(const KeyInput& key, BoxButton* answer) {
  if (!box_.shown) return false;
  const BoxStyle style = MessageBoxStyle(box_.kind);
  auto has = [&](BoxButton b) { return style.Has(b); };
  switch (key.vk) {
    case kVkReturn:
    case kVkSpace:
      *answer = style.buttons[static_cast<size_t>(box_.focused)];
      return true;
    case kVkEscape:
      *answer = has(BoxButton::kCancel) ? BoxButton::kCancel
                : has(BoxButton::kNo)   ? BoxButton::kNo
                                        : style.default_button();
      return true;
    case kVkTab:
    case kVkRight:
    case kVkDown:
    case kVkLeft:
    case kVkUp: {
      const bool back =
          key.vk == kVkLeft || key.vk == kVkUp || (key.vk == kVkTab && (key.mods & kModShift));
      box_.focused = (box_.focused + (back ? style.button_count - 1 : 1)) % style.button_count;
      return false;
    }
    default:
      break;
  }
  const char letter = key.ch;
  if (static_cast<unsigned char>(letter) <= ' ' || (key.mods & (kModCtrl | kModAlt))) return false;
  for (uint8_t i = 0; i < style.button_count; ++i) {
    const StrRef caption = BoxButtonCaption(style.buttons[i]);
    if (!caption.empty() && AsciiUpper(caption[0]) == AsciiUpper(letter)) {
      return BoxClick(i, answer);
    }
  }
  // The language's answer letters, where they differ from the captions' own.
  if (AsciiUpper(letter) == AsciiUpper(PositiveAnswer())) {
    for (BoxButton b : {BoxButton::kYes, BoxButton::kOk, BoxButton::kRetry}) {
      if (has(b)) {
        *answer = b;
        return true;
      }
    }
  }
  if (AsciiUpper(letter) == AsciiUpper(NegativeAnswer()) && has(BoxButton::kNo)) {
    *answer = BoxButton::kNo;
    return true;
  }
  return false;
}

}  // namespace engine
