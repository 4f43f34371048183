// WindowModel: the windows, controls and menus of a WindowHost kept as plain in-memory records,
// with what the platform itself does on its own: typing into edit boxes, moving in lists,
// clicking focused buttons, the focus and the stacking order, the menu bar's keyboard mode
// (F10 or Alt+letter), popup menus, timers and the event queue.
//
// The model draws nothing. A concrete host derives from it, feeds it the user's keys (Input,
// Click) from wherever they come from, answers message boxes, and shows the model as it likes:
// the headless host as a text dump, the terminal host on a character screen.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "engine/ui/window_host.h"

namespace engine {

struct ModelMenuItem {
  uint16_t id = 0;  // 0 for a sub-menu
  std::string caption;
  MenuHandle popup = kNoMenu;  // the sub-menu, when this item opens one
};

struct ModelMenu {
  bool bar = false;
  std::vector<ModelMenuItem> items;
};

// The column of a character screen where item `item` of a menu bar begins (its caption; the
// items are separated by two blanks, the first at column 1).
int32_t MenuBarItemColumn(const ModelMenu& bar, int32_t item);
// Width in cells of a popup menu's box: border, blank, caption, marker, border.
int32_t MenuBoxWidth(const ModelMenu& menu);

// A column of a list view.
struct ModelColumn {
  std::string heading;
  int32_t width = 0;  // pixels
  bool right_aligned = false;
};

struct ModelWindow {
  WinHandle handle = kNoWindow;
  bool top_level = false;
  // Top-level windows.
  std::string class_name;
  FrameStyle frame = FrameStyle::kCaptioned;
  bool topmost = false;
  bool maximized = false;
  MenuHandle menu = kNoMenu;
  WinHandle focus_child = kNoWindow;  // the control that had the focus last
  std::string painted;                // text painted over the client area
  ScrollBarState scroll[2];
  // Controls.
  ControlKind kind = ControlKind::kStatic;
  uint16_t id = 0;
  uint32_t style = 0;
  FontHandle font = kNoFont;
  BitmapHandle bitmap = kNoBitmap;
  uint16_t text_limit = 0;  // 0: no limit
  uint16_t caret = 0;
  bool all_selected = false;
  bool checked = false;
  bool pressed = false;
  std::vector<std::string> items;
  int32_t current = -1;  // a list's current entry, a list view's selected row
  int32_t item_height = 0;
  int32_t progress_low = 0;
  int32_t progress_high = 100;
  int32_t progress_position = 0;
  std::vector<ModelColumn> columns;  // list views
  std::vector<std::vector<std::string>> rows;
  int32_t top_row = 0;
  // Both.
  WinHandle parent = kNoWindow;  // a control's window, a top-level window's owner
  Rect rect;
  std::string text;
  bool visible = false;
  bool enabled = true;
};

// A key as the user pressed it: the virtual key, the modifiers held, and the character it
// types (0 for none).
struct KeyInput {
  uint16_t vk = 0;
  uint16_t mods = 0;
  char ch = 0;
};
// The key that types one character (Windows-1252): its letter or digit key, the space bar, or
// no key of its own.
KeyInput CharKey(char ch);

// The keyboard mode of a menu: the bar (or a popup menu) and the popups opened from it.
struct MenuTrack {
  struct Level {
    MenuHandle menu = kNoMenu;
    int32_t highlighted = 0;
    int32_t column = 0;  // character cell where the level is drawn
    int32_t row = 0;
  };
  bool active = false;
  bool popup_only = false;  // a popup menu (TrackPopupMenu), not the bar
  WinHandle window = kNoWindow;
  std::vector<Level> levels;  // levels[0] is the bar (or the popup menu)
  std::string typed;          // letters typed to find an item by its caption
  uint16_t chosen = 0;
  bool ended = false;
};

// The rows of a list view that show data: its height in cells less the heading row (at least 1).
int32_t ListViewPageRows(const ModelWindow& view, int32_t cell_height);

// The scroll position (0..range) that brings the span [start, start + size) of a scrolled
// content into a view of `view` units at `position`, moving as little as possible; a span
// larger than the view shows its start. Positions and spans are in content coordinates.
int32_t ScrollToShow(int32_t position, int32_t range, int32_t view, int32_t start, int32_t size);

// A message box while it is shown.
struct ModelBox {
  bool shown = false;
  std::string title;
  std::string text;
  int kind = 0;
  int focused = 0;  // the button that has the focus
};

// Where a host looks for input.
enum class InputWait : uint8_t {
  kPoll,      // only what is already there
  kForEvent,  // the engine waits for its next event
  kForMenu,   // a popup menu waits for its choice
};

class WindowModel : public WindowHost {
 public:
  WindowModel();
  ~WindowModel() override;

