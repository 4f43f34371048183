// The variable store: name lists, scalar values, constants, snapshots, arrays and the system
// variables.
#include "engine/lang/variables.h"

#include <algorithm>
#include <cstring>

#include "engine/core/block_pool.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/number.h"

namespace engine {

namespace {

// The integer system variables in number order, each NAME or NAME=default.
constexpr StrRef kSystemIntegers = StrLit(
    "_AUXSTAT,_RELRES,_CURFIL,_CUREDFLD,_DEVHIG=24,_DEVWID=80,_DEVLIN,_DEVPOS,_DEVPAG,_CURROW,"
    "_STAT,_LASTKEY=4,_SGN,_UPSTAT=1,_IER,_SYSCOMPAT,_SQLSTK,_COUNT,_HCOUNT,_ADMSTAT,_COMPAT,"
    "_SCRSTAT,_LMAX,_LNUM,_LLST,_HNUM,_SAFE,_LB=128,_AUX,_KEYMAP,_SERIAL,_TRACE=1,_PRECIS=2,"
    "_BYEAR=2000,_BKYEAR=80,_DX,_INHND,_OUTHND,_DATE,_DOCST,_WMAXROW,_USER01,_USER02,_USER03");
constexpr StrRef kSystemStrings = StrLit("_ACUM$,_ACUMX$,_LTEXT$");

// Dotted string constants (the names without their dot) and their values, in list order.
constexpr StrRef kStringConstants = StrLit("lf$,tab$,pchr$,null$");
constexpr StrRef kStringConstantValues[] = {StrLit("\r\n"), StrLit("\t"), StrLit("\\"), StrLit("")};

// Dotted integer constants and their values, in list order.
constexpr StrRef kIntegerConstants = StrLit(
    "envron,lang,cmdline,apname,apdesc,langmodule,docpath,docroot,helppath,funclist,butlabels,"
    "maskparms,datem,datey,envvar,maincond,pdfhead,dialog,aux,scrbuf,fsel,wret,fnparm,usrfil,"
    "fileln,usrfif,top,next,previous,bottom,noprint,iscgi");
constexpr int16_t kIntegerConstantValues[] = {0,  0,   1,     2,  3,  4,  5,  5,  7,    8,    9,
                                              10, 100, 10000, 9,  1,  3,  7,  31, 32,   33,   34,
                                              35, 36,  37,    38, 36, 16, 20, 32, 8192, 16384};

constexpr size_t CountFields(StrRef list) {
  size_t n = 1;
  for (size_t i = 0; i < list.len; ++i) n += list.ptr[i] == ',';
  return n;
}
static_assert(CountFields(kSystemIntegers) == kSysIntegerCount);
static_assert(CountFields(kSystemStrings) == kSysStringCount);
static_assert(CountFields(kStringConstants) == std::size(kStringConstantValues));
static_assert(CountFields(kIntegerConstants) == std::size(kIntegerConstantValues));

// Element blocks larger than this are refused as out of memory rather than attempted.
constexpr uint64_t kMaxArrayBytes = uint64_t{64} << 20;

NameResolver g_name_resolver = nullptr;

// ---- Name lookup cache -----------------------------------------------------------------
// Expressions look up the same few names over and over; the lists are walked only when a name
// is not in this small direct-mapped cache. Every change of a name list (they are written only
// here) starts a new generation, which empties the cache at once.

constexpr size_t kCacheEntries = 128;
constexpr size_t kCachedNameMax = 30;

struct CacheEntry {
  uint32_t generation = 0;  // 0: never filled
  uint16_t number = kNothing;
  uint8_t length = 0;
  char name[kCachedNameMax];
};

CacheEntry g_cache[kCacheEntries];
uint32_t g_generation = 1;

void NamesChanged() { ++g_generation; }

CacheEntry* CacheSlot(StrRef name) {
  if (name.len > kCachedNameMax) return nullptr;
  uint32_t hash = 2166136261u;
  for (uint16_t i = 0; i < name.len; ++i) hash = (hash ^ name.byte(i)) * 16777619u;
  return &g_cache[hash % kCacheEntries];
}

bool CacheHit(const CacheEntry* entry, StrRef name) {
  return entry && entry->generation == g_generation && entry->length == name.len &&
         std::memcmp(entry->name, name.ptr, name.len) == 0;
}

// The item of group 12 that holds the names of a kind.
uint16_t ListItem(VarKind kind) {
  switch (kind) {
    case VarKind::kInteger:
      return 0;
    case VarKind::kNumber:
      return 1;
    case VarKind::kString:
      return 2;
    default:
      return 3;
  }
}

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A name that starts with '.' and a letter: a constant, never a variable.
bool IsDotted(StrRef name) { return name.len > 1 && name[0] == '.' && IsLetter(name[1]); }

bool SameValue(StrRef a, StrRef b) { return a.ptr == b.ptr && a.len == b.len; }

// ---- Array descriptors -----------------------------------------------------------------

struct ArrayDescriptor {
  VarKind element = VarKind::kInvalid;
  uint16_t element_size = 0;
  uint16_t dimensions = 0;
  uint16_t size[kMaxDimensions] = {};
  uint32_t count = 0;
  unsigned char* block = nullptr;
};

bool LoadDescriptor(uint16_t number, ArrayDescriptor* desc) {
  const void* element = TableGet(kTableArrays, number);
  if (!element) return false;
  std::memcpy(desc, element, sizeof *desc);
  return true;
}

bool FindArray(StrRef name, ArrayDescriptor* desc) {
  const VarRef ref = VarFind(name);
  return ref.kind == VarKind::kArray && ref.found() && LoadDescriptor(ref.number, desc);
}

// The kind of the elements of an array name: the name rule applied without its last character.
VarKind ElementKind(StrRef name) {
  const VarKind kind = VarKindOf(StrSub(name, 0, name.len - 1));
  return kind == VarKind::kArray ? VarKind::kInvalid : kind;
}

ValueKind ValueKindOf(VarKind kind) {
  return kind == VarKind::kString ? ValueKind::kString : ValueKind::kNumber;
}

// The element number of the indices, aligned on the last dimension (missing leading indices
// are 0). 168 for a negative index or one not below its dimension.
Status ElementNumber(const ArrayDescriptor& desc, const ArrayIndices& indices, uint32_t* number) {
  uint64_t element = 0;
  const int missing = desc.dimensions - indices.count;
  for (int d = 0; d < desc.dimensions; ++d) {
    const int at = d - missing;
    const int32_t index = at >= 0 ? indices.index[at] : 0;
    if (index < 0 || index >= desc.size[d]) return kDataOutBound;
    element = element * desc.size[d] + static_cast<uint32_t>(index);
  }
  // Indices written in front of every dimension must be 0.
  for (int at = 0; at < -missing; ++at) {
    if (indices.index[at] != 0) return kDataOutBound;
  }
  *number = static_cast<uint32_t>(element);
  return kOk;
}

void WriteElement(const ArrayDescriptor& desc, uint32_t number, StrRef value) {
  unsigned char* element = desc.block + size_t{number} * desc.element_size;
  switch (desc.element) {
    case VarKind::kInteger: {
      const auto whole = static_cast<uint64_t>(NumberTruncate(NumberAt(value)));
      const auto n = static_cast<int16_t>(static_cast<uint16_t>(whole & 0xFFFF));
      std::memcpy(element, &n, sizeof n);
      break;
    }
    case VarKind::kNumber: {
      const int64_t a = NumberAt(value);
      std::memcpy(element, &a, sizeof a);
      break;
    }
    default:
      std::memcpy(element, value.ptr, std::min<size_t>(value.len, desc.element_size));
      break;
  }
}

void FreeArrays(uint32_t keep) {
  for (uint32_t n = TableInfo(kTableArrays, kTableInfoCount); n > keep; --n) {
    ArrayDescriptor desc;
    if (LoadDescriptor(static_cast<uint16_t>(n - 1), &desc) && desc.block) {
      (void)BlockFree(kTagArrays, desc.block);
    }
    (void)TableRemove(kTableArrays, n - 1);
  }
}

// Stores a value whose kind has been checked; creates the variable when missing.
Status StoreValue(StrRef name, VarKind kind, StrRef value) {
  VarRef ref = VarFind(name);
  int64_t whole = 0;
  if (kind == VarKind::kInteger) whole = NumberRoundWhole(NumberAt(value));
  if (ref.found() && kind == VarKind::kInteger && ref.number == kSysPrecis &&
      (whole < 0 || whole > kMaxPrecis)) {
    return kDataOutBound;
  }
  if (!ref.found()) ref.number = VarAdd(name, kind);
  if (!ref.found()) return kVarNameError;
  switch (kind) {
    case VarKind::kInteger: {
      const auto n = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(whole)));
      return TableSet(kTableIntegers, ref.number, &n, sizeof n) ? kOk : kOutOfMemory;
    }
    case VarKind::kNumber: {
      const int64_t a = NumberAt(value);
      return TableSet(kTableNumbers, ref.number, &a, sizeof a) ? kOk : kOutOfMemory;
    }
    default:
      return SlotSet(kGroupVarStrings, ref.number, value);
  }
}

}  // namespace

