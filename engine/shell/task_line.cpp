// Task lines and the dispatchers.
#include "engine/shell/task_line.h"

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/message_box.h"
#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/lang/expression.h"
#include "engine/lang/number.h"
#include "engine/shell/reorg_task.h"
#include "engine/shell/shell_tasks.h"
#include "engine/shell/task_entries.h"

namespace engine {

namespace {

TaskHandler g_task_handler = nullptr;

char TaskSeparator(StrRef line) { return StrFindChar(line, 0, ' ', false) != kNothing ? ' ' : ','; }

// The line with every innermost [expression] replaced by its value; a failing expression is
// answered as a status value.
StrRef ReplaceBrackets(StrRef line) {
  StrAreaScope scope;
  StrRef text = line;
  uint16_t from = 0;
  while (true) {
    const uint16_t close = StrFindChar(text, from, ']', true);
    if (close == kNothing) break;
    const uint16_t open = StrFindLast(StrSub(text, 0, close), StrLit("["), FindKind::kAnyOf);
    if (open == kNothing) {
      from = close + 1;
      continue;
    }
    ValueKind kind;
    const Status status = Evaluate(StrSub(text, open + 1, close - open - 1), &kind);
    if (IsEvalFailure(status)) return scope.Return(StrError(status));
    StrRef value = kind == ValueKind::kString ? StrAreaTop() : NumberToText(NumberAt(StrAreaTop()));
    value = StrTrim(value, kTrimBoth);
    if (kind == ValueKind::kNumber && value.empty()) value = StrLit("0");
    StrRef rebuilt = StrFormat(kMaxStrLen, StrLit("%s%s%s"),
                               {StrSub(text, 0, open), value, StrSub(text, close + 1, -1)});
    if (rebuilt.IsStatus()) return scope.Return(rebuilt);
    text = StrAreaReturn(scope.mark(), rebuilt);
    if (text.IsStatus()) return scope.Return(text);
    from = static_cast<uint16_t>(open + value.len);
  }
  return scope.Return(text);
}

Status Undefined() {
  StrAreaScope scope;
  return ReportStatus(kBadInputData, Message(kTaskUndefinedMessage));
}

Status EvalTask(StrRef statements) {
  const Status status = EvalStatements(statements);
  return status.IsError() ? status : Status(kOk);
}

}  // namespace

ParsedTask ParseTaskLine(StrRef line) {
  ParsedTask task;
  if (line.IsStatus()) {
    task.status = StrCheck(line);
    return task;
  }
  StrAreaScope scope;
  const StrRef text = ReplaceBrackets(line);
  if (text.IsStatus()) {
    task.status = StrCheck(text);
    return task;
  }
  const char sep = TaskSeparator(text);
  task.code = ListFind(kTaskNames, ',', ListField(text, sep, 1));
  if (task.code == 0) {
    task.status = kBadInputData;
    return task;
  }
  task.argument = scope.Return(ListDeleteField(text, sep, 1));
  if (task.argument.IsStatus()) {
    task.status = StrCheck(task.argument);
    task.argument = StrLit("");
  }
  return task;
}

StrRef TaskLineFor(StrRef text, uint16_t code) {
  if (text.IsStatus()) return text;
  StrAreaScope scope;
  if (ListFind(kTaskNames, ',', ListField(text, TaskSeparator(text), 1)) != 0) {
    return scope.Return(text);
  }
  return scope.Return(
      StrFormat(text.len + 390u, StrLit("%s %s"), {ListField(kTaskNames, ',', code), text}));
}

void SetTaskHandler(TaskHandler handler) { g_task_handler = handler; }

TaskHandler CurrentTaskHandler() { return g_task_handler; }

Status RunTaskLine(StrRef line, TaskHandler fallback) {
  if (g_task_handler == nullptr) g_task_handler = fallback;
  StrAreaScope scope;
  const ParsedTask task = ParseTaskLine(line);
  if (!task.status.ok() && task.status != kBadInputData) return task.status;
  return g_task_handler ? g_task_handler(task) : DefaultDispatch(task);
}

namespace {

void ShowFailure(Status status) {
  if (status > kDetailOnly && status != kNothing) (void)ShowStatus(status);
}

}  // namespace

Status DefaultDispatch(const ParsedTask& task) {
  if (!task.status.ok()) return Undefined();
  const StrRef arg = task.argument;
  switch (task.code) {
    case kTaskAcceptRun:
      return AcceptTask(arg, kAcceptRunTaskBits);
    case kTaskMantAux:
      return MantAux(arg);
    case kTaskPrcExec:
      return PrcExec(arg);
    case kTaskReport:
      return ReportTask(arg);
    case kTaskReorg:
      return ReorgTask();
    case kTaskCopy:
      return CopyTask(StrToInt(arg));
    case kTaskFileTrans:
      return FileTransTask(arg);
    // Help and FontSet answer 0 whatever became of them; what went wrong is still shown, so
    // that the user does not pick an option and see nothing at all.
    case kTaskHelp:
      ShowFailure(HelpTask(arg));
      return kOk;
    case kTaskFontSet:
      ShowFailure(FontSet());
      return kOk;
    case kTaskExpEval:
      return EvalTask(arg);
    default:
      return Undefined();
  }
}

Status WindowTaskLine(StrRef line, uint16_t code) {
  StrAreaScope scope;
  const ParsedTask task = ParseTaskLine(TaskLineFor(line, code));
  if (!task.status.ok() && task.status != kBadInputData) return task.status;
  switch (task.status.ok() ? task.code : 0) {
    case kTaskAccept:
    case kTaskAcceptRun:
      return AcceptTask(task.argument, kAcceptWindowBits);
    case kTaskMantMain:
      return MaintenanceTask(task.argument, kMaintenanceWindowBits);
    case kTaskExpEval:
      return EvalTask(ListField(task.argument, ',', 1));
    default:
      return kSyntaxError;
  }
}

Status RunSteps(StrRef list, uint16_t* start, StrRef stop_codes) {
  StrAreaScope outer;
  // A copy, so that the steps may change whatever the list was read from.
  Status status = StrAreaPushCopy(list);
  if (!status.ok()) return status;
  list = StrAreaTop();
  StrAreaScope scope;
  uint16_t i = (start && *start) ? *start : 1;
  const uint16_t count = ListCount(list, ',');
  while (status.ok() && i <= count) {
    StrAreaRelease(scope.mark());
    const StrRef line = EvalText(ListField(list, ',', i));
    if (line.IsStatus()) {
      status = StrCheck(line);
      break;
    }
    const ParsedTask task = ParseTaskLine(line);
    if (!task.status.ok()) {
      status = task.status == kBadInputData ? Undefined() : task.status;
      break;
    }
    if (stop_codes.view().find(static_cast<char>(task.code)) != std::string_view::npos) {
      status = kUndefWarning;
      break;
    }
    status = DefaultDispatch(task);
    ++i;
  }
  if (start) *start = static_cast<uint16_t>(i - 1);
  return status;
}

}  // namespace engine
