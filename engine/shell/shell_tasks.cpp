// The small tasks of the dispatcher, the font file and the standard task-window handlers.
#include "engine/shell/shell_tasks.h"

#include <algorithm>
#include <string>
#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/file_system.h"
#include "engine/core/list_string.h"
#include "engine/core/messages.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/lang/expression.h"
#include "engine/proc/procedure_run.h"
#include "engine/shell/definitions.h"
#include "engine/shell/hooks.h"
#include "engine/shell/paths.h"
#include "engine/shell/task_entries.h"
#include "engine/shell/task_line.h"
#include "engine/ui/fonts.h"
#include "engine/ui/select_window.h"
#include "engine/ui/window_layer.h"

namespace engine {

namespace {

constexpr uint16_t kProcedureListTitle = 88;
constexpr uint16_t kSelectPopupList = kSelectPopup | kSelectListBox;
constexpr StrRef kFontListTitle = StrLit("Font");

}  // namespace

Status ExpEval(StrRef statements) {
  const Status status = EvalStatements(statements);
  return status.IsError() ? status : Status(kOk);
}

Status MantAux(StrRef argument) {
  StrAreaScope scope;
  switch (ListFieldInt(argument, ',', 1)) {
    case 0: {
      const StrRef from = TaskParam(kParamParmFile, 0);
      const StrRef to = TaskParam(kParamParmFileWrite, 0);
      if (from.IsStatus() || to.IsStatus() || from.empty() || to.empty()) return kOk;
      return ParamFileCopy(from, to);
    }
    case 1:
      if (ListFieldInt(argument, ',', 2) != 0) {
        return SlotPush(kGroupDefinitionStack, WindowDefinitionText());
      }
      return DropDefinition();
    default:
      return ReportStatus(kBadInputData, argument);
  }
}

namespace {

// The title of a procedure file: its TITLE$, else a first line's text after ';'.
StrRef ProcedureTitle(StrRef path) {
  StrAreaScope scope;
  const StrRef text = FileReadJoined(path, StrLit(":"));
  if (text.IsStatus()) return scope.Return(StrLit(""));
  const StrRef title = ParamValue(text, StrLit("TITLE$"), kParamFieldValue);
  if (!title.IsStatus() && !title.empty()) return scope.Return(title);
  const StrRef first = ListField(text, ':', 1);
  if (!first.empty() && first[0] == ';') {
    return scope.Return(StrTrim(StrSub(first, 1, -1), kTrimBoth));
  }
  return scope.Return(StrLit(""));
}

}  // namespace

Status ProcedureChoices(StrRef pattern, StrRef* titles, StrRef* files) {
  const uint16_t mark = StrAreaMark();
  std::vector<std::string> found;
  const StrRef folders = AppPath(kPathDefault);
  const uint16_t count = std::max<uint16_t>(ListCount(folders, ','), 1);
  for (uint16_t n = 1; n <= count; ++n) {
    const StrRef folder = StrUnquote(StrTrim(ListField(folders, ',', n), kTrimBoth));
    std::vector<std::string> here;
    (void)CurrentFileSystem().ListFolder(folder.empty() ? "." : folder.view(),
                                         [&](std::string_view entry) {
                                           if (GlobMatch(pattern.view(), entry)) {
                                             here.emplace_back(entry);
                                           }
                                           return true;
                                         });
    std::sort(here.begin(), here.end());
    for (const std::string& name : here) {
      const StrRef path = JoinFolder(folder, StrView(name));
      if (!path.IsStatus()) found.emplace_back(path.view());
    }
  }
  StrAreaRelease(mark);
  if (found.empty()) {
    const Status status = ReportStatus(kFileNotFound, Message(kTaskUndefinedMessage));
    StrAreaRelease(mark);
    return status;
  }
  std::string title_list;
  std::string file_list;
  for (const std::string& path : found) {
    StrRef title = ProcedureTitle(StrView(path));
    if (title.IsStatus() || title.empty()) {
      const size_t cut = path.find_last_of("\\/");
      title = StrView(std::string_view(path).substr(cut == std::string::npos ? 0 : cut + 1));
    }
    const StrRef quoted = StrQuote(title, '\'');
    if (quoted.IsStatus()) {
      StrAreaRelease(mark);
      return StrCheck(quoted);
    }
    if (!title_list.empty()) title_list += ',';
    title_list += quoted.view();
    if (!file_list.empty()) file_list += ',';
    file_list += path;
    StrAreaRelease(mark);
  }
  Status status = StrAreaPushCopy(StrView(title_list));
  if (status.ok()) {
    *titles = StrAreaTop();
    status = StrAreaPushCopy(StrView(file_list));
  }
  if (!status.ok()) {
    StrAreaRelease(mark);
    return status;
  }
  *files = StrAreaTop();
  return kOk;
}

Status PrcExec(StrRef argument) {
  if (StrFindChar(argument, 0, '*', true) == kNothing) return ProcedureTask(argument);
  StrAreaScope scope;
  StrRef titles;
  StrRef files;
  Status status = ProcedureChoices(StrTrim(argument, kTrimBoth), &titles, &files);
  if (!status.ok()) return status;
  while (true) {
    const uint16_t picked = WinSelect(Message(kProcedureListTitle), titles, kSelectPopupList);
    if (picked == 0) return kOk;
    WinDestroy(WinTop());  // a pick leaves the list open for us to close
    status = ProcedureTask(ListField(files, ',', picked));
    if (!status.ok()) return status;
  }
}

Status LoadFontFile() {
  StrAreaScope scope;
  if (FileFindOnPath(kFontFile).IsStatus()) return kOk;
  Status status = ReadDefinition(kFontFile, kAllRecords, kDefPpn, ':');
  if (!status.ok()) return status;
  const Status added = AddFontEntry(ListField(SlotLast(kGroupDefinitionStack), ':', 1));
  status = DropDefinition();
  // A full font table keeps the fonts it has.
  if (added.IsError()) return added;
  return status;
}

StrRef FontEntriesPicked(StrRef entries, uint16_t k) {
  if (entries.IsStatus()) return entries;
  StrAreaScope scope;
  const uint16_t count = ListCount(entries, ':');
  StrRef text = StrFormat(kMaxStrLen, StrLit("%s\r\n"), {ListField(entries, ':', k)});
  for (uint16_t i = 1; i <= count && !text.IsStatus(); ++i) {
    if (i == k) continue;
    text = StrFormat(kMaxStrLen, StrLit("%s%s\r\n"), {text, ListField(entries, ':', i)});
    text = StrAreaReturn(scope.mark(), text);
  }
  return scope.Return(text);
}

Status FontSet() {
  StrAreaScope scope;
  const StrRef path = FileFindOnPath(kFontFile);
  if (path.IsStatus()) return ReportStatus(kFileNotFound, kFontFile);
  Status status = ReadDefinition(path, kAllRecords, kDefPpn, ':');
  if (!status.ok()) return status;
  StrRef entries = StrView(SlotLast(kGroupDefinitionStack).view());
  status = StrAreaPushCopy(entries);
  entries = StrAreaTop();
  const Status dropped = DropDefinition();
  if (!status.ok()) return status;
  if (!dropped.ok()) return dropped;
  const uint16_t picked =
      WinSelect(kFontListTitle, StrTranslate(entries, StrLit(":"), StrLit(",")), kSelectPopupList);
  if (picked == 0) return kOk;
  WinDestroy(WinTop());  // a pick leaves the list open for us to close
  if (picked > ListCount(entries, ':')) return kOk;
  return FileWriteAll(path, kPosReplace, FontEntriesPicked(entries, picked));
}

uint16_t StepsHook(uint16_t action_class) {
  if (action_class != kFormConfirmed) return kNothing;
  StrAreaScope scope;
  Status status = SlotSet(kGroupDiagnostics, kDiagCondition, TaskParam(kParamCond, 0));
  if (!status.ok()) return status;
  return RunSteps(TaskParam(kParamSteps, 0), nullptr, StrLit(""));
}

uint16_t LowLevelTaskHook(uint16_t) {
  return ReportStatus(kFeatureRemoved, StrLit("TaskLowLevel"));
}

void RegisterStandardHooks() {
  (void)RegisterHookAs<TaskWindowHook>(&StepsHook, kHookSteps);
  (void)RegisterHookAs<TaskWindowHook>(&LowLevelTaskHook, kHookLowLevel);
}

}  // namespace engine
