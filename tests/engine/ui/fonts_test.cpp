// The user fonts: weights, the face-name limit, the seventh font as the last one taken, and the
// entries of the font file.
#include "engine/ui/fonts.h"

#include <gtest/gtest.h>

#include <string>

#include "support/core_fixture.h"

namespace engine {
namespace {

class FontsTest : public testing::CoreFixture {
 protected:
  void TearDown() override {
    FontsClear();
    CoreFixture::TearDown();
  }
};

TEST_F(FontsTest, WeightsAndFaceNamesFollowTheRules) {
  const struct {
    uint16_t weight;
    const char* face;
    uint16_t stored_weight;
    const char* stored_face;
  } cases[] = {
      {0, "Lucida Console", 400, "Lucida Console"},
      {1, "Courier", 700, "Courier"},
      {550, "", 550, ""},
      {400, "A face name of thirty-one bytes", 400, "A face name of thirty-one bytes"},
      {400, "A face name of thirty-two bytes.", 400, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.face);
    FontsClear();
    ASSERT_EQ(AddFont(24, 12, c.weight, StrView(c.face)), kOk);
    ASSERT_NE(CurrentFont(), nullptr);
    EXPECT_EQ(CurrentFont()->weight, c.stored_weight);
    EXPECT_STREQ(CurrentFont()->face.data(), c.stored_face);
  }
}

TEST_F(FontsTest, AnEighthFontIsIgnoredAndTheNewestIsCurrent) {
  for (int16_t i = 1; i <= 7; ++i) ASSERT_EQ(AddFont(i, i, 400, StrLit("F")), kOk);
  EXPECT_EQ(AddFont(99, 99, 400, StrLit("G")), kDataOutBound);
  EXPECT_EQ(FontCount(), 7);
  EXPECT_EQ(CurrentFont()->height, 7);
  EXPECT_EQ(FontAt(0)->height, 1);
  EXPECT_EQ(FontAt(7), nullptr);
}

TEST_F(FontsTest, AFontFileEntryGivesSizeBoldnessAndTrimmedFace) {
  const struct {
    const char* entry;
    int16_t height;
    int16_t width;
    uint16_t weight;
    const char* face;
  } cases[] = {
      {"20;10;BOLD;Courier New", 20, 10, 700, "Courier New"},
      {"18;9;semibold italic; Fixed ", 18, 9, 700, "Fixed"},
      {"16;8;;Mono", 16, 8, 400, "Mono"},
      {"16", 16, 0, 400, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.entry);
    FontsClear();
    ASSERT_EQ(AddFontEntry(StrView(c.entry)), kOk);
    EXPECT_EQ(CurrentFont()->height, c.height);
    EXPECT_EQ(CurrentFont()->width, c.width);
    EXPECT_EQ(CurrentFont()->weight, c.weight);
    EXPECT_STREQ(CurrentFont()->face.data(), c.face);
  }
}

}  // namespace
}  // namespace engine
