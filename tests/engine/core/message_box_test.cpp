// The engine's message boxes: default titles by kind, answer letters (also from a language
// file), AskYes, and ShowStatus with the report text, all through a headless window host.
#include "engine/core/message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/messages.h"
#include "engine/core/string_slots.h"
#include "engine/ui/headless_host.h"
#include "support/core_fixture.h"
#include "support/temp_folder.h"

namespace engine {
namespace {

class MessageBoxTest : public testing::CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    LanguageReset();
    SetWindowHost(&host_);
  }
  void TearDown() override {
    SetWindowHost(nullptr);
    LanguageReset();
    CoreFixture::TearDown();
  }
  const MessageBoxRecord& LastBox() const { return host_.boxes().back(); }

  testing::TempFolder dir_{true};
  HeadlessHost host_;
};

TEST_F(MessageBoxTest, EachKindHasItsDefaultTitleAndDefaultAnswer) {
  const struct {
    int kind;
    const char* title;
  } cases[] = {
      {kBoxInformation, "Information Request"}, {kBoxWarning, "Information Message"},
      {kBoxOkCancel, "Information Request"},    {kBoxError, "Fatal Error Ocurred"},
      {kBoxRetryCancel, "Information Message"}, {kBoxYesNo, "Information Request"},
      {kBoxYesNoCancel, "Information Request"}, {42, "Information Request"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    EXPECT_EQ(ShowMessage(StrLit("text"), StrLit(""), c.kind), 'Y');  // the first button
    EXPECT_EQ(LastBox().title, c.title);
    EXPECT_EQ(LastBox().text, "text");
    EXPECT_EQ(LastBox().kind, c.kind);
  }
  EXPECT_EQ(ShowMessage(StrLit("t"), StrLit("Own title"), kBoxError), 'Y');
  EXPECT_EQ(LastBox().title, "Own title");
}

TEST_F(MessageBoxTest, AnswersBecomeLettersOrCancel) {
  const struct {
    int kind;
    BoxButton pressed;
    char answer;
  } cases[] = {
      {kBoxYesNo, BoxButton::kYes, 'Y'},         {kBoxYesNo, BoxButton::kNo, 'N'},
      {kBoxYesNoCancel, BoxButton::kCancel, 3},  {kBoxOkCancel, BoxButton::kCancel, 3},
      {kBoxRetryCancel, BoxButton::kRetry, 'Y'}, {kBoxRetryCancel, BoxButton::kCancel, 3},
      {kBoxInformation, BoxButton::kNo, 'Y'},  // not a button of the box: its default
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    host_.QueueAnswer(c.pressed);
    EXPECT_EQ(ShowMessage(StrLit("q"), StrLit(""), c.kind), c.answer);
  }
  host_.QueueAnswer(BoxButton::kNo);
  EXPECT_FALSE(AskYes(StrLit("Delete Record(s)?")));
  EXPECT_EQ(LastBox().kind, kBoxYesNo);
  EXPECT_TRUE(AskYes(StrLit("Continue?")));  // empty queue: Yes, the default
}

TEST_F(MessageBoxTest, AnswerLettersComeFromTheLanguage) {
  ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvLanguage, StrLit("ES")), kOk);
  dir_.Write("QN_LANG_ES.MSJ", "0011 Ss,Nn\r\n0014 Solicitud\r\n");
  host_.QueueAnswer(BoxButton::kYes);
  EXPECT_EQ(ShowMessage(StrLit("?"), StrLit(""), kBoxYesNo), 'S');
  EXPECT_EQ(LastBox().title, "Solicitud");
  host_.QueueAnswer(BoxButton::kYes);
  EXPECT_TRUE(AskYes(StrLit("?")));
  host_.QueueAnswer(BoxButton::kNo);
  EXPECT_EQ(ShowMessage(StrLit("?"), StrLit(""), kBoxYesNo), 'N');
  // Typed, the language's letters answer as well as the captions' own.
  ASSERT_TRUE(host_.QueueLine("text:s"));
  EXPECT_TRUE(AskYes(StrLit("?")));
  ASSERT_TRUE(host_.QueueLine("text:Y"));
  EXPECT_TRUE(AskYes(StrLit("?")));
  ASSERT_TRUE(host_.QueueLine("text:n"));
  EXPECT_FALSE(AskYes(StrLit("?")));
  ASSERT_TRUE(host_.QueueLine("text:s"));
  ASSERT_TRUE(host_.QueueLine("Esc"));
  EXPECT_EQ(ShowMessage(StrLit("?"), StrLit(""), kBoxOkCancel), 'S');
  EXPECT_EQ(host_.queued(), 1u);
}

TEST_F(MessageBoxTest, ShowStatusShowsTheReportAndClearsTheDetail) {
  LatchRecord(kLatchFirst, kSiteStreams, kFileNotFound);
  (void)ReportStatus(kFileNotFound, StrLit("A.DAT"));
  EXPECT_EQ(ShowStatus(kFileNotFound), kOk);
  EXPECT_EQ(LastBox().kind, kBoxError);
  EXPECT_EQ(LastBox().title, "Fatal Error Ocurred");
  EXPECT_EQ(LastBox().text, "Error File Not Found(Streams): A.DAT");
  EXPECT_EQ(testing::Show(DetailText()), "");

  EXPECT_EQ(ShowStatus(kNothing), kOk);  // the latched code
  EXPECT_EQ(LastBox().text, "Error File Not Found(Streams)");
  LatchClear();

  EXPECT_EQ(ShowStatus(kUserCanceled), kOk);
  EXPECT_EQ(LastBox().kind, kBoxWarning);
  EXPECT_EQ(LastBox().title, "Information Message");
  EXPECT_EQ(LastBox().text, "User Canceled");
  EXPECT_EQ(ShowStatus(kOk), kOk);
  EXPECT_EQ(LastBox().text, "Process Completed Succesfully");

  const size_t shown = host_.boxes().size();
  EXPECT_EQ(ShowStatus(kNothing), kOk);  // nothing latched: nothing to show
  EXPECT_EQ(host_.boxes().size(), shown);
}

}  // namespace
}  // namespace engine
