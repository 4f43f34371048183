// The variable store of the expression language: value kinds, how a name decides its kind, the
// name lists and value tables, arrays, the snapshot procedures use for local variables, the
// system variables with their numbers and defaults, and the read-only dotted constants.
//
// Names are kept as one comma list per kind in StringSlots group 12 (written only by this store,
// which keeps a cache of recent look-ups) (item 0 integers, 1 numbers,
// 2 strings, 3 arrays); a variable's number is its position in its list. Integer values live in
// ValueTables table 7 (system words first), numbers in table 8, strings in StringSlots group 13
// and array descriptors in table 6, each indexed by the variable's number.
//
// Values travel on the StringArea: a string as its bytes, a number as an 8-byte temporary holding
// the raw scaled value (see number.h). An integer is never pushed as such: it is pushed as the
// number of the same value.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// The kind of a value on the StringArea; the evaluator knows it from the syntax.
enum class ValueKind : uint8_t { kNumber = 0, kString = 1 };

// The kind a name gives its variable (the codes also select the storage).
enum class VarKind : uint16_t {
  kInvalid = 0,
  kInteger = 2,
  kString = 3,
  kNumber = 6,
  kArray = 16,
};

// ---- System variables ------------------------------------------------------------------
// Integer variables 0..43, created first at start-up so that their numbers are fixed; the rest
// of the engine reads and writes them by number through SysWord and SysWordSet.

inline constexpr uint16_t kSysAuxStat = 0;  // bit kAuxNoWildcards switches off wildcard ==
inline constexpr uint16_t kSysRelRes = 1;
inline constexpr uint16_t kSysCurFil = 2;
inline constexpr uint16_t kSysCurEdFld = 3;
inline constexpr uint16_t kSysDevHig = 4;
inline constexpr uint16_t kSysDevWid = 5;
inline constexpr uint16_t kSysDevLin = 6;
inline constexpr uint16_t kSysDevPos = 7;
inline constexpr uint16_t kSysDevPag = 8;
inline constexpr uint16_t kSysCurRow = 9;
inline constexpr uint16_t kSysStat = 10;
inline constexpr uint16_t kSysLastKey = 11;
inline constexpr uint16_t kSysSgn = 12;
inline constexpr uint16_t kSysUpStat = 13;
inline constexpr uint16_t kSysIer = 14;
inline constexpr uint16_t kSysSysCompat = 15;
inline constexpr uint16_t kSysSqlStk = 16;
inline constexpr uint16_t kSysCount = 17;
inline constexpr uint16_t kSysHCount = 18;
inline constexpr uint16_t kSysAdmStat = 19;
inline constexpr uint16_t kSysCompat = 20;
inline constexpr uint16_t kSysScrStat = 21;
inline constexpr uint16_t kSysLMax = 22;
inline constexpr uint16_t kSysLNum = 23;
inline constexpr uint16_t kSysLLst = 24;
inline constexpr uint16_t kSysHNum = 25;
inline constexpr uint16_t kSysSafe = 26;
inline constexpr uint16_t kSysLb = 27;
inline constexpr uint16_t kSysAux = 28;
inline constexpr uint16_t kSysKeyMap = 29;
inline constexpr uint16_t kSysSerial = 30;
inline constexpr uint16_t kSysTrace = 31;
inline constexpr uint16_t kSysPrecis = 32;
inline constexpr uint16_t kSysBYear = 33;
inline constexpr uint16_t kSysBkYear = 34;
inline constexpr uint16_t kSysDx = 35;
inline constexpr uint16_t kSysInHnd = 36;
inline constexpr uint16_t kSysOutHnd = 37;
inline constexpr uint16_t kSysDate = 38;
inline constexpr uint16_t kSysDocSt = 39;
inline constexpr uint16_t kSysWMaxRow = 40;
inline constexpr uint16_t kSysUser01 = 41;
inline constexpr uint16_t kSysUser02 = 42;
inline constexpr uint16_t kSysUser03 = 43;
inline constexpr uint16_t kSysIntegerCount = 44;

// String system variables 0..2.
inline constexpr uint16_t kSysAcum = 0;   // _ACUM$
inline constexpr uint16_t kSysAcumX = 1;  // _ACUMX$: comma list of accumulator names
inline constexpr uint16_t kSysLText = 2;  // _LTEXT$
inline constexpr uint16_t kSysStringCount = 3;

inline constexpr uint16_t kAuxNoWildcards = 128;  // bit of _AUXSTAT

// Number of the ValueTables tracked-block owner tag of array element blocks.
inline constexpr uint16_t kTagArrays = 7;

// ---- Names -----------------------------------------------------------------------------

// The kind of a name: '@' anywhere makes it invalid, then the first of '(' (array), '$'
// (string), '#' (number) found anywhere decides; none of them is an integer. Empty: invalid.
VarKind VarKindOf(StrRef name);

struct VarRef {
  VarKind kind = VarKind::kInvalid;
  uint16_t number = kNothing;  // kNothing when the name is not in its list
  bool found() const { return number != kNothing; }
};
VarRef VarFind(StrRef name);
// Appends the name to the list of `kind` and answers its number; kNothing when the name cannot
// be stored (the slot store is full, or the name is empty or holds ',' or a quote).
uint16_t VarAdd(StrRef name, VarKind kind);

