// StrRef: the engine's string value, a pointer and a 16-bit length with no terminator.
// A StrRef never owns its bytes: they live in the StringArea, in StringSlots, in a record
// buffer or in static text, and the owner decides how long they stay valid. A null pointer
// makes a status value instead of a string: its length field then carries a Status, and a
// null pointer with length 0 stands for 0xFFFF ("nothing").
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/core/status.h"

namespace engine {

// Longest string a StrRef can describe. Operations whose result would be longer report
// kStringTooLong instead of cutting the length to 16 bits.
inline constexpr size_t kMaxStrLen = 0xFFFF;

struct StrRef {
  const char* ptr = nullptr;
  uint16_t len = 0;

  constexpr bool IsStatus() const { return ptr == nullptr; }
  constexpr bool empty() const { return len == 0; }
  constexpr const char* begin() const { return ptr; }
  constexpr const char* end() const { return ptr + len; }
  constexpr char operator[](size_t i) const { return ptr[i]; }
  constexpr unsigned char byte(size_t i) const { return static_cast<unsigned char>(ptr[i]); }
  // The bytes as a string_view; a status value views as empty.
  constexpr std::string_view view() const {
    return ptr ? std::string_view(ptr, len) : std::string_view();
  }
};

// Status of a value: 0 for a string, else the carried status (0xFFFF when it carries 0).
constexpr Status StrCheck(StrRef s) {
  if (s.ptr) return kOk;
  return s.len ? s.len : kNothing;
}

constexpr StrRef StrError(Status status) { return StrRef{nullptr, status.code()}; }

// Keeps only the low 16 bits of the length, as the engine's internal callers expect.
constexpr StrRef StrMake(const char* p, size_t length) {
  return StrRef{p, static_cast<uint16_t>(length)};
}

// A view of a string_view; longer views than kMaxStrLen are kStringTooLong.
constexpr StrRef StrView(std::string_view v) {
  if (v.size() > kMaxStrLen) return StrError(kStringTooLong);
  return StrRef{v.data() ? v.data() : "", static_cast<uint16_t>(v.size())};
}

// A NUL-terminated text. A null text is kBadInputData; a text longer than kMaxStrLen is
// kStringTooLong rather than a view of its first bytes.
inline StrRef StrFromC(const char* text) {
  if (!text) return StrError(kBadInputData);
  return StrView(std::string_view(text));
}

// A view of a string literal, for the engine's constant texts.
template <size_t N>
constexpr StrRef StrLit(const char (&text)[N]) {
  static_assert(N - 1 <= kMaxStrLen, "literal too long for a StrRef");
  return StrRef{text, static_cast<uint16_t>(N - 1)};
}

inline std::string ToString(StrRef s) { return std::string(s.view()); }

}  // namespace engine
