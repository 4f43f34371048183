// Task lines and the task dispatcher. Everything the user starts (a menu option, a line of the
// INPUT script, the RUN option, a step of a list of steps, an option inside a window) is a task
// line: a task name, a separator and its argument. A line goes first to the application's task
// handler and then to the engine's default dispatcher; options inside windows have a dispatcher
// of their own.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Task code n is the position of the task's name in this list (case-sensitive).
inline constexpr StrRef kTaskNames = StrLit(
    "Menu,Accept,AcceptRun,MantAux,MantMain,MantAuto,MantMovs,LnManMain,LnNavMain,PrcExec,Report,"
    "Reorg,Copy,FileTrans,Help,Perform,FontSet,WizzSelect,ExpEval");
inline constexpr uint16_t kTaskMenu = 1;
inline constexpr uint16_t kTaskAccept = 2;
inline constexpr uint16_t kTaskAcceptRun = 3;
inline constexpr uint16_t kTaskMantAux = 4;
inline constexpr uint16_t kTaskMantMain = 5;
inline constexpr uint16_t kTaskMantAuto = 6;
inline constexpr uint16_t kTaskMantMovs = 7;
inline constexpr uint16_t kTaskLnManMain = 8;
inline constexpr uint16_t kTaskLnNavMain = 9;
inline constexpr uint16_t kTaskPrcExec = 10;
inline constexpr uint16_t kTaskReport = 11;
inline constexpr uint16_t kTaskReorg = 12;
inline constexpr uint16_t kTaskCopy = 13;
inline constexpr uint16_t kTaskFileTrans = 14;
inline constexpr uint16_t kTaskHelp = 15;
inline constexpr uint16_t kTaskPerform = 16;
inline constexpr uint16_t kTaskFontSet = 17;
inline constexpr uint16_t kTaskWizzSelect = 18;
inline constexpr uint16_t kTaskExpEval = 19;

// The message shown for a task that is not defined ("Process not defined").
inline constexpr uint16_t kTaskUndefinedMessage = 31;

struct ParsedTask {
  uint16_t code = 0;  // 0 when the name is not a task name
  Status status;      // 0, 163 for an unknown name, or the failure of a bracket expression
  StrRef argument{"", 0};
};

// Parses a line: every innermost [expression] is replaced by its value as trimmed text (an
// empty number by "0"); the separator is a blank when the line holds one outside quotes, else a
// comma; field 1 is the task name and the rest after the separator the argument (a pushed
// temporary). A name not in the list gives code 0, status 163 and an empty argument.
ParsedTask ParseTaskLine(StrRef line);
// `text` when its first field is a task name, else the name of task `code`, a blank and the
// text. Pushes one temporary.
StrRef TaskLineFor(StrRef text, uint16_t code);

// A task handler: an application's (installed with SetTaskHandler) or the default dispatcher.
using TaskHandler = Status (*)(const ParsedTask& task);
void SetTaskHandler(TaskHandler handler);
TaskHandler CurrentTaskHandler();

// Installs `fallback` when no task handler is installed yet, parses the line and hands it to the
// installed handler. A bracket expression that fails ends it with its status, the task unrun.
[[nodiscard]] Status RunTaskLine(StrRef line, TaskHandler fallback);

// The engine's dispatcher of top-level tasks: AcceptRun, MantAux, PrcExec, Report, Reorg, Copy,
// FileTrans, Help, FontSet and ExpEval. Every other code, and any parse failure, is 163 with
// message 0031 as detail text.
[[nodiscard]] Status DefaultDispatch(const ParsedTask& task);

// The dispatcher of options inside a window: a line that does not start with a task name is
// taken as an argument of task `code`. Accept and AcceptRun open an accept form, MantMain a
// maintenance window, ExpEval evaluates the first comma field of its argument; anything else is
// 147 (SINTAXERROR).
[[nodiscard]] Status WindowTaskLine(StrRef line, uint16_t code);

// Runs the comma list of steps from item *start (1 when null): each item is evaluated as a text
// expression giving a task line, which is parsed and given to DefaultDispatch (never to the
// application's handler). A step whose task code is one of the bytes of `stop_codes` stops the
// list with 124; the first failure stops it too. *start receives the number of the last item
// run.
[[nodiscard]] Status RunSteps(StrRef list, uint16_t* start, StrRef stop_codes);

}  // namespace engine
