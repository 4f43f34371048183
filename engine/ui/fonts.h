// The user fonts: a stack of at most 7 fonts, the newest being the current one. Each program adds
// its default font before the engine starts (so the stack lives outside the engine's memory), and
// the first entry of the font file "QNFONT.PPN" joins them at start-up. The window layer makes
// native fonts from these entries.
#pragma once

#include <array>
#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr uint16_t kUserFontLimit = 7;
inline constexpr size_t kFontFaceLimit = 32;  // a face name this long or longer is not taken
inline constexpr StrRef kFontFile = StrLit("QNFONT.PPN");

struct UserFont {
  int16_t height = 0;
  int16_t width = 0;
  uint16_t weight = 400;
  std::array<char, kFontFaceLimit> face{};  // NUL-terminated
};

// Pushes a font: weight 0 means 400 and 1 means 700; a face of kFontFaceLimit bytes or more
// leaves the face empty. With 7 fonts already there the font is ignored (168).
Status AddFont(int16_t height, int16_t width, uint16_t weight, StrRef face);
uint16_t FontCount();
// Font n from the oldest (0); null beyond the count.
const UserFont* FontAt(uint16_t n);
// The newest font; null when there is none.
const UserFont* CurrentFont();
void FontsClear();

// Adds the font of an entry of the font file ("height;width;style;face"): the integers of
// fields 1 and 2, weight 700 when field 3 holds BOLD in any case (else 400), field 4 trimmed as
// the face.
Status AddFontEntry(StrRef entry);

}  // namespace engine
