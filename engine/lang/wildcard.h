// The wildcard form of string equality: a pattern with '*' matches in capitals, either by its
// prefix up to the first '*' or, with '*' first, by the text up to the next '*' occurring
// anywhere in the other string.
#pragma once

#include "engine/core/str_ref.h"

namespace engine {

inline constexpr char kWildcard = '*';

// Whether `text` matches `pattern` (which holds kWildcard): with the first '*' at position
// k > 0, when the first k bytes of both are equal; with '*' first, when the bytes after it up to
// the next '*' (or the end) occur in text. Letters are compared in capitals.
bool WildcardMatch(StrRef text, StrRef pattern);

}  // namespace engine
