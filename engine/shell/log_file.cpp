// The trace log.
#include "engine/shell/log_file.h"

#include "engine/core/diagnostics.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"

namespace engine {

Status SetLogFile(StrRef name) {
  if (name.IsStatus()) return StrCheck(name);
  StrAreaScope scope;
  const Status status = SlotSet(kGroupDiagnostics, kDiagLogFile, name);
  if (!status.ok()) return status;
  if (FileExists(name)) return FileDelete(name);
  return kOk;
}

Status LogLine(StrRef text, uint16_t category) {
  if ((static_cast<uint16_t>(SysWord(kSysTrace)) & category) == 0) return kOk;
  StrAreaScope scope;
  if (text.IsStatus()) {
    text = StrFormat(384, StrLit("Error #%i"), {static_cast<int64_t>(StrCheck(text).code())});
  }
  const Status status = StrConcat(text, StrLit("\r\n"));
  if (!status.ok()) return status;
  const Status written = FileWriteAll(LogFileName(), kPosEnd, StrAreaTop());
  return written == kNothing ? Status(kOk) : written;
}

}  // namespace engine
