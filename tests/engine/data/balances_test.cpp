// Balances that follow their movements through the relational-update texts, end to end on real
// files: a dictionary and a RELUP.DAT in a folder, an accounts file whose balance field a
// movements file keeps up to date when movements are inserted, changed (amount and account) and
// deleted, and the recalculation pass that rebuilds the same balances from scratch.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "data_fixture.h"
#include "engine/core/error_latch.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/data_start.h"
#include "engine/data/data_tasks.h"
#include "engine/data/file_paths.h"
#include "engine/data/navigation.h"
#include "engine/data/relation_recalc.h"
#include "engine/data/relational_update.h"
#include "engine/data/relations.h"
#include "engine/data/stat_move.h"
#include "engine/lang/variables.h"
#include "engine/shell/hooks.h"
#include "engine/ui/headless_host.h"

namespace engine {
namespace {

using testing::DataFixture;
using testing::Show;
using Balances = std::map<std::string, int64_t>;  // account code -> cents

constexpr uint8_t kAccounts = 1;
constexpr uint8_t kMovements = 2;
constexpr uint16_t kFieldCode = 1;
constexpr uint16_t kFieldName = 2;
constexpr uint16_t kFieldBalance = 3;
constexpr uint16_t kFieldNumber = 1;
constexpr uint16_t kFieldAccount = 2;
constexpr uint16_t kFieldAmount = 3;

std::string Money(int64_t cents) {
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld.%02lld", cents < 0 ? "-" : "",
                static_cast<long long>(std::llabs(cents) / 100),
                static_cast<long long>(std::llabs(cents) % 100));
  return text;
}

int64_t Cents(const std::string& stored) {
  const std::string trimmed = stored.substr(stored.find_first_not_of(' ') == std::string::npos
                                                ? stored.size()
                                                : stored.find_first_not_of(' '));
  return trimmed.empty() ? 0 : std::llround(std::stod(trimmed) * 100);
}

std::string Field(uint8_t file, uint16_t field) {
  StrAreaScope scope;
  return ToString(FieldGet(file, field));
}

std::string Code(const std::string& code) {
  std::string c = code;
  c.resize(6, ' ');
  return c;
}

// The task side of a recalculation: "Perform ARGS" items are steps, "Capture" reads the
// target's balances, task parameters come from a map.
class TestTasks final : public DataTasks {
 public:
  Status ParseItem(StrRef item, bool* step, StrRef* parameters) override {
    const std::string text(item.view());
    *step = text.rfind("Perform ", 0) == 0;
    *parameters = StrLit("");
    if (*step) {
      const Status status = StrAreaPushCopy(StrView(text.substr(8)));
      if (!status.ok()) return status;
      *parameters = StrAreaTop();
    }
    return kOk;
  }
  Status RunTask(StrRef item) override {
    if (item.view() != "Capture") return ReportStatus(kBadInputData, item);
    captured.clear();
    if (IndexEntryCount(target) == 0) return kOk;
    for (Status s = KeyStep(target, kStepFirst); s == kFound; s = KeyStep(target, kStepNext)) {
      captured[Field(target, kFieldCode)] = Cents(Field(target, balance_field));
    }
    return kOk;
  }
  StrRef TaskParam(uint16_t n) override {
    const auto found = params.find(n);
    const std::string value = found == params.end() ? std::string() : found->second;
    return StrAreaPushCopy(StrView(value)).ok() ? StrAreaTop() : StrError(kOutOfMemory);
  }

