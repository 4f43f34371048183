// The data files at program start.
#include "engine/shell/start_dictionary.h"

#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/data/data_start.h"
#include "engine/data/dictionary.h"
#include "engine/data/reorganize.h"

namespace engine {

Status StartDictionaryLoad() {
  StrAreaScope scope;
  DictClear();
  return DataStart(SlotGet(kGroupEnvironment, kEnvSearchPath), AppPrefix(), StrLit(""));
}

Status RecoverAfterAbnormalEnd() { return RecoverDataFiles(ReorgProgress()); }

Status StopDataFiles() { return DataStop(); }

}  // namespace engine
