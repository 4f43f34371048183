// Wildcard matching of strings.
#include "engine/lang/wildcard.h"

#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"

namespace engine {

bool WildcardMatch(StrRef text, StrRef pattern) {
  if (text.IsStatus() || pattern.IsStatus()) return false;
  const uint16_t star = StrFindChar(pattern, 0, kWildcard, true);
  if (star == kNothing) return false;
  StrAreaScope scope;
  if (star > 0) {
    if (text.len < star) return false;
    const StrRef head = StrUpper(StrSub(text, 0, star));
    const StrRef prefix = StrUpper(StrSub(pattern, 0, star));
    return !head.IsStatus() && !prefix.IsStatus() && head.view() == prefix.view();
  }
  const uint16_t next = StrFindChar(pattern, 1, kWildcard, true);
  const StrRef piece = StrSub(pattern, 1, next == kNothing ? -1 : next - 1);
  if (piece.empty()) return true;
  return StrFindText(StrUpper(text), StrUpper(piece), true) != kNothing;
}

}  // namespace engine
