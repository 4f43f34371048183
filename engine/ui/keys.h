// Engine key codes, action codes and the key maps.
//
// Every key press is translated into an engine key code before anything else sees it, and the
// code of the last key is kept in _LASTKEY (resting value 4). Everything that can happen to a
// form is one 16-bit ActionCode: its class in the low byte, an argument in the high byte. Key
// codes become actions through one of two key maps (chosen by _KEYMAP); window commands
// (menu items, buttons, toolbar buttons) become actions through the command table.
#pragma once

#include <cstdint>

namespace engine {

// ---- Key codes -------------------------------------------------------------------------

inline constexpr uint16_t kKeyEnter = 0;
inline constexpr uint16_t kKeyEsc = 3;
inline constexpr uint16_t kKeyOther = 4;  // left to the control; also the resting value
inline constexpr uint16_t kKeyOemEF = 6;
inline constexpr uint16_t kKeyShiftTab = 8;
inline constexpr uint16_t kKeyTab = 9;
inline constexpr uint16_t kKeyF1 = 11;
inline constexpr uint16_t kKeyF2 = 12;
inline constexpr uint16_t kKeyF3 = 13;
inline constexpr uint16_t kKeyF4 = 14;
inline constexpr uint16_t kKeyF9 = 19;
inline constexpr uint16_t kKeyF10 = 20;
inline constexpr uint16_t kKeyF11 = 21;
inline constexpr uint16_t kKeyUp = 22;
inline constexpr uint16_t kKeyPgUp = 23;
inline constexpr uint16_t kKeyDown = 28;
inline constexpr uint16_t kKeyPgDn = 29;
inline constexpr uint16_t kKeyCtrlEnd = 32;
inline constexpr uint16_t kKeyCodeCount = 33;

// The engine key code of a virtual key (the key table). Shift+Tab and Ctrl+End are not in it:
// only field controls, which track Shift and Ctrl themselves, give codes 8 and 32.
uint16_t KeyCodeOf(uint16_t virtual_key);
// Enter, Shift+Tab, Tab, F9, Up, PgUp, Down, PgDn and Ctrl+End: the keys whose own action
// moves on from a field.
bool IsNavigationKey(uint16_t key_code);

// ---- Action codes ----------------------------------------------------------------------

using ActionCode = uint16_t;

constexpr ActionCode MakeAction(uint8_t action_class, uint8_t argument = 0) {
  return static_cast<ActionCode>(action_class | (argument << 8));
}
constexpr uint8_t ActionClass(ActionCode action) { return static_cast<uint8_t>(action & 0xFF); }
constexpr uint8_t ActionArgument(ActionCode action) { return static_cast<uint8_t>(action >> 8); }

inline constexpr uint8_t kActNextField = 1;
inline constexpr uint8_t kActPreviousField = 2;
inline constexpr uint8_t kActPopupItem = 15;
inline constexpr uint8_t kActMenuItem = 16;
inline constexpr uint8_t kActCloseMain = 17;
inline constexpr uint8_t kActScanData = 18;
inline constexpr uint8_t kActHelp = 19;
inline constexpr uint8_t kActRestoreField = 20;
inline constexpr uint8_t kActCancel = 21;
inline constexpr uint8_t kActEndForm = 22;
inline constexpr uint8_t kActEvent = 23;
inline constexpr uint8_t kActScannerText = 24;
inline constexpr uint8_t kActNavigate = 25;
inline constexpr uint8_t kActCloseForm = 28;
inline constexpr uint8_t kActCheckRejected = 30;  // the current field's check refused
inline constexpr uint8_t kActRowDown = 31;
inline constexpr uint8_t kActRowUp = 32;
inline constexpr uint8_t kActFieldEntered = 38;  // argument: the field that took the focus
inline constexpr uint8_t kActWindowCommand = 43;
inline constexpr uint8_t kActWindowCommandHigh = 44;
inline constexpr uint8_t kActFocusIn = 91;
inline constexpr uint8_t kActFocusOut = 92;
inline constexpr uint8_t kActListSelect = 94;
inline constexpr uint8_t kActFirstFocus = 95;

// Arguments of kActNavigate beyond the navigation commands.
inline constexpr uint8_t kNavConfirm = 100;       // the "Ok" button
inline constexpr uint8_t kNavSecondButton = 101;  // the second bottom-bar button

// ---- Control identifiers ---------------------------------------------------------------

inline constexpr uint16_t kIdBottomEdit1 = 1480;
inline constexpr uint16_t kIdBottomEdit2 = 1481;
inline constexpr uint16_t kIdMenuFirst = 1500;  // menu-bar item n, selection button n
inline constexpr uint16_t kIdMenuLast = 1699;
inline constexpr uint16_t kIdPopupFirst = 1700;  // popup-menu item n
inline constexpr uint16_t kIdPopupLast = 1949;
inline constexpr uint16_t kIdFieldBase = 1999;  // input control of field n is 1999 + n
inline constexpr uint16_t kIdFieldFirst = 2000;
inline constexpr uint16_t kIdFieldLast = 2999;
inline constexpr uint16_t kIdToolbarBase = 3000;  // toolbar button of navigation command c
inline constexpr uint16_t kIdToolbarLast = 3020;
inline constexpr uint16_t kIdOk = 3100;
inline constexpr uint16_t kIdSecondButton = 3101;
inline constexpr uint16_t kIdListViewFirst = 3200;
inline constexpr uint16_t kIdListViewLast = 3203;
inline constexpr uint16_t kIdPickListFirst = 3350;  // list boxes whose double click picks
inline constexpr uint16_t kIdPickListLast = 3499;
inline constexpr uint16_t kIdDropDownBase = 3500;  // drop-down list n (at most 80)
inline constexpr uint16_t kIdDropDownLast = 3579;
inline constexpr uint16_t kIdWindowCommandBase = 3600;
inline constexpr uint16_t kIdWindowCommandHigh = 3650;
inline constexpr uint16_t kIdLabelBase =
    4000;  // label at (row, column): 4000 + row x columns + column
inline constexpr uint16_t kIdProgressCancel = 1110;

// ---- Translation -----------------------------------------------------------------------

inline constexpr int kKeyMapCount = 2;

// The action of a key code in key map `map` (0 or 1; any other map number reads map 0); 0 for
// no action and for a code beyond the map.
ActionCode KeyMapAction(int map, uint16_t key_code);
// The action of a window command identifier; 0 for an identifier outside the command ranges
// (and for one of 3650 and above whose distance to 3650 does not fit the argument byte).
ActionCode CommandAction(uint16_t id);

}  // namespace engine
