// The Reorg task: the file picked in the table selection is rebuilt under a progress window;
// cancelling the progress or the selection leaves the data file as it was.
#include "engine/shell/reorg_task.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/data/data_start.h"
#include "engine/data/dictionary.h"
#include "engine/ui/progress_window.h"
#include "engine/ui/screen_extent.h"
#include "engine/ui/window_layer.h"
#include "shell_fixture.h"

namespace engine {
namespace {

// Two files of 5-byte records (CODE A1 as key, NAME A4): "notes" and "items"; the main window
// under the task's windows.
class ReorgTaskTest : public testing::ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    WinLayerReset();
    SetDefaultScreen(80, 24, 0, 0, 0);
    for (StrRef name : {StrLit("notes"), StrLit("items")}) {
      ASSERT_EQ(DefineFile(1, name, StrLit("")), kOk);
      ASSERT_EQ(DefineField(StrLit("CODE"), 1, 'A'), kOk);
      ASSERT_EQ(DefineField(StrLit("NAME"), 4, 'A'), kOk);
      KeySegments key;
      key.count = 1;
      key.segment[0] = KeySegment{0, 1};
      ASSERT_EQ(DefineKey(FileCount(), key), kOk);
    }
    dir_.Write("items.FD", kRecords);
    main_ = WinOpen(kKindMain, 0, StrLit("Main"), kNoWindow, -1, -1, nullptr);
    ASSERT_NE(main_, kNoWindow);
    WinShow(main_);
  }
  void TearDown() override {
    ProgressClose();
    WinLayerReset();
    SetDefaultScreen(80, 25, 0, 0, 0);
    EXPECT_EQ(DataStop(), kOk);
    ShellFixture::TearDown();
  }
  void Keys(std::initializer_list<const char*> keys) {
    for (const char* k : keys) ASSERT_TRUE(host_.QueueLine(k)) << k;
  }
  size_t Boxes(const std::string& text) const {
    size_t n = 0;
    for (const MessageBoxRecord& box : host_.boxes()) n += box.text == text;
    return n;
  }

  WinHandle main_ = kNoWindow;
  // Three records, the second one deleted.
  static constexpr const char* kRecords =
      "Czzzz"
      "\x1b"
      "bbbb"
      "Axxxx";
};

TEST_F(ReorgTaskTest, TheFilePickedIsRebuiltAndTheEndIsAnnounced) {
  Keys({"Down", "Enter"});
  EXPECT_EQ(ReorgTask(), kOk) << Detail();
  EXPECT_EQ(dir_.Read("items.FD"), "CzzzzAxxxx");
  EXPECT_FALSE(dir_.Has("items.TMP"));
  EXPECT_EQ(Boxes("Process Completed Succesfully"), 1u);
  EXPECT_FALSE(ProgressIsOpen());
  EXPECT_EQ(WinTop(), main_);  // the selection and the progress window are gone
}

TEST_F(ReorgTaskTest, CancellingTheProgressKeepsTheDataFileAsItWas) {
  Keys({"Down", "Enter", "Esc"});
  EXPECT_EQ(ReorgTask(), kUserCanceled);
  EXPECT_EQ(dir_.Read("items.FD"), kRecords);
  EXPECT_FALSE(dir_.Has("items.TMP"));
  EXPECT_EQ(Boxes("Process Completed Succesfully"), 0u);
  EXPECT_FALSE(ProgressIsOpen());
  EXPECT_EQ(WinTop(), main_);
}

TEST_F(ReorgTaskTest, NothingPickedIsUserCanceledAndTouchesNothing) {
  Keys({"Esc"});
  EXPECT_EQ(ReorgTask(), kUserCanceled);
  EXPECT_EQ(dir_.Read("items.FD"), kRecords);
  EXPECT_FALSE(dir_.Has("notes.FD"));
  EXPECT_TRUE(host_.boxes().empty());
  EXPECT_EQ(WinTop(), main_);
}

}  // namespace
}  // namespace engine
