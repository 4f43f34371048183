// Menu files: the line reader, the record-format conversion, building the menu bar, running an
// option, and the faults of empty titles and menus without popups.
#include "engine/shell/menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/shell/task_line.h"
#include "engine/ui/window_layer.h"
#include "shell_fixture.h"

namespace engine {
namespace {

std::vector<std::string> g_tasks;

Status RecordTask(const ParsedTask& task) {
  g_tasks.push_back(std::to_string(task.code) + ":" + ToString(task.argument));
  return kOk;
}

class MenusTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    g_tasks.clear();
    SetTaskHandler(RecordTask);
  }
  void TearDown() override {
    if (menu_ != kNoMenu) host_.DestroyMenu(menu_);
    WinLayerReset();
    ShellFixture::TearDown();
  }

  // The menu as text: "Caption{...}" for a popup, "Caption=id" for an item.
  std::string Tree(MenuHandle menu) const {
    const ModelMenu* m = host_.Menu(menu);
    if (!m) return "<none>";
    std::string text;
    for (const ModelMenuItem& item : m->items) {
      if (!text.empty()) text += ' ';
      text += item.caption;
      text += item.popup != kNoMenu ? "{" + Tree(item.popup) + "}" : "=" + std::to_string(item.id);
    }
    return text;
  }
  std::string Load(const std::string& name, Status* status = nullptr) {
    if (menu_ != kNoMenu) host_.DestroyMenu(menu_);
    const uint16_t mark = StrAreaMark();
    menu_ = LoadMenu(StrView(name), status);
    EXPECT_EQ(StrAreaMark(), mark);
    return Tree(menu_);
  }
  std::vector<std::string> Queue(uint16_t group) const {
    std::vector<std::string> lines;
    for (uint16_t i = 0; i < SlotCount(group); ++i) lines.push_back(ToString(SlotGet(group, i)));
    return lines;
  }

  MenuHandle menu_ = kNoMenu;
};

TEST_F(MenusTest, TheLineReaderGivesLevelsChangesAndOptions) {
  ASSERT_EQ(SlotPush(kMenuLinesPmt, StrLit("Files  ")), kOk);
  ASSERT_EQ(SlotPush(kMenuLinesPmt, StrLit("\t\tCustomers,MantMain CUST")), kOk);
  ASSERT_EQ(SlotPush(kMenuLinesPmt, StrLit("\tQuoted,ExpEval A$='\t'")), kOk);
  ASSERT_EQ(SlotPush(kMenuLinesPmt, StrLit("\tTrailing,ExpEval B=1\t")), kOk);
  ASSERT_EQ(SlotPush(kMenuLinesPmt, StrLit("Exit")), kOk);
  const uint16_t mark = StrAreaMark();
  MenuLineReader r;
  ASSERT_TRUE(MenuLineFirst(&r, kMenuLinesPmt));
  EXPECT_EQ(r.level, 0);
  EXPECT_EQ(ToString(r.text), "Files");
  EXPECT_FALSE(r.option);
  ASSERT_TRUE(MenuLineNext(&r));
  EXPECT_EQ(r.level, 2);
  EXPECT_EQ(r.change, 2);
  EXPECT_TRUE(r.option);
  ASSERT_TRUE(MenuLineNext(&r));
  EXPECT_EQ(r.level, 1);  // the TAB inside quotes does not count
  EXPECT_EQ(r.change, -1);
  // Nor does one left at the end of the line.
  ASSERT_TRUE(MenuLineNext(&r));
  EXPECT_EQ(r.level, 1);
  EXPECT_EQ(r.change, 0);
  EXPECT_EQ(ToString(r.text), "Trailing,ExpEval B=1");
  ASSERT_TRUE(MenuLineNext(&r));
  EXPECT_EQ(r.change, -1);
  EXPECT_FALSE(MenuLineNext(&r));
  EXPECT_EQ(SlotCount(kMenuLinesPmt), 0);
  StrAreaRelease(mark);
}

