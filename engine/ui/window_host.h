// WindowHost: the one interface through which the engine reaches the windowing system. A host
// is chosen at start-up (the headless host for tests and batch runs, the terminal host for a
// person at a terminal); the rest of the engine talks to the current host only.
//
// The operations are those of a desktop toolkit: top-level windows and child controls found
// by identifier, their texts, focus, enabled and check state, list boxes, progress bars, menus,
// fonts and their metrics, scroll bars, timers, message boxes and one event queue. Geometry is
// in pixels: a top-level window's rectangle is in screen coordinates and includes its frame; a
// control's rectangle is relative to its window's client area. Windows and controls are named
// by opaque handles; 0 is no window.
#pragma once

#include <array>
#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// ---- Message boxes ---------------------------------------------------------------------

// Message box kinds: the icon and buttons a box shows. Any other number is a box without an
// icon and with an OK button.
inline constexpr int kBoxInformation = 0;  // information icon, OK
inline constexpr int kBoxWarning = 1;      // warning icon, OK
inline constexpr int kBoxOkCancel = 2;     // information icon, OK and Cancel
inline constexpr int kBoxError = 3;        // error icon, OK
inline constexpr int kBoxRetryCancel = 4;  // error icon, Retry and Cancel
inline constexpr int kBoxYesNo = 5;        // information icon, Yes and No
inline constexpr int kBoxYesNoCancel = 6;  // information icon, Yes, No and Cancel

enum class BoxButton : uint8_t { kOk, kCancel, kYes, kNo, kRetry, kAbort, kIgnore };
enum class BoxIcon : uint8_t { kNone, kInformation, kWarning, kError };

// What a box of one kind shows. The first button is the default one.
struct BoxStyle {
  BoxIcon icon = BoxIcon::kNone;
  uint8_t button_count = 1;
  std::array<BoxButton, 3> buttons{BoxButton::kOk, BoxButton::kOk, BoxButton::kOk};

  BoxButton default_button() const { return buttons[0]; }
  bool Has(BoxButton button) const;
};
BoxStyle MessageBoxStyle(int kind);
// The caption of a button ("OK", "Cancel", "Yes" ...).
StrRef BoxButtonCaption(BoxButton button);

// ---- Handles and geometry --------------------------------------------------------------

using WinHandle = uint32_t;
using MenuHandle = uint32_t;
using FontHandle = uint32_t;
using BitmapHandle = uint32_t;
inline constexpr WinHandle kNoWindow = 0;
inline constexpr MenuHandle kNoMenu = 0;
inline constexpr FontHandle kNoFont = 0;
inline constexpr BitmapHandle kNoBitmap = 0;

struct Point {
  int32_t x = 0;
  int32_t y = 0;
};

struct Rect {
  int32_t x = 0;
  int32_t y = 0;
  int32_t width = 0;
  int32_t height = 0;

  int32_t right() const { return x + width; }
  int32_t bottom() const { return y + height; }
};

// The frame a window style adds around the client area.
struct Insets {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
};

// ---- Windows and controls --------------------------------------------------------------

enum class FrameStyle : uint8_t {
  kCaptioned,   // caption, system menu, minimise box
  kModalPopup,  // popup with caption and system menu, modal frame
  kOverlapped,  // plain top-level window
  kBorderless,  // popup without frame (floating text)
};

struct WindowDesc {
  StrRef class_name;
  StrRef title;
  FrameStyle frame = FrameStyle::kCaptioned;
  WinHandle owner = kNoWindow;
  Rect rect;             // screen coordinates, frame included
  bool topmost = false;  // stays above every other window and never takes the focus
};

enum class ControlKind : uint8_t {
  kStatic,    // a text label
  kPicture,   // a bitmap label; its text names what the bitmap shows
  kEdit,      // a one-line edit box
  kButton,    // a push button
  kCheckBox,  // a check box with a caption
  kListBox,   // a list of entries, one current
  kComboBox,  // a drop-down list
  kProgress,  // a progress bar
  kListView,  // a table of rows and columns
};

// Control style bits.
inline constexpr uint32_t kCtlVisible = 1;
inline constexpr uint32_t kCtlTabStop = 2;
inline constexpr uint32_t kCtlReadOnly = 4;
inline constexpr uint32_t kCtlPassword = 8;  // hidden input
inline constexpr uint32_t kCtlRightAlign = 16;
inline constexpr uint32_t kCtlSunken = 32;  // sunken edge
inline constexpr uint32_t kCtlAutoHScroll = 64;
inline constexpr uint32_t kCtlCentered = 128;

