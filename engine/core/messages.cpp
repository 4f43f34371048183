// Error and site names, the built-in message catalogue, the language file, status texts and
// the LANGVARS file.
#include "engine/core/messages.h"

#include <array>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"

namespace engine {

namespace {

// ---- Names -----------------------------------------------------------------------------

constexpr uint16_t kFirstNamedCode = 122;
// One name per code from kFirstNamedCode on; an empty field is a code without a name.
constexpr StrRef kErrorNames = StrLit(
    "User Canceled,Null Expression,Undef.Warning,Type Warning,Bad user data,Out of Data,"
    "Type Mismatch,Loop Failure,Disk I/O,File I/O,Procedure Execution,PRCSTCKERROR,"
    "TRANSUPERROR,VARHANDLERROR,DISKREADERROR,DISKWRITERROR,DISKOPENERROR,NETACCESERROR,"
    "BADEXPRESION,INTERNALERROR,FARHEAPINIERR,Screen Environ,INDEXCMDERROR,OUTOFMEMORY,"
    "STRINGTOOLONG,SINTAXERROR,FEATUREREMOVED,DIMSTRUCERROR,BADSTRINGTYPE,BADFILENUMBER,"
    "FORMATFAILURE,STRCONCATERR,MEMORYALLOCERR,EXPCALCERROR,LOADSTRERROR,VARNAMEERROR,"
    "BADCOMMANDLINE,STROUTBOUND,MEMTESTERROR,FILEOUTBOUND,SQLERROR,BADINPUTDATA,"
    "File Not Found,File Exist,File Opening,CHILDEXECERROR,DATAOUTBOUND,FILENOTINIT,"
    "COMMONCTLERROR,DEVICETIMEOUT,DEVICEIOERROR,SYSTEMCMDERROR,,Permission Denied,"
    "StructMemError,ScreenStructErr,Memory Leaks,Windows Control Error,Memory Overflow,"
    "Variable ScreenField,,Data Already exist,Only Local Access,Graphic Support Low");
constexpr StrRef kUndefinedName = StrLit("Undefined");

// One name per site from 1 on.
constexpr StrRef kSiteNames = StrLit(
    "STRINGINIT,STRINGASSIGN,STRCONCAT,VARNMASSIGN,SQLCONNECT,SQLEXEC,EXEC_COMPILER,"
    "Malloc-MemAcums,ExecRunTime,VarStruct,ExpExec,Sort,BufferFld,DynStrings,StructFuncs,"
    "FormatStrings,Streams,DataFile,LocalLists,Screens,Devices,HtmlScan");

// ---- The engine's catalogue ------------------------------------------------------------
// Entries "NNNN text" separated by TABs; the TABs of 0110, 0111 and 0120 lie inside quotes.

constexpr char kEngineBlock1[] =
    "0001 Unable to initialize String area\t"
    "0002 Unable to Complete Initialization\t"
    "0003 Memory Leaks Detected\t"
    "0004 File not found:%s\t"
    "0005 Process Completed Succesfully\t"
    "0006 Cancelled by user\t"
    "0007 No data Found\t"
    "0008 Warning \t"
    "0009 Error \t"
    "0010 Not defined\t"
    "0011 Yy,Nn\t"
    "0012 Information Message\t"
    "0013 Fatal Error Ocurred\t"
    "0014 Information Request\t"
    "0015 Permision Denied\t"
    "0016 Process in progress.....\t"
    "0017 Bad params for screen field %s\r\n (%s)\t"
    "0018 Posible loss of data. Please Confirm\t"
    "0019 .,'0123456789.-D',' NY','  ,NO,YES'\t"
    "0020 Cancel\t"
    "0021 SQL Connection Fail\t"
    "0022 File Maintenance,Data Capture\t"
    "0023 Key not Found,End of file,,,Bad Key,Repeated Key,Concurrent Change. Update canceled,Data "
    "Change. Please confirm,Passwords do not match\t"
    "0024 Key Updated Canceled\t"
    "0025 Delete Record(s)?\t"
    "0026 View,Insert,Delete,Seek\t"
    "0027 Header Capture,Type of Document,Index search [PgDn/PgUp],Editing [PgDn/PgUp],Line "
    "editing,Summary editing,Data saved,New,Modify,Insert Mode,Maintenance Mode,Print "
    "Disabled,Print Enabled,Read Only\t"
    "0028 New,Top,Prev.,Next,Bottom,Search,Save,Delete\t"
    "0029 Cancel,Find,Save,Insert,Del.Line,Import,Del.Doc.,Print mode\t"
    "0030 Cancel,PgUp.,PgDn.,Save,Insert,Delete,Import,Mode\t"
    "0031 Process not defined\t"
    "0032 There are windows open (%i Screens, %i Windows)\t"
    "0033 Remember your Safety Copies\n\r\xBF"
    "Do you want to Close Program? (%i Screens, %i Windows)\t"
    "0034 Application Selector\t"
    "0035 You must stablish configuration settings in the default folder.\r\nPlease read the "
    "documentation\t"
    "0036 %s (Unknown Application)\t"
    "0037 Only available at Index area\t"
    "0038 Only available in Maintenance Mode,For appending data is recommended to use Insertion "
    "Mode\t"
    "0039 Continue?";

constexpr char kEngineBlock2[] =
    "0040 View Log?\t"
    "0041 HtmlPage not defined\t"
    "0042 Html Parser/Nav Error\t"
    "0043 Html environ initialization Error\t"
    "0044 DefParms File Load Error\t"
    "0045 Parsing page Error\t"
    "0046 Control Command Error\t"
    "0047 Form Log failure\t"
    "0048 Query Params Error\t"
    "0049 Choose Selection\t"
    "0050 OverWrite?\t"
    "0051 Transaction Confirmation\t"
    "0052 No Transaction mode defined\t"
    "0053 No Transaction table defined\t"
    "0054 Extern SQL table not defined\t"
    "0055 Transaction Data Needed\t"
    "0056 'File Name:':'A40'\t"
    "0057 Transaction Bounds\t"
    "0058 Import Window\t"
    "0059 Deleting %s in %s,Updating %s in %s\t"
    "0060 All Files (%s),%s\t"
    "0061 FileStruct Files (%s),%s\t"
    "0062 Screen Files (%s),%s\t"
    "0063 Print Document Files (%s),%s\t"
    "0064 Script Files (%s),%s\t"
    "0065 AppSelect Files (%s),%s\t"
    "0066 Menu Files (%s),%s\t"
    "0067 PDF Files (%s),%s\t"
    "0068 Text Files (%s),%s\t"
    "0070 Help\t"
    "0071 Help Pages\t"
    "0072 Help Page not defined\t"
    "0073 Untitled Window #%s\t"
    "0074 Variables and Functions\t"
    "0075 About Box\t"
    "0077 PgUp/PgDn Avail.\t"
    "0080 (Bigger than),(Smaller than),(Equal to),(From),(To)  ,(No Equal to)\t"
    "0081 Report Limits Capture\t"
    "0082 Device Selection\t"
    "0083 Speed:,Parity:,Lines:,Width:,Step:,View:\t"
    "0084 No Selection done\t"
    "0085 Table Selection\t"
    "0086 Limit Fields Selection\t"
    "0087 Relational Update\t"
    "0088 Target File\t"
    "0089 Relative,Secuential,Delimited,List";

constexpr char kEngineBlock3[] =
    "0090 Database access\t"
    "0091 "
    "'Host:':'A30'::%s,'Database:':'A30'::%s,'User:':'A30'::%s,'Password:':'P30'::%s,'Remember "
    "(Y/N):':'L1'\t"
    "0092 'Host:':'A30'::%s,'Database:':'A30','User:':'A30'::'postgres','Password:':'P30'\t"
    "0093 'Host:':'A30'::%s,'User:':'A30'::'postgres','Password:':'P30'\t"
    "0094 'Relational Update Type:':'N1'\t"
    "0095 'Target File:':'A255'::'%s','Append mode:':'L1'::'1'\t"
    "0096 Fields Selection\t"
    "0097 Save this Configuration?\t"
    "0098 Transaction selector\t"
    "0099 Update Expresion\t"
    "0100 'Update Expresion:':'A256'\t"
    "0101 Counted %s rows in %s\t"
    "0110 'Reports','\tCreate New,[$]','\tReports,[$]%APNAME%report.ppn'\t"
    "0111 "
    "'Transactions','\tExport','\t\tRelative,[$]4','\t\tSecuential,[$]20','\t\tDelimited,[$]52','"
    "\t\tList,[$]16404','\tImport','\t\tRelative,[$]5','\t\tSecuential,[$]21','\t\tDelimited,[$]53'"
    ",'\tIntern','\t\tCounter,[$]128','\t\tSelf Update,[$]1','\t\tRelational "
    "Update,[$]3','\t\tRelational Unupdate,[$]11','\t\tDeletion,[$]8','\tPredefinined,[$]0'\t"
    "0112 Extern Program has terminated with error code %s\t"
    "0113 'Document Title:':'A40','Multiline:':'L1','Avoid in Menu:':'L1'\t"
    "0114 Report Selection\t"
    "0115 Last session uncorrectly closed. Recovering data\t"
    "0116 'New Database:':'A20'\t"
    "0117 "
    "'January,February,March,April,May,June,July,August,September,October,November,December','[M] "
    "[D],[Y]'\t"
    "0118 'Server Backup Folder:':'A50'::'%s','Lan Backup Folder:':'A50'::'%s'\t"
    "0119 'Reorganization,Reorg'\t"
    "0120 'Help','\tHelp,Help','\tAbout,Help About'\t"
    "0121 Only Server Side Copy was done\t"
    "0130 Exit,Print,Save";

struct CatalogueBlock {
  uint16_t first_code;
  StrRef entries;
};
constexpr CatalogueBlock kEngineCatalogue[] = {
    {1, StrLit(kEngineBlock1)},
    {40, StrLit(kEngineBlock2)},
    {90, StrLit(kEngineBlock3)},
};
constexpr uint16_t kFirstAppCode = 1000;

StrRef g_app_catalogue{"", 0};

constexpr uint16_t kCodeDigits = 4;
constexpr uint16_t kTextStart = kCodeDigits + 1;  // the code, one separator, then the text

constexpr bool IsDigit(char c) { return c >= '0' && c <= '9'; }
constexpr bool IsAlnum(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The code of a text that IsMessageCode accepts.
uint16_t CodeOf(StrRef text) {
  uint16_t code = 0;
  for (uint16_t i = 0; i < kCodeDigits; ++i)
    code = static_cast<uint16_t>(code * 10 + (text[i] - '0'));
  return code;
}

// The text of `code` in a catalogue block, a view; empty when the block lacks it.
StrRef BlockText(StrRef block, uint16_t code) {
  size_t pos = 0;
  while (pos < block.len) {
    const uint16_t tab = StrFindChar(block, pos, '\t', false);
    const size_t end = tab == kNothing ? block.len : tab;
    const StrRef entry = StrSub(block, static_cast<int32_t>(pos), static_cast<int32_t>(end - pos));
    if (IsMessageCode(entry) && CodeOf(entry) == code) return StrSub(entry, kTextStart, -1);
    pos = end + 1;
  }
  return StrLit("");
}

StrRef CatalogueText(uint16_t code) {
  if (code >= kFirstAppCode) return BlockText(g_app_catalogue, code);
  StrRef block = StrLit("");
  for (const CatalogueBlock& b : kEngineCatalogue) {
    if (b.first_code <= code) block = b.entries;
  }
  return BlockText(block, code);
}

// ---- The loaded language file ----------------------------------------------------------

struct LanguageTable {
  LanguageState state = LanguageState::kNotTried;
  uint16_t first = 0;  // the code of entry 0
  uint16_t count = 0;  // entries in use: codes first .. first + count - 1
  // Entry i: where the text of code first + i ends in StringSlots item (9, 2); it starts where
  // entry i - 1 ends.
  std::array<uint16_t, kLanguageEntries> ends{};
} g_language;

constexpr StrRef kLanguageFilePrefix = StrLit("QN_LANG_");
constexpr StrRef kLanguageFileExtension = StrLit(".MSJ");
constexpr StrRef kAnyLanguage = StrLit("*");

// The loaded text of `code` as a view into the slot, or a status value when the table does not
// cover the code (or no longer matches the slot).
StrRef LoadedText(uint16_t code) {
  if (g_language.state != LanguageState::kLoaded || code < g_language.first ||
      code - g_language.first >= g_language.count) {
    return StrError(kNothing);
  }
  const uint16_t i = static_cast<uint16_t>(code - g_language.first);
  const uint16_t begin = i == 0 ? 0 : g_language.ends[i - 1];
  const uint16_t end = g_language.ends[i];
  const StrRef texts = SlotGet(kGroupDiagnostics, kDiagLanguageTexts);
  if (end > texts.len || begin > end) return StrError(kNothing);
  return StrSub(texts, begin, end - begin);
}

// The backslash-n pairs of a text become CR LF, in place.
void ExpandLineBreaks(char* text, size_t length) {
  for (size_t i = 0; i + 1 < length; ++i) {
    if (text[i] == '\\' && text[i + 1] == 'n') {
      text[i] = '\r';
      text[++i] = '\n';
    }
  }
}

// Reads the entries of an open language file into `texts` (of `capacity` bytes) and the
// table; answers the bytes used.
size_t ReadLanguageEntries(uint16_t handle, char* texts, size_t capacity) {
  size_t used = 0;
  uint16_t previous = 0;
  const uint16_t mark = StrAreaMark();
  for (;;) {
    StrAreaRelease(mark);
    const StrRef line = StreamReadLine(handle, kPosCurrent, kReadLine);
    if (line.IsStatus()) break;
    if (!IsMessageCode(line)) continue;
    const uint16_t code = CodeOf(line);
    if (g_language.count > 0 && code <= previous) continue;
    const StrRef text = StrSub(line, kTextStart, -1);
    const size_t entries = g_language.count == 0 ? 1 : code - previous;
    if (g_language.count + entries > kLanguageEntries || used + text.len > capacity) break;
    if (g_language.count == 0) g_language.first = code;
    // Codes the file skipped get the empty text.
    for (size_t gap = 1; gap < entries; ++gap) {
      g_language.ends[g_language.count++] = static_cast<uint16_t>(used);
    }
    std::copy(text.begin(), text.end(), texts + used);
    ExpandLineBreaks(texts + used, text.len);
    used += text.len;
    g_language.ends[g_language.count++] = static_cast<uint16_t>(used);
    previous = code;
  }
  StrAreaRelease(mark);
  return used;
}

AssignFn g_lang_vars_evaluator = nullptr;

}  // namespace

// ---- Names -----------------------------------------------------------------------------

StrRef ErrorName(uint16_t code) {
  if (code < kFirstNamedCode) return kUndefinedName;
  const StrRef name =
      ListField(kErrorNames, ',', static_cast<uint16_t>(code - kFirstNamedCode + 1));
  return name.empty() ? kUndefinedName : name;
}

StrRef SiteName(uint16_t site) { return ListField(kSiteNames, ',', site); }

// ---- Catalogue -------------------------------------------------------------------------

void SetAppCatalogue(StrRef block) { g_app_catalogue = block.IsStatus() ? StrLit("") : block; }

bool IsMessageCode(StrRef text) {
  if (text.IsStatus() || text.len < kCodeDigits) return false;
  for (uint16_t i = 0; i < kCodeDigits; ++i) {
    if (!IsDigit(text[i])) return false;
  }
  if (text.len > kCodeDigits && IsAlnum(text[kCodeDigits])) return false;
  return CodeOf(text) != 0;
}

StrRef Message(StrRef code_text) {
  if (code_text.IsStatus()) return code_text;
  StrAreaScope scope;
  if (!IsMessageCode(code_text)) return scope.Return(code_text);
  const uint16_t code = CodeOf(code_text);
  if (g_language.state == LanguageState::kNotTried) (void)LanguageLoad();
  const StrRef loaded = LoadedText(code);
  if (!loaded.IsStatus()) return scope.Return(loaded);
  if (code_text.len > kCodeDigits) return scope.Return(StrSub(code_text, kTextStart, -1));
  return scope.Return(CatalogueText(code));
}

StrRef Message(uint16_t code) {
  char digits[kCodeDigits];
  uint16_t rest = code;
  for (int i = kCodeDigits - 1; i >= 0; --i) {
    digits[i] = static_cast<char>('0' + rest % 10);
    rest /= 10;
  }
  if (rest != 0) return StrAreaReturn(StrAreaMark(), StrLit(""));
  return Message(StrMake(digits, kCodeDigits));
}

namespace {

// The code that a report is about: 0xFFFF stands for the latched one, when there is one.
uint16_t ReportedCode(Status code) {
  if (code == kNothing && LatchedCode() != 0) return LatchedCode();
  return code;
}

// Pushes a followed by b and answers it; statuses pass through.
StrRef Append(StrRef a, StrRef b) {
  const uint16_t mark = StrAreaMark();
  const Status status = StrConcat(a, b);
  if (!status.ok()) return StrAreaReturn(mark, StrError(status));
  return StrAreaReturn(mark, StrAreaTop());
}

}  // namespace

StrRef StatusText(Status status) {
  StrAreaScope scope;
  const uint16_t code = ReportedCode(status);
  if (code == kOk) return scope.Return(Message(5));
  if (code <= 120) return scope.Return(Message(8));
  if (code == kDetailOnly || code == kBadUserData) {
    const StrRef detail = DetailText();
    if (!detail.empty()) return scope.Return(detail);
  }
  return scope.Return(ErrorName(code));
}

StrRef ErrorReportText(Status status) {
  StrAreaScope scope;
  const uint16_t code = ReportedCode(status);
  StrRef text = StatusText(code);
  if (!Status(code).IsError()) return scope.Return(text);
  text = Append(Message(9), text);
  const StrRef site = SiteName(LatchedSite());
  if (!site.empty()) {
    text = Append(text, StrLit("("));
    text = Append(text, site);
    text = Append(text, StrLit(")"));
  }
  const StrRef detail = DetailText();
  if (!detail.empty()) {
    text = Append(text, StrLit(": "));
    text = Append(text, detail);
  }
  return scope.Return(text);
}

// ---- Languages -------------------------------------------------------------------------

uint16_t LanguageIndex() {
  return ListFind(kLanguageCodes, ',', SlotGet(kGroupEnvironment, kEnvLanguage));
}

StrRef LanguageFileName(StrRef name, int index) {
  if (name.IsStatus()) return name;
  StrAreaScope scope;
  if (index == -1) index = LanguageIndex();
  const StrRef suffix = index > 0 && index <= 0xFFFF
                            ? ListField(kLanguageSuffixes, ',', static_cast<uint16_t>(index))
                            : StrLit("");
  if (suffix.empty()) return scope.Return(name);
  const uint16_t dot = StrFindLast(name, StrLit("."), FindKind::kAnyOf);
  const uint16_t folder = StrFindLast(name, StrLit("\\/"), FindKind::kAnyOf);
  const bool has_extension = dot != kNothing && (folder == kNothing || dot > folder);
  const int32_t cut = has_extension ? dot : name.len;
  const StrRef head = Append(StrSub(name, 0, cut), suffix);
  return scope.Return(Append(head, StrSub(name, cut, -1)));
}

LanguageState LanguageTableState() { return g_language.state; }

void LanguageReset() { g_language = LanguageTable{}; }

LanguageState LanguageLoad() {
  g_language = LanguageTable{};
  g_language.state = LanguageState::kBuiltIn;
  StrAreaScope scope;
  StrRef code = SlotGet(kGroupEnvironment, kEnvLanguage);
  if (code.empty()) code = kAnyLanguage;
  const StrRef name = Append(Append(kLanguageFilePrefix, code), kLanguageFileExtension);
  const StrRef found = FileFindOnPath(name);
  uint16_t handle = kNoHandle;
  if (found.IsStatus() || !StreamOpen(found, kStreamReadOnly | kStreamSilent, &handle).ok()) {
    return g_language.state;
  }
  // The texts may take what the slot store has left, and no more than one string.
  const StrRef old = SlotGet(kGroupDiagnostics, kDiagLanguageTexts);
  size_t capacity = kSlotDataSize - SlotGetStats().bytes_used + old.len;
  if (capacity > kMaxStrLen) capacity = kMaxStrLen;
  if (!StrAreaAlloc(capacity).ok()) {
    StreamClose(handle);
    return g_language.state;
  }
  char* texts = StrWritable(StrAreaTop());
  const size_t used = ReadLanguageEntries(handle, texts, capacity);
  StreamClose(handle);
  if (!SlotSet(kGroupDiagnostics, kDiagLanguageTexts, StrMake(texts, used)).ok()) {
    g_language = LanguageTable{};
    g_language.state = LanguageState::kBuiltIn;
    return g_language.state;
  }
  g_language.state = LanguageState::kLoaded;
  return g_language.state;
}

StrRef AppPrefix() {
  StrAreaScope scope;
  const StrRef code = ListField(SlotGet(kGroupEnvironment, kEnvAppName), ':', 1);
  return scope.Return(StrSub(code, 0, 2));
}

// ---- LANGVARS --------------------------------------------------------------------------

void SetLangVarsEvaluator(AssignFn fn) { g_lang_vars_evaluator = fn; }

namespace {

constexpr StrRef kLangVarsFile = StrLit("LANGVARS.DAT");

Status LangVarsFailure(Status code, StrRef detail) {
  LatchRecord(kLatchFirst, kSiteExpExec, code);
  return ReportStatus(code, detail, true);
}

// Evaluates one line NAME=NNNN.
Status AssignLine(StrRef line) {
  StrAreaScope scope;
  const uint16_t equals = StrFindChar(line, 0, '=', true);
  if (equals == kNothing) return LangVarsFailure(kBadInputData, line);
  const StrRef name = StrTrim(StrSub(line, 0, equals), kTrimBoth);
  const StrRef code = StrTrim(StrSub(line, equals + 1, -1), kTrimBoth);
  if (name.empty() || code.len != kCodeDigits || !IsMessageCode(code)) {
    return LangVarsFailure(kBadInputData, line);
  }
  StrRef value = Message(code);
  if (name[name.len - 1] == '$') value = StrQuote(value, '"');
  const StrRef statement = Append(Append(name, StrLit("=")), value);
  if (statement.IsStatus()) return LangVarsFailure(StrCheck(statement), line);
  if (!g_lang_vars_evaluator) return LangVarsFailure(kExpCalcError, statement);
  const Status status = g_lang_vars_evaluator(statement);
  // The evaluator's detail says what failed; the line says where.
  if (status.IsError()) (void)ReportStatus(status, line, true);
  return status;
}

}  // namespace

Status LoadLangVars() {
  StrAreaScope scope;
  const StrRef name = Append(AppPrefix(), kLangVarsFile);
  uint16_t handle = kNoHandle;
  Status status = StreamOpen(name, kStreamReadOnly | kStreamSilent, &handle);
  if (status == kFileNotFound) return kOk;
  if (!status.ok()) {
    LatchRecord(kLatchFirst, kSiteStreams, status);
    return ReportStatus(status, name, true);
  }
  Status first_failure = kOk;
  StrRef first_detail;
  uint16_t mark = StrAreaMark();
  for (;;) {
    StrAreaRelease(mark);
    StrRef line = StreamReadLine(handle, kPosCurrent, kReadLine);
    if (StrCheck(line) == kNothing) break;
    if (line.IsStatus()) {
      status = StrCheck(line);
    } else {
      line = StrTrim(line, kTrimBoth);
      if (line.empty()) continue;
      status = AssignLine(line);
    }
    if (status.IsError() && first_failure.ok()) {
      // Later lines may report too; the first failure and its detail are what is answered.
      first_failure = status;
      first_detail = StrAreaReturn(mark, DetailText());
      mark = StrAreaMark();
    }
    if (line.IsStatus()) break;
  }
  StreamClose(handle);
  if (first_failure.ok()) return kOk;
  return ReportStatus(first_failure, first_detail);
}

}  // namespace engine
