// Windows-1252 to Unicode and back, and to UTF-8.
#include "engine/ui/cp1252.h"

#include <array>
#include <utility>

namespace engine {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

// Decodes one UTF-8 sequence at `at`; false when the bytes there form none.
bool DecodeUtf8(std::string_view text, size_t* at, char32_t* code) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(*at);
  size_t length = 0;
  char32_t value = 0;
  char32_t least = 0;
  if (lead < 0x80) {
    *code = lead;
    ++*at;
    return true;
  }
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    value = lead & 0x1F;
    least = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    value = lead & 0x0F;
    least = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    value = lead & 0x07;
    least = 0x10000;
  } else {
    return false;
  }
  if (*at + length > text.size()) return false;
  for (size_t i = 1; i < length; ++i) {
    if ((byte(*at + i) & 0xC0) != 0x80) return false;
    value = (value << 6) | (byte(*at + i) & 0x3F);
  }
  if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *code = value;
  *at += length;
  return true;
}

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

bool Cp1252FromUtf8(std::string_view text, std::string* out) {
  std::string converted;
  converted.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
    char32_t code = 0;
    if (!DecodeUtf8(text, &at, &code)) {
      *out = std::string(text);
      return true;
    }
    const int byte = UnicodeToCp1252(code);
    if (byte < 0) return false;
    converted += static_cast<char>(byte);
  }
  *out = std::move(converted);
  return true;
}

}  // namespace engine
