// Reading the dictionary text format line by line into the dictionary tables.
#include "engine/data/dictionary_load.h"

#include <array>
#include <string>
#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/file_system.h"
#include "engine/core/list_string.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/file_paths.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

constexpr uint16_t kFieldLengthColumn = 9;  // 0-based columns of a field line
constexpr uint16_t kFieldLengthWidth = 3;
constexpr uint16_t kFieldTypeColumn = 13;
constexpr uint16_t kFieldNameColumn = 14;
constexpr uint16_t kGroupWidth = 7;
constexpr uint16_t kGroupStartWidth = 4;
constexpr StrRef kFieldTypeLetters = StrLit("123456789ABCDFLNPTV");
constexpr StrRef kDigitsAndBlanks = StrLit("0123456789 ");

enum class LineKind : uint8_t { kNone, kFileOrField, kKey, kOption, kIgnored };

struct LoadContext {
  StrRef folders;
  StrRef default_folder;
  std::vector<std::string> prefixes;  // the prefixes being loaded, outermost first
  bool reported = false;              // the failure was reported by an included file
};

bool SamePrefix(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

bool AllOf(StrRef text, StrRef set) {
  for (char c : text.view()) {
    if (set.view().find(c) == std::string_view::npos) return false;
  }
  return true;
}

Status LoadPrefix(LoadContext* context, StrRef prefix);

// A file line or an include line. *base is the base of the key and option lines that follow.
Status FileLine(LoadContext* context, StrRef line, uint16_t star, uint8_t* base) {
  const uint16_t second = StrFindChar(line, star + 1u, '*', true);
  if (second == kNothing) return kBadInputData;
  const StrRef folder = StrTrim(StrSub(line, star + 1, second - star - 1), kTrimRight);
  const StrRef third = StrSub(line, second + 1, -1);
  const StrRef name = StrTrim(StrSub(third, 2, -1), kTrimBoth);
  if (StrFindChar(folder, 0, '$', true) != kNothing) {
    if (name.len < 2) return kBadInputData;
    const StrRef prefix = StrSub(name, 0, 2);
    for (const std::string& loading : context->prefixes) {
      if (SamePrefix(loading, prefix.view())) return kBadInputData;
    }
    Status status = LoadPrefix(context, prefix);
    if (!status.ok()) {
      context->reported = true;
      return status;
    }
    *base = static_cast<uint8_t>(FileCount() > 0 ? FileCount() - 1 : 0);
    return kOk;
  }
  if (name.empty() || !AllOf(StrSub(third, 0, 2), kDigitsAndBlanks)) return kBadInputData;
  const int64_t attribute = StrToInt64(StrSub(third, 0, 2));
  return DefineFile(static_cast<uint8_t>(attribute), name,
                    folder.empty() ? context->default_folder : folder);
}

Status FieldLine(StrRef line) {
  if (line.len <= kFieldNameColumn) return kBadInputData;
  const StrRef length_text = StrSub(line, kFieldLengthColumn, kFieldLengthWidth);
  const char type = line[kFieldTypeColumn];
  const StrRef name = StrTrim(StrSub(line, kFieldNameColumn, -1), kTrimRight);
  if (name.empty() || !AllOf(length_text, kDigitsAndBlanks) ||
      kFieldTypeLetters.view().find(type) == std::string_view::npos) {
    return kBadInputData;
  }
  const int64_t length = StrToInt64(length_text);
  if (FileCount() == 0) return kFileOutBound;
  return DefineField(name, static_cast<uint16_t>(length), type);
}

// One line of a dictionary file; *kind receives what it was.
Status DictLine(LoadContext* context, StrRef line, uint8_t* base, LineKind* kind) {
  const int64_t code = StrToInt64(StrSub(line, 0, 2));
  const int64_t q = (code - 1) / 30;
  const int64_t r = (code - 1) % 30;
  switch (q) {
    case 0: {
      *kind = LineKind::kFileOrField;
      const uint16_t star = StrFindChar(line, 0, '*', true);
      if (star != kNothing) return FileLine(context, line, star, base);
      return FieldLine(line);
    }
    case 1: {
      *kind = LineKind::kKey;
      KeySegments segments;
      Status status = ParseKeyGroups(line, &segments);
      if (status.ok()) status = DefineKey(static_cast<uint8_t>(*base + r + 1), segments);
      return status;
    }
    case 2: {
      *kind = LineKind::kOption;
      const uint16_t colon = StrFindChar(line, 0, ':', true);
      const StrRef text = colon == kNothing ? line : StrSub(line, colon + 1, -1);
      return AddFileOptions(static_cast<uint8_t>(*base + r + 1), text);
    }
    default:
      *kind = LineKind::kIgnored;
      return kOk;
  }
}

// A line that cannot be read as its kind, reported with its file and number.
Status LineFailure(Status status, StrRef path, int64_t number, StrRef line) {
  StrAreaScope scope;
  return DataReport(status, LineOfFile(path, number, line));
}

// Reads the lines of the dictionary text at `path`; key and option lines count their files from
// `base` + 1. The keys of the last file are completed when it ends the text with its fields.
Status LoadLines(LoadContext* context, StrRef path, uint8_t base) {
  uint16_t handle = kNoHandle;
  Status status = StreamOpen(path, kStreamReadOnly | kStreamSilent, &handle);
  if (!status.ok()) return DataReport(status, path);
  LineKind last = LineKind::kNone;
  std::array<char, kDictLineLimit + 1> buffer;
  int64_t number = 0;
  for (;;) {
    size_t got = 0;
    status = StreamRead(handle, kPosCurrent, kReadLine, buffer, &got);
    if (status == kNothing) {
      status = kOk;
      break;
    }
    if (!status.ok()) {
      status = DataReport(status, path);
      break;
    }
    const StrRef line = StrMake(buffer.data(), got);
    ++number;
    if (got > kDictLineLimit) {
      status = LineFailure(kBadInputData, path, number, StrSub(line, 0, kDictLineLimit));
      // The rest of the line would come as lines of its own.
      break;
    }
    if (StrTrim(line, kTrimBoth).empty()) continue;
    const uint16_t mark = StrAreaMark();
    status = DictLine(context, line, &base, &last);
    StrAreaRelease(mark);
    if (!status.ok()) {
      if (!context->reported) status = LineFailure(status, path, number, line);
      context->reported = true;
      break;
    }
  }
  StreamClose(handle);
  if (status.ok() && last == LineKind::kFileOrField) status = CompleteDefaultKeys(FileCount());
  return status;
}

// Loads one dictionary file (entry 1 or 2 of kDictFileNames) of a prefix.
Status LoadFile(LoadContext* context, StrRef prefix, uint16_t entry) {
  StrAreaScope scope;
  Status status = StrConcat(prefix, ListField(kDictFileNames, ',', entry));
  if (!status.ok()) return status;
  const StrRef file_name = StrAreaTop();
  const StrRef path = FindAlongFolders(context->folders, file_name);
  if (path.IsStatus()) {
    if (entry != 1) return kOk;
    status = StrConcat(StrWrap(context->folders, '['), file_name);
    return DataReport(kFileNotFound, status.ok() ? StrAreaTop() : file_name);
  }
  return LoadLines(context, path, 0);
}

Status LoadPrefix(LoadContext* context, StrRef prefix) {
  context->prefixes.emplace_back(prefix.view());
  Status status = LoadFile(context, prefix, 1);
  if (status.ok()) status = LoadFile(context, prefix, 2);
  context->prefixes.pop_back();
  return status;
}

}  // namespace

