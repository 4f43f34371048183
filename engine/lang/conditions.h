// Condition texts built from parts: a comparison of a left side with a value, and the joining of
// two conditions. The accounting module and the data-file filters build their conditions here.
#pragma once

#include <cstdint>

#include "engine/core/str_ref.h"

namespace engine {

// The comparison operators of ConditionText, numbered from 1.
inline constexpr StrRef kConditionOperators = StrLit("==,>,>=,<,<=,<>");

// left, the operator numbered `op` (a number beyond the list takes the last, one below 1 the
// first) and the value: in quotes unless `numeric` (a field of a numeric type on the left). The
// quote is one the value does not hold ("%s%s'%s'", or double quotes when the value holds a
// single one), so no value can end it early; a value holding both is 163. An empty value gives
// the empty condition.
StrRef ConditionText(StrRef left, int16_t op, StrRef value, bool numeric);

// The condition with `clause` added by `joiner` (empty: "&&"): "(condition)joiner(clause)", a
// leading "1&&" of either dropped first; when one side is empty the result is the other.
StrRef ConditionJoin(StrRef condition, StrRef clause, StrRef joiner);

}  // namespace engine
