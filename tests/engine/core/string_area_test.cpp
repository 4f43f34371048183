// The stack of temporaries: limits, release, return and keep with overlapping values.
#include "engine/core/string_area.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/core_fixture.h"

namespace engine {
namespace {

using testing::Show;
using StringAreaTest = testing::CoreFixture;

StrRef Push(std::string_view text) {
  EXPECT_EQ(StrAreaPushCopy(StrView(text)), kOk);
  return StrAreaTop();
}

TEST_F(StringAreaTest, EmptyPushTakesAnEntryButNoBytes) {
  const StrAreaStats before = StrAreaGetStats();
  ASSERT_EQ(StrAreaPushCopy(StrLit("")), kOk);
  const StrAreaStats after = StrAreaGetStats();
  EXPECT_EQ(after.top, before.top + 1);
  EXPECT_EQ(after.bytes_used, before.bytes_used);
  EXPECT_EQ(StrAreaTop().len, 0);
  EXPECT_FALSE(StrAreaTop().IsStatus());
}

TEST_F(StringAreaTest, TheFiveHundredEleventhTemporaryIsTheLast) {
  const uint16_t mark = StrAreaMark();
  for (int i = 1; i <= 510; ++i) ASSERT_EQ(StrAreaPushCopy(StrLit("ab")), kOk) << i;
  EXPECT_EQ(StrAreaCanPush(1), kOk);
  EXPECT_EQ(StrAreaCanPush(2), kOutOfMemory);
  ASSERT_EQ(StrAreaPushCopy(StrLit("ab")), kOk);  // the 511th
  EXPECT_EQ(StrAreaCanPush(1), kOutOfMemory);
  const StrAreaStats full = StrAreaGetStats();
  // A push that fails on the entry table leaves the free position where it was.
  EXPECT_EQ(StrAreaPushCopy(StrLit("abc")), kOutOfMemory);
  EXPECT_EQ(StrAreaGetStats().bytes_used, full.bytes_used);
  EXPECT_EQ(StrAreaGetStats().top, full.top);
  EXPECT_EQ(StrAreaRelease(mark), mark);
  EXPECT_EQ(StrAreaGetStats().bytes_used, 0u);
}

TEST_F(StringAreaTest, PushReachingExactlyTheEndOfTheBlockFails) {
  // Fill the block until less than one aligned unit is left beyond a final scratch push.
  for (;;) {
    StrRef scratch = StrAreaScratch();
    ASSERT_FALSE(scratch.IsStatus());
    if (scratch.len < kMaxStrLen) {
      ASSERT_EQ(StrAreaAlloc(scratch.len), kOk);  // the whole scratch can always be pushed
      break;
    }
    ASSERT_EQ(StrAreaAlloc(kMaxStrLen), kOk);
  }
  const StrAreaStats stats = StrAreaGetStats();
  EXPECT_EQ(stats.total_bytes - stats.bytes_used, kAreaAlign);
  EXPECT_EQ(StrAreaAlloc(0), kOk);           // no bytes: still fits
  EXPECT_EQ(StrAreaAlloc(1), kOutOfMemory);  // would end exactly at the block's end
  EXPECT_EQ(StrAreaGetStats().bytes_used, stats.bytes_used);
  StrAreaRelease(0);
}

TEST_F(StringAreaTest, LengthsBeyondSixteenBitsAreRefused) {
  EXPECT_EQ(StrAreaAlloc(kMaxStrLen + 1), kStringTooLong);
  ASSERT_EQ(StrAreaAlloc(40000, 'a'), kOk);
  StrRef big = StrAreaTop();
  EXPECT_EQ(StrConcat(big, big), kStringTooLong);
  EXPECT_LE(StrAreaScratch().len, kMaxStrLen);
}

TEST_F(StringAreaTest, ReleaseIgnoresMarksItCannotHonour) {
  Push("one");
  const uint16_t top = StrAreaMark();
  EXPECT_EQ(StrAreaRelease(0xFFFF), top);
  EXPECT_EQ(StrAreaRelease(top + 5), top);  // above the top: nothing to resurrect
  EXPECT_EQ(StrAreaMark(), top);
  EXPECT_EQ(StrAreaRelease(0), 0);
}

TEST_F(StringAreaTest, ReturnMovesAValueFromAboveTheMarkDownIntact) {
  const uint16_t mark = StrAreaMark();
  const char* just_after_mark = Push("scratch work that will be released").ptr;
  StrRef result = Push("the result");
  StrRef returned = StrAreaReturn(mark, result);
  EXPECT_EQ(Show(returned), "the result");
  EXPECT_EQ(returned.ptr, just_after_mark);
  EXPECT_EQ(StrAreaMark(), mark + 1);
  EXPECT_EQ(StrAreaRelease(mark), mark);
}

TEST_F(StringAreaTest, ReturnPassesAStatusOnAfterReleasing) {
  const uint16_t mark = StrAreaMark();
  Push("x");
  StrRef r = StrAreaReturn(mark, StrError(kFileNotFound));
  EXPECT_EQ(StrCheck(r), kFileNotFound);
  EXPECT_EQ(StrAreaMark(), mark);
  EXPECT_EQ(StrCheck(StrAreaReturn(mark, StrRef{})), kNothing);
}

TEST_F(StringAreaTest, KeepMovesOverlappingValuesDownInOrder) {
  struct Case {
    const char* name;
    bool reversed;  // keep the later string first
  } cases[] = {{"in push order", false}, {"in reverse order", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const uint16_t mark = StrAreaMark();
    Push("garbage below the values that must go");
    StrRef a = Push("first value, rather long so that copies overlap its source");
    StrRef b = Push("second");
    Status status = c.reversed ? StrAreaKeep(mark, {&b, &a}) : StrAreaKeep(mark, {&a, &b});
    ASSERT_EQ(status, kOk);
    EXPECT_EQ(Show(a), "first value, rather long so that copies overlap its source");
    EXPECT_EQ(Show(b), "second");
    EXPECT_EQ(StrAreaMark(), mark + 2);
    StrRef lower = c.reversed ? b : a;
    StrRef upper = c.reversed ? a : b;
    EXPECT_LT(lower.ptr, upper.ptr);
    StrAreaRelease(mark);
  }
}

TEST_F(StringAreaTest, ConcatAndStrToC) {
  ASSERT_EQ(StrConcat(StrLit("ab"), StrLit("cd")), kOk);
  EXPECT_EQ(Show(StrAreaTop()), "abcd");
  EXPECT_EQ(StrConcat(StrError(kFileNotFound), StrLit("x")), kFileNotFound);
  EXPECT_EQ(StrConcat(StrLit("x"), StrRef{}), kNothing);

  const char buffer[] = {'h', 'i', '!', '?'};
  const char* c = StrToC(StrMake(buffer, 3));
  EXPECT_STREQ(c, "hi!");
  Status status;
  EXPECT_STREQ(StrToC(StrError(kSyntaxError), &status), "");
  EXPECT_EQ(status, kSyntaxError);
  ASSERT_EQ(StrAreaAlloc(kMaxStrLen, 'z'), kOk);
  EXPECT_STREQ(StrToC(StrAreaTop(), &status), "");
  EXPECT_EQ(status, kStringTooLong);
  StrAreaRelease(0);
}

TEST_F(StringAreaTest, ScopeReleasesUnlessItReturns) {
  const uint16_t mark = StrAreaMark();
  {
    StrAreaScope scope;
    Push("dropped");
  }
  EXPECT_EQ(StrAreaMark(), mark);
  StrRef kept;
  {
    StrAreaScope scope;
    Push("dropped");
    kept = scope.Return(StrLit("kept"));
  }
  EXPECT_EQ(Show(kept), "kept");
  EXPECT_EQ(StrAreaMark(), mark + 1);
  StrAreaRelease(mark);
}

TEST(StrRefTest, StatusValues) {
  EXPECT_EQ(StrCheck(StrRef{}), kNothing);
  EXPECT_EQ(StrCheck(StrError(kOutOfMemory)), kOutOfMemory);
  EXPECT_EQ(StrCheck(StrLit("")), kOk);
  EXPECT_EQ(StrCheck(StrFromC(nullptr)), kBadInputData);
  EXPECT_EQ(StrMake("x", 0x10003).len, 3);
  const std::string long_text(kMaxStrLen + 1, 'a');
  EXPECT_EQ(StrCheck(StrFromC(long_text.c_str())), kStringTooLong);
  EXPECT_EQ(StrFromC(long_text.c_str() + 1).len, kMaxStrLen);
}

}  // namespace
}  // namespace engine
