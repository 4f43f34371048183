// The main window of both programs run without a screen: menus from PMT and PPN files, options
// picked by a key script through F10, captions, arrows, Enter and Esc, the task each option
// runs, the screens the program showed, and the bundled applications' own menus.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e_support.h"

namespace orvendal::e2e {
namespace {

constexpr const char* kSmallMenu =
    "Files\r\n"
    "\tFirst,ExpEval WRITE('first.txt';-3;'one')\r\n"
    "\tSecond,ExpEval WRITE('second.txt';-3;'two')\r\n"
    "Tools\r\n"
    "\tThird,ExpEval WRITE('third.txt';-3;'three')\r\n";

// Runs `program` on `app` with the key script; the screens it showed are in screens.txt.
ProgramResult RunWithKeys(const AppFolder& app, const std::string& program,
                          const std::string& keys) {
  app.Write("keys.txt", keys);
  return app.Run(program, {}, {{"ORVENDAL_KEYS", "keys.txt"}, {"ORVENDAL_SCREENS", "screens.txt"}});
}

// The screens logged, without the CRs of their line ends.
std::string Screens(const AppFolder& app) {
  std::string text = app.Read("screens.txt");
  std::string plain;
  for (char c : text) {
    if (c != '\r') plain += c;
  }
  return plain;
}

TEST(MenusTest, OptionsPickedByKeysRunTheirTasksAndTheCloseIsConfirmed) {
  AppFolder app("ledger");
  app.RemoveApp("C2MENU.PMT");
  app.WriteApp("C2MENU.PMT", kSmallMenu);
  const ProgramResult r = RunWithKeys(app, kLedger,
                                      "F10\n"
                                      "text:Files\n"
                                      "Enter\n"
                                      "Down\n"
                                      "Enter\n"
                                      "# the Tools popup, found by its first letter\n"
                                      "F10\n"
                                      "text:T\n"
                                      "Enter\n"
                                      "Enter\n");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_FALSE(app.Has("first.txt"));
  EXPECT_EQ(app.Read("second.txt"), "two");
  EXPECT_EQ(app.Read("third.txt"), "three");
  EXPECT_EQ(app.Read("COFSTAT.DAT"), "0");
  // With the keys used up the main window is closed and the confirmation answered yes.
  EXPECT_NE(r.err.find("Do you want to Close Program? (0 Screens, 1 Windows) [Yes]"),
            std::string::npos)
      << r.err;
  const std::string screens = Screens(app);
  // The open Files popup with Second highlighted, over the main window.
  EXPECT_NE(screens.find("[Files] Tools\n"
                         "+--------+\n"
                         "| First  |\n"
                         "|>Second |\n"
                         "+--------+\n"),
            std::string::npos)
      << screens;
  // The status line on the last row, the title drawn where the logo goes.
  EXPECT_NE(screens.find("\n Orvendal Accounts  |  "), std::string::npos) << screens;
  EXPECT_NE(screens.find("Orvendal Accounts\n"), std::string::npos) << screens;
  // The confirmation as it waited for its answer.
  EXPECT_NE(screens.find("<Yes>  [No]"), std::string::npos) << screens;
}

TEST(MenusTest, EscClosesTheMenuAndAskedToCloseTheUserCanSayNo) {
  AppFolder app("ledger");
  app.RemoveApp("C2MENU.PMT");
  app.WriteApp("C2MENU.PMT", kSmallMenu);
  const ProgramResult r = RunWithKeys(app, kLedger,
                                      "F10\nEnter\nEsc\nEsc\n"  // open, then close the menu
                                      "Esc\ntext:n\n"           // Esc asks to close: no
                                      "F10\nEnter\nEnter\n");   // First still runs
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("first.txt"), "one");
  EXPECT_FALSE(app.Has("second.txt"));
  EXPECT_NE(r.err.find("(0 Screens, 1 Windows) [No]"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("(0 Screens, 1 Windows) [Yes]"), std::string::npos) << r.err;
}

TEST(MenusTest, ARecordFormatMenuIsConvertedAndRuns) {
  AppFolder app("ledger");
  app.RemoveApp("C2MENU.PMT");
  app.WriteApp(
      "C2MENU.PPN",
      "01 CALLER$=2,3\r\n"
      "02 MENU$='Files,First,Second'\r\n"
      "02 EXEC$=\"ExpEval WRITE('first.txt';-3;'one'),ExpEval WRITE('second.txt';-3;'two')\"\r\n"
      "03 MENU$='Tools,Third'\r\n"
      "03 EXEC$=\"ExpEval WRITE('third.txt';-3;'three')\"\r\n");
  const ProgramResult r =
      RunWithKeys(app, kLedger, "F10\nRight\nEnter\nEnter\nF10\nEnter\nDown\nEnter\n");
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("third.txt"), "three");
  EXPECT_EQ(app.Read("second.txt"), "two");
  EXPECT_FALSE(app.Has("first.txt"));
  EXPECT_NE(Screens(app).find("[Files] Tools\n"), std::string::npos);
}

TEST(MenusTest, AMenuWithoutPopupsIsAnErrorNamingTheFile) {
  AppFolder app("ledger");
  app.RemoveApp("C2MENU.PMT");
  app.WriteApp("C2MENU.PMT", "Run,ExpEval A=1\r\n");
  const ProgramResult r = RunWithKeys(app, kLedger, "");
  EXPECT_EQ(r.exit_code, 163) << r.err;
  EXPECT_NE(r.err.find("Fatal Error Ocurred: Error BADINPUTDATA"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("C2MENU.PMT"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("Succesfully"), std::string::npos) << r.err;
  EXPECT_EQ(Occurrences(r.err, "BADINPUTDATA"), 1u) << r.err;
}

TEST(MenusTest, ABadKeyScriptIsRefusedWithItsLine) {
  AppFolder app("ledger");
  const ProgramResult r = RunWithKeys(app, kLedger, "F10\nPress any key\n");
  EXPECT_EQ(r.exit_code, 163);
  EXPECT_NE(r.err.find("ORVENDAL_KEYS: line 2 of keys.txt names no key"), std::string::npos)
      << r.err;
  const ProgramResult missing = app.Run(kLedger, {}, {{"ORVENDAL_KEYS", "nowhere.txt"}});
  EXPECT_EQ(missing.exit_code, 164);
  EXPECT_NE(missing.err.find("nowhere.txt cannot be read"), std::string::npos) << missing.err;
}

TEST(MenusTest, TheBundledMenusOfBothProgramsLoadAndShow) {
  const struct {
    const std::string* program;
    const char* app_folder;
    const char* bar;
    const char* first_popup;
  } cases[] = {
      {&kLedger, "ledger/app", "[Files] Journal  Reports  Tools  Help\n", "|>Chart of accounts |"},
      {&kBilling, "billing/app", "[Files] Documents  Reports  Tools  Help\n",
       "|>Customers       |"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.app_folder);
    AppFolder app("");
    std::filesystem::copy(std::filesystem::path(ORVENDAL_SOURCE_DIR) / c.app_folder, app.apps(),
                          std::filesystem::copy_options::recursive);
    // Open the first popup, look, close it again; then the keys run out.
    const ProgramResult r = RunWithKeys(app, *c.program, "F10\nEnter\nEsc\nEsc\n");
    EXPECT_EQ(r.exit_code, 0) << r.err;
    const std::string screens = Screens(app);
    EXPECT_NE(screens.find(c.bar), std::string::npos) << screens;
    EXPECT_NE(screens.find(c.first_popup), std::string::npos) << screens;
  }
}

}  // namespace
}  // namespace orvendal::e2e
