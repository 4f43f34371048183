// The command line: its normalized form, option look-up in its three spellings and cases, and a
// quote that is never closed.
#include "engine/shell/command_line.h"

#include <gtest/gtest.h>

#include "shell_fixture.h"

namespace engine {
namespace {

class CommandLineTest : public testing::ShellFixture {
 protected:
  void SetLine(const std::string& line) {
    const uint16_t mark = StrAreaMark();
    const StrRef normalized = NormalizeCommandLine(StrView(line));
    ASSERT_FALSE(normalized.IsStatus()) << line;
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvCommandLine, normalized), kOk);
    StrAreaRelease(mark);
  }
  std::string Option(uint16_t n) {
    const uint16_t mark = StrAreaMark();
    const std::string value = testing::Show(OptionValue(n));
    StrAreaRelease(mark);
    return value;
  }
};

TEST_F(CommandLineTest, NormalizingTrimsCollapsesBlanksAndRewritesDashesOutsideQuotes) {
  const struct {
    const char* line;
    const char* normalized;
  } cases[] = {
      {"  prog   --APNAME:XYZ  ", "prog /APNAME:XYZ"},
      {"prog -apname:xyz -TRACE:1", "prog /apname:xyz /TRACE:1"},
      {"prog /RUN:'ExpEval A%=-1 -B' --X", "prog /RUN:'ExpEval A%=-1 -B' /X"},
      {"prog \"/DPATH:'a  b'\"", "prog \"/DPATH:'a b'\""},
      {"prog", "prog"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(Text(&NormalizeCommandLine, c.line), c.normalized);
  }
}

TEST_F(CommandLineTest, OptionsAreFoundInEverySpellingAndUnquotedValuesAreUpperCase) {
  const struct {
    const char* line;
    uint16_t option;
    const char* value;
  } cases[] = {
      {"prog.exe --APNAME:XYZ", kOptApName, "XYZ"},
      {"prog.exe -apname:xyz", kOptApName, "XYZ"},
      {"prog.exe /APNAME:'xyz'", kOptApName, "xyz"},
      {"prog.exe APNAME=abc", kOptApName, "ABC"},
      {"prog.exe /DPATH:C:\\APPS", kOptDPath, "C"},
      {"prog.exe /DPATH:'C:\\APPS'", kOptDPath, "C:\\APPS"},
      {"prog.exe /RUN:'ExpEval X%=1' /TRACE:272", kOptRun, "ExpEval X%=1"},
      {"prog.exe /RUN:'ExpEval X%=1' /TRACE:272", kOptTrace, "272"},
      {"prog /RUN:'ExpEval WRITE('out.txt';-3;FN$TRIM(2+3*4))' /TRACE:1", kOptRun,
       "ExpEval WRITE('out.txt';-3;FN$TRIM(2+3*4))"},
      {"prog.exe /INPUT:in.txt&/OUTPUT:out.txt", kOptOutput, "OUT.TXT"},
      {"prog.exe /TRACE:272", kOptApName, ""},
      {"prog.exe /MYAPNAME:X", kOptApName, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    SetLine(c.line);
    EXPECT_EQ(Option(c.option), c.value);
  }
}

TEST_F(CommandLineTest, OptionInAnswersThePositionOfTheValueInAList) {
  SetLine("prog /MODE:PRNTOFILE");
  EXPECT_EQ(OptionIn(kOptMode, StrLit("SCREEN,PRNTOFILE")), 2);
  EXPECT_EQ(OptionIn(kOptMode, StrLit("SCREEN,PRINTER")), 0);
  EXPECT_EQ(OptionName(kOptRun).view(), "RUN");
  EXPECT_EQ(OptionName(kOptHelp).view(), "?;HELP");
  EXPECT_TRUE(OptionName(20).empty());
}

TEST_F(CommandLineTest, AQuoteThatIsNeverClosedIsABadCommandLine) {
  EXPECT_EQ(Text(&NormalizeCommandLine, "prog /APNAME:'xyz /TRACE:1"), "<status 158>");
  EXPECT_EQ(Detail(), "prog /APNAME:'xyz /TRACE:1");
  EXPECT_EQ(Text(&NormalizeCommandLine, "prog \"/RUN:'a'"), "<status 158>");
}

TEST(JoinCommandLineTest, ArgumentsAreJoinedAsTypedAndAProgramWithABlankIsQuoted) {
  const char* plain[] = {"/usr/bin/ledger", "/DPATH:'/srv/apps'", "/RUN:'ExpEval X%=1'"};
  EXPECT_EQ(JoinCommandLine(3, plain), "/usr/bin/ledger /DPATH:'/srv/apps' /RUN:'ExpEval X%=1'");
  const char* blank[] = {"/my apps/ledger", "-apname:x"};
  EXPECT_EQ(JoinCommandLine(2, blank), "\"/my apps/ledger\" -apname:x");
}

}  // namespace
}  // namespace engine
