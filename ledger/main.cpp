// The ledger program's process entry.
#include "engine/shell/program_main.h"

int main(int argc, char** argv) {
  const engine::ProgramIdentity identity{
      "ledger", "Accounts: chart of accounts, journal, balances, reports and year close.",
      ORVENDAL_VERSION};
  return engine::ProgramMain(identity, argc, argv);
}
