// StGetList: the distinct values of some fields over the records of a key range, gathered group
// by group (the records sharing the value of the key's first field) into one program-wide sorted
// list; an expression function of the accounting program.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kStGetListName = StrLit("StGetList");
inline constexpr StrRef kStGetListWords = StrLit("NEW,GET,KILL");
inline constexpr uint16_t kStGetListMaxFields = 32;

// The arguments of NEW.
struct DistinctQuery {
  uint16_t key = 1;
  StrRef from{"", 0};
  StrRef to{"", 0};
  uint16_t compare = 0;  // 0: the width of the widest field
  uint8_t flags = 0;     // the sorted list's flags (1 no duplicates, 2 descending)
  StrRef fields{"", 0};  // comma list of field references
  StrRef bound{"", 0};   // values below it (as numbers when it is one) are left out
  bool bound_is_number = false;
  bool bound_is_upper = false;  // values above `bound` are left out as well
};

// NEW on the current file: from the first record at or after `from` by `key`, while the key lies
// within `to`, each group of records sharing the value of the key's first field is listed and the
// values of the listed fields of its records are added to the program-wide sorted list (created
// with the widest field's width on the first NEW); a progress window shows each group's value.
// 147 for more than 32 fields or a bad reference.
[[nodiscard]] Status DistinctValuesNew(const DistinctQuery& query);
// The program-wide list: its number of items and item i (a view), and its release (KILL).
uint32_t DistinctValueCount();
StrRef DistinctValue(uint32_t i);
void DistinctValuesKill();

// Registers the function StGetList(command; key; from; to; compare length; flags; fields; bound;
// unused; bound is upper), command one of NEW, GET (does nothing) and KILL, as a module function.
[[nodiscard]] Status RegisterStGetList();

}  // namespace engine