TEST_F(MenusTest, AnIndentedFileGivesPopupsAndOptionsThatRunTheirTaskLines) {
  dir_.Write("C2MENU.PMT",
             "Files\r\n\tCustomers,MantMain CUST\r\n\tSuppliers,MantMain SUPP\r\nReports\r\n"
             "\tList,Report LIST01\r\n\tTotals,ExpEval A%=1,B%=2\r\n");
  Status status = kNothing;
  EXPECT_EQ(Load("C2MENU,other", &status),
            "Files{Customers=1500 Suppliers=1501} Reports{List=1502 Totals=1503}");
  EXPECT_EQ(status, kOk);
  EXPECT_EQ(Queue(kGroupMenuTasks),
            (std::vector<std::string>{"MantMain CUST", "MantMain SUPP", "Report LIST01",
                                      "ExpEval A%=1,B%=2"}));
  ASSERT_EQ(RunMenuOption(1), kOk);
  ASSERT_EQ(RunMenuOption(3), kOk);
  EXPECT_EQ(g_tasks, (std::vector<std::string>{"5:SUPP", "19:A%=1,B%=2"}));
  EXPECT_EQ(RunMenuOption(4), kOk);  // no such option: nothing runs
  EXPECT_EQ(g_tasks.size(), 2u);
  EXPECT_TRUE(host_.boxes().empty());
}

