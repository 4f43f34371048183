// The process-wide current ProcessEnv.
#include "engine/shell/process_env.h"

namespace engine {

namespace {
ProcessEnv* g_env = nullptr;
}  // namespace

ProcessEnv& CurrentProcessEnv() { return g_env ? *g_env : PlatformProcessEnv(); }

void SetProcessEnv(ProcessEnv* env) { g_env = env; }

}  // namespace engine