// ---- Names -----------------------------------------------------------------------------

VarKind VarKindOf(StrRef name) {
  if (name.IsStatus() || name.empty()) return VarKind::kInvalid;
  bool array = false, string = false, number = false;
  for (const char c : name.view()) {
    if (c == '@') return VarKind::kInvalid;
    array |= c == '(';
    string |= c == '$';
    number |= c == '#';
  }
  return array    ? VarKind::kArray
         : string ? VarKind::kString
         : number ? VarKind::kNumber
                  : VarKind::kInteger;
}

VarRef VarFind(StrRef name) {
  VarRef ref{VarKindOf(name), kNothing};
  if (ref.kind == VarKind::kInvalid) return ref;
  CacheEntry* entry = CacheSlot(name);
  if (CacheHit(entry, name)) {
    ref.number = entry->number;
    return ref;
  }
  const uint16_t n = ListFind(SlotGet(kGroupVarNames, ListItem(ref.kind)), ',', name);
  if (n != 0) ref.number = n - 1;
  if (entry) {
    entry->generation = g_generation;
    entry->number = ref.number;
    entry->length = static_cast<uint8_t>(name.len);
    std::memcpy(entry->name, name.ptr, name.len);
  }
  return ref;
}

uint16_t VarAdd(StrRef name, VarKind kind) {
  if (name.IsStatus() || name.empty() ||
      name.view().find_first_of(",'\"") != std::string_view::npos) {
    return kNothing;
  }
  StrAreaScope scope;
  const uint16_t item = ListItem(kind);
  const StrRef list = SlotGet(kGroupVarNames, item);
  const uint16_t number = ListCount(list, ',');
  NamesChanged();
  if (!SlotSet(kGroupVarNames, item, StrJoin(list, ',', name)).ok()) return kNothing;
  return number;
}