struct ControlDesc {
  ControlKind kind = ControlKind::kStatic;
  uint32_t style = kCtlVisible;
  WinHandle parent = kNoWindow;
  uint16_t id = 0;
  Rect rect;  // client coordinates of the parent
  StrRef text;
};

// Show states (also kept by the window stack).
inline constexpr uint8_t kShowHidden = 0;
inline constexpr uint8_t kShowNormal = 1;
inline constexpr uint8_t kShowMaximized = 4;

// ---- Fonts -----------------------------------------------------------------------------

struct FontDesc {
  int32_t height = 0;  // character height in pixels
  int32_t width = 0;   // average character width in pixels
  int32_t weight = 400;
  StrRef face;
};

struct TextMetrics {
  int32_t height = 0;         // text height in pixels
  int32_t average_width = 0;  // average character width in pixels
};

enum class StockFont : uint8_t { kSystem, kOemFixed };

// ---- Events ----------------------------------------------------------------------------

enum class EventKind : uint8_t {
  kNone,
  kKeyDown,    // key: virtual key; code: modifier bits held
  kKeyUp,      // key: virtual key
  kChar,       // key: the character typed (Windows-1252 byte)
  kCommand,    // target: the window; id: the command; code: notification; param: the control
  kClose,      // a close request for a top-level window
  kSetFocus,   // target got the input focus; param: the window that lost it
  kKillFocus,  // target lost the input focus; param: the window that gets it
  kScroll,     // id: the bar (kScrollVertical / kScrollHorizontal); code: request; param: position
  kTimer,      // id: the timer
  kPrivate,    // id: the message number; param: its argument
  kQuit,       // the event loop is asked to end
};

struct HostEvent {
  EventKind kind = EventKind::kNone;
  WinHandle target = kNoWindow;
  uint16_t key = 0;
  uint16_t id = 0;
  uint16_t code = 0;
  int32_t param = 0;
};

// Modifier bits of kKeyDown events.
inline constexpr uint16_t kModShift = 1;
inline constexpr uint16_t kModCtrl = 2;
inline constexpr uint16_t kModAlt = 4;

// Virtual keys (the desktop's numbering).
inline constexpr uint16_t kVkBack = 0x08;
inline constexpr uint16_t kVkTab = 0x09;
inline constexpr uint16_t kVkReturn = 0x0D;
inline constexpr uint16_t kVkShift = 0x10;
inline constexpr uint16_t kVkControl = 0x11;
inline constexpr uint16_t kVkMenu = 0x12;  // Alt
inline constexpr uint16_t kVkEscape = 0x1B;
inline constexpr uint16_t kVkSpace = 0x20;
inline constexpr uint16_t kVkPrior = 0x21;  // PgUp
inline constexpr uint16_t kVkNext = 0x22;   // PgDn
inline constexpr uint16_t kVkEnd = 0x23;
inline constexpr uint16_t kVkHome = 0x24;
inline constexpr uint16_t kVkLeft = 0x25;
inline constexpr uint16_t kVkUp = 0x26;
inline constexpr uint16_t kVkRight = 0x27;
inline constexpr uint16_t kVkDown = 0x28;
inline constexpr uint16_t kVkInsert = 0x2D;
inline constexpr uint16_t kVkDelete = 0x2E;
inline constexpr uint16_t kVkF1 = 0x70;
inline constexpr uint16_t kVkF10 = 0x79;
inline constexpr uint16_t kVkF11 = 0x7A;
inline constexpr uint16_t kVkF12 = 0x7B;
inline constexpr uint16_t kVkCloseBracket = 0xDD;  // ']' on a US keyboard
inline constexpr uint16_t kVkOemEF = 0xEF;

// Notification codes of kCommand events.
inline constexpr uint16_t kNotifyClicked = 0;      // a button was clicked
inline constexpr uint16_t kNotifySelChange = 1;    // a list box's current entry changed
inline constexpr uint16_t kNotifyDoubleClick = 2;  // a list box entry was double-clicked
inline constexpr uint16_t kNotifySelEndOk = 9;     // a drop-down list's choice was made

// Scroll bars and scroll requests.
inline constexpr uint16_t kScrollHorizontal = 0;
inline constexpr uint16_t kScrollVertical = 1;
inline constexpr uint16_t kScrollLineUp = 0;
inline constexpr uint16_t kScrollLineDown = 1;
inline constexpr uint16_t kScrollPageUp = 2;
inline constexpr uint16_t kScrollPageDown = 3;
inline constexpr uint16_t kScrollThumbTrack = 5;
inline constexpr uint16_t kScrollTop = 6;
inline constexpr uint16_t kScrollBottom = 7;

struct ScrollBarState {
  bool shown = false;
  int32_t range = 0;  // positions 0..range
  int32_t page = 0;
  int32_t position = 0;
};

