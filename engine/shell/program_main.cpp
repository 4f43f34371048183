// Process entry: --help and --version, the engine's memory, and the exit code.
#include "engine/shell/program_main.h"

#include <cstdio>
#include <cstring>

#include "engine/core/block_pool.h"
#include "engine/core/memory.h"

namespace engine {

namespace {

constexpr uint16_t kProgramAreaKb = 512;
constexpr uint16_t kProgramHandleSlots = 64;

void PrintUsage(const ProgramIdentity& id) {
  std::printf(
      "Usage: %s [/NAME:value ...]\n"
      "%s\n\n"
      "  --help      show this text and exit\n"
      "  --version   show the version and exit\n",
      id.name, id.description);
}

}  // namespace

int ProgramMain(const ProgramIdentity& identity, int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0) {
      PrintUsage(identity);
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("%s (Orvendal) %s\n", identity.name, identity.version);
      return 0;
    }
  }
  BlockPoolConfig() = BlockPoolSettings{kProgramHandleSlots, kProgramAreaKb};
  Status status = MemoryStart();
  if (!status.ok()) {
    std::fprintf(stderr, "%s: the engine could not reserve its memory (status %u)\n", identity.name,
                 status.code());
    return status.code() > 255 ? 255 : status.code();
  }
  std::printf("%s (Orvendal) %s: engine core started; application start is not built yet.\n",
              identity.name, identity.version);
  return MemoryStop() == 0 ? 0 : 255;
}

}  // namespace engine
