// The variable store: kinds of names, system variables and their numbers, assignment rules,
// snapshots, and arrays.
#include "engine/lang/variables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/core/block_pool.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/value_tables.h"
#include "engine/lang/number.h"
#include "lang_fixture.h"

namespace engine {
namespace {

using VariablesTest = testing::LangFixture;
using testing::Show;

TEST_F(VariablesTest, NameDecidesKind) {
  struct Row {
    const char* name;
    VarKind kind;
  };
  const Row rows[] = {
      {"A", VarKind::kInteger},   {"INDEX%", VarKind::kInteger},
      {"A$", VarKind::kString},   {"A$B", VarKind::kString},
      {"T#", VarKind::kNumber},   {"A#$", VarKind::kString},
      {"A$(", VarKind::kArray},   {"N(", VarKind::kArray},
      {"A@B", VarKind::kInvalid}, {"A$@(", VarKind::kInvalid},
      {"", VarKind::kInvalid},    {"CTX.WINNAME$", VarKind::kString},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(VarKindOf(StrView(row.name)), row.kind);
  }
}

TEST_F(VariablesTest, SystemVariablesHaveTheirNumbersAndDefaults) {
  struct Row {
    uint16_t number;
    const char* name;
    int16_t value;
  };
  const Row rows[] = {
      {kSysAuxStat, "_AUXSTAT", 0}, {kSysRelRes, "_RELRES", 0},
      {kSysCurFil, "_CURFIL", 0},   {kSysCurEdFld, "_CUREDFLD", 0},
      {kSysDevHig, "_DEVHIG", 24},  {kSysDevWid, "_DEVWID", 80},
      {kSysDevLin, "_DEVLIN", 0},   {kSysDevPos, "_DEVPOS", 0},
      {kSysDevPag, "_DEVPAG", 0},   {kSysCurRow, "_CURROW", 0},
      {kSysStat, "_STAT", 0},       {kSysLastKey, "_LASTKEY", 4},
      {kSysSgn, "_SGN", 0},         {kSysUpStat, "_UPSTAT", 1},
      {kSysIer, "_IER", 0},         {kSysSysCompat, "_SYSCOMPAT", 0},
      {kSysSqlStk, "_SQLSTK", 0},   {kSysCount, "_COUNT", 0},
      {kSysHCount, "_HCOUNT", 0},   {kSysAdmStat, "_ADMSTAT", 0},
      {kSysCompat, "_COMPAT", 0},   {kSysScrStat, "_SCRSTAT", 0},
      {kSysLMax, "_LMAX", 0},       {kSysLNum, "_LNUM", 0},
      {kSysLLst, "_LLST", 0},       {kSysHNum, "_HNUM", 0},
      {kSysSafe, "_SAFE", 0},       {kSysLb, "_LB", 128},
      {kSysAux, "_AUX", 0},         {kSysKeyMap, "_KEYMAP", 0},
      {kSysSerial, "_SERIAL", 0},   {kSysTrace, "_TRACE", 1},
      {kSysPrecis, "_PRECIS", 2},   {kSysBYear, "_BYEAR", 2000},
      {kSysBkYear, "_BKYEAR", 80},  {kSysDx, "_DX", 0},
      {kSysInHnd, "_INHND", 0},     {kSysOutHnd, "_OUTHND", 0},
      {kSysDate, "_DATE", 0},       {kSysDocSt, "_DOCST", 0},
      {kSysWMaxRow, "_WMAXROW", 0}, {kSysUser01, "_USER01", 0},
      {kSysUser02, "_USER02", 0},   {kSysUser03, "_USER03", 0},
  };
  ASSERT_EQ(std::size(rows), kSysIntegerCount);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const VarRef ref = VarFind(StrView(row.name));
    EXPECT_EQ(ref.kind, VarKind::kInteger);
    EXPECT_EQ(ref.number, row.number);
    EXPECT_EQ(SysWord(row.number), row.value);
  }
  const char* strings[] = {"_ACUM$", "_ACUMX$", "_LTEXT$"};
  for (uint16_t n = 0; n < kSysStringCount; ++n) {
    EXPECT_EQ(VarFind(StrView(strings[n])).number, n);
    EXPECT_EQ(Show(SlotGet(kGroupVarStrings, n)), "");
  }
  // The names live where other parts look for them.
  EXPECT_EQ(Show(SlotGet(kGroupVarNames, 2)), "_ACUM$,_ACUMX$,_LTEXT$");
  // Starting again keeps every number; starting after other variables is refused.
  EXPECT_EQ(SystemVariablesInit(), kOk);
  VariablesStop();
  ASSERT_EQ(VarAssignInteger(StrLit("EARLY"), 1), kOk);
  EXPECT_EQ(SystemVariablesInit(), kInternalError);
}

TEST_F(VariablesTest, ReadingNeverCreates) {
  const VarSnapshot before = VarMark();
  const uint16_t mark = StrAreaMark();
  ASSERT_EQ(VarPush(StrLit("X%")), kOk);
  EXPECT_EQ(NumberAt(StrAreaTop()), 0);
  ASSERT_EQ(VarPush(StrLit("NEVER$")), kOk);
  EXPECT_EQ(Show(StrAreaTop()), "");
  StrAreaRelease(mark);
  EXPECT_FALSE(VarFind(StrLit("X%")).found());
  EXPECT_EQ(VarMark().list_length[0], before.list_length[0]);
  EXPECT_EQ(VarPush(StrLit("A(")), kSyntaxError);
  EXPECT_EQ(VarPush(StrLit("A@B")), kSyntaxError);
  EXPECT_EQ(StrAreaMark(), mark);
}

TEST_F(VariablesTest, LookupsFollowEveryChangeOfTheNameLists) {
  EXPECT_FALSE(VarFind(StrLit("Q")).found());  // a remembered miss
  ASSERT_EQ(VarAssignInteger(StrLit("Q"), 5), kOk);
  const VarRef q = VarFind(StrLit("Q"));
  ASSERT_TRUE(q.found());
  EXPECT_EQ(q.number, kSysIntegerCount);
  const VarSnapshot snapshot = VarMark();
  ASSERT_EQ(VarAssignInteger(StrLit("R"), 6), kOk);
  EXPECT_TRUE(VarFind(StrLit("R")).found());
  ASSERT_EQ(VarRelease(snapshot), kOk);
  EXPECT_FALSE(VarFind(StrLit("R")).found());
  ASSERT_EQ(VarAssignInteger(StrLit("S"), 7), kOk);
  EXPECT_EQ(VarFind(StrLit("S")).number, kSysIntegerCount + 1);
  int16_t n = 0;
  ASSERT_TRUE(VarInteger(StrLit("S"), &n));
  EXPECT_EQ(n, 7);
  VariablesStop();
  EXPECT_FALSE(VarFind(StrLit("Q")).found());
  EXPECT_FALSE(VarFind(StrLit("_PRECIS")).found());
}

TEST_F(VariablesTest, AssignmentRules) {
  ASSERT_EQ(VarAssignInteger(StrLit("N"), -7), kOk);
  int16_t n = 0;
  ASSERT_TRUE(VarInteger(StrLit("N"), &n));
  EXPECT_EQ(n, -7);
  const uint16_t mark = StrAreaMark();
  ASSERT_EQ(PushNumber(4000000), kOk);  // 40000.00
  EXPECT_EQ(VarAssign(StrLit("N"), StrAreaTop(), ValueKind::kNumber), kOk);
  ASSERT_TRUE(VarInteger(StrLit("N"), &n));
  EXPECT_EQ(n, -25536);
  EXPECT_EQ(VarAssign(StrLit("N$"), StrAreaTop(), ValueKind::kNumber), kTypeMismatch);
  EXPECT_EQ(VarAssign(StrLit("N#"), StrLit("12"), ValueKind::kString), kTypeMismatch);
  EXPECT_EQ(VarAssign(StrLit("N#"), StrLit("12"), ValueKind::kNumber), kTypeMismatch);
  EXPECT_EQ(VarAssign(StrLit(".X$"), StrLit("x"), ValueKind::kString), kSyntaxError);
  EXPECT_EQ(VarAssign(StrLit("A@"), StrLit("x"), ValueKind::kString), kSyntaxError);
  EXPECT_EQ(VarAssign(StrLit("A$("), StrLit("x"), ValueKind::kString), kSyntaxError);
  EXPECT_EQ(VarAssign(StrLit("A,B$"), StrLit("x"), ValueKind::kString), kVarNameError);
  EXPECT_EQ(VarAssign(StrLit("S$"), StrError(kFileNotFound), ValueKind::kString), kFileNotFound);
  EXPECT_EQ(StrAreaMark(), mark + 1);
  StrAreaRelease(mark);
  int64_t a = 0;
  EXPECT_FALSE(VarNumber(StrLit("N#"), &a));
  EXPECT_FALSE(VarFind(StrLit("A,B$")).found());
}

TEST_F(VariablesTest, ReleaseRemovesWhatWasCreatedAfterTheSnapshot) {
  ASSERT_EQ(EvalStatus(StrLit("A#=1;KEEP$='k'")), kOk);
  const uint16_t live_blocks = BlockPoolLiveCount();
  const VarSnapshot snapshot = VarMark();
  ASSERT_EQ(EvalStatus(StrLit("T$='local';A#=2;L=5;L#=6;ARR(9)=0")), kDimStructError);
  ASSERT_EQ(EvalStatus(StrLit("ARR(9);ARR(9)=3;S$('ab';3)")), kOk);
  EXPECT_GT(BlockPoolLiveCount(), live_blocks);
  ASSERT_EQ(VarRelease(snapshot), kOk);
  EXPECT_FALSE(VarFind(StrLit("T$")).found());
  EXPECT_FALSE(VarFind(StrLit("L")).found());
  EXPECT_FALSE(VarFind(StrLit("L#")).found());
  EXPECT_FALSE(VarFind(StrLit("ARR(")).found());
  EXPECT_EQ(BlockPoolLiveCount(), live_blocks);
  int64_t a = 0;
  ASSERT_TRUE(VarNumber(StrLit("A#"), &a));
  EXPECT_EQ(a, 200);  // assigned after the snapshot, kept
  EXPECT_EQ(SlotCount(kGroupVarStrings), snapshot.strings);
  EXPECT_EQ(TableInfo(kTableIntegers, kTableInfoCount), snapshot.integers);
  // A variable created again gets the number the removed one had.
  ASSERT_EQ(EvalStatus(StrLit("U$='again'")), kOk);
  EXPECT_EQ(VarFind(StrLit("U$")).number, snapshot.list_count[2]);
  // A list shorter than its snapshot cannot be released.
  const VarSnapshot later = VarMark();
  ASSERT_EQ(SlotSet(kGroupVarNames, 2, StrLit("_ACUM$")), kOk);
  EXPECT_EQ(VarRelease(later), kInternalError);
}

TEST_F(VariablesTest, ArraysCountBeyondSixteenBits) {
  // 301 x 301 elements: the count and the byte size pass 65,535.
  ArrayIndices shape;
  shape.count = 2;
  shape.index[0] = 300;
  shape.index[1] = 300;
  ASSERT_EQ(ArrayCreate(StrLit("BIG#("), VarKind::kNumber, shape, StrRef{}), kOk);
  EXPECT_EQ(ArrayElementCount(StrLit("BIG#(")), 301u * 301u);
  const uint16_t mark = StrAreaMark();
  ASSERT_EQ(PushNumber(4200), kOk);
  EXPECT_EQ(ArrayAssign(StrLit("BIG#("), shape, StrAreaTop(), ValueKind::kNumber), kOk);
  ArrayIndices first;
  first.count = 2;
  EXPECT_EQ(ArrayAssign(StrLit("BIG#("), first, StrAreaTop(), ValueKind::kNumber), kOk);
  StrAreaRelease(mark);
  ASSERT_EQ(ArrayPush(StrLit("BIG#("), shape), kOk);
  EXPECT_EQ(NumberAt(StrAreaTop()), 4200);
  StrAreaRelease(mark);
  ArrayIndices second = first;
  second.index[1] = 1;
  ASSERT_EQ(ArrayPush(StrLit("BIG#("), second), kOk);
  EXPECT_EQ(NumberAt(StrAreaTop()), 0);
  StrAreaRelease(mark);
  ArrayIndices past = shape;
  past.index[1] = 301;
  EXPECT_EQ(StrCheck(ArrayElement(StrLit("BIG#("), past)), kDataOutBound);
  // Far too large for memory.
  shape.index[0] = 9000;
  shape.index[1] = 9000;
  EXPECT_EQ(ArrayCreate(StrLit("HUGE#("), VarKind::kNumber, shape, StrRef{}), kOutOfMemory);
  EXPECT_FALSE(VarFind(StrLit("HUGE#(")).found());
  // Four dimensions whose byte size wraps 64 bits to a few megabytes.
  const struct {
    const char* name;
    VarKind element;
    int32_t sizes[4];
  } wrapping[] = {
      {"WRAPN#(", VarKind::kNumber, {65471, 63707, 64949, 42556}},
      {"WRAPI(", VarKind::kInteger, {65495, 63189, 64403, 34602}},
  };
  for (const auto& c : wrapping) {
    SCOPED_TRACE(c.name);
    ArrayIndices four;
    four.count = 4;
    std::copy_n(c.sizes, 4, four.index);
    EXPECT_EQ(ArrayCreate(StrFromC(c.name), c.element, four, StrRef{}), kOutOfMemory);
    EXPECT_FALSE(VarFind(StrFromC(c.name)).found());
  }
  shape.index[1] = 70000;
  EXPECT_EQ(ArrayCreate(StrLit("WIDE("), VarKind::kInteger, shape, StrRef{}), kDataOutBound);
}

TEST_F(VariablesTest, ArrayFillStaysInsideTheArray) {
  ArrayIndices shape;
  shape.count = 1;
  shape.index[0] = 9;  // ten elements
  ASSERT_EQ(ArrayCreate(StrLit("F("), VarKind::kInteger, shape, StrRef{}), kOk);
  const uint16_t mark = StrAreaMark();
  ASSERT_EQ(PushNumber(IntegerToNumber(3)), kOk);
  const StrRef three = StrAreaTop();
  EXPECT_EQ(ArrayFill(StrLit("F("), three, ValueKind::kNumber, 8, 3), kDataOutBound);
  EXPECT_EQ(ArrayFill(StrLit("F("), three, ValueKind::kNumber, 11, kArrayToEnd), kDataOutBound);
  EXPECT_EQ(ArrayFill(StrLit("F("), three, ValueKind::kString, 0, 1), kTypeMismatch);
  EXPECT_EQ(ArrayFill(StrLit("G("), three, ValueKind::kNumber, 0, 1), kDimStructError);
  EXPECT_EQ(ArrayFill(StrLit("F("), three, ValueKind::kNumber, 7, kArrayToEnd), kOk);
  StrAreaRelease(mark);
  int sum = 0;
  for (int32_t i = 0; i < 10; ++i) {
    ArrayIndices at;
    at.count = 1;
    at.index[0] = i;
    const StrRef element = ArrayElement(StrLit("F("), at);
    ASSERT_FALSE(element.IsStatus());
    int16_t n;
    std::memcpy(&n, element.ptr, sizeof n);
    sum += n;
  }
  EXPECT_EQ(sum, 9);  // elements 7, 8 and 9
}

TEST_F(VariablesTest, StringArraysTakeWidthAndContentFromTheirText) {
  ArrayIndices shape;
  shape.count = 1;
  shape.index[0] = 2;
  EXPECT_EQ(ArrayCreate(StrLit("S$("), VarKind::kString, shape, StrRef{}), kSyntaxError);
  EXPECT_EQ(ArrayCreate(StrLit("S$("), VarKind::kString, shape, StrLit("")), kSyntaxError);
  ASSERT_EQ(ArrayCreate(StrLit("S$("), VarKind::kString, shape, StrLit("-- ")), kOk);
  const uint16_t mark = StrAreaMark();
  EXPECT_EQ(ArrayFill(StrLit("S$("), StrLit("xyzzy"), ValueKind::kString, 0, 2), kOk);
  shape.index[0] = 1;
  ASSERT_EQ(ArrayPush(StrLit("S$("), shape), kOk);
  EXPECT_EQ(Show(StrAreaTop()), "xyz");  // cut to the width
  shape.index[0] = 2;
  ASSERT_EQ(ArrayPush(StrLit("S$("), shape), kOk);
  EXPECT_EQ(Show(StrAreaTop()), "-- ");
  StrAreaRelease(mark);
  EXPECT_EQ(ArrayCreate(StrLit(".S$("), VarKind::kString, shape, StrLit("x")), kSyntaxError);
}

TEST_F(VariablesTest, NamedConstants) {
  int16_t value = -1;
  EXPECT_TRUE(VarConstant(StrLit(".envron"), &value));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(VarConstant(StrLit(".funclist"), &value));
  EXPECT_EQ(value, 8);
  EXPECT_TRUE(VarConstant(StrLit(".top"), &value));
  EXPECT_EQ(value, 36);
  EXPECT_TRUE(VarConstant(StrLit(".noprint"), &value));
  EXPECT_EQ(value, 8192);
  EXPECT_FALSE(VarConstant(StrLit(".ENVVAR"), &value));  // names are matched exactly
  EXPECT_FALSE(VarConstant(StrLit("envvar"), &value));
  EXPECT_FALSE(VarConstant(StrLit(".5"), &value));
}

}  // namespace
}  // namespace engine
