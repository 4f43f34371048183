// The start, the start menu and the end of the engine.
#include "engine/shell/engine_start.h"

#include <string>

#include "engine/core/block_pool.h"
#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/memory.h"
#include "engine/core/message_box.h"
#include "engine/core/messages.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/expression.h"
#include "engine/lang/format_params.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/lang_start.h"
#include "engine/lang/variables.h"
#include "engine/proc/procedure_run.h"
#include "engine/shell/command_line.h"
#include "engine/shell/config_files.h"
#include "engine/shell/definitions.h"
#include "engine/shell/hooks.h"
#include "engine/shell/log_file.h"
#include "engine/shell/main_window.h"
#include "engine/shell/paths.h"
#include "engine/shell/process_env.h"
#include "engine/shell/run_state.h"
#include "engine/shell/shell_tasks.h"
#include "engine/shell/start_dictionary.h"
#include "engine/shell/task_entries.h"
#include "engine/shell/task_line.h"
#include "engine/ui/fonts.h"

namespace engine {

namespace {

constexpr uint16_t kTraceStart = 0x100;    // start-up trace
constexpr uint16_t kTraceStartLog = 0x10;  // ... written to log.txt, ending the start
constexpr uint16_t kTraceAlways = 1;
constexpr StrRef kStartTraceLog = StrLit("log.txt");
constexpr StrRef kApplicationsFolder = StrLit("..\\APPS");
constexpr StrRef kRunLoaded = StrLit("RLV=1");
constexpr uint16_t kScrRunOption = 8;

struct EngineState {
  bool started = false;
  uint16_t flags = 0;
};

EngineState& Engine() {
  static EngineState state;
  return state;
}

Status SetItem(uint16_t item, StrRef value) { return SlotSet(kGroupEnvironment, item, value); }

StrRef CurrentFolderText() {
  StrAreaScope scope;
  return scope.Return(StrView(CurrentProcessEnv().CurrentFolder()));
}

// Item (0, 0): the language's number and date formats.
Status SetLocaleText() {
  StrAreaScope scope;
  return SetItem(kEnvLocale, LocaleText());
}

// Item (0, 2): the APNAME option, else the identifier, keeping a family that item 2 held
// before when the identifier names none.
Status SetApplicationName(StrRef identifier) {
  StrAreaScope scope;
  const StrRef apname = OptionValue(kOptApName);
  if (!apname.IsStatus() && !apname.empty()) return SetItem(kEnvAppName, apname);
  const StrRef family = ListField(SlotGet(kGroupEnvironment, kEnvAppName), ':', 2);
  if (StrFindChar(identifier, 0, ':', true) == kNothing && !family.empty()) {
    return SetItem(kEnvAppName, StrJoin(identifier, ':', family));
  }
  return SetItem(kEnvAppName, identifier);
}

// The trace bits, the identity and the paths.
Status SetIdentity(StrRef identifier, StrRef title) {
  StrAreaScope scope;
  SysWordSet(kSysTrace, static_cast<int16_t>(StrToInt(OptionValue(kOptTrace)) | kTraceAlways));
  Status status = SetApplicationName(identifier);
  if (status.ok()) status = SetItem(kEnvAppDescription, title);
  if (status.ok() && SlotGet(kGroupEnvironment, kEnvSearchPath).empty()) {
    status = SetItem(kEnvSearchPath, AppPath(kPathRun));
  }
  if (status.ok() && SlotGet(kGroupEnvironment, kEnvHelpFolder).empty()) {
    status = SetItem(kEnvHelpFolder, AppPath(kPathHelp));
  }
  return status;
}

bool ApNameRenames(StrRef identifier) {
  StrAreaScope scope;
  const StrRef apname = OptionValue(kOptApName);
  return !apname.IsStatus() && !apname.empty() && apname.view() != identifier.view();
}

// The dictionary along the search path, else along the DPATH option or the APPS folder
// beside the current folder.
Status LoadDictionary(uint16_t flags) {
  StrAreaScope scope;
  LatchClear();
  DetailClear();
  Status status = StartDictionaryLoad();
  if (!status.ok()) {
    StrRef folder = OptionValue(kOptDPath);
    if (folder.IsStatus() || folder.empty()) {
      folder = PathResolve(CurrentFolderText(), kApplicationsFolder);
    }
    const Status set = SetItem(kEnvSearchPath, folder);
    if (!set.ok()) return set;
    // The first failure is over: only the second attempt's may reach the user.
    LatchClear();
    DetailClear();
    status = StartDictionaryLoad();
  }
  if ((flags & kStartDictionaryOptional) && (status == kLoadStrError || status == kFileNotFound)) {
    LatchClear();
    DetailClear();
    status = kOk;
  }
  return status;
}

// The start-up trace. Answers the status the start goes on with.
Status StartTrace(Status status) {
  const uint16_t trace = static_cast<uint16_t>(SysWord(kSysTrace));
  if (!(trace & kTraceStart)) return status;
  StrAreaScope scope;
  if (!(trace & kTraceStartLog)) {
    (void)ShowAbout(IntToStr(SysWord(kSysPrecis)));
    DetailClear();
    return status;
  }
  Status log = SetLogFile(kStartTraceLog);
  const StrRef line = StrFormat(384, StrLit("0,%s"), {SlotGet(kGroupEnvironment, kEnvLanguage)});
  if (log.ok()) log = LogLine(line, kTraceStart);
  if (!log.ok()) return log;
  return (status.ok() || status == kLoadStrError) ? Status(kDetailOnly) : status;
}

Status StartSteps(StrRef command_line, StrRef identifier, StrRef title, uint16_t flags,
                  ModuleCallback callback) {
  const uint16_t module_flags = static_cast<uint16_t>(flags << 4);
  (void)RegisterHookAs<NameResolver>(&ScreenFieldValue, kHookScreenField);
  SetNameResolver(&ScreenFieldValue);
  SetPathExpander(&ExpandPathVars);
  SetEnvironmentReader(&EnvironmentVariable);
  {
    StrAreaScope scope;
    const StrRef line = NormalizeCommandLine(command_line);
    if (line.IsStatus()) return StrCheck(line);
    const Status status = SetItem(kEnvCommandLine, line);
    if (!status.ok()) return status;
  }
  Status status = callback ? callback(kModuleInit | module_flags) : Status(kOk);
  if (!status.ok()) return status;
  if (SlotGet(kGroupEnvironment, kEnvLanguage).empty()) {
    status = SetItem(kEnvLanguage, kDefaultLanguage);
    if (!status.ok()) return status;
  }
  // The texts of the language set just now.
  LanguageReset();
  status = SetLocaleText();
  if (status.ok()) status = SetIdentity(identifier, title);
  if (!status.ok()) return status;
  if ((flags & kStartLoadDictionary) &&
      (!(flags & kStartDictionaryOnApName) || ApNameRenames(identifier))) {
    status = LoadDictionary(flags);
  }
  if (status.ok()) status = LoadFontFile();
  status = StartTrace(status);
  if (status.ok() || status == kLoadStrError) {
    status = callback ? callback(kModuleConfigure | module_flags) : Status(kOk);
  }
  if (status.ok()) {
    LatchClear();
    DetailClear();
  }
  return status;
}

// Frees everything the start made. The engine's end status: the data files' stop, else 178 when
// memory was left allocated.
Status StopEngine() {
  EngineState& engine = Engine();
  if (!engine.started) return kOk;
  engine = EngineState{};
  RunStateRelease();
  const Status data = StopDataFiles();
  // An index that could not be saved is shown while its path can still be told.
  if (data.IsError()) (void)ShowStatus(data);
  StreamCloseAll();
  ProceduresStop();
  HooksClear();
  SetTaskHandler(nullptr);
  SetNameResolver(nullptr);
  SetPathExpander(nullptr);
  SetEnvironmentReader(nullptr);
  FontsClear();
  LangStop();
  const uint16_t leaked = MemoryStop();
  if (leaked != 0) (void)BlockPoolShutdown(true);
  return data.ok() && leaked != 0 ? Status(kMemoryLeaks) : data;
}

}  // namespace

void SetMemoryLimits(uint16_t area_kb, uint16_t handle_slots) {
  BlockPoolSettings& settings = BlockPoolConfig();
  if (area_kb != kNothing) settings.area_kb = area_kb;
  if (handle_slots != kNothing) settings.handle_slots = handle_slots;
}

Status EngineStart(StrRef command_line, StrRef identifier, StrRef title, uint16_t flags,
                   ModuleCallback callback) {
  EngineState& engine = Engine();
  Status status = MemoryStart();
  if (!status.ok()) return status;
  status = LangStart();
  if (!status.ok()) {
    LangStop();
    (void)MemoryStop();
    return status;
  }
  // The procedure runner is there before the module registers its own hooks and commands.
  ProceduresStart();
  engine.started = true;
  engine.flags = flags;
  status = StartSteps(command_line, identifier, title, flags, callback);
  if (status > kDetailOnly) (void)ShowStatus(status);
  return status;
}

Status ModuleConfigure() {
  StrAreaScope scope;
  Status status = SetItem(kEnvHelpFolder, PathJoin(AppPath(kPathDefault), StrLit("Help")));
  if (status.ok()) status = LoadConfigFiles(kConfigFiles);
  if (status.ok()) status = EvalStatements(kRunLoaded);
  if (!status.ok()) return status;
  return RunState(kRunStarting);
}

StrRef ResolveStartMenu(StrRef menu) {
  StrAreaScope scope;
  if (!menu.IsStatus() && !menu.empty()) return scope.Return(menu);
  StrRef name = OptionValue(kOptApStart);
  if (name.IsStatus() || name.empty()) {
    name = StrConcat(AppPrefix(), StrLit("MENU")).ok() ? StrAreaTop() : StrLit("");
  }
  const StrRef file = ListField(name, ',', 1);
  if (!FileFindOnPath(DefFileName(file, kDefPmt)).IsStatus() ||
      !FileFindOnPath(DefFileName(file, kDefPpn)).IsStatus()) {
    return scope.Return(name);
  }
  return scope.Return(StrLit(""));
}

namespace {

// The task lines of the INPUT file, while they succeed; _INHND holds the file's handle.
Status RunInputScript() {
  StrAreaScope scope;
  const StrRef input = OptionValue(kOptInput);
  if (input.IsStatus() || input.empty()) return kOk;
  uint16_t handle = kNoHandle;
  Status status = StreamOpen(input, kStreamReadOnly, &handle);
  if (!status.ok()) return status;
  SysWordSet(kSysInHnd, static_cast<int16_t>(handle));
  int64_t number = 0;
  while (status.ok()) {
    StrAreaScope line_scope;
    const size_t room = StrAreaScratch().len;
    const StrRef line = StreamReadLine(handle, kPosCurrent, kReadLine);
    if (StrCheck(line) == kNothing) break;
    if (line.IsStatus()) {
      status = StrCheck(line);
      break;
    }
    ++number;
    // A line that fills all the room is cut; none of it runs.
    if (line.len >= room) {
      status = ReportStatus(kStringTooLong, LineOfFile(input, number));
      break;
    }
    const StrRef task = StrTrim(line, kTrimBoth);
    if (task.empty()) continue;
    status = RunTaskLine(task, &DefaultDispatch);
  }
  SysWordSet(kSysInHnd, 0);
  StreamClose(handle);
  return status;
}

}  // namespace

Status RunStartMenu(StrRef menu) {
  StrAreaScope scope;
  const StrRef run = OptionValue(kOptRun);
  const bool has_run = !run.IsStatus() && !run.empty();
  Status status = kOk;
  bool shown = false;
  if ((menu.IsStatus() || menu.empty()) && !has_run) {
    status = ReportStatus(kBadInputData, Message(kTaskUndefinedMessage));
  } else {
    const StrRef output = OptionValue(kOptOutput);
    if (!output.IsStatus() && !output.empty()) SysWordSet(kSysOutHnd, 1);
    status = RunInputScript();
    if (status.ok() && has_run) {
      SysWordSetBits(kSysScrStat, kScrRunOption, true);
      status = RunTaskLine(run, &DefaultDispatch);
    } else if (status.ok()) {
      // The main window shows what went wrong with it before its loop runs.
      status = RunMainWindow(SlotGet(kGroupEnvironment, kEnvAppDescription), menu);
      shown = true;
    }
  }
  if (!status.ok() && !shown) (void)ShowStatus(status);
  return status;
}

Status EngineEnd(ModuleCallback callback, Status status) {
  const uint16_t module_flags = static_cast<uint16_t>(Engine().flags << 4);
  const Status module_end = callback ? callback(kModuleEnd | module_flags) : Status(kOk);
  const Status engine_end = StopEngine();
  Status result = status;
  if (result.ok()) result = module_end;
  if (result.ok()) result = engine_end;
  return result < kTypeMismatch ? Status(kOk) : result;
}

void EngineRelease() { (void)StopEngine(); }

}  // namespace engine