bool VarConstant(StrRef name, int16_t* value) {
  if (!IsDotted(name)) return false;
  const uint16_t n = ListFind(kIntegerConstants, ',', StrSub(name, 1, -1));
  if (n == 0) return false;
  *value = kIntegerConstantValues[n - 1];
  return true;
}

// ---- Reading and assigning -------------------------------------------------------------

void SetNameResolver(NameResolver resolver) { g_name_resolver = resolver; }

NameResolver CurrentNameResolver() { return g_name_resolver; }

Status VarPushText(VarKind kind, StrRef text) {
  if (text.IsStatus()) return StrCheck(text);
  if (kind == VarKind::kString) return StrAreaPushCopy(text);
  int64_t a = 0;
  Status status =
      kind == VarKind::kInteger ? NumberFromWhole(StrToInt64(text), &a) : NumberFromText(text, &a);
  return status.ok() ? PushNumber(a) : status;
}

Status VarPush(StrRef name) {
  const VarKind kind = VarKindOf(name);
  if (kind == VarKind::kInvalid || kind == VarKind::kArray) return kSyntaxError;
  if (g_name_resolver && name[0] == '_') {
    const uint16_t mark = StrAreaMark();
    const StrRef answer = g_name_resolver(name, kNameRead);
    const Status status = StrCheck(answer);
    if (status != kBadInputData) {
      Status pushed = status.ok() ? VarPushText(kind, answer) : status;
      if (pushed.ok()) {
        (void)StrAreaReturn(mark, StrAreaTop());
      } else {
        StrAreaRelease(mark);
      }
      return pushed;
    }
    StrAreaRelease(mark);
  }
  const VarRef ref = VarFind(name);
  switch (kind) {
    case VarKind::kInteger: {
      int16_t n = 0;
      if (const void* element = ref.found() ? TableGet(kTableIntegers, ref.number) : nullptr) {
        std::memcpy(&n, element, sizeof n);
      }
      return PushNumber(IntegerToNumber(n));
    }
    case VarKind::kNumber: {
      int64_t a = 0;
      if (const void* element = ref.found() ? TableGet(kTableNumbers, ref.number) : nullptr) {
        std::memcpy(&a, element, sizeof a);
      }
      return PushNumber(a);
    }
    default:
      if (IsDotted(name)) {
        const uint16_t n = ListFind(kStringConstants, ',', StrSub(name, 1, -1));
        if (n != 0) return StrAreaPushCopy(kStringConstantValues[n - 1]);
      }
      return StrAreaPushCopy(ref.found() ? SlotGet(kGroupVarStrings, ref.number) : StrLit(""));
  }
}

