// Resolving and writing field references.
#include "engine/data/field_ref.h"

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/data/record_buffer.h"

namespace engine {

namespace {

constexpr StrRef kFieldPrefix = StrLit("Field:");

class RecordFieldAccess final : public FieldAccess {
 public:
  Status Read(StrRef reference, FieldValue* value) override {
    FieldRef ref;
    const Status status = ParseFieldRef(reference, &ref);
    if (!status.ok()) return status;
    const StrRef text = FieldGet(ref.file, ref.field);
    if (text.IsStatus()) return StrCheck(text);
    value->text = text;
    value->type = ref.def.type;
    return kOk;
  }
  Status Write(StrRef reference, StrRef text) override { return FieldSetByRef(reference, text); }
};

RecordFieldAccess g_field_access;

Status BadReference(StrRef text) {
  StrAreaScope scope;
  const Status status = StrConcat(kFieldPrefix, text);
  return DataReport(kSyntaxError, status.ok() ? StrAreaTop() : text);
}

}  // namespace

Status ParseFieldRef(StrRef text, FieldRef* ref) {
  *ref = FieldRef{};
  if (text.IsStatus()) return StrCheck(text);
  const uint16_t open = StrFindChar(text, 0, '{', true);
  if (open == kNothing || text.empty() || text[text.len - 1] != '}' ||
      StrFindChar(text, open + 1u, '}', true) != text.len - 1) {
    return BadReference(text);
  }
  const StrRef file_part = StrSub(text, open + 1, text.len - open - 2);
  uint8_t file = 0;
  if (file_part.empty()) {
    file = ResolveFile(0);
  } else if (file_part.byte(0) > 64) {
    file = FileByName(file_part);
  } else {
    const int64_t n = StrToInt64(file_part);
    file = static_cast<uint8_t>(n < 0 || n > kMaxFiles ? 0 : n);
  }
  if (file == 0 || file > FileCount()) return kFileOutBound;
  const StrRef field_part = StrSub(text, 0, open);
  uint16_t field = FieldByName(file, field_part);
  if (field == kNothing) {
    const int64_t n = StrToInt64(field_part);
    if (n <= 0 || n > 0xFFFF) return BadReference(text);
    field = static_cast<uint16_t>(n);
  }
  const Status status = CheckFileField(file, field);
  if (!status.ok()) return DataReport(status, DetailText());
  ref->file = file;
  ref->field = field;
  ref->def = FieldDefOf(file, field);
  return kOk;
}

StrRef FormatFieldRef(uint8_t file, uint16_t field) {
  StrAreaScope scope;
  const StrRef number = file == 0 ? StrLit("") : IntToStr(file);
  return scope.Return(
      StrFormat(kMaxStrLen, StrLit("%s{%s}"),
                {FormatArg(FieldName(ResolveFile(file), field)), FormatArg(number)}));
}

StrRef FileFieldPair(uint8_t file, uint16_t field) {
  StrAreaScope scope;
  return scope.Return(StrFormat(kMaxStrLen, StrLit("%i;%i"),
                                {FormatArg(int64_t{file}), FormatArg(int64_t{field})}));
}

void InstallFieldAccess() { SetFieldAccess(&g_field_access); }

void RemoveFieldAccess() {
  if (&CurrentFieldAccess() == &g_field_access) SetFieldAccess(nullptr);
}

}  // namespace engine
