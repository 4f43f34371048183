// Bracket expansion: the engine's template mechanism, used by MACRO$ and by print documents,
// messages and paths. Every "[content]" of a text is replaced by the content's value: the value
// of a name (from a NAME=value list, the command line or the environment) or the content
// evaluated as an expression.
#pragma once

#include <cstdint>

#include "engine/core/str_ref.h"

namespace engine {

// Flags of BracketExpand.
inline constexpr uint16_t kBracketInQuotes = 1;    // brackets inside quotes are expanded too
inline constexpr uint16_t kBracketUntrimmed = 2;   // values keep their blanks
inline constexpr uint16_t kBracketNamesFirst = 4;  // names first, then expressions
inline constexpr uint16_t kBracketEvaluate = 8;    // MACRO$: the result is evaluated
inline constexpr uint16_t kBracketZeroEmpty = 16;  // a number 0 gives the empty text, not "0"
inline constexpr uint16_t kBracketPad = 32;        // values padded to their bracket's width
inline constexpr uint16_t kBracketPadZeros = 64;   // ... with zeros on the left, not blanks
inline constexpr uint16_t kBracketRescan = 128;    // after each value search from the start
inline constexpr uint16_t kBracketEscapes = 256;   // "\{" and "\}" become "[" and "]" at the end

// Rescanning stops with 159 (STROUTBOUND) after this many values, so that a value that brings
// back its own bracket cannot expand forever.
inline constexpr uint16_t kBracketMaxRescans = 256;

// The text with every innermost "[content]" (the last '[' before the first ']') replaced, from
// left to right:
// - with kBracketNamesFirst, by the value of the name in `names` (a comma list of NAME=value),
//   else of that command-line option (StringSlots item (0, 1)), else of that environment
//   variable; when none has a value, or without the flag,
// - by the content evaluated: a string as it is, a number as its canonical text ("0" for zero
//   unless kBracketZeroEmpty). A failing evaluation ends the expansion with its status.
// Values are trimmed unless kBracketUntrimmed; kBracketPad pads a value to the width of its
// "[content]" (blanks on the right, or zeros on the left with kBracketPadZeros), never cutting it.
// Pushed.
StrRef BracketExpand(StrRef text, uint16_t flags, StrRef names);

}  // namespace engine
