// Terminal input to keys: the key-code table of the terminal library, control characters, Alt
// by an Esc prefix, and characters taken into Windows-1252.
#include "engine/ui/terminal_keys.h"

#include <curses.h>

#include <array>

#include "engine/ui/cp1252.h"

namespace engine {

namespace {

constexpr uint32_t kEsc = 27;
constexpr uint32_t kScannerPrefix = 29;  // Ctrl+]

constexpr KeyInput Key(uint16_t vk, uint16_t mods = 0, char ch = 0) { return {vk, mods, ch}; }
constexpr KeyInput Function(int n) { return Key(static_cast<uint16_t>(kVkF1 + n - 1)); }

struct CodeKey {
  int32_t code;
  KeyInput key;
};

// The terminal library's own key codes.
constexpr CodeKey kCodeKeys[] = {
    {KEY_UP, Key(kVkUp)},
    {KEY_DOWN, Key(kVkDown)},
    {KEY_LEFT, Key(kVkLeft)},
    {KEY_RIGHT, Key(kVkRight)},
    {KEY_HOME, Key(kVkHome)},
    {KEY_END, Key(kVkEnd)},
    {KEY_A1, Key(kVkHome)},
    {KEY_A3, Key(kVkPrior)},
    {KEY_C1, Key(kVkEnd)},
    {KEY_C3, Key(kVkNext)},
    {KEY_PPAGE, Key(kVkPrior)},
    {KEY_NPAGE, Key(kVkNext)},
    {KEY_IC, Key(kVkInsert)},
    {KEY_DC, Key(kVkDelete)},
    {KEY_BACKSPACE, Key(kVkBack, 0, 8)},
    {KEY_ENTER, Key(kVkReturn, 0, '\r')},
    {KEY_BTAB, Key(kVkTab, kModShift, '\t')},
    {KEY_SHOME, Key(kVkHome, kModShift)},
    {KEY_SEND, Key(kVkEnd, kModShift)},
};

constexpr ExtraKeySequence kExtraSequences[] = {
    {"\033[1;5F", Key(kVkEnd, kModCtrl)},
    {"\033[4;5~", Key(kVkEnd, kModCtrl)},
    {"\033[8^", Key(kVkEnd, kModCtrl)},
    {"\033[Z", Key(kVkTab, kModShift, '\t')},
    {"\033OP", Function(1)},
    {"\033OQ", Function(2)},
    {"\033OR", Function(3)},
    {"\033OS", Function(4)},
    {"\033[11~", Function(1)},
    {"\033[12~", Function(2)},
    {"\033[13~", Function(3)},
    {"\033[14~", Function(4)},
    {"\033[[A", Function(1)},
    {"\033[[B", Function(2)},
    {"\033[[C", Function(3)},
    {"\033[[D", Function(4)},
    {"\033[[E", Function(5)},
    {"\033[15~", Function(5)},
    {"\033[17~", Function(6)},
    {"\033[18~", Function(7)},
    {"\033[19~", Function(8)},
    {"\033[20~", Function(9)},
    {"\033[21~", Function(10)},
    {"\033[23~", Function(11)},
    {"\033[24~", Function(12)},
    {"\033[A", Key(kVkUp)},
    {"\033[B", Key(kVkDown)},
    {"\033[C", Key(kVkRight)},
    {"\033[D", Key(kVkLeft)},
    {"\033OA", Key(kVkUp)},
    {"\033OB", Key(kVkDown)},
    {"\033OC", Key(kVkRight)},
    {"\033OD", Key(kVkLeft)},
    {"\033[H", Key(kVkHome)},
    {"\033[F", Key(kVkEnd)},
    {"\033OH", Key(kVkHome)},
    {"\033OF", Key(kVkEnd)},
    {"\033[1~", Key(kVkHome)},
    {"\033[4~", Key(kVkEnd)},
    {"\033[7~", Key(kVkHome)},
    {"\033[8~", Key(kVkEnd)},
    {"\033[2~", Key(kVkInsert)},
    {"\033[3~", Key(kVkDelete)},
    {"\033[5~", Key(kVkPrior)},
    {"\033[6~", Key(kVkNext)},
};

constexpr ExtraKeyCapability kExtraCapabilities[] = {
    {"kEND5", Key(kVkEnd, kModCtrl)},   {"kHOM5", Key(kVkHome, kModCtrl)},
    {"kUP5", Key(kVkUp, kModCtrl)},     {"kDN5", Key(kVkDown, kModCtrl)},
    {"kLFT5", Key(kVkLeft, kModCtrl)},  {"kRIT5", Key(kVkRight, kModCtrl)},
    {"kDC5", Key(kVkDelete, kModCtrl)},
};

// A control character as the key that sends it; false for none.
bool ControlKey(uint32_t ch, KeyInput* key) {
  switch (ch) {
    case '\r':
    case '\n':
      *key = Key(kVkReturn, 0, '\r');
      return true;
    case '\t':
      *key = Key(kVkTab, 0, '\t');
      return true;
    case kEsc:
      *key = Key(kVkEscape, 0, static_cast<char>(kEsc));
      return true;
    case 8:
    case 127:
      *key = Key(kVkBack, 0, 8);
      return true;
    case kScannerPrefix:
      *key = Key(kVkCloseBracket, kModCtrl, static_cast<char>(kScannerPrefix));
      return true;
    case 0:
      return false;
    default:
      break;
  }
  if (ch >= 1 && ch <= 26) {
    *key = Key(static_cast<uint16_t>('A' + ch - 1), kModCtrl, static_cast<char>(ch));
    return true;
  }
  *key = Key(0, kModCtrl, static_cast<char>(ch));
  return true;
}

}  // namespace

std::span<const ExtraKeySequence> ExtraKeySequences() { return kExtraSequences; }
std::span<const ExtraKeyCapability> ExtraKeyCapabilities() { return kExtraCapabilities; }

bool TerminalKeyDecoder::KeyOfCode(int32_t code, KeyInput* key) const {
  if (code >= KEY_F(1) && code <= KEY_F(12)) {
    *key = Function(code - KEY_F0);
    return true;
  }
  for (const CodeKey& k : kCodeKeys) {
    if (k.code == code) {
      *key = k.key;
      return true;
    }
  }
  auto it = bound_.find(code);
  if (it == bound_.end()) return false;
  *key = it->second;
  return true;
}

TerminalInput TerminalKeyDecoder::Decode(const TerminalRead& first,
                                         const std::function<TerminalRead()>& next) const {
  TerminalInput input;
  switch (first.kind) {
    case TerminalRead::Kind::kNone:
      return input;
    case TerminalRead::Kind::kKey: {
      const int32_t code = static_cast<int32_t>(first.value);
      if (code == KEY_MOUSE) {
        input.kind = TerminalInput::Kind::kMouse;
      } else if (code == KEY_RESIZE) {
        input.kind = TerminalInput::Kind::kResize;
      } else if (KeyOfCode(code, &input.key)) {
        input.kind = TerminalInput::Kind::kKey;
      }
      return input;
    }
    case TerminalRead::Kind::kChar:
      break;
  }
  const uint32_t ch = first.value;
  if (ch == kEsc) {
    // Esc and, waiting already, what it prefixes: Alt and that key.
    const TerminalRead after = next();
    input.kind = TerminalInput::Kind::kKey;
    input.key = Key(kVkEscape, 0, static_cast<char>(kEsc));
    KeyInput key;
    if (after.kind == TerminalRead::Kind::kKey) {
      if (KeyOfCode(static_cast<int32_t>(after.value), &key)) {
        input.key = Key(key.vk, static_cast<uint16_t>(key.mods | kModAlt));
      } else {
        input.unread = after;
      }
    } else if (after.kind == TerminalRead::Kind::kChar && after.value >= 32 && after.value != 127) {
      const int byte = UnicodeToCp1252(after.value);
      input.key = Key(byte >= 0 ? CharKey(static_cast<char>(byte)).vk : 0, kModAlt);
    } else {
      input.unread = after;
    }
    return input;
  }
  if (ch < 32 || ch == 127) {
    if (ControlKey(ch, &input.key)) input.kind = TerminalInput::Kind::kKey;
    return input;
  }
  const int byte = UnicodeToCp1252(ch);
  if (byte < 0) {
    input.kind = TerminalInput::Kind::kRefused;
    return input;
  }
  input.kind = TerminalInput::Kind::kKey;
  input.key = CharKey(static_cast<char>(byte));
  return input;
}

}  // namespace engine