  uint8_t target = kAccounts;
  uint16_t balance_field = kFieldBalance;
  std::map<uint16_t, std::string> params;
  Balances captured;
};

class BalancesTest : public DataFixture {
 protected:
  void SetUp() override {
    DataFixture::SetUp();
    WriteLines("TSDICC.DAT",
               {"01**01accounts", FieldLine(6, 'A', "CODE"), FieldLine(20, 'A', "NAME"),
                FieldLine(12, '2', "BALANCE"), "02**02movements", FieldLine(6, 'A', "NUM"),
                FieldLine(6, 'A', "ACCOUNT"), FieldLine(10, '2', "AMOUNT"), "31<0001006>",
                "32<0001006>", "32<00070060001006>", "62:1R1K1=ACCOUNT{2}:3R1K1=ACCOUNT{2}"});
    // Entry 1 keeps the accounts' balances; entry 2 those of a run-time balance structure.
    WriteLines("TSRELUP.DAT", {"0201FILEREL(2;1;1;4;BALANCE{1}=BALANCE{1}+_SGN*AMOUNT{2})",
                               "0202FILEREL(2;3;1;4;BALANCE{3}=BALANCE{3}+_SGN*AMOUNT{2})"});
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvAppName, StrLit("TSAPP")), kOk);
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvSearchPath, StrView(folder().path().string())), kOk);
    ASSERT_EQ(DataStart(StrView(folder().path().string()), StrLit("TS"), StrLit("")), kOk);
    OpenFiles();
    // Three accounts exist with names; the others are created by their first movement.
    for (const char* code : {"A100", "A101", "A102"}) {
      ASSERT_EQ(FileLocate(StrLit("NEW"), kAccounts), kCleared);
      ASSERT_EQ(FieldSet(kAccounts, kFieldCode, StrFromC(code)), kOk);
      ASSERT_EQ(FieldSet(kAccounts, kFieldName, StrView(std::string("name of ") + code)), kOk);
      ASSERT_EQ(RecordInsert(kAccounts), kFound);
    }
  }
  void TearDown() override {
    SetDataTasks(nullptr);
    HooksClear();
    DataFixture::TearDown();
  }
  void OpenFiles() {
    ASSERT_EQ(FileOpen(kAccounts, 0), kOk);
    ASSERT_EQ(FileOpen(kMovements, kModeCurrent), kOk);
    ASSERT_EQ(RelupLoad(kMovements, StrLit("")), kOk);
  }

  // The save routine with the relational-update list of the accounts.
  static Status Save(uint16_t word) {
    return SaveWithRelations(word, kMovements, StrLit("1"), StrLit(""));
  }
  void InsertMovement(const std::string& account, int64_t cents) {
    char number[8];
    std::snprintf(number, sizeof number, "%06u", ++last_number_);
    ASSERT_EQ(FileLocate(StrLit("NEW"), kMovements), kCleared);
    ASSERT_EQ(FieldSet(kMovements, kFieldNumber, StrFromC(number)), kOk);
    ASSERT_EQ(FieldSet(kMovements, kFieldAccount, StrView(account)), kOk);
    ASSERT_EQ(FieldSet(kMovements, kFieldAmount, StrView(Money(cents))), kOk);
    ASSERT_EQ(Save(NavCommandWord(StrLit("INS"))), kOk) << Show(DetailText());
    movements_[number] = {account, cents};
  }
  void FindMovement(const std::string& number) {
    ASSERT_EQ(KeyFind(kMovements, 1, StrView(number), 0), kFound) << number;
  }
  void ChangeMovement(const std::string& number, const std::string* account, const int64_t* cents) {
    FindMovement(number);
    if (account) {
      ASSERT_EQ(FieldSet(kMovements, kFieldAccount, StrView(*account)), kOk);
    }
    if (cents) {
      ASSERT_EQ(FieldSet(kMovements, kFieldAmount, StrView(Money(*cents))), kOk);
    }
    ASSERT_EQ(Save(NavCommandWord(StrLit("SVE"))), kOk) << Show(DetailText());
    if (account) movements_[number].account = *account;
    if (cents) movements_[number].cents = *cents;
  }
  void DeleteMovement(const std::string& number) {
    FindMovement(number);
    ASSERT_EQ(Save(NavCommandWord(StrLit("DEL"))), kOk) << Show(DetailText());
    movements_.erase(number);
  }

  // Every account's balance from the model of the movements.
  Balances Expected() const {
    Balances sums;
    for (const auto& [number, m] : movements_) sums[Code(m.account)] += m.cents;
    return sums;
  }
  // The sums of the movements as the movements file holds them (walked by key 2).
  static Balances MovementSums() {
    Balances sums;
    if (IndexEntryCount(kMovements) == 0) return sums;
    EXPECT_EQ(KeyFind(kMovements, 2, StrLit(""), kFindGreater), kKeyNotFound);
    for (Status s = KeyStep(kMovements, kStepFirst); s == kFound;
         s = KeyStep(kMovements, kStepNext)) {
      sums[Field(kMovements, kFieldAccount)] += Cents(Field(kMovements, kFieldAmount));
    }
    return sums;
  }
  // The balance field of every account, accounts at 0 left out.
  static Balances AccountBalances() {
    Balances balances;
    for (Status s = KeyStep(kAccounts, kStepFirst); s == kFound;
         s = KeyStep(kAccounts, kStepNext)) {
      const int64_t cents = Cents(Field(kAccounts, kFieldBalance));
      if (cents != 0) balances[Field(kAccounts, kFieldCode)] = cents;
    }
    return balances;
  }
  static Balances WithoutZeros(Balances balances) {
    for (auto it = balances.begin(); it != balances.end();) {
      it = it->second == 0 ? balances.erase(it) : std::next(it);
    }
    return balances;
  }
  void ExpectBalancesFollowMovements() {
    const Balances expected = WithoutZeros(Expected());
    EXPECT_EQ(WithoutZeros(MovementSums()), expected);
    EXPECT_EQ(AccountBalances(), expected);
  }

  // A deterministic run of insertions, changes of amount, of account, of both, and deletions.
  void RunMovements(int operations) {
    const std::vector<std::string> accounts = {"A100", "A101", "A102", "A103", "A104", "A105"};
    for (int op = 0; op < operations; ++op) {
      const uint32_t pick = Next();
      const std::string account = accounts[Next() % accounts.size()];
      const int64_t cents = static_cast<int64_t>(Next() % 200'001) - 100'000;
      if (movements_.size() < 20 || pick % 5 == 0) {
        InsertMovement(account, cents);
        continue;
      }
      auto it = movements_.begin();
      std::advance(it, Next() % movements_.size());
      const std::string number = it->first;
      switch (pick % 5) {
        case 1:
          ChangeMovement(number, nullptr, &cents);
          break;
        case 2:
          ChangeMovement(number, &account, nullptr);
          break;
        case 3:
          ChangeMovement(number, &account, &cents);
          break;
        default:
          DeleteMovement(number);
          break;
      }
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
  uint32_t Next() {
    seed_ = seed_ * 1'103'515'245u + 12'345u;
    return seed_ >> 8;
  }

  struct Movement {
    std::string account;
    int64_t cents = 0;
  };
  std::map<std::string, Movement> movements_;
  uint32_t last_number_ = 0;
  uint32_t seed_ = 20240607;
};

TEST_F(BalancesTest, EveryBalanceIsTheSumOfItsMovements) {
  InsertMovement("A100", 12'345);
  InsertMovement("A104", -500);  // a new account
  ExpectBalancesFollowMovements();
  // The account made by the movement starts from a cleared record: only its code is set.
  ASSERT_EQ(KeyFind(kAccounts, 1, StrLit("A104"), 0), kFound);
  EXPECT_EQ(Field(kAccounts, kFieldName), std::string(20, ' '));
  ASSERT_EQ(KeyFind(kAccounts, 1, StrLit("A100"), 0), kFound);
  EXPECT_EQ(Field(kAccounts, kFieldName), "name of A100        ");

  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE(round);
    RunMovements(60);
    ASSERT_FALSE(HasFatalFailure());
    ExpectBalancesFollowMovements();
  }
  EXPECT_GE(movements_.size(), 20u);
  EXPECT_GT(last_number_, 60u);
  // Deleting every movement of an account brings its balance back to 0.
  std::vector<std::string> of_a101;
  for (const auto& [number, m] : movements_) {
    if (m.account == "A101") of_a101.push_back(number);
  }
  for (const std::string& number : of_a101) DeleteMovement(number);
  ASSERT_EQ(KeyFind(kAccounts, 1, StrLit("A101"), 0), kFound);
  EXPECT_EQ(Cents(Field(kAccounts, kFieldBalance)), 0);
  ExpectBalancesFollowMovements();
  // What was saved is on disk: closed and opened again, the files agree still.
  ASSERT_EQ(FileCloseAll(), kOk);
  OpenFiles();
  ExpectBalancesFollowMovements();
}

TEST_F(BalancesTest, TheRecalculationRebuildsTheSameBalancesFromScratch) {
  RunMovements(150);
  ASSERT_FALSE(HasFatalFailure());
  ExpectBalancesFollowMovements();
  const Balances before = AccountBalances();
  TestTasks tasks;
  SetDataTasks(&tasks);
  // With the engine's relation hook (as the programs run) and without it.
  for (const bool hook : {true, false}) {
    SCOPED_TRACE(hook ? "with the relation hook" : "without the hook");
    HooksClear();
    if (hook) {
      ASSERT_EQ(RegisterStatMove(), kOk);
    }
    tasks.captured.clear();
    tasks.params[kParamIndex] = hook ? "2" : "1";
    EXPECT_EQ(RelationRecalc(kAccounts, StrLit("'Perform movements,1','Capture'")), kOk)
        << Show(DetailText());
    EXPECT_EQ(WithoutZeros(tasks.captured), WithoutZeros(Expected()));
    // The recalculation went to a virtual copy: the accounts file is open again, unchanged.
    EXPECT_EQ(FileMode(kAccounts), 0);
    EXPECT_EQ(AccountBalances(), before);
    EXPECT_FALSE(SysWordTest(kSysUpStat, kUpStatInPass));
    EXPECT_EQ(SysWord(kSysCurFil), kMovements);
    EXPECT_EQ(TemporaryFileCount(), 0);
  }
  // The recalculation reads RELUP.DAT whichever flavour is chosen, and leaves the choice as it
  // was.
  WriteLines("TSRELUPSQL.DAT", {"0201BALANCE{1}=BALANCE{1}+1000"});
  (void)SysWordSetBits(kSysAuxStat, kAuxStatSql, true);
  RelupUnload(kMovements, 0);
  tasks.captured.clear();
  EXPECT_EQ(RelationRecalc(kAccounts, StrLit("'Perform movements,1','Capture'")), kOk)
      << Show(DetailText());
  EXPECT_EQ(WithoutZeros(tasks.captured), WithoutZeros(Expected()));
  EXPECT_TRUE(SysWordTest(kSysAuxStat, kAuxStatSql));
  (void)SysWordSetBits(kSysAuxStat, kAuxStatSql, false);
  // A limited range and a condition recalculate only what they select.
  tasks.params[kParamLimits] = "000001,000040";
  tasks.params[kParamReadCondition] = "AMOUNT{2}>0";
  EXPECT_EQ(RelationRecalc(kAccounts, StrLit("'Perform movements,1','Capture'")), kOk);
  Balances selected;
  for (const auto& [number, m] : movements_) {
    if (number <= "000040" && m.cents > 0) selected[Code(m.account)] += m.cents;
  }
  EXPECT_EQ(WithoutZeros(tasks.captured), WithoutZeros(selected));
}

TEST_F(BalancesTest, TheRecalculationCanFillARunTimeStructure) {
  RunMovements(40);
  ASSERT_FALSE(HasFatalFailure());
  TestTasks tasks;
  tasks.target = 3;
  tasks.balance_field = 2;
  tasks.params[kParamStruct] = "'tmpbal','CODE;6;A,BALANCE;12;2','<0001006>'";
  SetDataTasks(&tasks);
  const uint8_t files = FileCount();
  EXPECT_EQ(RelationRecalc(files + 1, StrLit("'Perform 2,2','Capture'")), kOk)
      << Show(DetailText());
  EXPECT_EQ(WithoutZeros(tasks.captured), WithoutZeros(Expected()));
  EXPECT_EQ(FileCount(), files);  // the structure is gone again
  ExpectBalancesFollowMovements();
}

TEST_F(BalancesTest, ARecalculationStopsAtItsFirstFailure) {
  TestTasks tasks;
  SetDataTasks(&tasks);
  EXPECT_EQ(RelationRecalc(kAccounts, StrLit("")), kBadInputData);
  // The accounts have no relational-update texts of their own.
  HeadlessHost host;
  SetWindowHost(&host);
  EXPECT_EQ(RelationRecalc(kAccounts, StrLit("'Perform accounts,1','Capture'")), kBadInputData);
  SetWindowHost(nullptr);
  // The failure is shown with its message.
  ASSERT_EQ(host.boxes().size(), 1u);
  EXPECT_NE(host.boxes()[0].text.find(ToString(kNoRelupDefined)), std::string::npos)
      << host.boxes()[0].text;
  tasks.captured[Code("X")] = 1;
  EXPECT_EQ(RelationRecalc(kAccounts, StrLit("'Unknown','Capture'")), kBadInputData);
  EXPECT_EQ(tasks.captured.size(), 1u);  // Capture never ran
  EXPECT_EQ(RelationRecalc(kAccounts, StrLit("'Perform nofile,1'")), kFileOpening);
  EXPECT_FALSE(SysWordTest(kSysUpStat, kUpStatInPass));
  EXPECT_EQ(FileMode(kAccounts), 0);
}

TEST_F(BalancesTest, TheTaskDispatcherRunsTheStepsAndTheOtherTasks) {
  RunMovements(50);
  ASSERT_FALSE(HasFatalFailure());
  // Task parameters come from variables when no task window defines them.
  ASSERT_EQ(VarAssignInteger(StrLit("INDEX"), 2), kOk);
  const Balances expected = Expected();
  ASSERT_TRUE(expected.count(Code("A103")));
  EXPECT_EQ(RelationRecalc(kAccounts, StrLit("'Perform movements,1',"
                                             "'ExpEval FILEFIND(\"A103\";1;1),B#=BALANCE{1}'")),
            kOk)
      << Show(DetailText());
  int64_t balance = 0;
  ASSERT_TRUE(VarNumber(StrLit("B#"), &balance));
  EXPECT_EQ(balance, expected.at(Code("A103")));
  // A task the dispatcher does not know stops the list.
  HeadlessHost host;
  SetWindowHost(&host);
  EXPECT_EQ(RelationRecalc(kAccounts, StrLit("'NoSuchTask x','ExpEval B#=0'")), kBadInputData);
  SetWindowHost(nullptr);
  EXPECT_TRUE(VarNumber(StrLit("B#"), &balance));
  EXPECT_EQ(balance, expected.at(Code("A103")));
  EXPECT_EQ(host.boxes().size(), 1u);
}

}  // namespace
}  // namespace engine
