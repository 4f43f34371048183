// Condition texts built from parts.
#include "engine/lang/conditions.h"

#include <algorithm>

#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"

namespace engine {

namespace {

constexpr size_t kConditionMax = kMaxStrLen;
constexpr StrRef kTrueAnd = StrLit("1&&");
constexpr StrRef kDefaultJoiner = StrLit("&&");

StrRef WithoutTrueAnd(StrRef condition) {
  const StrRef t = StrTrim(condition, kTrimBoth);
  return t.view().starts_with(kTrueAnd.view()) ? StrSub(t, kTrueAnd.len, -1) : t;
}

}  // namespace

StrRef ConditionText(StrRef left, int16_t op, StrRef value, bool numeric) {
  StrAreaScope scope;
  if (left.IsStatus()) return scope.Return(left);
  if (value.IsStatus()) return scope.Return(value);
  if (value.empty()) return scope.Return(StrLit(""));
  const uint16_t count = ListCount(kConditionOperators, ',');
  const uint16_t n = static_cast<uint16_t>(std::clamp<int>(op, 1, count));
  const StrRef right = numeric ? value : StrQuote(value, '\'');
  if (right.IsStatus()) return scope.Return(right);
  return scope.Return(StrFormat(kConditionMax, StrLit("%s%s%s"),
                                {left, ListField(kConditionOperators, ',', n), right}));
}

StrRef ConditionJoin(StrRef condition, StrRef clause, StrRef joiner) {
  StrAreaScope scope;
  if (condition.IsStatus()) return scope.Return(condition);
  if (clause.IsStatus()) return scope.Return(clause);
  const StrRef a = WithoutTrueAnd(condition);
  const StrRef b = WithoutTrueAnd(clause);
  if (a.empty()) return scope.Return(b);
  if (b.empty()) return scope.Return(a);
  const StrRef op = joiner.IsStatus() || joiner.empty() ? kDefaultJoiner : joiner;
  return scope.Return(StrFormat(kConditionMax, StrLit("(%s)%s(%s)"), {a, op, b}));
}

}  // namespace engine
