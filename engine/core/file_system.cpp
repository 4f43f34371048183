// The process-wide current FileSystem.
#include "engine/core/file_system.h"

namespace engine {

namespace {
FileSystem* g_file_system = nullptr;
}  // namespace

FileSystem& CurrentFileSystem() { return g_file_system ? *g_file_system : PlatformFileSystem(); }

void SetFileSystem(FileSystem* fs) { g_file_system = fs; }

}  // namespace engine
