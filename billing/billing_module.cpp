// The invoicing program's application module.
#include "billing/billing_module.h"

#include "engine/data/stat_move.h"
#include "engine/shell/application.h"
#include "engine/shell/engine_start.h"
#include "engine/shell/shell_tasks.h"
#include "engine/shell/task_entries.h"

namespace billing {

using engine::Application;
using engine::DocumentMode;
using engine::ParsedTask;
using engine::Status;
using engine::StrRef;

Status ModuleCallback(uint16_t code) {
  switch (code & 0xF) {
    case engine::kModuleInit:
      engine::RegisterStandardHooks();
      return engine::RegisterStatMove();
    case engine::kModuleConfigure:
      return engine::ModuleConfigure();
    default:
      return engine::kOk;
  }
}

Status TaskHandler(const ParsedTask& task) {
  const Status status = engine::TaskPreamble();
  if (!status.ok()) return status;
  if (!task.status.ok()) return engine::DefaultDispatch(task);
  switch (task.code) {
    case engine::kTaskMantMain:
      return engine::MaintenanceTask(task.argument, engine::kMaintenanceTaskBits);
    case engine::kTaskLnManMain:
      return engine::DocumentTask(task.argument, DocumentMode::kMaintenanceDialog);
    default:
      return engine::DefaultDispatch(task);
  }
}

Status Main(StrRef command_line) {
  const Application app{kIdentifier,     kTitle,      kStartMenu, engine::kStartLoadDictionary,
                        &ModuleCallback, &TaskHandler};
  return engine::RunApplication(app, command_line);
}

}  // namespace billing
