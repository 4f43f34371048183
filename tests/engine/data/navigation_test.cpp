// Navigation commands: the command table with its aliases, FILELOCATE and FILEFIND, directly and
// through the expression functions.
#include "engine/data/navigation.h"

#include <gtest/gtest.h>

#include <string>

#include "data_fixture.h"
#include "engine/data/data_functions.h"
#include "engine/data/field_ref.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_seams.h"

namespace engine {
namespace {

using testing::DataFixture;

// codes: CODE A4 (key 1), NAME A8 (key 2), QTY N4: 16-byte records.
class NavigationTest : public DataFixture {
 protected:
  void SetUp() override {
    DataFixture::SetUp();
    DefineTable("codes", {{"CODE", 4, 'A'}, {"NAME", 8, 'A'}, {"QTY", 4, 'N'}}, {{0, 4}, {4, 8}});
    ASSERT_EQ(FileOpen(1, kModeCurrent), kOk);
    for (const char* code : {"A", "B", "C"}) {
      ASSERT_EQ(Insert(1, Rec(code, std::string("name") + code)), kFound);
    }
    InstallFieldAccess();
    InstallDataFunctions();
  }
  static std::string Rec(const std::string& code, const std::string& name, int qty = 0) {
    std::string r = code;
    r.resize(4, ' ');
    std::string n = name;
    n.resize(8, ' ');
    char q[8];
    std::snprintf(q, sizeof q, "%4d", qty);
    return r + n + q;
  }
  static std::string Code() { return Current(1).substr(0, 4); }
  static std::string Eval(const char* expression) {
    StrAreaScope scope;
    return testing::Show(EvalText(StrFromC(expression)));
  }
};

TEST(NavigationCommandsTest, NamesAliasesAndWords) {
  const struct {
    const char* command;
    uint16_t number;
    uint16_t word;
  } cases[] = {
      {"NEW", 1, 0x0F01},
      {"top", 2, 0x0F24},
      {"PRV", 3, 0x0F16},
      {"PREVIOUS", 3, 0x0F16},
      {"RLD", 4, 0x0000},
      {"Nxt", 5, 0x0F12},
      {"NEXT", 5, 0x0F12},
      {"BOT", 6, 0x0F20},
      {"BOTTOM", 6, 0x0F20},
      {"FND", 7, 0x0040},
      {"SVE", 8, 0x0F00},
      {"INS", 9, 0x0D00},
      {"DEL", 10, 0x0642},
      {"LST", 11, 0x0042},
      {"NLS", 12, 0x00FF},
      {"BLS", 13, 0x0046},
      {"TSL", 18, 0x00FF},
      {"IMP", 14, 0x00FF},
      // Aliases are matched exactly as written; the commands in any case.
      {"next", 0, 0x00FF},
      {"Bottom", 0, 0x00FF},
      {"NX", 0, 0x00FF},
      {"", 0, 0x00FF},
      {"NEXT=NXT", 0, 0x00FF},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command);
    EXPECT_EQ(NavCommandNumber(StrFromC(c.command)), c.number);
    EXPECT_EQ(NavCommandWord(StrFromC(c.command)), c.word);
  }
  for (uint16_t n = 1; n <= kNavCommandCount; ++n) {
    EXPECT_EQ(NavCommandNumber(NavCommandName(n)), n);
  }
  EXPECT_TRUE(NavCommandName(0).empty());
  EXPECT_TRUE(NavCommandName(kNavCommandCount + 1).empty());
}

TEST_F(NavigationTest, FileLocateStepsByTheCommandWords) {
  const struct {
    const char* command;
    Status status;
    const char* code;  // the current record's code afterwards; "" for blank buffers
  } steps[] = {
      {"TOP", kFound, "A   "},
      {"PREVIOUS", kKeyNotFound, "A   "},  // before the first: the first shown again
      {"NXT", kFound, "B   "},
      {"NEXT", kFound, "C   "},
      {"NEXT", kEndOfFile, "    "},  // past the last: blank buffers
      {"BOTTOM", kFound, "C   "},
      {"PRV", kFound, "B   "},
      {"FND", kFound, "B   "},
      {"NEW", kCleared, "    "},
      {"XYZ", kCleared, "    "},  // no command: cleared like NEW
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.command);
    EXPECT_EQ(FileLocate(StrFromC(s.command), 1), s.status);
    EXPECT_EQ(Code(), s.code);
    EXPECT_EQ(FileCtrl(1).last_status, s.status);
  }
  // RLD reads the record at the cursor again, over what was changed in the buffer.
  ASSERT_EQ(FileLocate(StrLit("TOP"), 1), kFound);
  ASSERT_EQ(FieldSet(1, 2, StrLit("changed")), kOk);
  EXPECT_EQ(FileLocate(StrLit("RLD"), 1), kFound);
  EXPECT_EQ(Current(1), Rec("A", "nameA"));
  // DEL deletes the current record.
  ASSERT_EQ(FileLocate(StrLit("NXT"), 1), kFound);
  EXPECT_EQ(FileLocate(StrLit("DEL"), 1), kOk);
  EXPECT_EQ(Walk(1, 1, 4), (std::vector<std::string>{"A   ", "C   "}));
  // With no current record DEL deletes nothing.
  ASSERT_EQ(FileLocate(StrLit("NEW"), 1), kCleared);
  EXPECT_EQ(FileLocate(StrLit("DEL"), 1), kCleared);
  EXPECT_EQ(IndexEntryCount(1), 2u);
}

