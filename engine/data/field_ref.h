// Field references: the text NAME{FILE} by which expressions and definition files name a field
// of a data file, its resolution to a (file, field) pair and the texts that name a field.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/data/dictionary.h"
#include "engine/lang/eval_hooks.h"

namespace engine {

struct FieldRef {
  uint8_t file = 0;
  uint16_t field = 0;
  FieldDef def;
};

// Resolves a reference: the text must hold '{' and end with a '}' after it, else 147 reported
// with "Field:" and the text. Between the braces: nothing (the current file), a file name
// (FileByName) or a number; file 0 or one above the count is 161 (not reported). Before the
// braces: a field name of that file, else a field number; 0 is 147 with the "Field:" report, a
// number above the field count 168.
[[nodiscard]] Status ParseFieldRef(StrRef text, FieldRef* ref);
// NAME{n} (NAME{} for file 0); pushed.
StrRef FormatFieldRef(uint8_t file, uint16_t field);
// "file;field"; pushed.
StrRef FileFieldPair(uint8_t file, uint16_t field);

// Connects the evaluator's field references (NAME{FILE} in expressions) to the record buffers:
// reading gives FieldGet and the field's type, assigning FieldSetByRef. Remove restores the
// evaluator's default, which knows no data file.
void InstallFieldAccess();
void RemoveFieldAccess();

}  // namespace engine
