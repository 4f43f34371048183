// The current implementations of the evaluator's extension points, and their defaults.
#include "engine/lang/eval_hooks.h"

#include <string_view>

namespace engine {

namespace {

constexpr StrRef kTextFieldTypes = StrLit("ABCDF");

class NoDataFiles final : public FieldAccess {
 public:
  Status Read(StrRef, FieldValue*) override { return kFileOutBound; }
  Status Write(StrRef, StrRef) override { return kFileOutBound; }
};

class NoFunctions final : public FunctionTable {
 public:
  uint16_t Find(StrRef) override { return 0; }
  uint16_t PreEvaluated(uint16_t) override { return kMaxArguments; }
  Status Run(uint16_t, const ArgKinds&, ArgList*) override { return kSyntaxError; }
};

NoDataFiles g_no_data_files;
NoFunctions g_no_functions;
FieldAccess* g_field_access = &g_no_data_files;
FunctionTable* g_function_table = &g_no_functions;
CellResolver g_cell_resolver = nullptr;

}  // namespace

bool FieldTypeIsText(char type) {
  return kTextFieldTypes.view().find(type) != std::string_view::npos;
}

void SetFieldAccess(FieldAccess* access) { g_field_access = access ? access : &g_no_data_files; }

FieldAccess& CurrentFieldAccess() { return *g_field_access; }

bool ArgList::AtEnd() const { return text.len == 0 || pos > text.len; }

Status FunctionTable::Assign(uint16_t, ArgList, StrRef, ValueKind) { return kSyntaxError; }

void SetFunctionTable(FunctionTable* table) { g_function_table = table ? table : &g_no_functions; }

FunctionTable& CurrentFunctionTable() { return *g_function_table; }

void SetCellResolver(CellResolver resolver) { g_cell_resolver = resolver; }

CellResolver CurrentCellResolver() { return g_cell_resolver; }

}  // namespace engine