TEST_F(NavigationTest, FileFindModes) {
  // Found, and a text between keys without and with the greater-record read.
  EXPECT_EQ(FileFind(StrLit("B"), 1, kCurrentKey, 0), kFound);
  EXPECT_EQ(Code(), "B   ");
  EXPECT_EQ(FileFind(StrLit("BB"), 1, 1, 0), kKeyNotFound);
  EXPECT_EQ(Code(), "B   ");  // buffers left as they were
  EXPECT_EQ(FileFind(StrLit("BB"), 1, 1, kFindModeGreater), kKeyNotFound);
  EXPECT_EQ(Code(), "C   ");
  // A miss with the prefill bit: cleared buffers with the key fields set from the text.
  EXPECT_EQ(FileFind(StrLit("Q"), 1, 1, kFindModePrefill), kEndOfFile);
  EXPECT_EQ(Current(1), "Q" + std::string(15, ' '));
  // By key 2.
  EXPECT_EQ(FileFind(StrLit("nameC"), 1, 2, 0), kFound);
  EXPECT_EQ(FileCtrl(1).key, 2);
  EXPECT_EQ(Code(), "C   ");

  // Mode 4 inserts only when the search ends past the last key.
  EXPECT_EQ(FileFind(StrLit("BB"), 1, 1, kFindModeInsert), kKeyNotFound);
  EXPECT_EQ(IndexEntryCount(1), 3u);
  EXPECT_EQ(FileFind(StrLit(""), 1, 1, kFindModeInsert), kKeyNotFound);
  EXPECT_EQ(IndexEntryCount(1), 3u);
  EXPECT_EQ(FileFind(StrLit("Z"), 1, 1, kFindModeInsert | kFindModePrefill), kFound);
  EXPECT_EQ(IndexEntryCount(1), 4u);
  EXPECT_EQ(Walk(1, 1, 4), (std::vector<std::string>{"A   ", "B   ", "C   ", "Z   "}));
  ASSERT_EQ(FileFind(StrLit("Z"), 1, 1, 0), kFound);
  EXPECT_EQ(Current(1), "Z" + std::string(15, ' '));

  // Mode 8 leaves the second record in key order current, whatever the text.
  for (const char* text : {"", "A", "Z", "nothing"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(FileFind(StrFromC(text), 1, 1, kFindModeSecond), kFound);
    EXPECT_EQ(Code(), "B   ");
  }
  EXPECT_EQ(FileFind(StrLit("x"), 1, 7, 0), kDataOutBound);
  EXPECT_EQ(FileFind(StrLit("x"), 1, 7, kFindModeSecond), kDataOutBound);
}

TEST_F(NavigationTest, TheExpressionFunctionsAnswerTheStatuses) {
  const struct {
    const char* expression;
    const char* result;
  } cases[] = {
      {"FILELOCATE('TOP';1)", ""},
      {"FILELOCATE('PREVIOUS')", "1"},
      {"CODE{1}", "A   "},
      {"FILELOCATE()", ""},  // NXT by default
      {"CODE{1}", "B   "},
      {"FILELOCATE('BOTTOM';1)+FILELOCATE('NEXT';1)", "2"},
      {"IER(1)", "2"},
      {"FILEFIND('C';1;1)", ""},
      {"KEY$(1;2)", "nameC   "},
      {"FILEFIND('CC';1;1;2)", "2"},
      {"FILEFIND('X';1;1;8)+FILEFIND('';1;1;8)", ""},
      {"CODE{1}", "B   "},
      {"FILEFIND('K';1;1;5)", ""},
      {"FILELOCATE('NEW';1)", "3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression);
    EXPECT_EQ(Eval(c.expression), c.result) << testing::Show(DetailText());
  }
  EXPECT_EQ(Walk(1, 1, 4), (std::vector<std::string>{"A   ", "B   ", "C   ", "K   "}));
  EXPECT_EQ(Eval("FILEFIND('A';1;9)"), "<status 168>");
}

}  // namespace
}  // namespace engine