  [[nodiscard]] Status RegisterWindowClass(StrRef name) override;
  bool IsClassRegistered(StrRef name) override;
  WinHandle CreateTopWindow(const WindowDesc& desc, Status* status) override;
  WinHandle CreateControl(const ControlDesc& desc, Status* status) override;
  void DestroyWindow(WinHandle window) override;
  bool IsWindow(WinHandle window) override;
  void ShowWindow(WinHandle window, uint8_t show) override;
  bool IsVisible(WinHandle window) override;
  void EnableWindow(WinHandle window, bool enable) override;
  bool IsWindowEnabled(WinHandle window) override;
  void UpdateWindow(WinHandle) override {}

  void MoveWindow(WinHandle window, const Rect& rect) override;
  Rect GetWindowRect(WinHandle window) override;
  Rect GetClientRect(WinHandle window) override;
  Insets FrameInsets(FrameStyle frame, bool with_menu) override;
  Rect WorkArea() override;
  Rect ScreenRect() override;
  void SetCellGrid(int32_t width, int32_t height) override;

  bool SetText(WinHandle window, StrRef text) override;
  StrRef GetText(WinHandle window, uint16_t limit) override;
  WinHandle FindControl(WinHandle parent, uint16_t id) override;
  uint16_t ControlId(WinHandle control) override;
  WinHandle ParentOf(WinHandle window) override;
  bool IsControl(WinHandle window) override;
  ControlKind KindOf(WinHandle control) override;

  void SetFocus(WinHandle window) override;
  WinHandle GetFocus() override { return focus_; }

  void SetCheck(WinHandle control, bool checked) override;
  bool IsChecked(WinHandle control) override;
  void SetTextLimit(WinHandle control, uint16_t limit) override;
  void SelectAllText(WinHandle control) override;
  void SetControlFont(WinHandle control, FontHandle font) override;
  void SetBitmap(WinHandle control, BitmapHandle bitmap) override;
  void SetButtonPressed(WinHandle control, bool pressed) override;
  bool IsButtonPressed(WinHandle control) override;
  int32_t ListAdd(WinHandle control, StrRef text) override;
  void ListSetItemHeight(WinHandle control, int32_t height) override;
  void ListSetCurrent(WinHandle control, int32_t index) override;
  int32_t ListCurrent(WinHandle control) override;
  int32_t ListCount(WinHandle control) override;
  void ProgressSetRange(WinHandle control, int32_t low, int32_t high) override;
  void ProgressSetPosition(WinHandle control, int32_t position) override;
  void PaintText(WinHandle window, StrRef text) override;

  bool ListViewInsertColumn(WinHandle control, int32_t column, StrRef heading, int32_t width,
                            bool right_aligned) override;
  int32_t ListViewColumnWidth(WinHandle control, int32_t column) override;
  bool ListViewSetCell(WinHandle control, int32_t row, int32_t column, StrRef text) override;
  int32_t ListViewRowCount(WinHandle control) override;
  void ListViewDeleteRows(WinHandle control) override;
  int32_t ListViewSelection(WinHandle control) override;
  void ListViewSelect(WinHandle control, int32_t row) override;
  int32_t ListViewTopRow(WinHandle control) override;
  void ListViewScroll(WinHandle control, int32_t rows) override;
  Rect ListViewCellRect(WinHandle control, int32_t row, int32_t column) override;

  void SetScrollBar(WinHandle window, uint16_t bar, const ScrollBarState& state) override;
  ScrollBarState GetScrollBar(WinHandle window, uint16_t bar) override;
  void ScrollChildren(WinHandle window, int32_t dx, int32_t dy) override;

  FontHandle CreateFont(const FontDesc& desc) override;
  FontHandle GetStockFont(StockFont font) override;
  TextMetrics GetTextMetrics(FontHandle font) override;
  BitmapHandle LoadBitmapResource(uint16_t id) override;
  BitmapHandle LoadBitmapFile(StrRef path) override;

  MenuHandle CreateMenuBar() override;
  MenuHandle CreatePopupMenu() override;
  bool AppendMenuItem(MenuHandle menu, uint16_t id, StrRef caption) override;
  bool AppendSubMenu(MenuHandle menu, MenuHandle popup, StrRef caption) override;
  bool SetWindowMenu(WinHandle window, MenuHandle menu) override;
  MenuHandle GetWindowMenu(WinHandle window) override;
  uint16_t TrackPopupMenu(MenuHandle menu, Point at, WinHandle owner) override;
  void DestroyMenu(MenuHandle menu) override;
  Point GetCursorPos() override;

  // The steady clock in milliseconds.
  uint32_t TickCount() override;
  void SetTimer(WinHandle window, uint16_t id, uint32_t milliseconds) override;
  void KillTimer(WinHandle window, uint16_t id) override;
  void PostEvent(const HostEvent& event) override;
  bool GetEvent(HostEvent* event, ReadMode mode) override;
  void DefaultEvent(const HostEvent& event) override;

