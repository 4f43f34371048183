// The function table: the engine's functions in their fixed order, the module functions, the
// name list in the string registers, and the reading of a call's arguments.
#include "engine/lang/function_table.h"

#include <array>
#include <cstring>

#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/lang/builtins.h"
#include "engine/lang/expression.h"
#include "engine/lang/number.h"

namespace engine {

namespace {

using namespace builtins;  // NOLINT(google-build-using-namespace)

constexpr uint16_t kAll = kMaxArguments;
constexpr char kNameSeparator = '\0';

struct EngineFunction {
  StrRef name;
  FunctionHandler run;
  uint16_t pre_evaluated;  // arguments evaluated before the function runs
};

// The engine's functions; their positions are their numbers.
constexpr EngineFunction kEngineFunctions[] = {
    {StrLit("_#"), Accumulator, kAll},
    {StrLit("FN#FLEN"), FileLength, kAll},
    {StrLit("FN#SLEN"), TextLength, kAll},
    {StrLit("FN#PARM"), ListNumber, kAll},
    {StrLit("FN#VALN"), ValueOf, kAll},
    {StrLit("FN#ACUM"), Accumulate, 0},
    {StrLit("CHK#"), CheckNumber, 1},
    {StrLit("FILEFIND"), FileFind, kAll},
    {StrLit("FILEREL"), FileRel, 4},
    {StrLit("FILELOCATE"), FileLocate, kAll},
    {StrLit("FILESEL"), FileSel, kAll},
    {StrLit("FN$CHNG"), Change, kAll},
    {StrLit("FN$CHRS"), Chars, kAll},
    {StrLit("FN$DATE"), DateShown, kAll},
    {StrLit("FN$FLDS"), Fields, 0},
    {StrLit("FN$MASK"), Mask, kAll},
    {StrLit("FN$MIDS"), Mid, kAll},
    {StrLit("FN$PARM"), ListItem, kAll},
    {StrLit("FN$TRIM"), Trim, kAll},
    {StrLit("ENVELOP$"), Envelop, kAll},
    {StrLit("CHK$"), CheckText, 1},
    {StrLit("SORT$"), Sort, kAll},
    {StrLit("EXEC$"), Exec, kAll},
    {StrLit("READ$"), Read, kAll},
    {StrLit("WRITE"), Write, kAll},
    {StrLit("MACRO$"), Macro, kAll},
    {StrLit("ENVRON$"), Environ, kAll},
    {StrLit("_$"), Slots, kAll},
    {StrLit("KEY$"), Key, kAll},
    {StrLit("TIME$"), Time, kAll},
    {StrLit("IER"), Ier, kAll},
    {StrLit("EXP$"), Expand, 1},
    // Nothing is evaluated before the nesting depth is counted.
    {StrLit("SQLCHILD"), SqlChild, 0},
};
static_assert(std::size(kEngineFunctions) == kEngineFunctionCount);

constexpr uint16_t kAccumulatorFunction = 1;

std::array<FunctionHandler, kModuleFunctionMax> g_module_functions{};
uint16_t g_module_count = 0;

// The engine's names joined by NULs, pushed.
StrRef EngineNames() {
  size_t length = 0;
  for (const EngineFunction& f : kEngineFunctions) length += f.name.len + 1;
  Status status = StrAreaAlloc(length - 1);
  if (!status.ok()) return StrError(status);
  char* out = StrWritable(StrAreaTop());
  size_t n = 0;
  for (const EngineFunction& f : kEngineFunctions) {
    if (n) out[n++] = kNameSeparator;
    std::memcpy(out + n, f.name.ptr, f.name.len);
    n += f.name.len;
  }
  return StrAreaTop();
}

// The name list, built when the item is empty (a fresh store has no module functions).
Status EnsureNames() {
  if (!SlotGet(kGroupEnvironment, kEnvFunctionList).empty()) return kOk;
  StrAreaScope scope;
  g_module_count = 0;
  return SlotSet(kGroupEnvironment, kEnvFunctionList, EngineNames());
}

bool SameName(StrRef entry, StrRef name, bool capitals) {
  if (entry.len != name.len) return false;
  for (uint16_t i = 0; i < name.len; ++i) {
    if (entry[i] != (capitals ? AsciiUpper(name[i]) : name[i])) return false;
  }
  return true;
}

uint16_t FindIn(StrRef list, StrRef name, bool capitals) {
  uint16_t number = 1;
  size_t start = 0;
  for (size_t i = 0; i <= list.len; ++i) {
    if (i < list.len && list[i] != kNameSeparator) continue;
    if (SameName(StrMake(list.ptr + start, i - start), name, capitals)) return number;
    ++number;
    start = i + 1;
  }
  return 0;
}

class EngineFunctionTable final : public FunctionTable {
 public:
  uint16_t Find(StrRef name) override { return FunctionFind(name); }

  uint16_t PreEvaluated(uint16_t number) override {
    if (number >= 1 && number <= kEngineFunctionCount) {
      return kEngineFunctions[number - 1].pre_evaluated;
    }
    return kAll;
  }

  Status Run(uint16_t number, const ArgKinds& kinds, ArgList* rest) override {
    FunctionCall call(kinds, rest);
    if (number >= 1 && number <= kEngineFunctionCount) {
      return kEngineFunctions[number - 1].run(call);
    }
    if (number >= kFirstModuleFunction && number < kFirstModuleFunction + g_module_count) {
      return g_module_functions[number - kFirstModuleFunction](call);
    }
    return kSyntaxError;
  }

