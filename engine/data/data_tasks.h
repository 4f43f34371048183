// The task side of the data-file passes, as a seam: how an item of a recalculation's task list
// is told apart and run, and the task parameters that the recalculation and the relation hook
// read (INDEX%, LIMITS$, RD_COND$, COND$, STRUCT$, RESET$). The task dispatcher installs its own;
// until it does, no item is a recalculation step, running a task fails with 148 (reported with
// the item) and a task parameter is the value of the variable of its name with every '%' removed
// (the empty text when there is no such variable).
#pragma once

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

class DataTasks {
 public:
  virtual ~DataTasks() = default;
  // Parses a task item: *step tells whether it is a recalculation step (the task Perform) and
  // *parameters receives its argument (pushed). A failure of the parse is the status.
  [[nodiscard]] virtual Status ParseItem(StrRef item, bool* step, StrRef* parameters) = 0;
  // Runs an item that is no recalculation step as an ordinary task.
  [[nodiscard]] virtual Status RunTask(StrRef item) = 0;
  // The value of the named task parameter of the current task (pushed); the empty text when the
  // task does not define it.
  virtual StrRef TaskParam(StrRef name) = 0;
};

void SetDataTasks(DataTasks* tasks);
DataTasks& CurrentDataTasks();

}  // namespace engine