  // -- Input from the concrete host
  // A key press: in the menu's keyboard mode it moves through the menu; otherwise it becomes
  // key events for the focused window.
  void Input(const KeyInput& key);
  // A click on a control: a button sends its command, a check box toggles and sends it, a list
  // box picks its current entry (as a double click), any other control takes the focus.
  void Click(WinHandle control);
  // A click on entry `index` of a list box or row `index` of a list view: it becomes the
  // current one (and the control takes the focus); a second click of a double click picks it.
  void ClickListEntry(WinHandle control, int32_t index, bool twice);
  // A click on item `item` of a window's menu bar: opens its popup, or leaves the menu when
  // that popup is already open.
  void ClickMenuBar(WinHandle window, int32_t item);
  // A click on item `item` of level `level` of the open menu: chooses it (a sub-menu opens).
  void ClickMenuItem(size_t level, int32_t item);
  // Leaves the menu bar's keyboard mode (or a popup menu) without choosing anything.
  void CancelMenu();

  // -- What a host shows
  const ModelWindow* Find(WinHandle window) const;
  // Visible top-level windows from the bottom to the top.
  std::vector<WinHandle> StackingOrder() const;
  std::vector<WinHandle> ControlsOf(WinHandle window) const;
  const ModelMenu* Menu(MenuHandle menu) const;
  const MenuTrack& menu_track() const { return menu_; }
  const ModelBox& box() const { return box_; }
  WinHandle focused() const { return focus_; }
  int32_t cell_width() const { return cell_width_; }
  int32_t cell_height() const { return cell_height_; }
  static constexpr int32_t kScreenColumns = 80;
  static constexpr int32_t kScreenRows = 24;
  // The top-level window that holds a window (itself for a top-level one).
  WinHandle TopLevelOf(WinHandle window) const;
  // The window that keys go to: the focused one, else the topmost enabled visible window.
  WinHandle KeyTarget() const;

 protected:
  // Asks the concrete host for input: it calls Input, Click or PostEvent (or answers a box)
  // and answers true, or answers false when it has none. With kForEvent a host must not answer
  // false while it can still get input some day.
  virtual bool PullInput(InputWait wait) = 0;
  // The message box: shown with its default button focused; a key moves the focus among its
  // buttons or answers it (Enter and Space the focused button, Esc Cancel or else No, a letter
  // the button whose caption starts with it, the language's positive letter OK, Yes or Retry,
  // its negative letter No); a click on button `index` answers it. True when *answer is set.
  void BoxShow(StrRef text, StrRef title, int kind);
  bool BoxKey(const KeyInput& key, BoxButton* answer);
  bool BoxClick(int index, BoxButton* answer);
  void BoxHide() { box_ = ModelBox{}; }
  // Milliseconds until the next timer is due (0 when one is due), -1 without timers.
  int64_t MillisecondsToNextTimer();

 private:
  ModelWindow* Get(WinHandle window);
  const ModelWindow* Get(WinHandle window) const;
  WinHandle NewHandle() { return next_handle_++; }
  void Raise(WinHandle window);
  void FocusNextTabStop(WinHandle from, bool backwards);
  void EditKey(ModelWindow& edit, uint16_t vk);
  void EditChar(ModelWindow& edit, char ch);
  void ListKey(ModelWindow& list, uint16_t vk);
  void ListViewKey(ModelWindow& view, uint16_t vk);
  void ListViewShow(ModelWindow& view, int32_t row);
  void ScrollIntoView(WinHandle control);
  void DropTimers(WinHandle window);
  void FireDueTimers();
  // Menu keyboard mode.
  void MenuOpen(WinHandle window, char letter);
  void MenuKey(const KeyInput& key);
  void MenuOpenLevel(MenuHandle popup);
  void MenuChoose();
  void MenuEnd(uint16_t chosen);
  bool MenuSelectTyped();

  struct Timer {
    WinHandle window = kNoWindow;
    uint16_t id = 0;
    uint32_t interval = 0;
    uint32_t due = 0;
  };
  struct Font {
    FontDesc desc;
    std::string face;
  };

  std::map<WinHandle, ModelWindow> windows_;
  std::vector<WinHandle> z_order_;  // top-level windows, the last on top
  std::vector<std::string> classes_;
  std::map<MenuHandle, ModelMenu> menus_;
  std::vector<Font> fonts_;  // handle n is fonts_[n - 1]
  std::vector<std::string> bitmaps_;
  std::vector<Timer> timers_;
  std::deque<HostEvent> events_;
  MenuTrack menu_;
  ModelBox box_;
  WinHandle focus_ = kNoWindow;
  WinHandle next_handle_ = 0x100;
  MenuHandle next_menu_ = 1;
  int32_t cell_width_ = 12;
  int32_t cell_height_ = 24;
};

}  // namespace engine
