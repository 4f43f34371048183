// The billing program's process entry.
#include "billing/billing_module.h"
#include "engine/shell/program_main.h"

int main(int argc, char** argv) {
  const engine::ProgramIdentity identity{
      "billing", "Invoicing: customers, delivery notes, invoices, VAT registers and payments.",
      ORVENDAL_VERSION, billing::kIdentifier.ptr, billing::kStartMenu.ptr};
  return engine::ProgramMain(identity, argc, argv, &billing::Main);
}