Status VarAssign(StrRef name, StrRef value, ValueKind kind) {
  const VarKind var_kind = VarKindOf(name);
  if (var_kind == VarKind::kInvalid || var_kind == VarKind::kArray || name[0] == '.') {
    return kSyntaxError;
  }
  if (value.IsStatus()) return StrCheck(value);
  if (ValueKindOf(var_kind) != kind) return kTypeMismatch;
  if (kind == ValueKind::kNumber && value.len != kNumberSize) return kTypeMismatch;
  StrAreaScope scope;
  if (g_name_resolver && name[0] == '_') {
    // The resolver finds the new value as the newest temporary.
    if (!SameValue(StrAreaTop(), value)) {
      Status status = StrAreaPushCopy(value);
      if (!status.ok()) return status;
      value = StrAreaTop();
    }
    const Status status = StrCheck(g_name_resolver(name, kNameAssign));
    if (status != kBadInputData) return status;
  }
  return StoreValue(name, var_kind, value);
}

Status VarAssignInteger(StrRef name, int16_t n) {
  StrAreaScope scope;
  Status status = PushNumber(IntegerToNumber(n));
  return status.ok() ? VarAssign(name, StrAreaTop(), ValueKind::kNumber) : status;
}

bool VarInteger(StrRef name, int16_t* value) {
  const VarRef ref = VarFind(name);
  const void* element =
      ref.kind == VarKind::kInteger && ref.found() ? TableGet(kTableIntegers, ref.number) : nullptr;
  if (element) std::memcpy(value, element, sizeof *value);
  return element != nullptr;
}

bool VarNumber(StrRef name, int64_t* value) {
  const VarRef ref = VarFind(name);
  const void* element =
      ref.kind == VarKind::kNumber && ref.found() ? TableGet(kTableNumbers, ref.number) : nullptr;
  if (element) std::memcpy(value, element, sizeof *value);
  return element != nullptr;
}

// ---- Snapshots -------------------------------------------------------------------------

VarSnapshot VarMark() {
  VarSnapshot snapshot;
  for (uint16_t item = 0; item < 4; ++item) {
    const StrRef list = SlotGet(kGroupVarNames, item);
    snapshot.list_length[item] = list.len;
    snapshot.list_count[item] = ListCount(list, ',');
  }
  snapshot.integers = TableInfo(kTableIntegers, kTableInfoCount);
  snapshot.numbers = TableInfo(kTableNumbers, kTableInfoCount);
  snapshot.arrays = TableInfo(kTableArrays, kTableInfoCount);
  snapshot.strings = SlotCount(kGroupVarStrings);
  return snapshot;
}

