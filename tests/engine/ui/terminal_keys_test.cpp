// What a terminal sends, decoded into keys: control characters, the Esc prefix of Alt, the key
// codes of the terminal library and the codes the host binds, characters taken into
// Windows-1252 or refused.
#include "engine/ui/terminal_keys.h"

#include <curses.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace engine {
namespace {

using Kind = TerminalInput::Kind;

TerminalRead Char(uint32_t code) { return {TerminalRead::Kind::kChar, code}; }
TerminalRead Code(int code) { return {TerminalRead::Kind::kKey, static_cast<uint32_t>(code)}; }
constexpr TerminalRead kNothing{};
constexpr int kBoundCode = 0x2000;

TEST(TerminalKeysTest, ReadsBecomeKeys) {
  const struct {
    const char* name;
    TerminalRead first;
    TerminalRead waiting;  // what follows at once (asked only after an Esc)
    Kind kind;
    KeyInput key;
  } cases[] = {
      {"letter", Char('a'), kNothing, Kind::kKey, {'A', 0, 'a'}},
      {"digit", Char('7'), kNothing, Kind::kKey, {'7', 0, '7'}},
      {"space", Char(' '), kNothing, Kind::kKey, {kVkSpace, 0, ' '}},
      {"n tilde", Char(0xF1), kNothing, Kind::kKey, {0, 0, '\xF1'}},
      {"euro", Char(0x20AC), kNothing, Kind::kKey, {0, 0, '\x80'}},
      {"no such character", Char(0x4E2D), kNothing, Kind::kRefused, {}},
      {"C1 control", Char(0x85), kNothing, Kind::kRefused, {}},
      {"return", Char('\r'), kNothing, Kind::kKey, {kVkReturn, 0, '\r'}},
      {"line feed", Char('\n'), kNothing, Kind::kKey, {kVkReturn, 0, '\r'}},
      {"tab", Char('\t'), kNothing, Kind::kKey, {kVkTab, 0, '\t'}},
      {"delete char", Char(127), kNothing, Kind::kKey, {kVkBack, 0, 8}},
      {"backspace", Char(8), kNothing, Kind::kKey, {kVkBack, 0, 8}},
      {"scanner prefix", Char(29), kNothing, Kind::kKey, {kVkCloseBracket, kModCtrl, 29}},
      {"ctrl letter", Char(3), kNothing, Kind::kKey, {'C', kModCtrl, 3}},
      {"nul", Char(0), kNothing, Kind::kNone, {}},
      {"esc alone", Char(27), kNothing, Kind::kKey, {kVkEscape, 0, 27}},
      {"esc esc", Char(27), Char(27), Kind::kKey, {kVkEscape, 0, 27}},
      {"esc enter", Char(27), Char('\r'), Kind::kKey, {kVkEscape, 0, 27}},
      {"alt letter", Char(27), Char('f'), Kind::kKey, {'F', kModAlt, 0}},
      {"alt arrow", Char(27), Code(KEY_UP), Kind::kKey, {kVkUp, kModAlt, 0}},
      {"up", Code(KEY_UP), kNothing, Kind::kKey, {kVkUp, 0, 0}},
      {"page down", Code(KEY_NPAGE), kNothing, Kind::kKey, {kVkNext, 0, 0}},
      {"keypad page up", Code(KEY_A3), kNothing, Kind::kKey, {kVkPrior, 0, 0}},
      {"end", Code(KEY_END), kNothing, Kind::kKey, {kVkEnd, 0, 0}},
      {"back tab", Code(KEY_BTAB), kNothing, Kind::kKey, {kVkTab, kModShift, '\t'}},
      {"keypad enter", Code(KEY_ENTER), kNothing, Kind::kKey, {kVkReturn, 0, '\r'}},
      {"backspace key", Code(KEY_BACKSPACE), kNothing, Kind::kKey, {kVkBack, 0, 8}},
      {"F1", Code(KEY_F(1)), kNothing, Kind::kKey, {kVkF1, 0, 0}},
      {"F10", Code(KEY_F(10)), kNothing, Kind::kKey, {kVkF10, 0, 0}},
      {"F11", Code(KEY_F(11)), kNothing, Kind::kKey, {kVkF11, 0, 0}},
      {"F12", Code(KEY_F(12)), kNothing, Kind::kKey, {kVkF12, 0, 0}},
      {"F13 is no key here", Code(KEY_F(13)), kNothing, Kind::kNone, {}},
      {"bound ctrl end", Code(kBoundCode), kNothing, Kind::kKey, {kVkEnd, kModCtrl, 0}},
      {"unbound code", Code(kBoundCode + 1), kNothing, Kind::kNone, {}},
      {"mouse", Code(KEY_MOUSE), kNothing, Kind::kMouse, {}},
      {"resize", Code(KEY_RESIZE), kNothing, Kind::kResize, {}},
      {"nothing", kNothing, kNothing, Kind::kNone, {}},
  };
  TerminalKeyDecoder decoder;
  decoder.Bind(kBoundCode, KeyInput{kVkEnd, kModCtrl, 0});
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    int asked = 0;
    const TerminalInput input = decoder.Decode(c.first, [&] {
      ++asked;
      return c.waiting;
    });
    EXPECT_EQ(input.kind, c.kind);
    const bool esc = c.first.kind == TerminalRead::Kind::kChar && c.first.value == 27;
    EXPECT_EQ(asked, esc ? 1 : 0);
    // What follows an Esc without being part of it is left to be read next.
    const bool left = esc && c.waiting.kind == TerminalRead::Kind::kChar &&
                      (c.waiting.value == 27 || c.waiting.value < 32);
    EXPECT_EQ(input.unread.kind, left ? c.waiting.kind : TerminalRead::Kind::kNone);
    EXPECT_EQ(input.unread.value, left ? c.waiting.value : 0u);
    if (c.kind != Kind::kKey) continue;
    EXPECT_EQ(input.key.vk, c.key.vk);
    EXPECT_EQ(input.key.mods, c.key.mods);
    EXPECT_EQ(input.key.ch, c.key.ch);
  }
}

TEST(TerminalKeysTest, TheExtraSequencesAreEscapeSequencesBoundOnce) {
  std::vector<std::string> seen;
  bool ctrl_end = false;
  for (const ExtraKeySequence& extra : ExtraKeySequences()) {
    const std::string sequence = extra.sequence;
    SCOPED_TRACE(sequence.substr(1));
    ASSERT_GE(sequence.size(), 3u);
    EXPECT_EQ(sequence[0], '\033');
    for (const std::string& other : seen) EXPECT_NE(other, sequence);
    seen.push_back(sequence);
    ctrl_end = ctrl_end ||
               (sequence == "\033[1;5F" && extra.key.vk == kVkEnd && extra.key.mods == kModCtrl);
  }
  EXPECT_TRUE(ctrl_end) << "the xterm Ctrl+End";
}

}  // namespace
}  // namespace engine
