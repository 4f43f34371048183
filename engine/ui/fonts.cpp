// The user fonts.
#include "engine/ui/fonts.h"

#include <algorithm>

#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"

namespace engine {

namespace {

struct FontStack {
  std::array<UserFont, kUserFontLimit> fonts{};
  uint16_t count = 0;
};

FontStack& Fonts() {
  static FontStack stack;
  return stack;
}

}  // namespace

Status AddFont(int16_t height, int16_t width, uint16_t weight, StrRef face) {
  FontStack& stack = Fonts();
  if (stack.count >= kUserFontLimit) return kDataOutBound;
  UserFont font;
  font.height = height;
  font.width = width;
  font.weight = weight == 0 ? 400 : weight == 1 ? 700 : weight;
  if (!face.IsStatus() && face.len < kFontFaceLimit) {
    std::copy(face.begin(), face.end(), font.face.begin());
  }
  stack.fonts[stack.count++] = font;
  return kOk;
}

uint16_t FontCount() { return Fonts().count; }

const UserFont* FontAt(uint16_t n) {
  const FontStack& stack = Fonts();
  return n < stack.count ? &stack.fonts[n] : nullptr;
}

const UserFont* CurrentFont() {
  const FontStack& stack = Fonts();
  return stack.count ? &stack.fonts[stack.count - 1] : nullptr;
}

void FontsClear() { Fonts() = FontStack{}; }

Status AddFontEntry(StrRef entry) {
  if (entry.IsStatus()) return StrCheck(entry);
  StrAreaScope scope;
  const int32_t height = ListFieldInt(entry, ';', 1);
  const int32_t width = ListFieldInt(entry, ';', 2);
  const bool bold =
      StrFindText(StrUpper(ListField(entry, ';', 3)), StrLit("BOLD"), true) != kNothing;
  const StrRef face = StrTrim(ListField(entry, ';', 4), kTrimBoth);
  return AddFont(static_cast<int16_t>(height), static_cast<int16_t>(width), bold ? 700 : 400, face);
}

}  // namespace engine