Status VarRelease(const VarSnapshot& snapshot) {
  for (uint16_t item = 0; item < 4; ++item) {
    if (SlotGet(kGroupVarNames, item).len < snapshot.list_length[item]) return kInternalError;
  }
  NamesChanged();
  for (uint16_t item = 0; item < 4; ++item) {
    const StrRef list = SlotGet(kGroupVarNames, item);
    if (list.len == snapshot.list_length[item]) continue;
    Status status = SlotSet(kGroupVarNames, item, StrSub(list, 0, snapshot.list_length[item]));
    if (!status.ok()) return status;
  }
  FreeArrays(snapshot.arrays);
  for (uint16_t table : {kTableIntegers, kTableNumbers}) {
    const uint32_t keep = table == kTableIntegers ? snapshot.integers : snapshot.numbers;
    for (uint32_t n = TableInfo(table, kTableInfoCount); n > keep; --n) {
      (void)TableRemove(table, n - 1);
    }
  }
  return SlotTruncate(kGroupVarStrings, snapshot.strings);
}

// ---- Arrays ----------------------------------------------------------------------------

Status ArrayCreate(StrRef name, VarKind element, const ArrayIndices& indices, StrRef initial) {
  if (VarKindOf(name) != VarKind::kArray || IsDotted(name)) return kSyntaxError;
  if (indices.count > kMaxDimensions) return kDimStructError;
  if (element != VarKind::kInteger && element != VarKind::kNumber && element != VarKind::kString) {
    return kSyntaxError;
  }
  ArrayDescriptor desc;
  desc.element = element;
  desc.dimensions = indices.count;
  uint64_t count = 1;
  for (int d = 0; d < indices.count; ++d) {
    if (indices.index[d] < 0 || indices.index[d] >= 0xFFFF) return kDataOutBound;
    desc.size[d] = static_cast<uint16_t>(indices.index[d] + 1);
    // Four sizes near 65,535 multiply past 64 bits; no array that fits is ever that large.
    count = std::min<uint64_t>(count * desc.size[d], kMaxArrayBytes + 1);
  }
  if (element == VarKind::kString) {
    if (initial.IsStatus()) return kSyntaxError;
    desc.element_size = initial.len;
  } else {
    desc.element_size = element == VarKind::kInteger ? 2 : kNumberSize;
  }
  if (count == 1 || desc.element_size == 0) return kSyntaxError;
  if (count > kMaxArrayBytes / desc.element_size) return kOutOfMemory;
  const uint64_t bytes = count * desc.element_size;
  desc.count = static_cast<uint32_t>(count);
  desc.block =
      static_cast<unsigned char*>(BlockAllocZero(kTagArrays, static_cast<uint32_t>(bytes)));
  if (!desc.block) return kOutOfMemory;
  if (element == VarKind::kString) {
    for (uint32_t n = 0; n < desc.count; ++n) WriteElement(desc, n, initial);
  }
  // The descriptor goes in first, at the number the name will get, so that a failure leaves
  // neither a name without a descriptor nor the reverse.
  const uint16_t number = ListCount(SlotGet(kGroupVarNames, ListItem(VarKind::kArray)), ',');
  Status status = kOk;
  if (!TableSet(kTableArrays, number, &desc, sizeof desc)) {
    status = kOutOfMemory;
  } else if (VarAdd(name, VarKind::kArray) != number) {
    (void)TableRemove(kTableArrays, number);
    status = kVarNameError;
  }
  if (!status.ok()) (void)BlockFree(kTagArrays, desc.block);
  return status;
}

