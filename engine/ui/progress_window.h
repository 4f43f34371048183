// The progress window of long operations: a modal popup with a bar (or a line of text) and a
// Cancel button. Each step keeps the windows alive by pumping their events; once the user has
// pressed Cancel (or Esc, or closed the window) every step answers 122 (User Canceled).
//
// The progress state can be prepared without showing anything; a step with no window open
// opens one in bar mode with the prepared width and total (400 pixels when no width was given),
// a text with no window open opens a 400-pixel window in text mode.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/ui/window_host.h"

namespace engine {

inline constexpr int32_t kProgressDefaultWidth = 400;
inline constexpr uint32_t kProgressWrapUnits = 200;
inline constexpr uint32_t kProgressPollMilliseconds = 32;

// Opens the window (reused when one is open): titled with message 0016, centred on the screen,
// width + 40 by 90 pixels plus the frame, a bar of `width` by 17 pixels at (20, 10) or, in text
// mode, a line of text, and the Cancel button (message 0020, identifier 1110) at (width - 50,
// 35). A total of 0 means 200 units with wrapping; a total above 65535 is halved (and the step
// divisor doubled) until it fits 16 bits. 170 when the bar cannot be made (the window stays).
[[nodiscard]] Status ProgressOpen(int32_t width, uint32_t total, bool text_mode);
// Prepares width, total and mode for the next open, showing nothing.
void ProgressPrepare(int32_t width, uint32_t total, bool text_mode);
// Adds units (1 when 0) and moves the bar; in wrapping mode the position goes back to 1 after
// 200. 122 once cancelled.
[[nodiscard]] Status ProgressStep(uint32_t units);
// Shows the text centred, white on grey. 122 once cancelled.
[[nodiscard]] Status ProgressText(StrRef text);
// Pumps the window's events: 122 once cancelled, else 0.
[[nodiscard]] Status ProgressCheck();
// A step at most every 32 milliseconds (between them only the check).
[[nodiscard]] Status ProgressPoll();
bool ProgressCancelled();
bool ProgressIsOpen();
// The bar's position and range, for whoever shows or tests it.
int32_t ProgressPosition();
uint32_t ProgressTotal();
WinHandle ProgressWindowHandle();
// Destroys the window and resets the progress state.
void ProgressClose();

}  // namespace engine
