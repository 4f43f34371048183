// The task dispatcher as the task side of the data-file passes.
#include "engine/data/data_tasks.h"

#include "engine/core/string_area.h"
#include "engine/shell/definitions.h"
#include "engine/shell/task_line.h"

namespace engine {

namespace {

class Dispatcher final : public DataTasks {
 public:
  Status ParseItem(StrRef item, bool* step, StrRef* parameters) override {
    const ParsedTask task = ParseTaskLine(item);
    *step = task.status.ok() && task.code == kTaskPerform;
    *parameters = task.argument;
    return kOk;
  }
  Status RunTask(StrRef item) override { return DefaultDispatch(ParseTaskLine(item)); }
  StrRef TaskParam(uint16_t n) override { return engine::TaskParam(n, 0); }
};

Dispatcher g_dispatcher;
DataTasks* g_current = &g_dispatcher;

}  // namespace

void SetDataTasks(DataTasks* tasks) { g_current = tasks ? tasks : &g_dispatcher; }

DataTasks& CurrentDataTasks() { return *g_current; }

}  // namespace engine
