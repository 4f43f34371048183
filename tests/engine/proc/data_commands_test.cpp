// The procedure commands on data files: a run-time structure, records saved and deleted with the
// save routine, a FILESCAN pass, and what a whole run gives back of them.
#include <gtest/gtest.h>

#include <string>

#include "engine/data/data_functions.h"
#include "engine/data/dictionary.h"
#include "engine/data/field_ref.h"
#include "engine/data/record_file.h"
#include "proc_fixture.h"

namespace engine {
namespace {

class DataCommandsTest : public testing::ProcFixture {
 protected:
  void SetUp() override {
    ProcFixture::SetUp();
    InstallFieldAccess();
    InstallDataFunctions();
  }
};

constexpr char kItems[] =
    "FILESTRUCT 'ITEMS','CODE;4;A,QTY;6;2','<0001004>'\r\n"
    "FILESELECT 'ITEMS'\r\n";

TEST_F(DataCommandsTest, RecordsAreSavedScannedAndDeleted) {
  const std::string text = std::string(kItems) +
                           "CODE{ITEMS}='A001'\r\nQTY{ITEMS}=5\r\nRC_INSERT ''\r\n"
                           "CODE{ITEMS}='A002'\r\nQTY{ITEMS}=7\r\nRC_INSERT ''\r\n"
                           "N=FN#FLEN('ITEMS')\r\n"
                           "S#=0\r\nFILESCAN 'EXPSET','','','','S#=S#+QTY{ITEMS}'\r\n"
                           "X=FILEFIND('A001')\r\nQTY{ITEMS}=9\r\nRC_WRITE ''\r\n"
                           "T#=0\r\nFILESCAN 'EXPSET','','','','T#=T#+QTY{ITEMS}'\r\n"
                           "X=FILEFIND('A002')\r\nRC_DELETE ''\r\nM=FN#FLEN('ITEMS')";
  ASSERT_EQ(RunText(text), kOk) << Detail();
  EXPECT_EQ(Eval("N"), "2");
  EXPECT_EQ(Eval("S#"), "12");
  EXPECT_EQ(Eval("T#"), "16");
  EXPECT_EQ(Eval("M"), "1");
  // The whole run took its structure and its file set back.
  EXPECT_EQ(FileCount(), 0);
  EXPECT_EQ(StructureDepth(), 0);
  EXPECT_EQ(SlotCount(kGroupOpenFileSets), 0);
}

TEST_F(DataCommandsTest, SaveFailuresEndTheRun) {
  const struct {
    const char* tail;
    Status status;
  } cases[] = {
      // A second record with the same key.
      {"CODE{ITEMS}='A001'\r\nRC_INSERT ''\r\nRC_INSERT ''\r\nA=1", kRepeatedKey},
      {"RC_INSERT 'X+'", kSyntaxError},
      {"RC_INSERT '-1'", kBadFileNumber},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tail);
    EXPECT_EQ(RunText(std::string(kItems) + c.tail), c.status) << Detail();
    EXPECT_EQ(Eval("A"), "");
    EXPECT_EQ(FileCount(), 0);
  }
}

// A structure file in the dictionary's own text: a file line, its fields, two keys and an option
// line, the last three numbered from the structure's first file.
constexpr char kStockDat[] =
    "01**01stock\r\n"
    "01     1 004 ACODE\r\n"
    "01     2 010 ANAME\r\n"
    "01     3 006 2QTY\r\n"
    "31<0001004>\r\n"
    "31<0005010>\r\n"
    "61:RELOPT=1\r\n";

TEST_F(DataCommandsTest, LoadStructDefinesAStructureFileAsARunTimeFile) {
  Write("STOCK.DAT", kStockDat);
  const std::string text =
      "LOADSTRUCT 'STOCK'\r\nF=_CURFIL\r\nK=FN#FLEN('STOCK')\r\nFILESELECT 'STOCK'\r\n"
      "CODE{STOCK}='B002'\r\nNAME{STOCK}='bolts'\r\nQTY{STOCK}=3\r\nRC_INSERT ''\r\n"
      "CODE{STOCK}='A001'\r\nNAME{STOCK}='washers'\r\nQTY{STOCK}=4\r\nRC_INSERT ''\r\n"
      "N=FN#FLEN('STOCK')\r\nX=FILEFIND('A001')\r\nW$=FN$TRIM(NAME{STOCK})\r\n"
      "Y=FILEFIND('bolts',0,2)\r\nV$=CODE{STOCK}\r\n"
      "LOADSTRUCT 'STOCK.DAT'\r\nG=_CURFIL\r\nFILESTRUCT 'RESTORE'\r\nH=_CURFIL";
  ASSERT_EQ(RunText(text), kOk) << Detail();
  EXPECT_EQ(Eval("F"), "1");
  EXPECT_EQ(Eval("N"), "2");
  EXPECT_EQ(Eval("W$"), "washers");
  EXPECT_EQ(Eval("V$"), "B002");
  EXPECT_EQ(Eval("G"), "2");
  EXPECT_EQ(Eval("H"), "1");
  EXPECT_TRUE(dir_.Has("stock.FD"));
  EXPECT_EQ(FileCount(), 0);
  EXPECT_EQ(StructureDepth(), 0);
}

TEST_F(DataCommandsTest, LoadStructFailuresLeaveNothingDefined) {
  Write("EMPTY.DAT", "91 a comment only\r\n");
  Write("BADKEY.DAT", "01**01stock\r\n01     1 004 ACODE\r\n31<0003009>\r\n");
  Write("BADTYPE.DAT", "01**01stock\r\n01     1 004 QCODE\r\n");
  const struct {
    const char* name;
    Status status;
    const char* detail;
  } cases[] = {
      {"MISSING", kFileNotFound, "MISSING.DAT"},
      {"EMPTY", kBadInputData, "EMPTY.DAT"},
      {"BADKEY", kBadInputData, "31<0003009>"},
      {"BADTYPE", kBadInputData, "01     1 004 QCODE"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RunText(std::string("LOADSTRUCT '") + c.name + "'\r\nA=1"), c.status);
    EXPECT_NE(Detail().find(c.detail), std::string::npos) << Detail();
    EXPECT_EQ(Eval("A"), "");
    EXPECT_EQ(FileCount(), 0);
    EXPECT_EQ(StructureDepth(), 0);
  }
}

}  // namespace
}  // namespace engine
