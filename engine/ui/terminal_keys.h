// Decoding what a terminal sends into the keys the window model takes. The terminal library
// (curses with keypad mode) turns escape sequences into key codes; a character arrives as its
// code point. Here those become KeyInput values: control characters become Enter, Tab, Esc,
// Backspace, Ctrl+] (the keyboard-scanner prefix) and Ctrl+letters; Esc followed at once by a
// printable character or a key is that key with Alt; a typed character is taken into
// Windows-1252, and one the code page does not have is refused.
//
// The key sequences that a terminal description may lack (Ctrl+End, Shift+Tab, the function
// keys of xterm and rxvt, ...) are listed once here; the host teaches them to the terminal
// library and binds the codes it gets back.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>

#include "engine/ui/window_model.h"

namespace engine {

// One read from the terminal.
struct TerminalRead {
  enum class Kind : uint8_t { kNone, kChar, kKey };
  Kind kind = Kind::kNone;
  uint32_t value = 0;  // the code point typed, or the terminal library's key code
};

// What a read means.
struct TerminalInput {
  enum class Kind : uint8_t {
    kNone,     // nothing for the program (a lone NUL, an unknown key)
    kKey,      // key
    kRefused,  // a character Windows-1252 has no form for: refused with a beep
    kMouse,    // a mouse event is waiting in the terminal library
    kResize,   // the terminal changed its size
  };
  Kind kind = Kind::kNone;
  KeyInput key;
  // What was read after an Esc without belonging to it (another Esc, a control character):
  // the next input, to be decoded in its turn.
  TerminalRead unread;
};

// A key sequence the host binds where the terminal description has none for it.
struct ExtraKeySequence {
  const char* sequence;
  KeyInput key;
};
std::span<const ExtraKeySequence> ExtraKeySequences();
// Terminal-description capability names of keys with modifiers (extended names such as
// "kEND5"), and the key each stands for.
struct ExtraKeyCapability {
  const char* name;
  KeyInput key;
};
std::span<const ExtraKeyCapability> ExtraKeyCapabilities();

class TerminalKeyDecoder {
 public:
  // Makes a key code of the terminal library (one it assigned to a sequence) mean `key`.
  void Bind(int32_t code, const KeyInput& key) { bound_[code] = key; }
  // Decodes `first`; after an Esc, `next` is asked once for what is already waiting (it must
  // not wait for more).
  TerminalInput Decode(const TerminalRead& first, const std::function<TerminalRead()>& next) const;

 private:
  bool KeyOfCode(int32_t code, KeyInput* key) const;
  std::map<int32_t, KeyInput> bound_;
};

}  // namespace engine
