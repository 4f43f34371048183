// Windows-1252 to Unicode and back, and to UTF-8.
#include "engine/ui/cp1252.h"

#include <array>

namespace engine {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

}  // namespace

char32_t Cp1252ToUnicode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

int UnicodeToCp1252(char32_t code) {
  if (code == kReplacement) return -1;
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) return static_cast<int>(code);
  for (size_t i = 0; i < kHighControls.size(); ++i) {
    if (kHighControls[i] == code) return static_cast<int>(0x80 + i);
  }
  return -1;
}

void AppendUtf8(std::string* out, std::string_view text) {
  for (const char c : text) {
    const char32_t u = Cp1252ToUnicode(static_cast<unsigned char>(c));
    if (u < 0x80) {
      *out += static_cast<char>(u);
    } else if (u < 0x800) {
      *out += static_cast<char>(0xC0 | (u >> 6));
      *out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      *out += static_cast<char>(0xE0 | (u >> 12));
      *out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      *out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
}

}  // namespace engine
