// The default task side of the data-file passes: no dispatcher, parameters from variables.
#include "engine/data/data_tasks.h"

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/lang/expression.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

class NoDispatcher final : public DataTasks {
 public:
  Status ParseItem(StrRef item, bool* step, StrRef* parameters) override {
    *step = false;
    *parameters = StrLit("");
    return StrCheck(item);
  }
  Status RunTask(StrRef item) override { return ReportStatus(kFeatureRemoved, item); }
  StrRef TaskParam(StrRef name) override {
    StrAreaScope scope;
    const StrRef variable = StrReplace(name, StrLit("%"), StrLit(""), true);
    if (variable.IsStatus() || variable.empty() || !VarFind(variable).found()) {
      return scope.Return(StrLit(""));
    }
    const StrRef value = EvalText(variable);
    return scope.Return(value.IsStatus() ? StrLit("") : value);
  }
};

NoDispatcher g_none;
DataTasks* g_current = &g_none;

}  // namespace

void SetDataTasks(DataTasks* tasks) { g_current = tasks ? tasks : &g_none; }

DataTasks& CurrentDataTasks() { return *g_current; }

}  // namespace engine
