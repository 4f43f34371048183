// The task side of the data-file passes, as a seam: how an item of a recalculation's task list
// is told apart and run, and the task parameters that the recalculation and the relation hook
// read. By default it is the task dispatcher: an item of the task Perform is a recalculation
// step, any other item goes to the default dispatcher, and parameters are the current task's
// (the variable of the parameter's name when no task window defines it). Tests put their own in.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Task parameter numbers the data-file passes read.
inline constexpr uint16_t kParamCondition = 74;       // COND$
inline constexpr uint16_t kParamIndex = 94;           // INDEX%
inline constexpr uint16_t kParamLimits = 95;          // LIMITS$
inline constexpr uint16_t kParamReset = 97;           // RESET$
inline constexpr uint16_t kParamReadCondition = 111;  // RD_COND$
inline constexpr uint16_t kParamStruct = 116;         // STRUCT$

class DataTasks {
 public:
  virtual ~DataTasks() = default;
  // Parses a task line: *step tells whether it is a recalculation step (the task Perform) and
  // *parameters receives its argument (pushed). A failure of the parse is the status.
  [[nodiscard]] virtual Status ParseItem(StrRef item, bool* step, StrRef* parameters) = 0;
  // Runs a task line that is no recalculation step as an ordinary task.
  [[nodiscard]] virtual Status RunTask(StrRef item) = 0;
  // The value of task parameter n of the current task (pushed); the empty text when the task
  // does not define it.
  virtual StrRef TaskParam(uint16_t n) = 0;
};

// The current implementation; null restores the task dispatcher.
void SetDataTasks(DataTasks* tasks);
DataTasks& CurrentDataTasks();

}  // namespace engine
