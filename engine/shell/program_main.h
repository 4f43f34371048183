// The process entry shared by both programs: what a program tells the engine about itself, and
// the engine's handling of its command line from there on.
#pragma once

namespace engine {

struct ProgramIdentity {
  const char* name;         // the program's file name: "ledger", "billing"
  const char* description;  // one line for --help
  const char* version;
};

// Runs the program; the result is the process exit code.
int ProgramMain(const ProgramIdentity& identity, int argc, char** argv);

}  // namespace engine
