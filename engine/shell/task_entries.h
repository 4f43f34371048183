// The tasks the dispatcher hands to other subsystems, and what the dispatcher asks of the window
// layer about the current task window. Each subsystem carries out its entries here; an entry
// whose subsystem is not part of the engine yet answers 148 (FEATUREREMOVED) with the task's
// name as detail text, so that a task line naming it fails visibly instead of doing nothing.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Window option bits the dispatchers pass (see the window layer).
inline constexpr uint16_t kAcceptRunTaskBits = 82;
inline constexpr uint16_t kAcceptWindowBits = 106;
inline constexpr uint16_t kMaintenanceTaskBits = 86;
inline constexpr uint16_t kMaintenanceWindowBits = 102;

// The accept form or task window of an Accept / AcceptRun line.
[[nodiscard]] Status AcceptTask(StrRef argument, uint16_t option_bits);
// The file maintenance window of a MantMain line.
[[nodiscard]] Status MaintenanceTask(StrRef argument, uint16_t option_bits);
// The document window: in navigation mode (the journal) or as a maintenance dialog with the
// documents toolbar.
enum class DocumentMode : uint8_t { kNavigation, kMaintenanceDialog };
[[nodiscard]] Status DocumentTask(StrRef argument, DocumentMode mode);
[[nodiscard]] Status ReportTask(StrRef argument);
[[nodiscard]] Status CopyTask(int32_t mode);
[[nodiscard]] Status FileTransTask(StrRef argument);
[[nodiscard]] Status HelpTask(StrRef argument);
// The About box with the text.
[[nodiscard]] Status ShowAbout(StrRef text);
// Reads the values of the parameter file `from` and writes them under the name `to`.
[[nodiscard]] Status ParamFileCopy(StrRef from, StrRef to);

// The screen-field handler (hook slot 0): the value of a name beginning with '_' that belongs to
// the current form (read or assigned, see NameResolver in engine/lang/variables.h). It answers
// the status value 163 for a name it does not handle, which then is an ordinary variable.
StrRef ScreenFieldValue(StrRef name, int mode);

// The parameter text of the current task window; the empty string when none is open.
StrRef TaskWindowParams();
// The definition text of the current window; the empty string when none is open.
StrRef WindowDefinitionText();

}  // namespace engine
