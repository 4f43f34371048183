// The message-box styles of the window host and the headless host's record and script.
#include "engine/ui/window_host.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/ui/headless_host.h"

namespace engine {
namespace {

TEST(WindowHostTest, EachKindHasItsIconAndButtons) {
  using B = BoxButton;
  const struct {
    int kind;
    BoxIcon icon;
    std::vector<B> buttons;
  } cases[] = {
      {kBoxInformation, BoxIcon::kInformation, {B::kOk}},
      {kBoxWarning, BoxIcon::kWarning, {B::kOk}},
      {kBoxOkCancel, BoxIcon::kInformation, {B::kOk, B::kCancel}},
      {kBoxError, BoxIcon::kError, {B::kOk}},
      {kBoxRetryCancel, BoxIcon::kError, {B::kRetry, B::kCancel}},
      {kBoxYesNo, BoxIcon::kInformation, {B::kYes, B::kNo}},
      {kBoxYesNoCancel, BoxIcon::kInformation, {B::kYes, B::kNo, B::kCancel}},
      {7, BoxIcon::kNone, {B::kOk}},
      {-1, BoxIcon::kNone, {B::kOk}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const BoxStyle style = MessageBoxStyle(c.kind);
    EXPECT_EQ(style.icon, c.icon);
    ASSERT_EQ(style.button_count, c.buttons.size());
    for (size_t i = 0; i < c.buttons.size(); ++i) EXPECT_EQ(style.buttons[i], c.buttons[i]);
    EXPECT_EQ(style.default_button(), c.buttons.front());
    EXPECT_FALSE(style.Has(B::kAbort));
  }
}

TEST(HeadlessHostTest, RecordsEveryBoxAndAnswersFromItsScript) {
  HeadlessHost host;
  host.QueueAnswer(BoxButton::kNo);
  host.QueueAnswer(BoxButton::kRetry);  // not offered by a Yes/No box
  EXPECT_EQ(host.MessageBox(StrLit("Sure?"), StrLit("Question"), kBoxYesNo), BoxButton::kNo);
  EXPECT_EQ(host.MessageBox(StrLit("Again?"), StrLit("Question"), kBoxYesNo), BoxButton::kYes);
  EXPECT_EQ(host.queued_answers(), 0u);
  EXPECT_EQ(host.MessageBox(StrLit("Retry?"), StrLit("Disk"), kBoxRetryCancel), BoxButton::kRetry);
  ASSERT_EQ(host.boxes().size(), 3u);
  EXPECT_EQ(host.boxes()[0].text, "Sure?");
  EXPECT_EQ(host.boxes()[0].title, "Question");
  EXPECT_EQ(host.boxes()[0].kind, kBoxYesNo);
  EXPECT_EQ(host.boxes()[0].answer, BoxButton::kNo);
  EXPECT_EQ(host.boxes()[1].answer, BoxButton::kYes);
  host.Clear();
  EXPECT_TRUE(host.boxes().empty());
}

TEST(HeadlessHostTest, TheCurrentHostCanBeReplacedAndRestored) {
  HeadlessHost host;
  WindowHost& original = CurrentWindowHost();
  SetWindowHost(&host);
  EXPECT_EQ(&CurrentWindowHost(), &host);
  (void)CurrentWindowHost().MessageBox(StrLit("x"), StrLit("y"), kBoxInformation);
  EXPECT_EQ(host.boxes().size(), 1u);
  SetWindowHost(nullptr);
  EXPECT_EQ(&CurrentWindowHost(), &original);
}

}  // namespace
}  // namespace engine
