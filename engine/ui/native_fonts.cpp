// Native fonts of the user fonts and the metrics of the current one.
#include "engine/ui/native_fonts.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

// The native font of the top user font, with the spec and the host it was made for.
struct NativeCache {
  FontHandle font = kNoFont;
  FontSpec spec;
  char face[kFontFaceLimit] = {};
  WindowHost* host = nullptr;
};

NativeCache g_cache;

TextMetrics StockMetrics() {
  WindowHost& host = CurrentWindowHost();
  return host.GetTextMetrics(host.GetStockFont(StockFont::kSystem));
}

FontSpec SpecOver(const UserFont& font, const TextMetrics& below) {
  const int32_t height = font.height == -1 ? below.height + 3 : font.height;
  const int32_t width = font.width == -1 ? below.average_width + 1 : font.width;
  FontSpec spec;
  spec.height = height - 3;
  spec.width = width - std::max(width / 16, 1);
  spec.weight = font.weight;
  spec.face = StrFromC(font.face.data());
  return spec;
}

// The spec of user font n, each -1 resolved with the fonts below it.
FontSpec SpecAt(uint16_t n) {
  TextMetrics below = StockMetrics();
  FontSpec spec;
  for (uint16_t i = 0; i <= n; ++i) {
    spec = SpecOver(*FontAt(i), below);
    below = TextMetrics{spec.height, spec.width};
  }
  return spec;
}

bool SameSpec(const NativeCache& cache, const FontSpec& spec) {
  return cache.spec.height == spec.height && cache.spec.width == spec.width &&
         cache.spec.weight == spec.weight && std::string_view(cache.face) == spec.face.view();
}

}  // namespace

FontSpec NativeFontSpec(const UserFont& font) {
  for (uint16_t n = 0; n < FontCount(); ++n) {
    if (FontAt(n) == &font) return SpecAt(n);
  }
  return SpecOver(font, StockMetrics());
}

FontHandle FontHandleFor(uint16_t font_number) {
  WindowHost& host = CurrentWindowHost();
  if (font_number == kFontSystem) return host.GetStockFont(StockFont::kSystem);
  if (font_number != kFontUser) return kNoFont;
  const uint16_t count = FontCount();
  if (count == 0) return host.GetStockFont(StockFont::kOemFixed);
  const FontSpec spec = SpecAt(static_cast<uint16_t>(count - 1));
  if (g_cache.font == kNoFont || g_cache.host != &host || !SameSpec(g_cache, spec)) {
    g_cache = NativeCache{};
    g_cache.font = host.CreateFont(spec);
    g_cache.spec = spec;
    std::memcpy(g_cache.face, spec.face.ptr, std::min<size_t>(spec.face.len, kFontFaceLimit - 1));
    g_cache.spec.face = StrRef{};
    g_cache.host = &host;
  }
  return g_cache.font;
}

Status FontApply(WinHandle control, uint16_t font_number) {
  const FontHandle font = FontHandleFor(font_number);
  if (font == kNoFont) return kBadInputData;
  CurrentWindowHost().SetControlFont(control, font);
  return kOk;
}

TextMetrics CurrentFontMetrics() {
  if (FontCount() == 0) return StockMetrics();
  return CurrentWindowHost().GetTextMetrics(FontHandleFor(kFontUser));
}

}  // namespace engine
