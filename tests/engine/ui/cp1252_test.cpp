// Windows-1252 and Unicode both ways, and UTF-8 output.
#include "engine/ui/cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace engine {
namespace {

TEST(Cp1252Test, EveryDefinedByteComesBackAndTheUndefinedOnesAreReplaced) {
  const unsigned char undefined[] = {0x81, 0x8D, 0x8F, 0x90, 0x9D};
  for (int b = 0; b < 256; ++b) {
    SCOPED_TRACE(b);
    const char32_t code = Cp1252ToUnicode(static_cast<unsigned char>(b));
    bool is_undefined = false;
    for (unsigned char u : undefined) is_undefined = is_undefined || u == b;
    if (is_undefined) {
      EXPECT_EQ(code, U'\uFFFD');
    } else {
      EXPECT_EQ(UnicodeToCp1252(code), b);
    }
  }
}

TEST(Cp1252Test, CharactersOutsideTheCodePageHaveNoByte) {
  const struct {
    char32_t code;
    int byte;
  } cases[] = {
      {U'A', 'A'},         {U'\u00F1', 0xF1},  // n with tilde
      {U'\u20AC', 0x80},                       // euro sign
      {U'\u2014', 0x97},                       // em dash
      {U'\u0178', 0x9F},                       // Y with diaeresis
      {U'\u0085', -1},  // a C1 control the code page puts other characters on
      {U'\u0100', -1},     {U'\u4E2D', -1},
      {U'\U0001F600', -1}, {U'\uFFFD', -1},  // the replacement character is no character typed
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<uint32_t>(c.code));
    EXPECT_EQ(UnicodeToCp1252(c.code), c.byte);
  }
}

TEST(Cp1252Test, TextIsWrittenAsUtf8) {
  std::string out = "x";
  AppendUtf8(&out, "\x80 a\xF1o \x81");
  EXPECT_EQ(out, "x\u20AC a\u00F1o \uFFFD");
}

TEST(Cp1252Test, Utf8TextIsTakenIntoTheCodePage) {
  const struct {
    const char* text;
    bool ok;
    const char* bytes;
  } cases[] = {
      {"plain", true, "plain"},
      {"a\u00F1o \u20AC5", true,
       "a\xF1o \x80"
       "5"},
      {"\u2014\u0178", true, "\x97\x9F"},
      {"a\xF1o", true, "a\xF1o"},              // no UTF-8: already the code page
      {"\xC3", true, "\xC3"},                  // a sequence cut short
      {"\xC0\x80", true, "\xC0\x80"},          // an overlong NUL is no UTF-8
      {"\xED\xA0\x80", true, "\xED\xA0\x80"},  // nor is a surrogate
      {"\u4E2D", false, "kept"},
      {"x\U0001F600", false, "kept"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    std::string out = "kept";
    EXPECT_EQ(Cp1252FromUtf8(c.text, &out), c.ok);
    EXPECT_EQ(out, c.bytes);
  }
}

}  // namespace
}  // namespace engine
