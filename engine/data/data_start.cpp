// Start and stop of the data files.
#include "engine/data/data_start.h"

#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/data/data_functions.h"
#include "engine/data/dictionary.h"
#include "engine/data/dictionary_load.h"
#include "engine/data/distinct_values.h"
#include "engine/data/field_ref.h"
#include "engine/data/file_paths.h"
#include "engine/data/record_file.h"
#include "engine/data/scans.h"
#include "engine/lang/variables.h"

namespace engine {

Status DataStart(StrRef folders, StrRef prefix, StrRef default_folder) {
  const Status status = DictLoad(folders, prefix, default_folder);
  const Status assigned = AssignFileVariables();
  InstallFieldAccess();
  InstallDataFunctions();
  return status.ok() ? assigned : status;
}

Status AssignFileVariables() {
  Status first = kOk;
  for (uint8_t f = 1; f <= FileCount(); ++f) {
    StrAreaScope scope;
    const Status status = VarAssignInteger(StrLower(FileBaseName(f)), f);
    if (first.ok() && !status.ok()) first = status;
  }
  return first;
}

Status DataStop() {
  const Status status = FileCloseAll();
  DistinctValuesKill();
  (void)SlotClearGroup(kGroupOpenFileSets);
  (void)SlotClearGroup(kGroupRelUpdates);
  (void)SetLastCondition(StrLit(""));
  DictClear();
  DeleteTemporaryFiles();
  RemoveFieldAccess();
  RemoveDataFunctions();
  return status;
}

}  // namespace engine
