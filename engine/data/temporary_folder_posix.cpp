// The platform's temporary folder, from the process environment.
#include <cstdlib>
#include <string>

#include "engine/data/file_paths.h"

namespace engine {

std::string PlatformTemporaryFolder() {
  for (const char* name : {"TEMP", "TMPDIR"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return "/tmp";
}

}  // namespace engine
