// The process entry shared by both programs: --help and --version, the choice of the window
// host, the command line handed to the application module, and the exit code.
#pragma once

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

struct ProgramIdentity {
  const char* name;         // the program's file name: "ledger", "billing"
  const char* description;  // one line for --help
  const char* version;
  const char* identifier;  // the application identifier, "COLDGR01:Orvendal"
  const char* start_menu;  // "C2MENU"
};

// The application module's run from its command line to its exit status.
using ApplicationMain = Status (*)(StrRef command_line);

// Answers --help (a usage text on standard output) and --version; otherwise runs the program on
// the headless host when standard input or output is not a terminal or ORVENDAL_HOST is
// "headless" (echoing its message boxes to standard error), else on the terminal host (on the
// headless host, with a notice, when the terminal cannot be used). The result is the exit code:
// the run's status, 255 for a status above 255.
int ProgramMain(const ProgramIdentity& identity, int argc, char** argv, ApplicationMain run);

}  // namespace engine
