// Balances kept through relations by the real ledger program: an INPUT script of ExpEval task
// lines opens an accounts file and a movements file, inserts movements with FILEFIND, keeps each
// account's balance with FILEREL (creating accounts that do not exist yet), changes a movement's
// amount and account and deletes another, and sums each account's movements with StatMove;
// a second run of the program reads the balances back from disk. A procedure saving movements
// with RC_INSERT, RC_WRITE and RC_DELETE keeps the balances through CORELUP.DAT.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "e2e_support.h"

namespace orvendal::e2e {
namespace {

constexpr const char* kDictionary =
    "01*  *00accounts\r\n"
    "01       006 ACODE\r\n"
    "01       020 ANAME\r\n"
    "01       012 2BALANCE\r\n"
    "02*  *00movements\r\n"
    "02       006 ANUM\r\n"
    "02       006 AACCOUNT\r\n"
    "02       010 2AMOUNT\r\n"
    "31<0001006>\r\n"
    "32<0001006>\r\n"
    "32<00070060001006>\r\n"
    "62:1R1K1=ACCOUNT{2}:2R9K1=NUM{2}\r\n";

// Adds the movement's amount to its account (with the sign the caller writes in front).
std::string Apply(const char* sign) {
  return std::string("FILEREL(2;1;1;4;BALANCE{1}=BALANCE{1}") + sign + "AMOUNT{2})";
}

std::string NewMovement(const char* number, const char* account, const char* amount) {
  return std::string("ExpEval FILELOCATE('NEW';2),ACCOUNT{2}='") + account +
         "',AMOUNT{2}=" + amount + ",FILEFIND('" + number + "';2;1;4)," + Apply("+") + "\r\n";
}

// Writes CODE=balance/sum of movements/name; for an account.
std::string Report(const char* account) {
  return std::string("ExpEval FILEFIND('") + account +
         "';1;1),B#=BALANCE{1},N$=FN$TRIM(NAME{1}),FILEFIND('';2;2),"
         "S#=FN#ACUM(AMOUNT{2};StatMove('NEW';'" +
         account + "';'" + account + "')==0;StatMove('NXT';'';'" + account +
         "')==0),WRITE('out.txt';-1;'" + account + "='+FN$TRIM(B#)+'/'+FN$TRIM(S#)+'/'+N$+';')\r\n";
}

std::map<std::string, std::string> Parse(const std::string& text) {
  std::map<std::string, std::string> values;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find(';', at);
    const std::string item =
        text.substr(at, end == std::string::npos ? std::string::npos : end - at);
    const size_t equals = item.find('=');
    if (equals != std::string::npos) values[item.substr(0, equals)] = item.substr(equals + 1);
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return values;
}

TEST(RelationsTest, TheLedgerKeepsBalancesThroughRelations) {
  AppFolder app("ledger");
  app.WriteApp("CODICC.DAT", kDictionary);
  std::string script = "ExpEval FILESEL('accounts;4,movements')\r\n";
  script += "ExpEval FILELOCATE('NEW';1),CODE{1}='A100',NAME{1}='Cash',FILEFIND('A100';1;1;4)\r\n";
  script += NewMovement("000001", "A100", "120.5");
  script += NewMovement("000002", "A200", "-30.25");  // A200 does not exist yet
  script += NewMovement("000003", "A100", "10");
  script += NewMovement("000004", "A300", "5");
  // Movement 3 moves to A200 with another amount: withdrawn from A100, rewritten, added to A200.
  script += "ExpEval FILEFIND('000003';2;1)," + Apply("-") +
            ",FILEREL(2;2;9;0;AMOUNT{2}=44,ACCOUNT{2}='A200')," + Apply("+") + "\r\n";
  // Movement 4 is withdrawn and deleted.
  script += "ExpEval FILEFIND('000004';2;1)," + Apply("-") + ",FILEREL(2;2;9;12)\r\n";
  for (const char* account : {"A100", "A200", "A300"}) script += Report(account);
  app.Write("script.txt", script);

  ProgramResult r = app.Run(kLedger, {"/INPUT:script.txt"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const std::map<std::string, std::string> expected = {
      {"A100", "120.5/120.5/Cash"},  // the account made by the script keeps its name
      {"A200", "13.75/13.75/"},      // made by the relation from cleared buffers: no name
      {"A300", "//"}};               // nothing left: zero is the empty number text
  EXPECT_EQ(Parse(app.Read("out.txt")), expected) << app.Read("out.txt");

  // Another run of the program finds the balances on disk.
  r = app.Run(kLedger, {"/RUN:'ExpEval FILESEL('accounts;1'),FILEFIND('A200';1;1),"
                        "WRITE('again.txt';-3;FN$TRIM(BALANCE{1}))'"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("again.txt"), "13.75");
}

TEST(RelationsTest, ProcedureSavesApplyTheRelationalUpdateTexts) {
  AppFolder app("ledger");
  app.WriteApp("CODICC.DAT", kDictionary);
  // Entry 1 of the movements keeps the balance of the movement's account.
  app.WriteApp("CORELUP.DAT", "0201FILEREL(2;1;1;4;BALANCE{1}=BALANCE{1}+_SGN*AMOUNT{2})\r\n");
  std::string procedure = "FILESELECT 'accounts;4,movements'\r\n";
  for (const char* movement : {"000001,A100,120.5", "000002,A200,-30.25", "000003,A100,10"}) {
    const std::string m = movement;
    procedure += "X=FILELOCATE('NEW';2)\r\nNUM{2}='" + m.substr(0, 6) + "'\r\nACCOUNT{2}='" +
                 m.substr(7, 4) + "'\r\nAMOUNT{2}=" + m.substr(12) +
                 "\r\nRC_INSERT 'movements,1'\r\n";
  }
  // Movement 3 moves to A200 with another amount; movement 2 is deleted.
  procedure +=
      "X=FILEFIND('000003';2;1)\r\nACCOUNT{2}='A200'\r\nAMOUNT{2}=44\r\n"
      "RC_WRITE 'movements,1'\r\n"
      "X=FILEFIND('000002';2;1)\r\nRC_DELETE 'movements,1'\r\n"
      "X=FILEFIND('A100';1;1)\r\nA$=FN$TRIM(BALANCE{1})\r\n"
      "X=FILEFIND('A200';1;1)\r\nB$=FN$TRIM(BALANCE{1})\r\n"
      "X=WRITE('balances.txt';-3;A$+'/'+B$+'/'+FN$TRIM(FN#FLEN('movements')))\r\n";
  app.Write("BALANCES.PRC", procedure);
  const ProgramResult r = app.Run(kLedger, {"/RUN:'PrcExec BALANCES.PRC'"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(app.Read("balances.txt"), "120.5/44/2");
}

}  // namespace
}  // namespace orvendal::e2e
