// The default progress of data-file passes: nothing shown, nothing cancelled.
#include "engine/data/pass_progress.h"

namespace engine {

namespace {

class NoProgress final : public PassProgress {
 public:
  Status Open(uint32_t) override { return kOk; }
  Status Step() override { return kOk; }
  Status Text(StrRef) override { return kOk; }
  Status Check() override { return kOk; }
  void Close() override {}
};

NoProgress g_none;
PassProgress* g_current = &g_none;

}  // namespace

void SetPassProgress(PassProgress* progress) { g_current = progress ? progress : &g_none; }

PassProgress& CurrentPassProgress() { return *g_current; }

}  // namespace engine