Status ParseKeyGroups(StrRef line, KeySegments* segments) {
  *segments = KeySegments{};
  line = StrTrim(line, kTrimRight);
  const uint16_t open = StrFindChar(line, 0, '<', true);
  uint32_t at = open == kNothing ? 0u : open + 1u;
  while (segments->count < kMaxKeySegments && at + 1 < line.len && line[at] != '>') {
    if (at + kGroupWidth > line.len) return kBadInputData;
    const StrRef group = StrSub(line, static_cast<int32_t>(at), kGroupWidth);
    if (!AllOf(group, kDigitsAndBlanks)) return kBadInputData;
    const int64_t start = StrToInt64(StrSub(group, 0, kGroupStartWidth));
    const int64_t length = StrToInt64(StrSub(group, kGroupStartWidth, -1));
    if (start < 1 || length < 1) return kBadInputData;
    segments->segment[segments->count++] =
        KeySegment{static_cast<uint16_t>(start - 1), static_cast<uint16_t>(length)};
    at += kGroupWidth;
  }
  return segments->count > 0 ? Status(kOk) : Status(kBadInputData);
}

StrRef FindAlongFolders(StrRef folders, StrRef name) {
  StrAreaScope scope;
  const uint16_t count = std::max<uint16_t>(ListCount(folders, ','), 1);
  for (uint16_t n = 1; n <= count; ++n) {
    const StrRef folder = StrTrim(ListField(folders, ',', n), kTrimBoth);
    const StrRef path = DataPathJoin(StrUnquote(folder), name);
    if (path.IsStatus()) return scope.Return(path);
    if (CurrentFileSystem().Exists(path.view())) return scope.Return(path);
  }
  return scope.Return(StrError(kFileNotFound));
}

Status DictLoad(StrRef folders, StrRef prefix, StrRef default_folder) {
  LoadContext context{folders, default_folder, {}, false};
  return LoadPrefix(&context, prefix);
}

Status LoadStructure(StrRef path, StrRef folders) {
  Status status = PushStructure();
  if (!status.ok()) return DataReport(status, path);
  const uint8_t first = static_cast<uint8_t>(FileCount() + 1);
  LoadContext context{folders, StrLit(""), {}, false};
  status = LoadLines(&context, path, static_cast<uint8_t>(first - 1));
  if (status.ok() && FileCount() < first) status = DataReport(kBadInputData, path);
  if (!status.ok()) {
    (void)RestoreStructure();
    return status;
  }
  SysWordSet(kSysCurFil, FileCount());
  return kOk;
}

}  // namespace engine