// A named integer constant (".envvar", ".dialog" ...): the name with its dot. False when the name
// is not one.
bool VarConstant(StrRef name, int16_t* value);

// ---- Reading and assigning -------------------------------------------------------------

// Pushes the value of the variable as a value of its kind (an integer as a number). A variable
// never assigned reads as 0 or the empty string and is not created. 147 for an invalid or array
// name.
[[nodiscard]] Status VarPush(StrRef name);
// Pushes a text as a value of a kind: a string as it is, for an integer kind the text read as a
// whole number, for a number kind read by NumberFromText (number.h).
[[nodiscard]] Status VarPushText(VarKind kind, StrRef text);
// Assigns `value` (a string, or an 8-byte number, as `kind` says) to the variable, creating it
// when missing. The kind must be the variable's (128 otherwise); a dotted name, an invalid or an
// array name is 147; 157 when the variable cannot be created; _PRECIS refuses a value outside
// 0..kMaxPrecis (number.h) with 168. The StringArea is left as it was found; a failed assignment
// leaves the former value.
[[nodiscard]] Status VarAssign(StrRef name, StrRef value, ValueKind kind);
[[nodiscard]] Status VarAssignInteger(StrRef name, int16_t n);
// The value of a variable, read into the caller's variables; false when it does not exist.
bool VarInteger(StrRef name, int16_t* value);
bool VarNumber(StrRef name, int64_t* value);

// Resolver of names that begin with '_' (hook slot 0 of the engine's hook table): called with
// mode kNameRead or kNameAssign (the new value is then the newest temporary). It answers a value
// with status 0 (handled), the status value kBadInputData (not handled: the variable store takes
// over) or another status (the failure).
inline constexpr int kNameRead = 1;
inline constexpr int kNameAssign = 5;
using NameResolver = StrRef (*)(StrRef name, int mode);
void SetNameResolver(NameResolver resolver);
NameResolver CurrentNameResolver();

// ---- Snapshots -------------------------------------------------------------------------

struct VarSnapshot {
  uint16_t list_length[4] = {};
  uint16_t list_count[4] = {};
  uint32_t integers = 0;
  uint32_t numbers = 0;
  uint32_t arrays = 0;
  uint16_t strings = 0;
};
VarSnapshot VarMark();
// Removes every variable created after the snapshot (freeing the blocks of removed arrays);
// older variables keep their current values. 141 when a name list is shorter than recorded.
[[nodiscard]] Status VarRelease(const VarSnapshot& snapshot);

// ---- Arrays ----------------------------------------------------------------------------

inline constexpr int kMaxDimensions = 4;

// The indices of one array reference, in the order written. Arguments that are texts count as
// index 0; `initial` is the text argument that ended the index list (null when none).
struct ArrayIndices {
  uint8_t count = 0;
  int32_t index[kMaxDimensions] = {};
  StrRef initial;
};

// Creates an array of `element` kind with dimensions index + 1 each. A string array takes its
// element width and the initial content of every element from `initial`. 149 with more than
// four dimensions, 147 for one element, an element width of 0 or a name that is no array name,
// 168 for a negative index or a dimension beyond 65,535 elements, 145 when the elements do not
// fit in memory.
[[nodiscard]] Status ArrayCreate(StrRef name, VarKind element, const ArrayIndices& indices,
                                 StrRef initial);
// The bytes of one element inside the element block (valid until the array is released), or
// the status value 168 when an index is negative or not below its dimension, 149 when the array
// does not exist.
StrRef ArrayElement(StrRef name, const ArrayIndices& indices);
// Pushes one element as a value of its kind, creating the array on its first reference.
[[nodiscard]] Status ArrayPush(StrRef name, const ArrayIndices& indices);
// Assigns a value to one element: 149 when the array does not exist, 128 when the kinds differ,
// 168 for a bad index. An integer element receives the value truncated toward zero; a string
// element the value's bytes from its first byte, cut to the element width.
[[nodiscard]] Status ArrayAssign(StrRef name, const ArrayIndices& indices, StrRef value,
                                 ValueKind kind);
// Writes `value` into `count` elements from element number `first` (kArrayToEnd: to the end).
// 168 when the range passes the end; 149 when the array does not exist; 128 when the kinds
// differ.
inline constexpr uint32_t kArrayToEnd = 0xFFFFFFFF;
[[nodiscard]] Status ArrayFill(StrRef name, StrRef value, ValueKind kind, uint32_t first,
                               uint32_t count);
// The element count of an array, 0 when it does not exist.
uint32_t ArrayElementCount(StrRef name);

// ---- Lifetime --------------------------------------------------------------------------

// Creates the 44 integer and 3 string system variables with their defaults, in order, so that
// their numbers are fixed. The first failing assignment is the result; 141 when other variables
// were created before.
[[nodiscard]] Status SystemVariablesInit();
// Frees every array, empties the store and forgets the look-up cache. The engine's stop calls it
// before the memory stop; whoever stops the memory after using variables must do the same.
void VariablesStop();

}  // namespace engine
