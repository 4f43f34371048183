// Sorted lists for the engine's own use: the same lists SORT$ keeps behind handles (fixed-width
// items in a tracked block, kept in order by their first `compare` bytes, flag 1 refusing
// duplicates, flag 2 descending), named here by their entry number instead of a handle. The
// function table's stop frees them with the others.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// A new empty list with items of the larger and a compare length of the smaller of the two
// numbers. 147 when either is 0; 145 when memory is refused.
[[nodiscard]] Status SortedListCreate(uint16_t width, uint16_t compare, uint8_t flags,
                                      uint32_t* list);
// Inserts an item padded with blanks to the width: 163 when it is longer, 5 for a duplicate the
// list refuses, 147 for a list that does not exist.
[[nodiscard]] Status SortedListAdd(uint32_t list, StrRef item);
uint32_t SortedListCount(uint32_t list);
// Item i (a view valid until the list changes); the empty text beyond the list.
StrRef SortedListItem(uint32_t list, uint32_t i);
void SortedListRelease(uint32_t list);

}  // namespace engine
