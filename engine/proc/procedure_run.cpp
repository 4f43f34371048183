// ProcedureRun, the procedure task and the start and stop of the procedure subsystem.
#include "engine/proc/procedure_run.h"

#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/lang/expression.h"
#include "engine/lang/variables.h"
#include "engine/proc/command_chain.h"
#include "engine/proc/engine_commands.h"
#include "engine/proc/procedure_compiler.h"
#include "engine/proc/run_resources.h"
#include "engine/shell/hooks.h"

namespace engine {

namespace {

constexpr char kTaskSeparator = ',';
constexpr char kFileSeparator = ';';
constexpr uint16_t kTaskFiles = 1;
constexpr uint16_t kTaskFunction = 2;
constexpr uint16_t kTaskFirstExpressionFile = 3;

// Runs nested inside each other by CALL, EXEC$ or a command; bounded so that a function calling
// itself for ever ends with a status instead of exhausting the process stack.
constexpr uint16_t kRunNestingLimit = 256;
uint16_t g_nesting = 0;

struct NestedRun {
  NestedRun() { ++g_nesting; }
  ~NestedRun() { --g_nesting; }
  NestedRun(const NestedRun&) = delete;
  NestedRun& operator=(const NestedRun&) = delete;
};

// Frees the procedure whose block is `block`, wherever its number went meanwhile.
Status FreeCompiled(const void* block) {
  CompiledProcedure record;
  for (uint16_t n = ProcedureCount(); n-- > 0;) {
    if (ProcedureGet(n, &record) && record.block == block) return ProcedureFree(n);
  }
  return kInternalError;
}

// Compiles a file and answers the block of its record.
Status Compile(StrRef file, const void** block) {
  uint16_t number = kNothing;
  const Status status = ProcedureCompile(file, &number);
  if (!status.ok()) return status;
  CompiledProcedure record;
  if (!ProcedureGet(number, &record)) return kInternalError;
  *block = record.block;
  return kOk;
}

StrRef TaskItem(StrRef list, char separator, uint16_t n) {
  return StrUnquote(StrTrim(ListField(list, separator, n), kTrimBoth));
}

}  // namespace

Status ProcedureRunWith(StrRef function, StrRef file, uint16_t flags, const CallArguments& args) {
  if (function.IsStatus()) function = StrLit("");
  if (file.IsStatus()) file = StrLit("");
  if (function.empty() && file.empty()) return kSyntaxError;
  if (g_nesting >= kRunNestingLimit) {
    LatchRecord(kLatchFirst, kSiteExecRunTime, kOutOfMemory);
    return ReportStatus(kOutOfMemory, function.empty() ? file : function);
  }
  const NestedRun nested;
  const VarSnapshot snapshot = VarMark();
  const void* compiled = nullptr;
  if (!file.empty()) {
    const Status status = Compile(file, &compiled);
    if (!status.ok()) return status;
  }
  Status status = kOk;
  uint16_t number = 0;
  uint16_t start = 0;
  if (function.empty()) {
    number = ProcedureCount() - 1;
  } else if (!ProcedureFindFunction(function, &number, &start)) {
    LatchRecord(kLatchFirst, kSiteExecRunTime, kSyntaxError);
    status = ReportStatus(kSyntaxError, function);
  }
  if (status.ok()) status = ProcedureExecute(number, start, flags, function.empty(), args);
  if (compiled) {
    const Status freed = FreeCompiled(compiled);
    if (status.ok()) status = freed;
  }
  if (flags & kRunLocal) {
    const Status released = VarRelease(snapshot);
    if (status.ok()) status = released;
  }
  return status;
}

Status ProcedureRun(StrRef function, StrRef file, uint16_t flags) {
  CallArguments none;
  none.base = SlotCount(kGroupArguments);
  return ProcedureRunWith(function, file, flags, none);
}

Status ProcedureTask(StrRef parameter) {
  if (parameter.IsStatus()) return StrCheck(parameter);
  StrAreaScope scope;
  Status status = kOk;
  const uint16_t items = ListCount(parameter, kTaskSeparator);
  for (uint16_t n = kTaskFirstExpressionFile; n <= items && status.ok(); ++n) {
    status = EvalExpressionFile(TaskItem(parameter, kTaskSeparator, n));
  }
  if (!status.ok()) return status;

  const StrRef files = StrTrim(ListField(parameter, kTaskSeparator, kTaskFiles), kTrimBoth);
  std::vector<const void*> compiled;
  for (uint16_t n = ListCount(files, kFileSeparator); n >= 2 && status.ok(); --n) {
    const void* block = nullptr;
    status = Compile(TaskItem(files, kFileSeparator, n), &block);
    if (status.ok()) compiled.push_back(block);
  }
  if (status.ok()) {
    status = ProcedureRun(TaskItem(parameter, kTaskSeparator, kTaskFunction),
                          TaskItem(files, kFileSeparator, 1), kRunLocal);
  }
  for (auto it = compiled.rbegin(); it != compiled.rend(); ++it) {
    const Status freed = FreeCompiled(*it);
    if (status.ok()) status = freed;
  }
  (void)PumpEvents();
  return status;
}

void ProceduresStart() {
  RegisterHookAs<ProcedureRunner>(ProcedureRun, kHookProcedure);
  EngineCommandsInstall();
}

void ProceduresStop() {
  ProceduresFreeAll();
  CommandHandlersClear();
  if (HookAs<ProcedureRunner>(kHookProcedure) == ProcedureRun) {
    RegisterHook(nullptr, kHookProcedure);
  }
}

}  // namespace engine
