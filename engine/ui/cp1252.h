// Windows-1252, the engine's text encoding, and Unicode: shown as UTF-8 on a terminal or in a
// log read on this platform, and typed characters taken back into the code page. One table
// serves both directions.
#pragma once

#include <string>
#include <string_view>

namespace engine {

// The Unicode code point of a Windows-1252 byte; the five bytes the code page leaves undefined
// map to U+FFFD.
char32_t Cp1252ToUnicode(unsigned char byte);
// The Windows-1252 byte of a code point; -1 when the code page has no such character (U+FFFD
// included).
int UnicodeToCp1252(char32_t code);
// Appends `text` (Windows-1252) to `out` as UTF-8.
void AppendUtf8(std::string* out, std::string_view text);
// `text` taken to Windows-1252: its UTF-8 sequences become their code page bytes, and a text
// that is no UTF-8 at all is taken as Windows-1252 already. False (and `out` unchanged) when a
// character has no Windows-1252 form.
bool Cp1252FromUtf8(std::string_view text, std::string* out);

}  // namespace engine
