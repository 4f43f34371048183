// The engine's six command handlers, the table of their commands, and the operations the
// procedure subsystem carries out itself.
#include "engine/proc/engine_commands.h"

#include <array>
#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/dictionary.h"
#include "engine/data/dictionary_load.h"
#include "engine/data/file_scan.h"
#include "engine/data/relational_update.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/variables.h"
#include "engine/proc/procedure_compiler.h"
#include "engine/proc/system_services.h"
#include "engine/proc/window_commands.h"

namespace engine {

namespace {

// A command of the engine's slots. `detail` is the text a removed command is reported with (its
// keyword when empty); a `removed` command answers 148 whatever is registered.
struct EngineCommand {
  uint16_t keyword;
  uint8_t slot;
  bool removed = false;
  StrRef detail{"", 0};
};

constexpr EngineCommand kEngineCommands[] = {
    {kKwDevice, 0},
    {kKwDLocate, 0},
    {kKwDPrint, 0},
    {kKwEndDevice, 0},
    {kKwKill, 0},
    {kKwSystem, 0},
    {kKwLoadStruct, 1},
    {kKwRcDelete, 1},
    {kKwRcInsert, 1},
    {kKwRcUpdate, 1, true},
    {kKwRcWrite, 1},
    {kKwFileStruct, 1},
    {kKwAccept, 2},
    {kKwBounds, 2},
    {kKwColor, 2},
    {kKwLocate, 2},
    {kKwMessage, 2},
    {kKwPrint, 2},
    {kKwRead, 2},
    {kKwWait, 2},
    {kKwWinMenu, 2},
    {kKwWinOpen, 2},
    {kKwWinClose, 2},
    {kKwWinSelect, 2},
    {kKwWinProg, 2},
    {kKwReport, 3},
    {kKwDocPrint, 3},
    {kKwConnect, 4, true},
    {kKwExport, 4},
    {kKwImport, 4},
    {kKwRemote, 4, true, StrLit("ExecRunTrans REMOTE")},
    {kKwFileSelect, 5},
    {kKwShell, 5, true, StrLit("ExecRunUtils SHELL")},
    {kKwFileScan, 5},
    {kKwStatSteps, 5},
};

std::array<CommandOperation, kKeywordCount + 1> g_operations{};

const EngineCommand* FindCommand(uint16_t keyword) {
  for (const EngineCommand& command : kEngineCommands) {
    if (command.keyword == keyword) return &command;
  }
  return nullptr;
}

// A slot's handler: its commands are carried out by their operations; one without an operation,
// or whose operation declines the form it was given, goes on along the chain (the application
// module may carry it out) and is a removed feature when nobody does.
template <uint8_t Slot>
Status SlotHandler(uint16_t keyword, const CommandArgs& args) {
  const EngineCommand* command = FindCommand(keyword);
  if (!command || command->slot != Slot) return kCommandNotHandled;
  Status status = kCommandNotHandled;
  if (!command->removed) {
    const CommandOperation operation = g_operations[keyword];
    if (operation) status = operation(args);
    if (status == kCommandNotHandled) status = CommandOffer(Slot + 1, keyword, args);
  }
  if (status != kCommandNotHandled) return status;
  return ReportStatus(kFeatureRemoved,
                      command->detail.empty() ? KeywordName(keyword) : command->detail);
}

constexpr CommandHandler kSlotHandlers[kEngineCommandSlots] = {
    SlotHandler<0>, SlotHandler<1>, SlotHandler<2>, SlotHandler<3>, SlotHandler<4>, SlotHandler<5>,
};

// ---- Operations ----------------------------------------------------------------------------

constexpr char kVariableMark = '%';
constexpr StrRef kStructureExtension = StrLit("DAT");

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// `text` with `part` appended, kept as the only temporary above `mark`.
Status Append(uint16_t mark, StrRef* text, StrRef part) {
  if (part.IsStatus()) return StrCheck(part);
  Status status = StrConcat(*text, part);
  if (!status.ok()) return status;
  *text = StrAreaReturn(mark, StrAreaTop());
  return StrCheck(*text);
}

// The interpreter's word for the value of a variable; pushed.
StrRef CommandWord(StrRef value) {
  if (value.IsStatus()) return value;
  const std::string word = CurrentSystemServices().CommandWord(value.view());
  return StrAreaReturn(StrAreaMark(), StrView(word));
}

Status Kill(const CommandArgs& args) {
  StrAreaScope scope;
  const StrRef path = ExpandPath(args.Text(1));
  SetCommandStat(path.IsStatus() ? StrCheck(path) : FileDelete(path));
  return kOk;
}

Status System(const CommandArgs& args) {
  // The external viewer belongs to the output devices.
  if (args.Integer(1) != 0) return kCommandNotHandled;
  StrAreaScope scope;
  const StrRef line = SystemCommandLine(args.Text(1));
  if (line.IsStatus()) {
    SetCommandStat(StrCheck(line));
    return kOk;
  }
  int exit_status = 0;
  const Status status = CurrentSystemServices().RunCommand(
      line.view(), [](std::string_view) {}, &exit_status);
  if (!status.ok()) {
    SetCommandStat(ReportStatus(status, line));
  } else {
    SetCommandStat(exit_status);
  }
  return kOk;
}

// RC_DELETE, RC_INSERT, RC_WRITE 'file,entries': the save routine with the command's word on the
// file the expression of field 1 gives (empty: the current file), with the relational-update
// entries of field 2 (';' standing for ',', as the list is itself a comma list).
template <uint16_t Word>
Status SaveRecord(const CommandArgs& args) {
  StrAreaScope scope;
  const StrRef target = args.Text(1);
  const StrRef file_expression = StrTrim(ListField(target, ',', 1), kTrimBoth);
  Status status = kOk;
  const int16_t file = file_expression.empty() ? 0 : EvalInteger(file_expression, &status);
  if (!status.ok()) return status;
  if (file < 0 || file > 0xFF) return ReportStatus(kBadFileNumber, file_expression);
  const StrRef list = StrReplace(ListField(target, ',', 2), StrLit(";"), StrLit(","), true);
  return SaveWithRelations(Word, static_cast<uint8_t>(file), list, StrLit(""));
}

Status FileScanCommand(const CommandArgs& args) {
  return FileScan(args.Text(1), args.Text(2), args.Text(3), args.Text(4), args.Text(5));
}

// LOADSTRUCT 'name': the structure file (a dictionary text, extension DAT when none is given)
// found along the definition search path, loaded as a run-time structure.
Status LoadStruct(const CommandArgs& args) {
  StrAreaScope scope;
  StrRef name = StrTrim(args.Text(1), kTrimBoth);
  if (name.IsStatus()) return StrCheck(name);
  if (!HasExtension(name)) name = StrJoin(name, '.', kStructureExtension);
  const StrRef path = FileFindOnPath(name);
  if (path.IsStatus()) return ReportStatus(StrCheck(path), name);
  return LoadStructure(path, SlotGet(kGroupEnvironment, kEnvSearchPath));
}

Status FileStruct(const CommandArgs& args) {
  return DefineStructure(args.Text(1), args.Text(2), args.Text(3));
}

Status FileSelect(const CommandArgs& args) {
  const StrRef set = args.Text(1);
  // Anything else asks for the file dialog, which belongs to the forms.
  if (args.IsString(1) && set.len > 1) return CurrentDataFileFunctions().OpenFileSet(set);
  return kCommandNotHandled;
}

}  // namespace

void SetCommandStat(int32_t value) { SysWordSet(kSysStat, static_cast<int16_t>(value)); }

void CommandOperationSet(uint16_t keyword, CommandOperation operation) {
  if (FindCommand(keyword)) g_operations[keyword] = operation;
}

CommandOperation CommandOperationAt(uint16_t keyword) {
  return FindCommand(keyword) ? g_operations[keyword] : nullptr;
}

void EngineCommandsInstall() {
  for (uint16_t slot = 0; slot < kEngineCommandSlots; ++slot) {
    CommandHandlerSet(slot, kSlotHandlers[slot]);
  }
  g_operations.fill(nullptr);
  CommandOperationSet(kKwKill, Kill);
  CommandOperationSet(kKwSystem, System);
  WindowCommandsInstall();
  CommandOperationSet(kKwFileSelect, FileSelect);
  CommandOperationSet(kKwFileStruct, FileStruct);
  CommandOperationSet(kKwLoadStruct, LoadStruct);
  CommandOperationSet(kKwFileScan, FileScanCommand);
  CommandOperationSet(kKwRcDelete, SaveRecord<kSaveDelete>);
  CommandOperationSet(kKwRcInsert, SaveRecord<kSaveInsert>);
  CommandOperationSet(kKwRcWrite, SaveRecord<kSaveUpdate>);
}

StrRef SystemCommandLine(StrRef text) {
  if (text.IsStatus()) return text;
  const uint16_t mark = StrAreaMark();
  StrRef line = StrLit("");
  uint16_t copied = 0;
  for (uint16_t i = 0; i < text.len; ++i) {
    if (text[i] != kVariableMark) continue;
    uint16_t end = i + 1;
    while (end < text.len && IsNameChar(text[end])) ++end;
    if (end == i + 1 || end >= text.len || text[end] != kVariableMark) continue;
    Status status = Append(mark, &line, StrMake(text.ptr + copied, i - copied));
    if (status.ok()) {
      status = Append(mark, &line, CommandWord(ExpandPath(StrMake(text.ptr + i, end + 1u - i))));
    }
    if (!status.ok()) {
      StrAreaRelease(mark);
      return StrError(status);
    }
    copied = end + 1;
    i = end;
  }
  const Status status = Append(mark, &line, StrMake(text.ptr + copied, text.len - copied));
  if (!status.ok()) {
    StrAreaRelease(mark);
    return StrError(status);
  }
  return StrAreaReturn(mark, line);
}

}  // namespace engine
