// The tasks of other subsystems, as far as the engine holds them.
#include "engine/shell/task_entries.h"

#include "engine/core/error_latch.h"

namespace engine {

namespace {

Status Unavailable(StrRef task) { return ReportStatus(kFeatureRemoved, task); }

}  // namespace

Status AcceptTask(StrRef, uint16_t) { return Unavailable(StrLit("AcceptRun")); }
Status MaintenanceTask(StrRef, uint16_t) { return Unavailable(StrLit("MantMain")); }
Status DocumentTask(StrRef, DocumentMode mode) {
  return Unavailable(mode == DocumentMode::kNavigation ? StrLit("LnNavMain") : StrLit("LnManMain"));
}
Status ReportTask(StrRef) { return Unavailable(StrLit("Report")); }
Status CopyTask(int32_t) { return Unavailable(StrLit("Copy")); }
Status FileTransTask(StrRef) { return Unavailable(StrLit("FileTrans")); }
Status HelpTask(StrRef) { return Unavailable(StrLit("Help")); }
Status ShowAbout(StrRef) { return Unavailable(StrLit("About")); }
Status ParamFileCopy(StrRef, StrRef) { return Unavailable(StrLit("MantAux")); }

StrRef ScreenFieldValue(StrRef, int) {
  // No form is open: every name is left to the variables.
  return StrError(kBadInputData);
}

StrRef TaskWindowParams() { return StrLit(""); }
StrRef WindowDefinitionText() { return StrLit(""); }

}  // namespace engine
