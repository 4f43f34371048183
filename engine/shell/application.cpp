// The run of a program.
#include "engine/shell/application.h"

#include "engine/core/string_area.h"
#include "engine/shell/run_state.h"
#include "engine/ui/fonts.h"
#include "engine/ui/screen_extent.h"

namespace engine {

Status RunApplication(const Application& app, StrRef command_line) {
  SetMemoryLimits(kProgramAreaKb, kNothing);
  SetTaskHandler(app.task_handler);
  SetDefaultScreen(kProgramColumns, kProgramRows, 0, 0, 0);
  (void)AddFont(kProgramFontHeight, kProgramFontWidth, kProgramFontWeight, kProgramFontFace);
  Status status = EngineStart(command_line, app.identifier, app.title, app.flags, app.callback);
  if (!status.ok()) return status;
  {
    StrAreaScope scope;
    status = RunStartMenu(ResolveStartMenu(app.start_menu));
  }
  const Status ended = RunState(kRunEnded);
  if (status.ok()) status = ended;
  return EngineEnd(app.callback, status);
}

Status TaskPreamble() { return RunState(kRunCheck); }

}  // namespace engine