// How GetEvent may find its event.
enum class ReadMode : uint8_t {
  kWait,        // wait for input when nothing is queued
  kPoll,        // take input that is already there, never wait
  kQueuedOnly,  // only events already queued; no new input is read
};

// ---- The interface ---------------------------------------------------------------------

class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Shows a modal message box with the text, the title, and the icon and buttons of `kind`;
  // answers the button the user chose (always one of the kind's buttons).
  virtual BoxButton MessageBox(StrRef text, StrRef title, int kind) = 0;

  // -- Window classes and windows
  // Registers a class name once; 0, or the platform's status when it cannot.
  [[nodiscard]] virtual Status RegisterWindowClass(StrRef name) = 0;
  virtual bool IsClassRegistered(StrRef name) = 0;
  // A hidden top-level window of a registered class; kNoWindow when it cannot be made (the
  // reason in *status when given).
  virtual WinHandle CreateTopWindow(const WindowDesc& desc, Status* status) = 0;
  virtual WinHandle CreateControl(const ControlDesc& desc, Status* status) = 0;
  // Destroys the window with its controls; a handle that is gone is ignored.
  virtual void DestroyWindow(WinHandle window) = 0;
  virtual bool IsWindow(WinHandle window) = 0;
  // kShowHidden, kShowNormal or kShowMaximized; showing a top-level window raises and
  // activates it (a topmost one is only raised).
  virtual void ShowWindow(WinHandle window, uint8_t show) = 0;
  virtual bool IsVisible(WinHandle window) = 0;
  virtual void EnableWindow(WinHandle window, bool enable) = 0;
  virtual bool IsWindowEnabled(WinHandle window) = 0;
  // Redraws now (a host that draws lazily may do nothing).
  virtual void UpdateWindow(WinHandle window) = 0;

  // -- Geometry
  virtual void MoveWindow(WinHandle window, const Rect& rect) = 0;
  virtual Rect GetWindowRect(WinHandle window) = 0;
  // The client area: origin 0, 0 and its size.
  virtual Rect GetClientRect(WinHandle window) = 0;
  // The frame of a style (with a menu bar when asked).
  virtual Insets FrameInsets(FrameStyle frame, bool with_menu) = 0;
  // The screen without the task bar, and the whole screen.
  virtual Rect WorkArea() = 0;
  virtual Rect ScreenRect() = 0;
  // The character cell the engine lays its windows out on; a host that draws characters maps
  // pixels to its grid with it.
  virtual void SetCellGrid(int32_t width, int32_t height) = 0;

  // -- Texts and identifiers
  virtual bool SetText(WinHandle window, StrRef text) = 0;
  // The text, at most `limit` bytes, as a new temporary.
  virtual StrRef GetText(WinHandle window, uint16_t limit) = 0;
  virtual WinHandle FindControl(WinHandle parent, uint16_t id) = 0;
  virtual uint16_t ControlId(WinHandle control) = 0;
  // The parent of a control, the owner of a top-level window.
  virtual WinHandle ParentOf(WinHandle window) = 0;
  virtual bool IsControl(WinHandle window) = 0;
  virtual ControlKind KindOf(WinHandle control) = 0;

  // -- Focus
  // Moves the input focus (queuing kKillFocus and kSetFocus); a control's window becomes the
  // active window. Disabled and hidden windows do not take it.
  virtual void SetFocus(WinHandle window) = 0;
  virtual WinHandle GetFocus() = 0;

  // -- Control requests
  virtual void SetCheck(WinHandle control, bool checked) = 0;
  virtual bool IsChecked(WinHandle control) = 0;
  virtual void SetTextLimit(WinHandle control, uint16_t limit) = 0;
  virtual void SelectAllText(WinHandle control) = 0;
  virtual void SetControlFont(WinHandle control, FontHandle font) = 0;
  virtual void SetBitmap(WinHandle control, BitmapHandle bitmap) = 0;
  virtual void SetButtonPressed(WinHandle control, bool pressed) = 0;
  virtual bool IsButtonPressed(WinHandle control) = 0;
  // List boxes and drop-down lists: entries numbered from 0; -1 is none.
  virtual int32_t ListAdd(WinHandle control, StrRef text) = 0;
  virtual void ListSetItemHeight(WinHandle control, int32_t height) = 0;
  virtual void ListSetCurrent(WinHandle control, int32_t index) = 0;
  virtual int32_t ListCurrent(WinHandle control) = 0;
  virtual int32_t ListCount(WinHandle control) = 0;
  virtual void ProgressSetRange(WinHandle control, int32_t low, int32_t high) = 0;
  virtual void ProgressSetPosition(WinHandle control, int32_t position) = 0;
  // Paints a block of text lines (CR LF or LF separated) centred, white on grey, over the
  // client area; the empty text removes it.
  virtual void PaintText(WinHandle window, StrRef text) = 0;

  // -- List views: a table with a heading row, rows of cells numbered from 0 and at most one
  // selected row. Columns are numbered from 0; widths are in pixels.
  virtual bool ListViewInsertColumn(WinHandle control, int32_t column, StrRef heading,
                                    int32_t width, bool right_aligned) = 0;
  // The column's width; -1 for no such column.
  virtual int32_t ListViewColumnWidth(WinHandle control, int32_t column) = 0;
  // Sets the text of a cell, adding empty rows up to `row` first.
  virtual bool ListViewSetCell(WinHandle control, int32_t row, int32_t column, StrRef text) = 0;
  virtual int32_t ListViewRowCount(WinHandle control) = 0;
  virtual void ListViewDeleteRows(WinHandle control) = 0;
  // The selected row, -1 for none; selecting -1 clears the selection. A selected row is
  // scrolled into view.
  virtual int32_t ListViewSelection(WinHandle control) = 0;
  virtual void ListViewSelect(WinHandle control, int32_t row) = 0;
  // The first row shown, and scrolling by a number of rows (negative: up).
  virtual int32_t ListViewTopRow(WinHandle control) = 0;
  virtual void ListViewScroll(WinHandle control, int32_t rows) = 0;
  // A cell's rectangle in the control's client coordinates (rows above the first shown have a
  // negative y).
  virtual Rect ListViewCellRect(WinHandle control, int32_t row, int32_t column) = 0;

  // -- Scrolling
  virtual void SetScrollBar(WinHandle window, uint16_t bar, const ScrollBarState& state) = 0;
  virtual ScrollBarState GetScrollBar(WinHandle window, uint16_t bar) = 0;
  // Moves the window's contents, child controls included, by (dx, dy).
  virtual void ScrollChildren(WinHandle window, int32_t dx, int32_t dy) = 0;

  // -- Fonts and bitmaps
  virtual FontHandle CreateFont(const FontDesc& desc) = 0;
  virtual FontHandle GetStockFont(StockFont font) = 0;
  virtual TextMetrics GetTextMetrics(FontHandle font) = 0;
  // A bitmap of the program's resources, or one read from a file; kNoBitmap when none.
  virtual BitmapHandle LoadBitmapResource(uint16_t id) = 0;
  virtual BitmapHandle LoadBitmapFile(StrRef path) = 0;

  // -- Menus
  virtual MenuHandle CreateMenuBar() = 0;
  virtual MenuHandle CreatePopupMenu() = 0;
  virtual bool AppendMenuItem(MenuHandle menu, uint16_t id, StrRef caption) = 0;
  virtual bool AppendSubMenu(MenuHandle menu, MenuHandle popup, StrRef caption) = 0;
  virtual bool SetWindowMenu(WinHandle window, MenuHandle menu) = 0;
  virtual MenuHandle GetWindowMenu(WinHandle window) = 0;
  // Shows the popup at a screen point (its bottom edge there) and lets the user choose;
  // answers the chosen identifier, 0 when nothing was chosen. Posts no command.
  virtual uint16_t TrackPopupMenu(MenuHandle menu, Point at, WinHandle owner) = 0;
  // Destroys the menu and the popups appended to it.
  virtual void DestroyMenu(MenuHandle menu) = 0;
  virtual Point GetCursorPos() = 0;

  // -- Timers and the event queue
  virtual void SetTimer(WinHandle window, uint16_t id, uint32_t milliseconds) = 0;
  virtual void KillTimer(WinHandle window, uint16_t id) = 0;
  // Milliseconds since some fixed moment.
  virtual uint32_t TickCount() = 0;
  virtual void PostEvent(const HostEvent& event) = 0;
  // The next event; false when there is none (never with kWait, unless the host has no more
  // input ever: then it answers kQuit).
  virtual bool GetEvent(HostEvent* event, ReadMode mode) = 0;
  // What the platform itself does with an event that the engine did not consume: typing into
  // an edit box, moving in a list, clicking a focused button, opening the menu bar with F10,
  // moving the focus with Tab.
  virtual void DefaultEvent(const HostEvent& event) = 0;

  // The process is about to end without unwinding (a failed invariant, a fatal signal): a
  // host that took over a display gives it back as it found it. Safe to call more than once.
  virtual void ReleaseDisplay() {}
};

// The current host: the one set with SetWindowHost, else a process-wide headless host.
WindowHost& CurrentWindowHost();
// Sets the current host; null restores the default. The caller keeps ownership.
void SetWindowHost(WindowHost* host);

}  // namespace engine
