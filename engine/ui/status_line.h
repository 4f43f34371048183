// The status line: the main window's title doubles as one. Its text is
// " %s  |  %s  |  %s %s |  " followed by a trailing text and two blanks, filled with the
// application title (or a text the caller passes), today's date in the short style, the
// database name (field 2 of the environment's database connection list, trimmed) and the name
// part of the current working folder.
#pragma once

#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kStatusLineFormat = StrLit(" %s  |  %s  |  %s %s |  %s  ");
inline constexpr StrRef kStatusLineTrailer = StrLit("orvendal");

// The status line with `first` as its first value (the application title, StringSlots item
// (0, 3), when `first` is empty). A new temporary.
StrRef StatusLineText(StrRef first);

}  // namespace engine
