// The two passes of the procedure compiler (lines, then targets and blocks), the keyword table
// and the compiled records of table 10.
#include "engine/proc/procedure_compiler.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/core/block_pool.h"
#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"

namespace engine {

namespace {

// The keywords in the order of their numbers (1 first), NUL-separated.
constexpr char kKeywordTable[] =
    "GOTO\0GOSUB\0CALL\0RETURN\0ENDIF\0LOOP\0LOOP_WHILE\0LOOP_UNTIL\0ELSE\0IF\0IF_TRUE\0DO_WHILE\0"
    "IF_FALSE\0DO_UNTIL\0DO\0DEF_FN\0LOCALVARS\0END\0ACCEPT\0BOUNDS\0COLOR\0CONNECT\0DEVICE\0"
    "DLOCATE\0DPRINT\0ENDDEVICE\0EXPORT\0FILESELECT\0IMPORT\0KILL\0LOADSTRUCT\0LOCATE\0MESSAGE\0"
    "PRINT\0SHELL\0READ\0REMOTE\0REPORT\0DOCPRINT\0WAIT\0WINMENU\0WINOPEN\0WINCLOSE\0WINSELECT\0"
    "WINPROG\0RC_DELETE\0RC_INSERT\0RC_UPDATE\0RC_WRITE\0FILESTRUCT\0FILESCAN\0STATSTEPS\0SYSTEM";
constexpr StrRef kKeywords{kKeywordTable, sizeof kKeywordTable - 1};

constexpr StrRef kLabelMissing = StrLit("\r\nLabel '%s' in line %s (+ remmarks) not found");
constexpr StrRef kCloserAlone = StrLit(
    "\r\nFinal of Conditional or loop without \r\nBegin (Loop, Endif...) in line %s (+ remmarks)");
constexpr StrRef kOpenerAlone =
    StrLit("\r\nConditional or loop without \r\nFinal (Endif, Loop...) in line %s (+ remmarks)");
constexpr StrRef kTooDeep = StrLit("\r\nMore than 16 nested blocks in line %s (+ remmarks)");
constexpr StrRef kTooManyLabels = StrLit("\r\nMore than 128 labels before line %s (+ remmarks)");
constexpr StrRef kTooManyFunctions =
    StrLit("\r\nMore than 128 functions before line %s (+ remmarks)");
constexpr StrRef kTooManyStatements = StrLit("\r\nMore than 65534 statements");
constexpr StrRef kCommentStarts = StrLit(";#/");
constexpr char kLabelMark = ':';
constexpr char kNameSeparator = ',';
constexpr char kTextSeparator = '\0';

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsCloser(uint16_t keyword) { return keyword >= kKwEndIf && keyword <= kKwElse; }
bool IsOpener(uint16_t keyword) { return keyword >= kKwElse && keyword <= kKwDo; }

// A statement, label or function entry found by the first pass; texts are views into the source.
struct Pending {
  uint16_t keyword = 0;
  uint16_t target = 0;
  StrRef text;
};
struct NamedEntry {
  StrRef name;
  uint16_t statement = 0;
};

struct Source {
  StrRef path;
  std::vector<Pending> statements;
  std::vector<NamedEntry> labels;
  std::vector<NamedEntry> functions;
};

// A compile failure: latched, and reported with the path followed by the message.
Status Failure(Status code, StrRef path, StrRef message) {
  LatchRecord(kLatchFirst, kSiteExecCompiler, code);
  StrAreaScope scope;
  const StrRef detail = StrConcat(path, message).ok() ? StrAreaTop() : path;
  return ReportStatus(code, detail);
}

// A failure of a statement: the message names it by its 1-based statement number.
Status FailureAt(Status code, StrRef path, StrRef format, size_t statement) {
  StrAreaScope scope;
  const StrRef message = StrFormat(kMaxStrLen, format, {static_cast<int64_t>(statement + 1)});
  return Failure(code, path, message.IsStatus() ? StrLit("") : message);
}

Status LabelMissing(StrRef path, StrRef label, size_t statement) {
  StrAreaScope scope;
  const StrRef message =
      StrFormat(kMaxStrLen, kLabelMissing, {label, static_cast<int64_t>(statement + 1)});
  return Failure(kSyntaxError, path, message.IsStatus() ? StrLit("") : message);
}

// Pass 1 on one trimmed line.
Status ReadLine(StrRef line, Source* source) {
  if (line.empty() || StrFindChar(kCommentStarts, 0, line[0], true) != kNothing) return kOk;
  uint16_t word_end = 0;
  while (word_end < line.len && !IsBlank(line[word_end])) ++word_end;
  const StrRef word = StrMake(line.ptr, word_end);
  const StrRef rest = StrTrim(StrSub(line, word_end, -1), kTrimBoth);
  const auto next = static_cast<uint16_t>(source->statements.size());
  if (word[0] == kLabelMark) {
    if (source->labels.size() == kMaxLabels) {
      return FailureAt(kOutOfMemory, source->path, kTooManyLabels, next);
    }
    source->labels.push_back({StrSub(word, 1, -1), next});
    return kOk;
  }
  const uint16_t keyword = KeywordNumber(word);
  if (keyword == kKwDefFn) {
    if (source->functions.size() == kMaxFunctions) {
      return FailureAt(kOutOfMemory, source->path, kTooManyFunctions, next);
    }
    source->functions.push_back({rest, next});
    return kOk;
  }
  if (next == kNothing) return Failure(kOutOfMemory, source->path, kTooManyStatements);
  source->statements.push_back({keyword, 0, keyword == kKwExpression ? line : rest});
  return kOk;
}

Status ReadLines(StrRef text, Source* source) {
  size_t pos = 0;
  while (pos < text.len) {
    size_t end = pos;
    while (end < text.len && text[end] != '\r' && text[end] != '\n') ++end;
    Status status = ReadLine(StrTrim(StrMake(text.ptr + pos, end - pos), kTrimBoth), source);
    if (!status.ok()) return status;
    if (end < text.len && text[end] == '\r') ++end;
    if (end < text.len && text[end] == '\n') ++end;
    pos = end;
  }
  return kOk;
}

// Pass 2: jump targets and blocks.
Status ResolveTargets(Source* source) {
  std::vector<uint16_t> open;
  for (size_t i = 0; i < source->statements.size(); ++i) {
    Pending& s = source->statements[i];
    const auto index = static_cast<uint16_t>(i);
    if (s.keyword == kKwGoto || s.keyword == kKwGosub) {
      const auto label =
          std::find_if(source->labels.begin(), source->labels.end(),
                       [&](const NamedEntry& entry) { return entry.name.view() == s.text.view(); });
      if (label == source->labels.end()) {
        return LabelMissing(source->path, s.text, i);
      }
      s.target = label->statement;
    }
    if (IsCloser(s.keyword)) {
      if (open.empty()) return FailureAt(kSyntaxError, source->path, kCloserAlone, i);
      source->statements[open.back()].target = index + 1;
      s.target = open.back();
      open.pop_back();
    }
    if (IsOpener(s.keyword)) {
      if (open.size() == kMaxBlockDepth) {
        return FailureAt(kOutOfMemory, source->path, kTooDeep, i);
      }
      open.push_back(index);
    }
  }
  // An opener without a closer would have nowhere to jump.
  if (!open.empty()) return FailureAt(kSyntaxError, source->path, kOpenerAlone, open.back());
  return kOk;
}

// Copies what the passes found into one block and appends the record to table 10.
Status Store(const Source& source, uint16_t* number) {
  size_t texts_length = 0;
  for (const Pending& s : source.statements) texts_length += s.text.len + 1u;
  size_t names_length = 0;
  for (const NamedEntry& f : source.functions) names_length += f.name.len + 1u;
  if (names_length > 0) --names_length;
  if (texts_length > kMaxStrLen) return Failure(kStringTooLong, source.path, StrLit(""));

  const size_t statements_size = source.statements.size() * sizeof(Statement);
  const size_t starts_size = source.functions.size() * sizeof(uint16_t);
  const size_t size = statements_size + starts_size + names_length + texts_length + 1;
  auto* block = static_cast<char*>(BlockAllocZero(kTagProcedures, static_cast<uint32_t>(size)));
  if (!block) return Failure(kOutOfMemory, source.path, StrLit(""));

  CompiledProcedure record;
  record.block = block;
  auto* statements = reinterpret_cast<Statement*>(block);
  auto* starts = reinterpret_cast<uint16_t*>(block + statements_size);
  char* names = block + statements_size + starts_size;
  char* texts = names + names_length;
  size_t at = 0;
  for (size_t i = 0; i < source.statements.size(); ++i) {
    const Pending& s = source.statements[i];
    statements[i] = {s.keyword, s.target, static_cast<uint16_t>(at), s.text.len};
    std::memcpy(texts + at, s.text.ptr, s.text.len);
    at += s.text.len;
    texts[at++] = kTextSeparator;
  }
  at = 0;
  for (size_t i = 0; i < source.functions.size(); ++i) {
    const NamedEntry& f = source.functions[i];
    starts[i] = f.statement;
    if (i > 0) names[at++] = kNameSeparator;
    std::memcpy(names + at, f.name.ptr, f.name.len);
    at += f.name.len;
  }
  record.statements = statements;
  record.function_starts = starts;
  record.function_names = names;
  record.texts = texts;
  record.statement_count = static_cast<uint16_t>(source.statements.size());
  record.function_count = static_cast<uint16_t>(source.functions.size());
  record.function_names_length = static_cast<uint16_t>(names_length);
  record.texts_length = static_cast<uint16_t>(texts_length);

  const uint16_t next = ProcedureCount();
  if (!TableSet(kTableProcedures, next, &record, sizeof record)) {
    (void)BlockFree(kTagProcedures, block);
    return Failure(kInternalError, source.path, StrLit(""));
  }
  *number = next;
  return kOk;
}

// Blocks of the procedures that runs are executing, once per active run.
std::vector<const void*> g_active;

}  // namespace

// ---- Keywords ----------------------------------------------------------------------------

StrRef KeywordName(uint16_t keyword) {
  if (keyword == kKwExpression || keyword > kKeywordCount) return StrLit("");
  return ListField(kKeywords, kTextSeparator, keyword);
}

uint16_t KeywordNumber(StrRef word) {
  if (word.IsStatus() || word.empty()) return kKwExpression;
  const uint16_t exact = ListFind(kKeywords, kTextSeparator, word);
  if (exact != 0) return exact;
  StrAreaScope scope;
  return ListFind(kKeywords, kTextSeparator, StrUpper(word));
}

StrRef ProcedureKeywords() { return kKeywords; }

// ---- Compiled procedures -----------------------------------------------------------------

StrRef CompiledProcedure::Text(uint16_t statement) const {
  if (statement >= statement_count) return StrLit("");
  const Statement& s = statements[statement];
  return StrMake(texts + s.text_offset, s.text_length);
}

uint16_t CompiledProcedure::FunctionStart(StrRef name) const {
  const uint16_t position = ListFind(FunctionNames(), kNameSeparator, name);
  return position == 0 ? kNothing : function_starts[position - 1];
}

Status ProcedureCompile(StrRef path, uint16_t* number) {
  *number = kNothing;
  if (path.IsStatus()) return StrCheck(path);
  StrAreaScope scope;
  const StrRef found = FileFindOnPath(path);
  if (found.IsStatus()) return Failure(kFileNotFound, path, StrLit(""));
  const StrRef text = FileReadAll(found, 0, kReadToEnd);
  if (text.IsStatus() && StrCheck(text) != kFileNotFound) {
    return Failure(StrCheck(text), found, StrLit(""));
  }
  if (text.IsStatus() || text.empty()) return Failure(kFileNotFound, found, StrLit(""));
  Source source;
  source.path = found;
  Status status = ReadLines(text, &source);
  if (status.ok()) status = ResolveTargets(&source);
  if (status.ok()) status = Store(source, number);
  return status;
}

Status ProcedureFree(uint16_t number) {
  CompiledProcedure record;
  if (!ProcedureGet(number, &record)) return kInternalError;
  if (std::find(g_active.begin(), g_active.end(), record.block) != g_active.end()) {
    return kInternalError;
  }
  const Status freed = BlockFree(kTagProcedures, record.block);
  const Status removed = TableRemove(kTableProcedures, number);
  return freed.ok() ? removed : freed;
}

void ProceduresFreeAll() {
  g_active.clear();
  while (ProcedureCount() > 0) {
    if (!ProcedureFree(ProcedureCount() - 1).ok()) break;
  }
}

uint16_t ProcedureCount() {
  return static_cast<uint16_t>(TableInfo(kTableProcedures, kTableInfoCount));
}

bool ProcedureGet(uint16_t number, CompiledProcedure* procedure) {
  const void* element = TableGet(kTableProcedures, number);
  if (!element) return false;
  std::memcpy(procedure, element, sizeof *procedure);
  return true;
}

bool ProcedureFindFunction(StrRef name, uint16_t* number, uint16_t* start) {
  CompiledProcedure record;
  for (uint16_t n = ProcedureCount(); n-- > 0;) {
    if (!ProcedureGet(n, &record)) continue;
    const uint16_t at = record.FunctionStart(name);
    if (at != kNothing) {
      *number = n;
      *start = at;
      return true;
    }
  }
  return false;
}

void ProcedureEnter(const void* block) { g_active.push_back(block); }

void ProcedureLeave(const void* block) {
  const auto it = std::find(g_active.rbegin(), g_active.rend(), block);
  if (it != g_active.rend()) g_active.erase(std::next(it).base());
}

}  // namespace engine
