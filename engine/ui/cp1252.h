// Windows-1252, the engine's text encoding, turned into UTF-8 for a terminal or a log that is
// read on this platform.
#pragma once

#include <string>
#include <string_view>

namespace engine {

// The Unicode code point of a Windows-1252 byte; the five bytes the code page leaves undefined
// map to U+FFFD.
char32_t Cp1252ToUnicode(unsigned char byte);
// Appends `text` (Windows-1252) to `out` as UTF-8.
void AppendUtf8(std::string* out, std::string_view text);

}  // namespace engine
