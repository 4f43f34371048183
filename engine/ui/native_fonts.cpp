// Native fonts of the user fonts and the metrics of the current one.
#include "engine/ui/native_fonts.h"

#include <algorithm>
#include <cstring>

namespace engine {

namespace {

// The native font of the top user font, with the description and the host it was made for.
struct NativeCache {
  FontHandle font = kNoFont;
  FontDesc desc;
  char face[kFontFaceLimit] = {};
  WindowHost* host = nullptr;
};

NativeCache g_cache;

TextMetrics StockMetrics() {
  WindowHost& host = CurrentWindowHost();
  return host.GetTextMetrics(host.GetStockFont(StockFont::kSystem));
}

FontDesc DescOver(const UserFont& font, const TextMetrics& below) {
  const int32_t height = font.height == -1 ? below.height + 3 : font.height;
  const int32_t width = font.width == -1 ? below.average_width + 1 : font.width;
  FontDesc desc;
  desc.height = height - 3;
  desc.width = width - std::max(width / 16, 1);
  desc.weight = font.weight;
  desc.face = StrFromC(font.face.data());
  return desc;
}

// The description of user font n, each -1 resolved with the fonts below it.
FontDesc DescAt(uint16_t n) {
  TextMetrics below = StockMetrics();
  FontDesc desc;
  for (uint16_t i = 0; i <= n; ++i) {
    desc = DescOver(*FontAt(i), below);
    below = TextMetrics{desc.height, desc.width};
  }
  return desc;
}

bool SameDesc(const NativeCache& cache, const FontDesc& desc) {
  return cache.desc.height == desc.height && cache.desc.width == desc.width &&
         cache.desc.weight == desc.weight && std::string_view(cache.face) == desc.face.view();
}

}  // namespace

FontDesc NativeFontDesc(const UserFont& font) {
  for (uint16_t n = 0; n < FontCount(); ++n) {
    if (FontAt(n) == &font) return DescAt(n);
  }
  return DescOver(font, StockMetrics());
}

FontHandle FontHandleFor(uint16_t font_number) {
  WindowHost& host = CurrentWindowHost();
  if (font_number == kFontSystem) return host.GetStockFont(StockFont::kSystem);
  if (font_number != kFontUser) return kNoFont;
  const uint16_t count = FontCount();
  if (count == 0) return host.GetStockFont(StockFont::kOemFixed);
  const FontDesc desc = DescAt(static_cast<uint16_t>(count - 1));
  if (g_cache.font == kNoFont || g_cache.host != &host || !SameDesc(g_cache, desc)) {
    g_cache = NativeCache{};
    g_cache.font = host.CreateFont(desc);
    g_cache.desc = desc;
    std::memcpy(g_cache.face, desc.face.ptr, std::min<size_t>(desc.face.len, kFontFaceLimit - 1));
    g_cache.desc.face = StrRef{};
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
