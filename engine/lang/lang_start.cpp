// Start and stop of the expression language.
#include "engine/lang/lang_start.h"

#include "engine/core/messages.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_table.h"
#include "engine/lang/variables.h"

namespace engine {

Status LangStart() {
  Status status = SystemVariablesInit();
  if (status.ok()) status = FunctionTableStart();
  if (!status.ok()) return status;
  SetLangVarsEvaluator(EvalAssignment);
  return kOk;
}

void LangStop() {
  SetLangVarsEvaluator(nullptr);
  FunctionTableStop();
  VariablesStop();
}

}  // namespace engine
