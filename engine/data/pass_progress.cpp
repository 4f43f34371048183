// The progress window of the window layer as the progress of data-file passes.
#include "engine/data/pass_progress.h"

#include "engine/ui/progress_window.h"

namespace engine {

namespace {

class WindowProgress final : public PassProgress {
 public:
  Status Open(uint32_t total) override { return ProgressOpen(kProgressDefaultWidth, total, false); }
  Status Step() override { return ProgressStep(1); }
  Status Text(StrRef text) override { return ProgressText(text); }
  Status Check() override { return ProgressCheck(); }
  void Close() override { ProgressClose(); }
};

WindowProgress g_window;
PassProgress* g_current = &g_window;

}  // namespace

void SetPassProgress(PassProgress* progress) { g_current = progress ? progress : &g_window; }

PassProgress& CurrentPassProgress() { return *g_current; }

}  // namespace engine
