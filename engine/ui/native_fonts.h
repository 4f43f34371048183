// The host's fonts made from the user fonts (fonts.h): controls ask for font 0 (the system
// font) or font 2 (the top user font, or the fixed-pitch OEM font when there is none); the
// metrics of the current font give the cell size of the character grid.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/ui/fonts.h"
#include "engine/ui/window_host.h"

namespace engine {

inline constexpr uint16_t kFontSystem = 0;
inline constexpr uint16_t kFontUser = 2;

// The font a user font's native font is made from: height - 3, width - max(width / 16, 1), its
// weight and face. A height or width of -1 takes the cell height or width that the fonts below
// it give.
FontDesc NativeFontDesc(const UserFont& font);
// The host's font for font number 0 or 2; kNoFont for any other number.
FontHandle FontHandleFor(uint16_t font_number);
// Applies font 0 or 2 to a control; any other number sets nothing and answers 163.
[[nodiscard]] Status FontApply(WinHandle control, uint16_t font_number);
// The metrics of the current font: the top user font, else the desktop's default font.
TextMetrics CurrentFontMetrics();

}  // namespace engine
