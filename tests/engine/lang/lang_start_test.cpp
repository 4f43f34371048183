// The language start connects the language-variables file to the real evaluator.
#include "engine/lang/lang_start.h"

#include <gtest/gtest.h>

#include "engine/core/messages.h"
#include "engine/core/string_slots.h"
#include "engine/lang/expression.h"
#include "engine/lang/variables.h"
#include "support/core_fixture.h"
#include "support/temp_folder.h"

namespace engine {
namespace {

using testing::Show;

class LangStartTest : public testing::CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    ASSERT_EQ(LangStart(), kOk);
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvAppName, StrLit("COLDGR01:Orvendal")), kOk);
  }
  void TearDown() override {
    LangStop();
    CoreFixture::TearDown();
  }
  testing::TempFolder dir_{true};
};

TEST_F(LangStartTest, LanguageVariablesAreAssignedThroughTheEvaluator) {
  dir_.Write("COLANGVARS.DAT", "TITLE$=0013\r\nANSWERS$=0011\r\n");
  ASSERT_EQ(LoadLangVars(), kOk) << Show(DetailText());
  EXPECT_EQ(Show(EvalText(StrLit("TITLE$"))), "Fatal Error Ocurred");
  EXPECT_EQ(Show(EvalText(StrLit("ANSWERS$"))), "Yy,Nn");
}

TEST_F(LangStartTest, AStartedLanguageHasItsFunctionsAndAccumulators) {
  EXPECT_EQ(Show(EvalText(StrLit("FN$TRIM('  x ')"))), "x");
  EXPECT_EQ(ArrayElementCount(StrLit("_#(")), 257u);
  // What the functions hold is released by the stop (the fixture checks for leaks).
  ASSERT_EQ(EvalStatus(StrLit("H$=SORT$('NEW';8);H$=SORT$('ADD';H$;'kept')")), kOk);
  EXPECT_EQ(Show(EvalText(StrLit("H$=SORT$('MOVE';H$;.top);SORT$('GET';H$)"))), "kept    ");
}

TEST_F(LangStartTest, AMessageThatIsNotAValueReportsItsLine) {
  // Message 0005 is prose, not an expression an integer variable can take.
  dir_.Write("COLANGVARS.DAT", "COUNT=0005\r\n");
  const Status status = LoadLangVars();
  EXPECT_TRUE(status.IsError()) << status.code();
  EXPECT_NE(Show(DetailText()).find("COUNT=0005"), std::string::npos) << Show(DetailText());
}

}  // namespace
}  // namespace engine
