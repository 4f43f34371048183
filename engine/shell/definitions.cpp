// Definition files, the definition stack and task parameters.
#include "engine/shell/definitions.h"

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/expression.h"
#include "engine/lang/number.h"
#include "engine/lang/variables.h"
#include "engine/shell/task_entries.h"

namespace engine {

StrRef DefFileName(StrRef name, uint16_t type) {
  if (name.IsStatus()) return name;
  StrAreaScope scope;
  return scope.Return(StrJoin(name, '.', ListField(kDefinitionTypes, ',', type)));
}

namespace {

// Where a type keeps the record type of a line and where the line's text starts.
struct RecordLayout {
  uint16_t start = 0;
  uint16_t length = 0;  // 0: no record type
  uint16_t text = 0;
  bool drop_last = false;
};

RecordLayout LayoutOf(uint16_t type) {
  switch (type) {
    case kDefPpn:
      return {0, 2, 3, false};
    case kDefPan:
      return {1, 2, 3, true};
    case kDefStp:
      return {0, 4, 5, false};
    case kDefDat:
      return {0, 2, 2, false};
    case kDefPdc:
      return {0, 5, 0, false};
    default:
      return {};
  }
}

}  // namespace

uint16_t LineRecordType(uint16_t type, StrRef line) {
  const RecordLayout layout = LayoutOf(type);
  uint32_t value = 0;
  for (uint16_t i = layout.start; i < layout.start + layout.length; ++i) {
    const char c = i < line.len ? line[i] : ' ';
    if (c >= '0' && c <= '9') {
      value = value * 10 + static_cast<uint32_t>(c - '0');
    } else if (c == ' ') {
      value *= 10;
    } else {
      break;
    }
  }
  return static_cast<uint16_t>(value);
}

StrRef LineRecordText(uint16_t type, StrRef line) {
  const RecordLayout layout = LayoutOf(type);
  StrRef text = StrSub(line, layout.text, -1);
  if (layout.drop_last && text.len > 0) --text.len;
  return text;
}

Status ReadDefinition(StrRef name, uint16_t record, uint16_t type, char separator) {
  if (name.IsStatus()) return StrCheck(name);
  StrAreaScope scope;
  const StrRef found = FileFindOnPath(name);
  if (found.IsStatus()) return ReportStatus(kFileNotFound, name);
  const StrRef content = FileReadAll(found, 0, kReadToEnd);
  if (content.IsStatus()) return ReportStatus(StrCheck(content), found);
  // The joined text is never longer than the file.
  Status status = StrAreaAlloc(content.len);
  if (!status.ok()) return status;
  char* out = StrWritable(StrAreaTop());
  uint16_t used = 0;
  bool any = false;
  uint16_t pos = 0;
  while (pos < content.len) {
    uint16_t end = StrFindChar(content, pos, '\n', true);
    const uint16_t next = end == kNothing ? content.len : end + 1;
    if (end == kNothing) end = content.len;
    StrRef line = StrSub(content, pos, end - pos);
    if (line.len > 0 && line[line.len - 1] == '\r') --line.len;
    pos = next;
    if (record != kAllRecords) {
      if (LineRecordType(type, line) != record) continue;
      line = LineRecordText(type, line);
    }
    if (any) out[used++] = separator;
    for (const char c : line.view()) out[used++] = c;
    any = true;
  }
  if (record != kAllRecords && !any) return ReportStatus(kFileNotFound, found);
  return SlotPush(kGroupDefinitionStack, StrMake(out, used));
}

StrRef DefinitionValue(StrRef key) {
  StrAreaScope scope;
  return scope.Return(ParamValue(SlotLast(kGroupDefinitionStack), key, kParamFieldValue));
}

Status DropDefinition() { return SlotPop(kGroupDefinitionStack); }

namespace {

struct ParamNames {
  uint16_t base;
  StrRef names;
};

// By ascending base: number n takes the last range whose base is not above it.
constexpr ParamNames kParamNames[] = {
    {0, StrLit("MODULES$,MENU$,CALLER$,SUBMENU$,LOAD$,EXEC$,COUNTER$,MAX_IDS_ATTR%,STATMSG$")},
    {10, StrLit("SCREENSIZE$,SET$,OPEN$,EDIT$,NOEDIT$,WRITE$,DOC$,DOCSETS$,HELP$,SAVED$,HIDDEN$,"
                "RELOPT%,UNICNDX%,AUTONDX%,KEYMAP%,SCANDEF$,SCANWIN$,SCANSET$,VOIDMODE%")},
    {30, StrLit("NUMCAB$,WRITECAB0$,WRITECABS$,WRITELINS$,FITCLC$,FTCLC$,READCABS$,READLINS$,"
                "LNINS$,LNDEL$,ALARMLINS$,BOUNDS$,DOCTYPETXT$,MODE$,FASTFIND$,FLDUPDATE$,"
                "BEGINFLD%,MAXLIN%")},
    {50, StrLit("FD$,ALARM$,ASSIGN$,LNASSIGN$,FILEDEF$,PERFORM$,UPDFIELDS$,WIDTHS$,TYPES$,"
                "WINDOWS$,CLEAR$,ON_CONFIRM$,ON_CANCEL$,USR_COND$,IK$(1),IK$(2),IK$(3)")},
    {70, StrLit("ATEND$,BRKEND$,BREAK$,COND$,MAXLINE%,LINESTEP%,TOTALBASE%,CONTINUE%,EXTRASTEP%,"
                "TITLE$,WD")},
    {90, StrLit("DEVICE$,DOCNAME$,ACBOUND$,INDEX%,LIMITS$,AUXLOAD$,RESET$,STEPS$,PRCNAME$")},
    {100, StrLit("ACCEPT_PRC%,WINNAME$,PROG_MODE$,PARM_FILE$,PARM_FILE_WRITE$,SOURCEFILE%,"
                 "IMP_MODE%,RD_EXP$,WR_EXP$,EOT_EXP$,RD_COND$,TARGET$,LOAD_IMPORT$,MNU_IMPORT$,"
                 "AUTO_IMPORT$,STRUCT$")},
};

// The name without a context prefix (a view of constant text).
StrRef BareParamName(uint16_t n) {
  const ParamNames* range = &kParamNames[0];
  for (const ParamNames& r : kParamNames) {
    if (r.base <= n) range = &r;
  }
  return ListField(range->names, ',', static_cast<uint16_t>(n - range->base));
}

// The value of the variable of that name with every '%' removed; the empty string when there
// is none.
StrRef VariableParam(StrRef name) {
  StrAreaScope scope;
  const StrRef var = StrReplace(name, StrLit("%"), StrLit(""), true);
  if (var.IsStatus() || !VarFind(var).found()) return scope.Return(StrLit(""));
  if (!VarPush(var).ok()) return scope.Return(StrLit(""));
  if (VarKindOf(var) == VarKind::kString) return scope.Return(StrAreaTop());
  return scope.Return(NumberToText(NumberAt(StrAreaTop())));
}

}  // namespace

StrRef TaskParamName(uint16_t n) {
  StrAreaScope scope;
  const StrRef name = BareParamName(n);
  const int16_t aux = SysWord(kSysAux);
  if (name.empty() || aux == 0) return scope.Return(name);
  const StrRef context =
      ListField(SlotGet(kGroupDiagnostics, kDiagContextNames), ',', static_cast<uint16_t>(aux));
  return scope.Return(StrFormat(384, StrLit("%s.%s"), {context, name}));
}

StrRef TaskParam(uint16_t n, uint16_t field) {
  StrAreaScope scope;
  const StrRef bare = BareParamName(n);
  if (bare.empty()) return scope.Return(StrLit(""));
  StrRef value = ParamCopy(TaskWindowParams(), TaskParamName(n));
  if (StrCheck(value) == kNothing && SysWord(kSysAux) != 0) {
    value = ParamCopy(TaskWindowParams(), bare);
  }
  if (StrCheck(value) == kNothing) {
    value = StrFindChar(bare, 0, '(', true) == kNothing ? VariableParam(bare) : StrLit("");
  }
  if (field != 0 && field != kNothing) value = ListField(value, ',', field);
  return scope.Return(value);
}

StrRef DefinitionParam(uint16_t n) {
  StrAreaScope scope;
  return scope.Return(DefinitionValue(TaskParamName(n)));
}

}  // namespace engine
