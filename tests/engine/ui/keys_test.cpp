// Key codes, the two key maps and the command table.
#include "engine/ui/keys.h"

#include <gtest/gtest.h>

#include "engine/ui/window_host.h"

namespace engine {
namespace {

TEST(KeysTest, TheKeyTableGivesEngineCodesAndLeavesTheRestToTheControl) {
  const struct {
    uint16_t vk;
    uint16_t code;
  } cases[] = {
      {kVkReturn, kKeyEnter},
      {kVkEscape, kKeyEsc},
      {kVkOemEF, kKeyOemEF},
      {kVkTab, kKeyTab},
      {kVkF1, kKeyF1},
      {kVkF1 + 2, kKeyF3},
      {kVkF11, kKeyF11},
      {kVkUp, kKeyUp},
      {kVkPrior, kKeyPgUp},
      {kVkDown, kKeyDown},
      {kVkNext, kKeyPgDn},
      // Not in the table: letters, digits, Left, Right, Home, End, Del, F12, Shift.
      {'A', kKeyOther},
      {'7', kKeyOther},
      {kVkLeft, kKeyOther},
      {kVkRight, kKeyOther},
      {kVkHome, kKeyOther},
      {kVkEnd, kKeyOther},
      {kVkDelete, kKeyOther},
      {kVkF12, kKeyOther},
      {kVkShift, kKeyOther},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.vk);
    EXPECT_EQ(KeyCodeOf(c.vk), c.code);
  }
}

TEST(KeysTest, NavigationKeysAreThoseWhoseOwnActionMovesOn) {
  for (uint16_t code = 0; code < kKeyCodeCount; ++code) {
    SCOPED_TRACE(code);
    const bool expected = code == 0 || code == 8 || code == 9 || code == 19 || code == 22 ||
                          code == 23 || code == 28 || code == 29 || code == 32;
    EXPECT_EQ(IsNavigationKey(code), expected);
  }
}

TEST(KeysTest, KeyMapsTurnKeyCodesIntoActions) {
  const auto nav = [](uint8_t c) { return MakeAction(kActNavigate, c); };
  const struct {
    uint16_t code;
    ActionCode map0;
    ActionCode map1;
  } cases[] = {
      {kKeyEnter, MakeAction(kActNextField), MakeAction(kActNextField)},
      {kKeyEsc, MakeAction(kActCancel), MakeAction(kActCancel)},
      {kKeyShiftTab, MakeAction(kActPreviousField), MakeAction(kActPreviousField)},
      {kKeyTab, MakeAction(kActNextField), MakeAction(kActNextField)},
      {kKeyF1, MakeAction(kActHelp), MakeAction(kActHelp)},
      {kKeyF2, MakeAction(kActRestoreField), MakeAction(kActRestoreField)},
      {kKeyF3, nav(13), nav(15)},  // BLS / MDE
      {kKeyF4, nav(12), 0},        // NLS / nothing
      {15, nav(17), nav(17)},
      {16, nav(7), nav(7)},
      {17, nav(14), nav(14)},
      {18, nav(10), nav(10)},
      {kKeyF9, nav(9), nav(9)},
      {kKeyF10, nav(16), nav(16)},
      {kKeyF11, nav(16), nav(15)},
      {kKeyUp, MakeAction(kActRowUp), MakeAction(kActRowUp)},
      {kKeyPgUp, nav(3), nav(3)},
      {kKeyDown, MakeAction(kActRowDown), MakeAction(kActRowDown)},
      {kKeyPgDn, nav(5), nav(5)},  // NXT in both maps
      {kKeyCtrlEnd, MakeAction(kActEndForm), MakeAction(kActEndForm)},
      {kKeyOther, 0, 0},
      {kKeyOemEF, 0, 0},
      {10, 0, 0},
      {30, 0, 0},
      {kKeyCodeCount, 0, 0},  // beyond the map
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(KeyMapAction(0, c.code), c.map0);
    EXPECT_EQ(KeyMapAction(1, c.code), c.map1);
    EXPECT_EQ(KeyMapAction(7, c.code), c.map0);
    EXPECT_EQ(KeyMapAction(-1, c.code), c.map0);
  }
}

TEST(KeysTest, WindowCommandsBecomeActionsByRange) {
  const struct {
    uint16_t id;
    uint8_t action_class;
    uint8_t argument;
  } cases[] = {
      {1500, kActMenuItem, 0},
      {1699, kActMenuItem, 199},
      {1700, kActPopupItem, 0},
      {1949, kActPopupItem, 249},
      {3000, kActNavigate, 0},
      {3005, kActNavigate, 5},
      {3020, kActNavigate, 20},
      {3100, kActNavigate, kNavConfirm},
      {3101, kActNavigate, kNavSecondButton},
      {3600, kActWindowCommand, 0},
      {3649, kActWindowCommand, 49},
      {3650, kActWindowCommandHigh, 0},
      {3905, kActWindowCommandHigh, 255},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const ActionCode action = CommandAction(c.id);
    EXPECT_EQ(ActionClass(action), c.action_class);
    EXPECT_EQ(ActionArgument(action), c.argument);
  }
  for (uint16_t id :
       {0, 1110, 1499, 1950, 1999, 2001, 2999, 3021, 3099, 3102, 3200, 3500, 3599, 3906, 4000}) {
    SCOPED_TRACE(id);
    EXPECT_EQ(CommandAction(id), 0);
  }
}

}  // namespace
}  // namespace engine
