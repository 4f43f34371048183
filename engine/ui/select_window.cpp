// The selection window. Windows are not part of the engine yet: with no window to show the list
// in and no key to pick with, the answer is a cancel, as it is on the headless host when no key
// is queued.
#include "engine/ui/select_window.h"

#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"

namespace engine {

uint16_t WinSelect(StrRef, StrRef, uint16_t) {
  SysWordSet(kSysStat, 0);
  return 0;
}

}  // namespace engine
