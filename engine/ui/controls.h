// The controls the window layer lays out on the character grid: labels, the input controls of
// fields, the "Ok" button of a form window, toolbars of navigation commands, the logo of the
// main window and its menu bar.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/ui/window_host.h"

namespace engine {

// Places a text label at (row, column) of the top window, replacing the label already there
// (identifier 4000 + row x columns + column), in font 2, as wide as its text and one cell
// high. A label at row 1, column 1 whose text begins with "<" places nothing: it sets the top
// window's title to the status line, with the text after its first three characters as the
// first value. 163 without a window.
[[nodiscard]] Status WinLabel(int32_t row, int32_t column, StrRef text);

// A field's input control.
struct FieldControlDesc {
  uint16_t field = 1;  // from 1; the identifier is 1999 + field
  int32_t row = 1;     // cells
  int32_t column = 1;
  uint16_t width = 1;   // display width in cells
  uint16_t length = 1;  // the longest text
  char type = 'A';      // type letter
  bool editable = true;
  bool display_only = false;  // the window's display-only field
  bool grid = false;          // grid layout: 7/8 of a cell high, no edge, no left shift
  StrRef checked_caption;     // what a logical check box shows while checked
};

// Creates the field's control in the top window and hooks it: none for a hidden field ("Q");
// a check box 4 cells wide for a logical field ("L") while bit 16 of _AUXSTAT is set; else an
// edit box (password input for "P", right-aligned for "N", "L" and "1" to "9", read-only when
// not editable or display-only) of w x cell width - (q - 1) x (cell width / 2) pixels for a
// width of w cells (q = w / 10 rounded, a remainder above 5 rounding up; at least 15 pixels).
// *type (when given) receives the type the field is handled as from then on ("A" for "P").
// kNoWindow for a hidden field (status 0) or on failure (the host's status).
WinHandle WinFieldControl(const FieldControlDesc& desc, char* type = nullptr,
                          Status* status = nullptr);
// The pixel width of an edit box for a field `width` cells wide.
int32_t FieldControlWidth(uint16_t width);

// Sizes a form window to the current extent with two more rows at the bottom, centres it on
// the work area and places the "Ok" button (12 cells wide, one high, 14 columns from the right
// edge, half a cell above the bottom row) unless the window has a control 3100.
[[nodiscard]] Status WinFitForm(WinHandle window);

// A row (or, with `vertical`, a column) of buttons from (row, column) of the window, one per
// navigation command c (identifier 3000 + c) captioned with the matching field of the comma
// list `captions`.
[[nodiscard]] Status WinToolbar(WinHandle window, const uint16_t* commands, uint16_t count,
                                StrRef captions, int32_t row, int32_t column, bool vertical);

// The logo of the main window: bitmap resource 102, else the file "logo_partner.bmp" found
// along the search path, stretched over the client area inside a 3-pixel border as a sunken,
// centred picture label that names the application (StringSlots item (0, 3)).
[[nodiscard]] Status WinShowLogo(WinHandle window);
inline constexpr uint16_t kLogoResource = 102;
inline constexpr StrRef kLogoFileName = StrLit("logo_partner.bmp");

// Attaches a menu bar (built by the menus of the shell) to a window.
[[nodiscard]] Status WinSetMenuBar(WinHandle window, MenuHandle menu);

}  // namespace engine