  Status Assign(uint16_t number, ArgList args, StrRef value, ValueKind kind) override {
    if (number != kAccumulatorFunction) return kSyntaxError;
    return AccumulatorAssign(args, value, kind);
  }
};

EngineFunctionTable g_table;

}  // namespace

// ---- Calls -------------------------------------------------------------------------------

FunctionCall::FunctionCall(const ArgKinds& kinds, ArgList* rest)
    : kinds_(kinds),
      rest_(rest),
      base_(static_cast<uint16_t>(SlotCount(kGroupArguments) - kinds.count)) {}

uint16_t FunctionCall::Total() const {
  ArgList left = *rest_;
  uint16_t total = kinds_.count;
  while (!left.AtEnd()) {
    (void)NextArgumentText(&left);
    ++total;
  }
  return total;
}

Status FunctionCall::ArgCount(uint16_t min, uint16_t max) const {
  const uint16_t total = Total();
  return total < min || total > max ? Status(kSyntaxError) : Status(kOk);
}

bool FunctionCall::Given(uint16_t n) const {
  return n >= 1 && n <= kinds_.count && !(kinds_.kind[n - 1] & kArgOmitted);
}

bool FunctionCall::IsString(uint16_t n) const {
  return Given(n) && (kinds_.kind[n - 1] & kArgString);
}

StrRef FunctionCall::Stored(uint16_t n) const {
  return SlotGet(kGroupArguments, static_cast<uint16_t>(base_ + n - 1));
}

Status FunctionCall::ArgInteger(uint16_t n, int16_t fallback, int16_t* out) const {
  *out = fallback;
  if (!Given(n)) return kOk;
  if (IsString(n)) return kTypeMismatch;
  *out = NumberToInteger(NumberAt(Stored(n)));
  return kOk;
}

Status FunctionCall::ArgNumber(uint16_t n, int64_t fallback, int64_t* out) const {
  *out = fallback;
  if (!Given(n)) return kOk;
  if (IsString(n)) return kTypeMismatch;
  *out = NumberAt(Stored(n));
  return kOk;
}

Status FunctionCall::ArgString(uint16_t n, StrRef fallback, StrRef* out) const {
  *out = fallback;
  if (!Given(n)) return kOk;
  if (!IsString(n)) return kTypeMismatch;
  Status status = StrAreaPushCopy(Stored(n));
  if (status.ok()) *out = StrAreaTop();
  return status;
}

Status FunctionCall::ArgValue(uint16_t n, ValueKind* kind, StrRef* out) const {
  *kind = IsString(n) ? ValueKind::kString : ValueKind::kNumber;
  Status status = Given(n) ? StrAreaPushCopy(Stored(n)) : PushNumber(0);
  if (status.ok()) *out = StrAreaTop();
  return status;
}

Status FunctionCall::ArgText(uint16_t n, StrRef fallback, StrRef* out) const {
  *out = fallback;
  if (!Given(n)) return kOk;
  const StrRef text =
      IsString(n) ? StrAreaReturn(StrAreaMark(), Stored(n)) : NumberToText(NumberAt(Stored(n)));
  if (text.IsStatus()) return StrCheck(text);
  *out = text;
  return kOk;
}

Status FunctionCall::ArgAll(uint16_t max, Lists* lists) const {
  *lists = Lists{};
  if (Total() > max) return kSyntaxError;
  for (uint16_t n = 1; n <= kinds_.count; ++n) {
    if (IsString(n)) {
      Status status = ArgString(n, StrLit(""), &lists->strings[lists->string_count]);
      if (!status.ok()) return status;
      ++lists->string_count;
    } else {
      (void)ArgInteger(n, 0, &lists->integers[lists->integer_count++]);
    }
  }
  return kOk;
}

// ---- The table ---------------------------------------------------------------------------

Status FunctionTableStart() {
  Status status = SlotSet(kGroupEnvironment, kEnvFunctionList, StrLit(""));
  if (status.ok()) status = EnsureNames();
  if (status.ok()) status = AccumulatorsCreate();
  if (status.ok()) SetFunctionTable(&g_table);
  return status;
}

void FunctionTableStop() {
  SetFunctionTable(nullptr);
  SortedListsFree();
  FileSelCloseAll();
  g_module_count = 0;
}

Status FunctionRegister(StrRef name, FunctionHandler handler) {
  if (name.IsStatus()) return StrCheck(name);
  if (name.empty() || !handler || std::memchr(name.ptr, kNameSeparator, name.len) ||
      std::memchr(name.ptr, '(', name.len)) {
    return kBadInputData;
  }
  Status status = EnsureNames();
  if (!status.ok()) return status;
  if (g_module_count == kModuleFunctionMax) return kDataOutBound;
  StrAreaScope scope;
  status = SlotSet(kGroupEnvironment, kEnvFunctionList,
                   StrJoin(SlotGet(kGroupEnvironment, kEnvFunctionList), kNameSeparator, name));
  if (status.ok()) g_module_functions[g_module_count++] = handler;
  return status;
}

uint16_t FunctionFind(StrRef name) {
  if (name.IsStatus() || name.empty() || !EnsureNames().ok()) return 0;
  const StrRef list = SlotGet(kGroupEnvironment, kEnvFunctionList);
  const uint16_t exact = FindIn(list, name, false);
  return exact ? exact : FindIn(list, name, true);
}

// ---- Results -----------------------------------------------------------------------------

Status ReturnNumber(int64_t scaled) { return PushNumber(scaled); }

Status ReturnWhole(int64_t whole) {
  int64_t scaled = 0;
  Status status = NumberFromWhole(whole, &scaled);
  return status.ok() ? PushNumber(scaled) : status;
}

Status ReturnText(StrRef s) {
  if (s.IsStatus()) return StrCheck(s);
  const StrRef top = StrAreaTop();
  if (s.ptr == top.ptr && s.len == top.len) return kOk;
  return StrAreaPushCopy(s);
}

}  // namespace engine
