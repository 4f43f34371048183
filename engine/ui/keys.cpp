// The key table, the two key maps and the command table.
#include "engine/ui/keys.h"

#include <array>

#include "engine/ui/window_host.h"

namespace engine {

namespace {

struct KeyTableEntry {
  uint16_t virtual_key;
  uint16_t key_code;
};

constexpr KeyTableEntry kKeyTable[] = {
    {kVkReturn, kKeyEnter}, {kVkEscape, kKeyEsc}, {kVkOemEF, kKeyOemEF}, {kVkTab, kKeyTab},
    {kVkUp, kKeyUp},        {kVkPrior, kKeyPgUp}, {kVkDown, kKeyDown},   {kVkNext, kKeyPgDn},
};

constexpr std::array<uint16_t, 9> kNavigationKeys = {
    kKeyEnter, kKeyShiftTab, kKeyTab, kKeyF9, kKeyUp, kKeyPgUp, kKeyDown, kKeyPgDn, kKeyCtrlEnd};

// Navigation command c as an action (c/25).
constexpr ActionCode Nav(uint8_t command) { return MakeAction(kActNavigate, command); }

// One entry per key code 0..32.
constexpr std::array<std::array<ActionCode, kKeyCodeCount>, kKeyMapCount> kKeyMaps = {{
    {
        MakeAction(kActNextField),  // 0 Enter
        0,
        0,
        MakeAction(kActCancel),  // 3 Esc
        0,
        0,
        0,
        0,
        MakeAction(kActPreviousField),  // 8 Shift+Tab
        MakeAction(kActNextField),      // 9 Tab
        0,
        MakeAction(kActHelp),          // 11 F1
        MakeAction(kActRestoreField),  // 12 F2
        Nav(13),                       // 13 F3 BLS
        Nav(12),                       // 14 F4 NLS
        Nav(17),                       // 15 F5 PRN
        Nav(7),                        // 16 F6 FND
        Nav(14),                       // 17 F7 IMP
        Nav(10),                       // 18 F8 DEL
        Nav(9),                        // 19 F9 INS
        Nav(16),                       // 20 F10 DDE
        Nav(16),                       // 21 F11 DDE
        MakeAction(kActRowUp),         // 22 Up
        Nav(3),                        // 23 PgUp PRV
        0,
        0,
        0,
        0,
        MakeAction(kActRowDown),  // 28 Down
        Nav(5),                   // 29 PgDn NXT
        0,
        0,
        MakeAction(kActEndForm),  // 32 Ctrl+End
    },
    {
        MakeAction(kActNextField),  // 0 Enter
        0,
        0,
        MakeAction(kActCancel),  // 3 Esc
        0,
        0,
        0,
        0,
        MakeAction(kActPreviousField),  // 8 Shift+Tab
        MakeAction(kActNextField),      // 9 Tab
        0,
        MakeAction(kActHelp),          // 11 F1
        MakeAction(kActRestoreField),  // 12 F2
        Nav(15),                       // 13 F3 MDE
        0,                             // 14 F4
        Nav(17),                       // 15 F5 PRN
        Nav(7),                        // 16 F6 FND
        Nav(14),                       // 17 F7 IMP
        Nav(10),                       // 18 F8 DEL
        Nav(9),                        // 19 F9 INS
        Nav(16),                       // 20 F10 DDE
        Nav(15),                       // 21 F11 MDE
        MakeAction(kActRowUp),         // 22 Up
        Nav(3),                        // 23 PgUp PRV
        0,
        0,
        0,
        0,
        MakeAction(kActRowDown),  // 28 Down
        Nav(5),                   // 29 PgDn NXT
        0,
        0,
        MakeAction(kActEndForm),  // 32 Ctrl+End
    },
}};

}  // namespace

uint16_t KeyCodeOf(uint16_t virtual_key) {
  if (virtual_key >= kVkF1 && virtual_key <= kVkF11) {
    return static_cast<uint16_t>(kKeyF1 + (virtual_key - kVkF1));
  }
  for (const KeyTableEntry& e : kKeyTable) {
    if (e.virtual_key == virtual_key) return e.key_code;
  }
  return kKeyOther;
}

bool IsNavigationKey(uint16_t key_code) {
  for (uint16_t k : kNavigationKeys) {
    if (k == key_code) return true;
  }
  return false;
}

ActionCode KeyMapAction(int map, uint16_t key_code) {
  if (key_code >= kKeyCodeCount) return 0;
  const size_t chosen = (map >= 0 && map < kKeyMapCount) ? static_cast<size_t>(map) : 0;
  return kKeyMaps[chosen][key_code];
}

ActionCode CommandAction(uint16_t id) {
  struct Range {
    uint16_t first;
    uint16_t last;
    uint8_t action_class;
  };
  static constexpr Range kRanges[] = {
      {kIdMenuFirst, kIdMenuLast, kActMenuItem},
      {kIdPopupFirst, kIdPopupLast, kActPopupItem},
      {kIdToolbarBase, kIdToolbarLast, kActNavigate},
      {kIdWindowCommandBase, kIdWindowCommandHigh - 1, kActWindowCommand},
      {kIdWindowCommandHigh, kIdWindowCommandHigh + 255, kActWindowCommandHigh},
  };
  if (id == kIdOk) return MakeAction(kActNavigate, kNavConfirm);
  if (id == kIdSecondButton) return MakeAction(kActNavigate, kNavSecondButton);
  for (const Range& r : kRanges) {
    if (id >= r.first && id <= r.last) {
      return MakeAction(r.action_class, static_cast<uint8_t>(id - r.first));
    }
  }
  return 0;
}

}  // namespace engine