StrRef ArrayElement(StrRef name, const ArrayIndices& indices) {
  ArrayDescriptor desc;
  if (!FindArray(name, &desc)) return StrError(kDimStructError);
  uint32_t number = 0;
  Status status = ElementNumber(desc, indices, &number);
  if (!status.ok()) return StrError(status);
  return StrMake(reinterpret_cast<const char*>(desc.block) + size_t{number} * desc.element_size,
                 desc.element_size);
}

Status ArrayPush(StrRef name, const ArrayIndices& indices) {
  const VarKind element = ElementKind(name);
  if (element == VarKind::kInvalid) return kSyntaxError;
  if (!VarFind(name).found()) {
    Status status = ArrayCreate(name, element, indices, indices.initial);
    if (!status.ok()) return status;
  }
  const StrRef bytes = ArrayElement(name, indices);
  if (bytes.IsStatus()) return StrCheck(bytes);
  if (element == VarKind::kInteger) {
    int16_t n;
    std::memcpy(&n, bytes.ptr, sizeof n);
    return PushNumber(IntegerToNumber(n));
  }
  return StrAreaPushCopy(bytes);
}

Status ArrayAssign(StrRef name, const ArrayIndices& indices, StrRef value, ValueKind kind) {
  if (value.IsStatus()) return StrCheck(value);
  ArrayDescriptor desc;
  if (!FindArray(name, &desc)) return kDimStructError;
  if (ValueKindOf(desc.element) != kind) return kTypeMismatch;
  uint32_t number = 0;
  Status status = ElementNumber(desc, indices, &number);
  if (status.ok()) WriteElement(desc, number, value);
  return status;
}

Status ArrayFill(StrRef name, StrRef value, ValueKind kind, uint32_t first, uint32_t count) {
  if (value.IsStatus()) return StrCheck(value);
  ArrayDescriptor desc;
  if (!FindArray(name, &desc)) return kDimStructError;
  if (ValueKindOf(desc.element) != kind) return kTypeMismatch;
  if (first > desc.count) return kDataOutBound;
  if (count == kArrayToEnd) count = desc.count - first;
  if (uint64_t{first} + count > desc.count) return kDataOutBound;
  for (uint32_t n = first; n < first + count; ++n) WriteElement(desc, n, value);
  return kOk;
}

uint32_t ArrayElementCount(StrRef name) {
  ArrayDescriptor desc;
  return FindArray(name, &desc) ? desc.count : 0;
}

// ---- Lifetime --------------------------------------------------------------------------

Status SystemVariablesInit() {
  NamesChanged();
  StrAreaScope scope;
  const uint16_t integers = ListCount(kSystemIntegers, ',');
  for (uint16_t n = 1; n <= integers; ++n) {
    const StrRef entry = ListField(kSystemIntegers, ',', n);
    const uint16_t eq = StrFindChar(entry, 0, '=', true);
    const StrRef name = eq == kNothing ? entry : StrSub(entry, 0, eq);
    const auto value =
        static_cast<int16_t>(eq == kNothing ? 0 : StrToInt(StrSub(entry, eq + 1, -1)));
    Status status = PushNumber(IntegerToNumber(value));
    if (status.ok()) status = StoreValue(name, VarKind::kInteger, StrAreaTop());
    if (!status.ok()) return status;
  }
  const uint16_t strings = ListCount(kSystemStrings, ',');
  for (uint16_t n = 1; n <= strings; ++n) {
    Status status = StoreValue(ListField(kSystemStrings, ',', n), VarKind::kString, StrLit(""));
    if (!status.ok()) return status;
  }
  const VarRef last_integer = VarFind(StrLit("_USER03"));
  const VarRef last_string = VarFind(StrLit("_LTEXT$"));
  if (last_integer.number != kSysUser03 || last_string.number != kSysLText) return kInternalError;
  return kOk;
}

void VariablesStop() {
  FreeArrays(0);
  TableFree(kTableArrays);
  TableFree(kTableIntegers);
  TableFree(kTableNumbers);
  (void)SlotClearGroup(kGroupVarNames);
  NamesChanged();
  (void)SlotClearGroup(kGroupVarStrings);
}

}  // namespace engine
