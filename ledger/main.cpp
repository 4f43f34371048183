// The ledger program's process entry.
#include "engine/shell/program_main.h"
#include "ledger/ledger_module.h"

int main(int argc, char** argv) {
  const engine::ProgramIdentity identity{
      "ledger", "Accounts: chart of accounts, journal, balances, reports and year close.",
      ORVENDAL_VERSION, ledger::kIdentifier.ptr, ledger::kStartMenu.ptr};
  return engine::ProgramMain(identity, argc, argv, &ledger::Main);
}
