// Built-in functions on files: disk files opened, read and written by handle or name, saved
// variables, expression files and procedures (EXEC$), and the data-file functions, which hand
// their work to the data-file subsystem through its seam.
#include <bitset>
#include <string_view>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/builtins.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/number.h"
#include "engine/lang/variables.h"
#include "engine/shell/hooks.h"

namespace engine::builtins {

namespace {

// FILESEL flags.
constexpr int16_t kSelWrite = 2;
constexpr int16_t kSelAppend = 4;
constexpr int16_t kSelReadOnly = 8;
constexpr int16_t kSelDefault = 1;

// WRITE modes for a path: an offset, or one of these; any other negative mode writes at the end.
constexpr int16_t kWriteSaveVariables = -2;
constexpr int16_t kWriteReplace = -3;  // replaces the file (-2 is taken by saved variables)

constexpr char kEndOfFileMark = 0x1A;
constexpr uint16_t kUpStatInPass = 4;    // _UPSTAT bit: inside an accumulate pass
constexpr uint16_t kRelationByHook = 4;  // FILEREL mode bit
constexpr StrRef kExpressionSeparator = StrLit(";");
constexpr StrRef kSavedTrailer = StrLit(" \r\n;");

// The handles FILESEL opened: READ$, WRITE and FILESEL's close act on these and on the standard
// streams only, never on a handle another part of the engine opened (a data file's, say).
std::bitset<kStreamHandles> g_selected;

bool Usable(int16_t handle) {
  return handle >= 0 && handle < static_cast<int16_t>(kStreamHandles) &&
         (handle < static_cast<int16_t>(kStreamFirstFile) || g_selected.test(handle));
}

// A data-file result: below 128 the function's number, from 128 a failure.
Status DataResult(Status status) {
  if (status.IsError()) return status;
  return ReturnWhole(status.code());
}

int64_t WholeArgument(FunctionCall& call, uint16_t n, int64_t fallback, Status* status) {
  int64_t scaled = 0;
  *status = call.ArgNumber(n, 0, &scaled);
  return call.Given(n) ? NumberRoundWhole(scaled) : fallback;
}

bool Saved(StrRef content, StrRef name) {
  const uint16_t count = ListCount(content, ';');
  for (uint16_t i = 1; i <= count; ++i) {
    const StrRef item = StrTrim(ListField(content, ';', i), kTrimBoth);
    const uint16_t equals = StrFindChar(item, 0, '=', true);
    if (equals != kNothing && StrSub(item, 0, equals).view() == name.view()) return true;
  }
  return false;
}

// "NAME=value": a string value in a quote it does not contain (163 when it holds both), a number
// as its canonical text (0 for zero).
StrRef SavedAssignment(StrRef name) {
  StrAreaScope scope;
  Status status = VarPush(name);
  if (!status.ok()) return scope.Return(StrError(status));
  StrRef value = StrAreaTop();
  if (VarKindOf(name) == VarKind::kString) {
    value = StrQuote(value, '\'');
    if (value.IsStatus()) return scope.Return(StrError(ReportStatus(StrCheck(value), name)));
  } else {
    value = NumberToText(NumberAt(value));
    if (!value.IsStatus() && value.empty()) value = StrLit("0");
  }
  return scope.Return(StrFormat(kMaxStrLen, StrLit("%s=%s"), {name, value}));
}

// WRITE mode -2: the listed variables not yet in the file are appended to it as assignments,
// and the file is evaluated, which gives every listed variable its saved value.
Status SaveVariables(StrRef path, StrRef names) {
  StrAreaScope scope;
  StrRef content = FileReadAll(path, 0, kReadToEnd);
  if (StrCheck(content) == kFileNotFound) content = StrLit("");
  if (content.IsStatus()) return StrCheck(content);
  content = StrTrimSet(content, kTrimRight, kSavedTrailer);
  bool added = false;
  const uint16_t count = ListCount(names, ',');
  for (uint16_t i = 1; i <= count; ++i) {
    const StrRef name = StrTrim(ListField(names, ',', i), kTrimBoth);
    if (name.empty()) continue;
    if (!IsPlainVariableName(name)) return ReportStatus(kSyntaxError, name);
    if (Saved(content, name)) continue;
    content = StrJoin(content, ';', SavedAssignment(name));
    if (content.IsStatus()) return StrCheck(content);
    added = true;
  }
  if (added) {
    Status status = FileWriteAll(path, kPosReplace, content);
    if (!status.ok()) return status;
  }
  return content.empty() ? Status(kOk) : EvalStatus(content);
}

Status WriteToPath(StrRef path, int16_t mode, StrRef text) {
  if (mode == kWriteSaveVariables) return SaveVariables(path, text);
  const uint64_t position = mode >= 0               ? static_cast<uint64_t>(mode)
                            : mode == kWriteReplace ? kPosReplace
                                                    : kPosEnd;
  if (!text.empty()) return FileWriteAll(path, position, text);
  if (position != kPosReplace) return kOk;
  // Replacing with nothing empties the file.
  uint16_t handle = kNoHandle;
  Status status = StreamOpen(path, kStreamWrite, &handle);
  if (status.ok()) StreamClose(handle);
  return status;
}

// An expression file: its lines joined with ';' and evaluated as one statement list.
Status RunExpressionFile(StrRef command) {
  StrAreaScope scope;
  const StrRef path = FileFindOnPath(command);
  if (path.IsStatus()) return ReportStatus(kFileNotFound, command);
  const StrRef text = FileReadJoined(path, kExpressionSeparator);
  // A file that is there but cannot be read whole (too long, no room left) says so.
  if (text.IsStatus() && StrCheck(text) != kFileNotFound) {
    return ReportStatus(StrCheck(text), path);
  }
  if (text.IsStatus() || StrTrim(text, kTrimBoth).empty()) {
    return ReportStatus(kFileNotFound, path);
  }
  return EvalStatus(text);
}

}  // namespace

void FileSelCloseAll() {
  for (uint16_t h = kStreamFirstFile; h < kStreamHandles; ++h) {
    if (g_selected.test(h)) StreamClose(h);
  }
  g_selected.reset();
}

// ---- Disk files --------------------------------------------------------------------------

Status FileLength(FunctionCall& call) {
  Status status = call.ArgCount(1, 1);
  StrRef name;
  if (status.ok()) status = call.ArgString(1, StrLit(""), &name);
  if (!status.ok()) return status;
  uint64_t count = 0;
  status = CurrentDataFileFunctions().RecordCount(name, &count);
  if (status.ok()) return ReturnWhole(static_cast<int64_t>(count));
  if (status != kNothing) return status.IsError() ? status : ReturnWhole(status.code());
  const StrRef path = ExpandPath(name);
  if (path.IsStatus()) return StrCheck(path);
  return ReturnWhole(static_cast<int64_t>(FileSizeByName(path)));
}

Status FileSel(FunctionCall& call) {
  Status status = call.ArgCount(1, 2);
  if (!status.ok()) return status;
  if (call.Total() == 1 && call.IsString(1)) {
    StrRef list;
    status = call.ArgString(1, StrLit(""), &list);
    return status.ok() ? DataResult(CurrentDataFileFunctions().OpenFileSet(list)) : status;
  }
  if (call.Total() == 1) {
    int16_t handle = 0;
    status = call.ArgInteger(1, 0, &handle);
    if (!status.ok()) return status;
    if (!Usable(handle)) return ReportStatus(kSyntaxError, StrLit("FILESEL()"));
    if (handle >= static_cast<int16_t>(kStreamFirstFile)) {
      StreamClose(static_cast<uint16_t>(handle));
      g_selected.reset(handle);
    }
    return ReturnNumber(0);
  }
  StrRef name;
  int16_t flags = kSelDefault;
  status = call.ArgString(1, StrLit(""), &name);
  if (status.ok()) status = call.ArgInteger(2, kSelDefault, &flags);
  if (!status.ok()) return status;
  // Streams never create or empty a file after an open that failed for another reason than
  // the file missing; only the write mode empties a file on purpose.
  uint16_t open_flags = (flags & kSelWrite)    ? kStreamWrite
                        : (flags & kSelAppend) ? kStreamAppend
                                               : 0;
  if (flags & kSelReadOnly) open_flags |= kStreamReadOnly;
  uint16_t handle = kNoHandle;
  status = StreamOpen(name, open_flags, &handle);
  if (!status.ok()) return status;
  if (handle >= kStreamFirstFile) g_selected.set(handle);
  return ReturnWhole(handle);
}

Status Read(FunctionCall& call) {
  Status status = call.ArgCount(1, 3);
  if (!status.ok()) return status;
  const int64_t offset = WholeArgument(call, 2, -1, &status);
  if (!status.ok()) return status;
  const int64_t length = WholeArgument(call, 3, -1, &status);
  if (!status.ok()) return status;
  StrRef result = StrLit("");
  if (call.IsString(1)) {
    StrRef path;
    status = call.ArgString(1, StrLit(""), &path);
    if (!status.ok()) return status;
    const uint64_t from = offset < 0 ? 0 : static_cast<uint64_t>(offset);
    const size_t count = length < 0 ? kReadToEnd : static_cast<size_t>(length);
    result = count == 0 ? StrLit("") : FileReadAll(path, from, count);
  } else {
    int16_t handle = 0;
    status = call.ArgInteger(1, 0, &handle);
    if (!status.ok()) return status;
    if (Usable(handle)) {
      const uint16_t h = static_cast<uint16_t>(handle);
      // An omitted offset reads on from the current position.
      const uint64_t at = offset < 0 ? StreamTell(h) : static_cast<uint64_t>(offset);
      if (length == 0) {
        const bool at_end = StreamSeek(h, at).ok() && StreamAtEnd(h);
        result = at_end ? StrMake(&kEndOfFileMark, 1) : StrLit("");
      } else {
        const uint64_t size = StreamSize(h);
        const uint64_t rest = size == kUnknownSize || size < at ? 0 : size - at;
        const uint64_t count = std::min<uint64_t>(length < 0 ? rest : length, kMaxStrLen);
        result = count == 0 ? StrLit("") : StreamReadLine(h, at, static_cast<size_t>(count));
      }
    }
  }
  // Any failure reads as the empty text.
  return ReturnText(result.IsStatus() ? StrLit("") : result);
}

Status Write(FunctionCall& call) {
  Status status = call.ArgCount(3, 3);
  int16_t mode = 0;
  StrRef text;
  if (status.ok()) status = call.ArgInteger(2, 0, &mode);
  if (status.ok()) status = call.ArgText(3, StrLit(""), &text);
  if (!status.ok()) return status;
  if (call.IsString(1)) {
    StrRef path;
    status = call.ArgString(1, StrLit(""), &path);
    if (!status.ok()) return status;
    return ReturnWhole(WriteToPath(path, mode, text).code());
  }
  int16_t handle = 0;
  status = call.ArgInteger(1, 0, &handle);
  if (!status.ok()) return status;
  if (!Usable(handle)) return ReturnWhole(kBadFileNumber);
  const uint64_t position = mode >= 0 ? static_cast<uint64_t>(mode) : kPosEnd;
  return ReturnWhole(StreamWriteText(static_cast<uint16_t>(handle), position, text).code());
}

Status Exec(FunctionCall& call) {
  Status status = call.ArgCount(1, 2);
  StrRef command;
  StrRef argument;
  if (status.ok()) status = call.ArgString(1, StrLit(""), &command);
  if (status.ok()) status = call.ArgString(2, StrLit(""), &argument);
  if (!status.ok()) return status;
  if (argument.empty() && HasExtension(command)) {
    status = RunExpressionFile(command);
    return status.ok() ? ReturnText(StrLit("")) : status;
  }
  const auto runner = HookAs<ProcedureRunner>(kHookProcedure);
  if (!runner) return ReportStatus(kFeatureRemoved, StrLit("EXEC$()"));
  // Only a value this run pushed is its result; one left by an earlier run stays where it is.
  const uint16_t before = SlotCount(kGroupReturnValues);
  status = runner(command, argument, kRunWantsResult);
  if (status.ok()) {
    status = StrAreaPushCopy(SlotCount(kGroupReturnValues) > before ? SlotLast(kGroupReturnValues)
                                                                    : StrLit(""));
  }
  // Popping a stack down to a count it had cannot fail.
  (void)SlotTruncate(kGroupReturnValues, before);
  return status;
}

// ---- Data files --------------------------------------------------------------------------

Status FileFind(FunctionCall& call) {
  Status status = call.ArgCount(0, 4);
  StrRef text;
  int16_t file = kCurrentFile;
  int16_t key = static_cast<int16_t>(kCurrentKey);
  int16_t mode = 0;
  if (status.ok()) status = call.ArgText(1, StrLit(""), &text);
  if (status.ok()) status = call.ArgInteger(2, kCurrentFile, &file);
  if (status.ok()) status = call.ArgInteger(3, static_cast<int16_t>(kCurrentKey), &key);
  if (status.ok()) status = call.ArgInteger(4, 0, &mode);
  if (!status.ok()) return status;
  return DataResult(CurrentDataFileFunctions().Find(
      text, static_cast<uint16_t>(file), static_cast<uint16_t>(key), static_cast<uint16_t>(mode)));
}

Status FileRel(FunctionCall& call) {
  int16_t args[4] = {};
  for (uint16_t n = 1; n <= 4; ++n) {
    Status status = call.ArgInteger(n, 0, &args[n - 1]);
    if (!status.ok()) return status;
  }
  ArgList* rest = call.rest();
  const StrRef expression = rest->AtEnd() ? StrLit("") : StrSub(rest->text, rest->pos, -1);
  rest->pos = rest->text.len + 1u;
  const auto file = static_cast<uint16_t>(args[0]);
  const auto target = static_cast<uint16_t>(args[1]);
  const auto rule = static_cast<uint16_t>(args[2]);
  const auto mode = static_cast<uint16_t>(args[3]);
  const auto hook = HookAs<RelationHook>(kHookRelation);
  if ((mode & kRelationByHook) && SysWordTest(kSysUpStat, kUpStatInPass) && hook) {
    return DataResult(hook(file, target, rule, mode, expression));
  }
  return DataResult(CurrentDataFileFunctions().Relation(file, target, rule, mode, expression));
}

Status FileLocate(FunctionCall& call) {
  Status status = call.ArgCount(0, 2);
  StrRef command;
  int16_t file = kCurrentFile;
  if (status.ok()) status = call.ArgString(1, StrLit("NXT"), &command);
  if (status.ok()) status = call.ArgInteger(2, kCurrentFile, &file);
  if (!status.ok()) return status;
  return DataResult(CurrentDataFileFunctions().Locate(command, static_cast<uint16_t>(file)));
}

Status Key(FunctionCall& call) {
  Status status = call.ArgCount(0, 4);
  int16_t file = kCurrentFile;
  int16_t key = static_cast<int16_t>(kCurrentKey);
  int16_t half = 1;
  int16_t option = 0;
  if (status.ok()) status = call.ArgInteger(1, kCurrentFile, &file);
  if (status.ok()) status = call.ArgInteger(2, static_cast<int16_t>(kCurrentKey), &key);
  if (status.ok()) status = call.ArgInteger(3, 1, &half);
  if (status.ok()) status = call.ArgInteger(4, 0, &option);
  if (!status.ok()) return status;
  return ReturnText(CurrentDataFileFunctions().KeyText(
      static_cast<uint16_t>(file), static_cast<uint16_t>(key), static_cast<uint16_t>(half),
      static_cast<uint16_t>(option)));
}

Status Ier(FunctionCall& call) {
  Status status = call.ArgCount(0, 1);
  int16_t file = kCurrentFile;
  if (status.ok()) status = call.ArgInteger(1, kCurrentFile, &file);
  if (!status.ok()) return status;
  uint16_t last = 0;
  status = CurrentDataFileFunctions().LastStatus(static_cast<uint16_t>(file), &last);
  return status.ok() ? ReturnWhole(last) : status;
}

}  // namespace engine::builtins

namespace engine {

Status EvalExpressionFile(StrRef name) { return builtins::RunExpressionFile(name); }

}  // namespace engine
