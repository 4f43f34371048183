// ProcessEnv: what the program start asks of the operating system about the process itself: its
// environment variables, its current folder, the folder of its program file, and whether it runs
// on a terminal. Tests put their own implementation in place of the platform's.
#pragma once

#include <string>
#include <string_view>

namespace engine {

class ProcessEnv {
 public:
  virtual ~ProcessEnv() = default;

  // The value of the environment variable `name` (exact name). Variables the platform does not
  // set are derived where the engine knows how (USERPROFILE, HOMEPATH, TEMP, APPDATA); false
  // when there is no value.
  virtual bool Variable(std::string_view name, std::string* value) = 0;
  // The current folder, without a trailing separator.
  virtual std::string CurrentFolder() = 0;
  // The folder of the running program file, resolved to its real path, without a trailing
  // separator.
  virtual std::string ProgramFolder() = 0;
  // Whether both standard input and standard output are terminals.
  virtual bool OnTerminal() = 0;
};

// The current implementation: the platform's unless a test set another one.
ProcessEnv& CurrentProcessEnv();
// Sets the current implementation; null restores the platform's. The caller keeps ownership.
void SetProcessEnv(ProcessEnv* env);
// The platform's implementation (process_env_posix.cpp).
ProcessEnv& PlatformProcessEnv();

}  // namespace engine
