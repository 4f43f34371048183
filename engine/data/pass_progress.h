// The progress window of long data-file passes (accumulate passes, recalculations, the
// distinct-value list), as a seam: by default the progress window of the window layer; tests put
// their own in.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

class PassProgress {
 public:
  virtual ~PassProgress() = default;
  // Shows the window counting `total` steps (0: an open-ended count).
  [[nodiscard]] virtual Status Open(uint32_t total) = 0;
  // One step; 122 (User Canceled) once the user asked to cancel.
  [[nodiscard]] virtual Status Step() = 0;
  // Shows a line of text (opening a window in text mode when none is open); 122 once the user
  // asked to cancel.
  [[nodiscard]] virtual Status Text(StrRef text) = 0;
  // 122 when the user asked to cancel, else 0; shows nothing new.
  [[nodiscard]] virtual Status Check() = 0;
  virtual void Close() = 0;
};

// The current implementation; null restores the window layer's.
void SetPassProgress(PassProgress* progress);
PassProgress& CurrentPassProgress();

}  // namespace engine
