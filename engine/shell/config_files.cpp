// Configuration files.
#include "engine/shell/config_files.h"

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/messages.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/lang/expression.h"
#include "engine/shell/paths.h"

namespace engine {

Status LoadConfigFile(StrRef name, bool required) {
  StrAreaScope scope;
  const StrRef expanded = ExpandPathVars(name);
  if (expanded.IsStatus()) return StrCheck(expanded);
  const StrRef found = FileFindOnPath(expanded);
  if (found.IsStatus()) {
    return required ? ReportStatus(kFileNotFound, expanded) : Status(kOk);
  }
  const StrRef text = FileReadJoined(found, StrLit(";"));
  if (text.IsStatus()) {
    if (StrCheck(text) == kFileNotFound && !required) return kOk;
    return ReportStatus(StrCheck(text), found);
  }
  if (StrTrimSet(text, kTrimBoth, StrLit(" \t;")).empty()) {
    return required ? ReportStatus(kFileNotFound, expanded) : Status(kOk);
  }
  const Status status = EvalStatements(text);
  if (status.IsError()) return ReportStatus(status, found, true);
  return kOk;
}

Status LoadConfigFiles(StrRef list) {
  StrAreaScope scope;
  const uint16_t count = ListCount(list, ',');
  for (uint16_t i = 1; i <= count; ++i) {
    const StrRef entry = ListField(list, ',', i);
    const StrRef name = ListField(entry, ';', 1);
    const bool required = ListFieldInt(entry, ';', 2) != 0;
    const Status status = LoadConfigFile(name, required);
    if (!status.ok()) return status;
    StrAreaRelease(scope.mark());
  }
  return LoadLangVars();
}

}  // namespace engine
