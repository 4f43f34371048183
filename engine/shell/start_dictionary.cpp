// The data files at program start.
#include "engine/shell/start_dictionary.h"

#include "engine/core/error_latch.h"
#include "engine/core/messages.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"

namespace engine {

Status StartDictionaryLoad() {
  StrAreaScope scope;
  const StrRef prefix = AppPrefix();
  const StrRef name = StrConcat(prefix, StrLit("DICC.DAT")).ok() ? StrAreaTop() : prefix;
  if (!FileFindOnPath(name).IsStatus()) return kOk;
  const StrRef folders =
      StrFormat(384, StrLit("[%s]%s"), {SlotGet(kGroupEnvironment, kEnvSearchPath), name});
  return ReportStatus(kFileNotFound, folders);
}

Status StartDictionaryVariables() { return kOk; }

Status RecoverAfterAbnormalEnd() { return kOk; }

}  // namespace engine
