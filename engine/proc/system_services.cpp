// The process-wide current SystemServices.
#include "engine/proc/system_services.h"

namespace engine {

namespace {
SystemServices* g_services = nullptr;
}  // namespace

SystemServices& CurrentSystemServices() {
  return g_services ? *g_services : PlatformSystemServices();
}

void SetSystemServices(SystemServices* services) { g_services = services; }

}  // namespace engine
