// A fixture for the built-in functions: the locale fixture with the engine's function table
// installed, every seam and hook back at its default after each test, and a table-driven check
// of expressions and their results.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/core/string_slots.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/function_table.h"
#include "engine/shell/hooks.h"
#include "locale_fixture.h"

namespace engine::testing {

// An expression and what it gives: its result as text, or "<status N>" when it fails.
struct ExprCase {
  const char* text;
  const char* result;
};

class FunctionFixture : public LocaleFixture {
 protected:
  void SetUp() override {
    LocaleFixture::SetUp();
    ASSERT_EQ(FunctionTableStart(), kOk);
  }
  void TearDown() override {
    FunctionTableStop();
    SetDataFileFunctions(nullptr);
    SetPathExpander(nullptr);
    SetEnvironmentReader(nullptr);
    HooksClear();
    LocaleFixture::TearDown();
  }

  template <size_t N>
  void CheckAll(const ExprCase (&cases)[N]) {
    for (const ExprCase& c : cases) {
      SCOPED_TRACE(c.text);
      EXPECT_EQ(Eval(c.text), c.result);
      EXPECT_EQ(SlotCount(kGroupArguments), 0);
    }
  }

  // The status Evaluate answers (warnings included) for the text.
  Status StatusOf(const std::string& text) {
    const uint16_t mark = StrAreaMark();
    ValueKind kind;
    const Status status = Evaluate(StrView(text), &kind);
    StrAreaRelease(mark);
    return status;
  }
};

}  // namespace engine::testing
