// SORT$: one-call sorting, and sorted lists behind handles that are checked identifiers, so that
// a forged, stale or killed handle is refused with 147 and never reaches memory.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "function_fixture.h"

namespace engine {
namespace {

using testing::ExprCase;

class SortedListTest : public testing::FunctionFixture {
 protected:
  // Every item from the top, walking with NXT, joined by '|'.
  std::string Walk(const std::string& handle) {
    Run(handle + "=SORT$('MOVE';" + handle + ";.top)");
    std::string items;
    if (SysWord(kSysIer) != 0) return items;
    for (int guard = 0; guard < 1000; ++guard) {
      items += (items.empty() ? "" : "|") + Eval("SORT$('GET';" + handle + ")");
      Run(handle + "=SORT$('MOVE';" + handle + ";.next)");
      if (SysWord(kSysIer) != 0) break;
    }
    return items;
  }
};

TEST_F(SortedListTest, OneCallSorting) {
  const ExprCase cases[] = {
      {"SORT$('c,a,b')", "a,b,c"},
      {"SORT$('b,a,b')", "a,b,b"},
      {"SORT$('b  ,a ,c';128)", "a,b,c"},
      {"SORT$('ab,a,B')", "B,a,ab"},
      {"SORT$('')", ""},
      {"SORT$('y'+FN$CHRS(0)+'x';64)==('x'+FN$CHRS(0)+'y')", "1"},
      {"SORT$()", "<status 147>"},
      {"SORT$('a';1;2)", "<status 147>"},
  };
  CheckAll(cases);
}

TEST_F(SortedListTest, ItemsAreKeptInOrderAndWalked) {
  Run("H$=SORT$('NEW';6;4)");
  EXPECT_EQ(Eval("FN#SLEN(H$)"), "24");
  for (const char* item : {"pear", "apple", "fig", "banana"}) {
    Run(std::string("H$=SORT$('ADD';H$;'") + item + "')");
  }
  EXPECT_EQ(Walk("H$"), "apple |banana|fig   |pear  ");
  // Moving past either end leaves the position where it was and says so in _IER.
  Run("H$=SORT$('MOVE';H$;.bottom)");
  EXPECT_EQ(SysWord(kSysIer), 0);
  Run("H$=SORT$('MOVE';H$;.next)");
  EXPECT_EQ(SysWord(kSysIer), 2);
  EXPECT_EQ(Eval("SORT$('GET';H$)"), "pear  ");
  Run("H$=SORT$('MOVE';H$;.top);H$=SORT$('MOVE';H$;.previous)");
  EXPECT_EQ(SysWord(kSysIer), 2);
  EXPECT_EQ(Eval("SORT$('GET';H$)"), "apple ");
  // An insertion before the current item keeps the position on that item.
  Run("H$=SORT$('MOVE';H$;.next);H$=SORT$('ADD';H$;'aa')");
  EXPECT_EQ(Eval("SORT$('GET';H$)"), "banana");
  EXPECT_EQ(Eval("SORT$('ADD';H$;'toolong')"), "<status 163>");
  EXPECT_EQ(Eval("SORT$('MOVE';H$;99)"), "<status 147>");
  Run("SORT$('KILL';H$)");
}

TEST_F(SortedListTest, DescendingUniqueAndCompareLength) {
  Run("D$=SORT$('NEW';3;3;2)");
  for (const char* item : {"b", "c", "a"}) Run(std::string("D$=SORT$('ADD';D$;'") + item + "')");
  EXPECT_EQ(Walk("D$"), "c  |b  |a  ");

  // Unique on the first three bytes of items five wide; a refused item keeps the handle valid.
  Run("U$=SORT$('NEW';3;5;1)");
  Run("U$=SORT$('ADD';U$;'apple')");
  EXPECT_EQ(StatusOf("U$=SORT$('ADD';U$;'apric')"), kOk);
  EXPECT_EQ(Eval("SORT$('ADD';U$;'apricots')"), "<status 163>");
  EXPECT_EQ(StatusOf("U$=SORT$('ADD';U$;'appx')"), 5);
  EXPECT_EQ(Walk("U$"), "apple|apric");
  EXPECT_EQ(Eval("SORT$('NEW';0;5)"), "<status 147>");
  Run("SORT$('KILL';D$);SORT$('KILL';U$)");
}

TEST_F(SortedListTest, ListsGrowBeyondTheirFirstRoom) {
  Run("G$=SORT$('NEW';4)");
  for (int i = 599; i >= 0; --i)
    Run("G$=SORT$('ADD';G$;FN$MASK('0000';" + std::to_string(i) + "))");
  Run("G$=SORT$('MOVE';G$;.top)");
  EXPECT_EQ(Eval("SORT$('GET';G$)"), "0000");
  Run("G$=SORT$('MOVE';G$;.bottom)");
  EXPECT_EQ(Eval("SORT$('GET';G$)"), "0599");
  // Lists still alive when the table stops are freed with it (the fixture checks for leaks).
}

TEST_F(SortedListTest, HandlesAreCheckedIdentifiers) {
  Run("H$=SORT$('NEW';5);H$=SORT$('ADD';H$;'one')");
  const ExprCase refused[] = {
      {"SORT$('GET';'short')", "<status 147>"},
      {"SORT$('GET';FN$CHRS(0;24))", "<status 147>"},
      {"SORT$('GET';FN$CHRS(255;24))", "<status 147>"},
      {"SORT$('GET';H$+'x')", "<status 147>"},
      {"SORT$('GET';'SORT'+FN$MIDS(H$;5;4)+FN$CHRS(7;16))", "<status 147>"},  // forged serial
      {"SORT$('GET';FN$MIDS(H$;1;4)+FN$CHRS(200;4)+FN$MIDS(H$;9))", "<status 147>"},  // entry
      {"SORT$('GET';5)", "<status 128>"},
      {"SORT$('GET')", "<status 147>"},
      {"SORT$('ADD';H$)", "<status 147>"},
      {"SORT$('NEW')", "<status 147>"},
  };
  CheckAll(refused);
  EXPECT_EQ(Eval("SORT$('GET';H$)"), "one  ");

  // A copy goes stale as soon as the list changes through the handle it was copied from.
  Run("C$=H$;H$=SORT$('ADD';H$;'two')");
  EXPECT_EQ(Eval("SORT$('GET';C$)"), "<status 147>");
  EXPECT_EQ(Eval("SORT$('ADD';C$;'x')"), "<status 147>");
  EXPECT_EQ(Eval("SORT$('KILL';C$)"), "<status 147>");
  EXPECT_EQ(Walk("H$"), "one  |two  ");

  // A killed list's handle is refused, also after a new list takes its place.
  Run("K$=H$;SORT$('KILL';H$)");
  EXPECT_EQ(Eval("SORT$('GET';K$)"), "<status 147>");
  EXPECT_EQ(Eval("SORT$('KILL';K$)"), "<status 147>");
  Run("N$=SORT$('NEW';5);N$=SORT$('ADD';N$;'new')");
  EXPECT_EQ(Eval("SORT$('GET';K$)"), "<status 147>");
  EXPECT_EQ(Walk("N$"), "new  ");
  Run("SORT$('KILL';N$)");
}

}  // namespace
}  // namespace engine