TEST_F(MenusTest, LevelsOpenAndCloseNestedPopups) {
  const struct {
    const char* file;
    const char* tree;
  } cases[] = {
      // A title with nothing under it is an empty popup.
      {"Exit\n", "Exit{}"},
      // Going back two levels in one line closes two popups.
      {"A\n\tB\n\t\tC,ExpEval 1\nE\n\tF,ExpEval 2\n", "A{B{C=1500}} E{F=1501}"},
      // An empty title followed by a sibling does not swallow the sibling.
      {"Exit\nHelp\n\tAbout,Help ABOUT\n", "Exit{} Help{About=1500}"},
      {"Files\n\tEmpty\n\tCustomers,MantMain CUST\nTools\n",
       "Files{Empty{} Customers=1500} Tools{}"},
      // Options on the bar itself, blank lines and four-character message codes.
      {"Go,ExpEval 1\n\nFiles\n\t0020,ExpEval 2\n", "Go=1500 Files{Cancel=1501}"},
      // A line deeper than the one before goes into the innermost popup.
      {"Files\n\t\t\tDeep,ExpEval 1\n", "Files{Deep=1500}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    dir_.Write("M.PMT", c.file);
    Status status = kNothing;
    EXPECT_EQ(Load("M", &status), c.tree);
    EXPECT_EQ(status, kOk);
  }
}

TEST_F(MenusTest, AMenuWithoutPopupsIsAnErrorNamingTheFile) {
  const char* files[] = {"", "\n\n", "Go,ExpEval 1\nStop,ExpEval 2\n"};
  for (const char* file : files) {
    SCOPED_TRACE(file);
    host_.Clear();
    dir_.Write("BARE.PMT", file);
    Status status = kOk;
    EXPECT_EQ(Load("BARE", &status), "<none>");
    EXPECT_EQ(status, kBadInputData);
    ASSERT_EQ(host_.boxes().size(), 1u);
    EXPECT_EQ(host_.boxes()[0].kind, kBoxError);
    EXPECT_NE(host_.boxes()[0].text.find("BARE.PMT"), std::string::npos);
    EXPECT_EQ(host_.boxes()[0].text.find("Succesfully"), std::string::npos);
  }
}

TEST_F(MenusTest, NoMenuFileBuildsNothingQuietly) {
  Status status = kNothing;
  EXPECT_EQ(Load("NOSUCH", &status), "<none>");
  EXPECT_EQ(status, kOk);
  EXPECT_TRUE(host_.boxes().empty());
}

TEST_F(MenusTest, OptionsBeyondThe200thAreShownButStartNothing) {
  std::string file = "Many\n";
  for (int i = 1; i <= 201; ++i)
    file += "\tO" + std::to_string(i) + ",ExpEval " + std::to_string(i) + "\n";
  dir_.Write("MANY.PMT", file);
  const std::string tree = Load("MANY");
  EXPECT_NE(tree.find("O200=1699 O201=1700}"), std::string::npos);
  EXPECT_EQ(SlotCount(kGroupMenuTasks), kMenuOptionLimit);
  ASSERT_EQ(RunMenuOption(199), kOk);
  ASSERT_EQ(RunMenuOption(200), kOk);
  EXPECT_EQ(g_tasks, std::vector<std::string>{"19:200"});
  // Command 1700 is no menu command: the main window is not asked to run anything.
  EXPECT_EQ(ActionClass(CommandAction(1700)), kActPopupItem);
}

TEST_F(MenusTest, ALongMenuLeavesTheStringAreaAsItWas) {
  std::string file;
  for (int i = 1; i <= 60; ++i) {
    file += "P" + std::to_string(i) + "\n";
    for (int j = 1; j <= 3; ++j) file += "\tO" + std::to_string(j) + ",ExpEval 1\n";
  }
  dir_.Write("LONG.PMT", file);
  Status status = kNothing;
  const std::string tree = Load("LONG", &status);
  EXPECT_EQ(status, kOk);
  EXPECT_NE(tree.find("P60{O1=1677 O2=1678 O3=1679}"), std::string::npos);
}

TEST_F(MenusTest, RecordFilesAreConvertedIntoIndentedLines) {
  dir_.Write("G2MENU.PPN",
             "01 CALLER$=2,3\r\n"
             "02 MENU$='Files,Customers,Suppliers'\r\n"
             "02 EXEC$='MantMain CUST,MantMain SUPP'\r\n"
             "03 MENU$='Reports,List,Totals,Stock'\r\n"
             "03 EXEC$='Report LIST01'\r\n"
             "03 LOAD$=',,\"REPS,2\"'\r\n");
  dir_.Write("REPS.PPN", "02 MENU$='Stock'\r\n");
  ASSERT_EQ(ConvertRecordMenu(StrLit("G2MENU.PPN")), kOk);
  EXPECT_EQ(
      Queue(kMenuLinesPpn),
      (std::vector<std::string>{"Files", "\tCustomers,MantMain CUST", "\tSuppliers,MantMain SUPP",
                                "Reports", "\tList,Report LIST01", "\tTotals,2", "\tStock",
                                // no EXEC$: the base command and number 0 + 1
                                "\t\tStock,3,1"}));
  EXPECT_FALSE(SysWordTest(kSysCompat, 16));  // put back as it was
  EXPECT_EQ(SlotCount(kGroupDefinitionStack), 0);
}

TEST_F(MenusTest, RecordsThatCallThemselvesAreRefusedNamingTheRecord) {
  const struct {
    const char* name;
    const char* file;
  } cases[] = {
      {"a record calling itself", "01 CALLER$=2\r\n02 MENU$=T:CALLER$=2\r\n"},
      {"two records calling each other",
       "01 CALLER$=2\r\n02 MENU$=A:CALLER$=3\r\n03 MENU$=B:CALLER$=2\r\n"},
      {"a record inserting itself", "01 CALLER$=2\r\n02 MENU$='T,X'\r\n02 LOAD$='\"LOOP,2\"'\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    dir_.Write("LOOP.PPN", c.file);
    EXPECT_EQ(ConvertRecordMenu(StrLit("LOOP.PPN")), kBadInputData);
    EXPECT_NE(ToString(DetailText()).find("LOOP.PPN, record "), std::string::npos)
        << ToString(DetailText());
    EXPECT_EQ(SlotCount(kGroupDefinitionStack), 0);
    EXPECT_FALSE(SysWordTest(kSysCompat, 16));
  }
}

TEST_F(MenusTest, SubmodulesTakeTheirCaptionsAndCommandsFromTheParent) {
  dir_.Write("SUB.PPN",
             "01 CALLER$=2\r\n"
             "02 CALLER$=4,0,5\r\n"
             // Captions follow the positions of CALLER$, the 0 included.
             "02 MENU$='Accounts,Chart,Unused,Journal'\r\n"
             "04 EXEC$='MantMain CHART'\r\n"
             "05 EXEC$='LnNavMain JOURNAL'\r\n"
             "06 MENU$='Unused'\r\n");
  ASSERT_EQ(ConvertRecordMenu(StrLit("SUB.PPN")), kOk);
  EXPECT_EQ(Queue(kMenuLinesPpn), (std::vector<std::string>{"Accounts", "\tChart,MantMain CHART",
                                                            "\tJournal,LnNavMain JOURNAL"}));
}

TEST_F(MenusTest, InsertedMenusTakeTheirCommandsFromTheBaseText) {
  dir_.Write("MAIN.PPN",
             "01 CALLER$=2\r\n"
             "02 MENU$='Tools,Totals'\r\n"
             "02 EXEC$='\"PrcExec,TOTALS,10\"'\r\n"
             "02 LOAD$='\"EXTRA,7\"'\r\n");
  dir_.Write("EXTRA.PPN", "07 MENU$='Month,Year'\r\n07 EXEC$=',PrcExec YEAR'\r\n");
  ASSERT_EQ(ConvertRecordMenu(StrLit("MAIN.PPN")), kOk);
  EXPECT_EQ(Queue(kMenuLinesPpn),
            (std::vector<std::string>{"Tools", "\tTotals", "\t\tMonth,PrcExec TOTALS,11",
                                      "\t\tYear,PrcExec YEAR"}));
}

TEST_F(MenusTest, OlderParameterNamesCountInRecordFiles) {
  dir_.Write("OLD.PPN",
             "01 MODULOS$=2,3\r\n"
             "02 SUBMENU$='Files,Customers'\r\n"
             "02 EXEC$='MantMain CUST'\r\n"
             "03 MODULO$=Other\r\n"
             "03 OPTIONS$='First'\r\n"
             "03 EXEC$='ExpEval 1'\r\n");
  ASSERT_EQ(ConvertRecordMenu(StrLit("OLD.PPN")), kOk);
  EXPECT_EQ(Queue(kMenuLinesPpn), (std::vector<std::string>{"Files", "\tCustomers,MantMain CUST",
                                                            "OTHER", "\tFirst,ExpEval 1"}));
}

TEST_F(MenusTest, AMissingRecordIsFileNotFoundWithTheFileName) {
  dir_.Write("HOLE.PPN", "01 CALLER$=2,9\r\n02 MENU$='Files,A'\r\n02 EXEC$='ExpEval 1'\r\n");
  SysWordSet(kSysCompat, 4);
  EXPECT_EQ(ConvertRecordMenu(StrLit("HOLE.PPN")), kFileNotFound);
  EXPECT_NE(Detail().find("HOLE.PPN"), std::string::npos);
  EXPECT_EQ(SysWord(kSysCompat), 4);
  EXPECT_EQ(SlotCount(kGroupDefinitionStack), 0);
  host_.Clear();
  Status status = kOk;
  EXPECT_EQ(Load("HOLE", &status), "<none>");
  EXPECT_EQ(status, kFileNotFound);
  ASSERT_EQ(host_.boxes().size(), 1u);
  EXPECT_NE(host_.boxes()[0].text.find("HOLE.PPN"), std::string::npos);
}

TEST_F(MenusTest, APmtFileIsPreferredToAPpnFile) {
  dir_.Write("BOTH.PMT", "Indented\n\tA,ExpEval 1\n");
  dir_.Write("BOTH.PPN", "01 CALLER$=2\r\n02 MENU$='Records,B'\r\n");
  EXPECT_EQ(Load("BOTH"), "Indented{A=1500}");
  dir_.Write("ONLY.PPN", "01 CALLER$=2\r\n02 MENU$='Records,B'\r\n02 EXEC$='ExpEval 2'\r\n");
  EXPECT_EQ(Load("ONLY"), "Records{B=1500}");
  EXPECT_EQ(SlotCount(kMenuLinesPpn), 0);
}

}  // namespace
}  // namespace engine
