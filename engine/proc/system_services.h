// SystemServices: what procedure commands ask of the operating system: running a command line
// through the system's command interpreter as a child process (with the interpreter's quoting of
// the values put into it), and pausing. Every such call goes
// through the current implementation, so that a test can put its own in place of the platform's
// (system_services_posix.cpp).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/core/status.h"

namespace engine {

class SystemServices {
 public:
  virtual ~SystemServices() = default;

  // Receives the child's output, chunk by chunk.
  using OutputSink = std::function<void(std::string_view chunk)>;

  // Runs `command` through the command interpreter ("/bin/sh -c") and waits for it to end. Its
  // standard input is empty; its standard output and error are captured and handed to `sink`.
  // *exit_status receives the child's exit code, or 128 plus the signal's number for a child
  // ended by a signal. 141 when the pipe cannot be made; 167 (CHILDEXECERROR) when the child
  // cannot be started.
  [[nodiscard]] virtual Status RunCommand(std::string_view command, const OutputSink& sink,
                                          int* exit_status) = 0;
  // A value (of a path or environment variable) as one word of the interpreter's command line:
  // quoted so that nothing in it can end the word or start another command, and in the
  // platform's path form.
  virtual std::string CommandWord(std::string_view value) = 0;
  // Waits `milliseconds` by the clock, handling nothing meanwhile.
  virtual void Pause(uint32_t milliseconds) = 0;
};

// The current implementation: the platform's unless a test set another one.
SystemServices& CurrentSystemServices();
// Sets the current implementation; null restores the platform's. The caller keeps ownership.
void SetSystemServices(SystemServices* services);
// The platform's implementation.
SystemServices& PlatformSystemServices();

}  // namespace engine
