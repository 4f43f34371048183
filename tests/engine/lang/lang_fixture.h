// A fixture for the expression language: the engine's memory with the system variables, and
// the evaluator's extension points back at their defaults after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/core/string_area.h"
#include "engine/lang/eval_hooks.h"
#include "engine/lang/expression.h"
#include "engine/lang/variables.h"
#include "support/core_fixture.h"

namespace engine::testing {

class LangFixture : public CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    ASSERT_EQ(SystemVariablesInit(), kOk);
  }
  void TearDown() override {
    SetFieldAccess(nullptr);
    SetFunctionTable(nullptr);
    SetCellResolver(nullptr);
    SetNameResolver(nullptr);
    VariablesStop();
    CoreFixture::TearDown();
  }

  // The result of an evaluation as text ("<status N>" on failure), the StringArea checked to be
  // left as it was.
  std::string Eval(const std::string& text) {
    const uint16_t mark = StrAreaMark();
    const std::string shown = Show(EvalText(StrView(text)));
    StrAreaRelease(mark);
    return shown;
  }

  // Evaluates for the effects, failing the test when the text fails.
  void Run(const std::string& text) {
    ASSERT_EQ(EvalStatus(StrView(text)), kOk) << text << ": " << Show(DetailText());
  }
};

}  // namespace engine::testing
