// A fixture for the application shell: the engine's memory with the system variables and the
// language-variables evaluator, a fresh current folder, a process environment the test sets,
// a headless window host that records message boxes, and the shell's process-wide state put
// back after each test.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/lang/lang_start.h"
#include "engine/shell/hooks.h"
#include "engine/shell/process_env.h"
#include "engine/shell/run_state.h"
#include "engine/shell/task_line.h"
#include "engine/ui/headless_host.h"
#include "support/core_fixture.h"
#include "support/temp_folder.h"

namespace engine::testing {

class FakeProcessEnv : public ProcessEnv {
 public:
  bool Variable(std::string_view name, std::string* value) override {
    const auto it = vars.find(std::string(name));
    if (it == vars.end()) return false;
    *value = it->second;
    return true;
  }
  std::string CurrentFolder() override { return current; }
  std::string ProgramFolder() override { return program; }
  bool OnTerminal() override { return false; }

  std::map<std::string, std::string> vars;
  std::string current;
  std::string program = "/opt/orvendal/bin";
};

class ShellFixture : public CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    ASSERT_EQ(LangStart(), kOk);
    LanguageReset();
    env_.current = dir_.path().string();
    SetProcessEnv(&env_);
    SetWindowHost(&host_);
    ASSERT_EQ(SlotSet(kGroupEnvironment, kEnvAppName, StrLit("COLDGR01:Orvendal")), kOk);
  }
  void TearDown() override {
    RunStateRelease();
    HooksClear();
    SetTaskHandler(nullptr);
    SetWindowHost(nullptr);
    SetProcessEnv(nullptr);
    LanguageReset();
    LatchClear();
    DetailClear();
    LangStop();
    CoreFixture::TearDown();
  }

  void SetItem(uint16_t item, const std::string& value) {
    ASSERT_EQ(SlotSet(kGroupEnvironment, item, StrView(value)), kOk);
  }
  // A pushed result as text, the StringArea released to where it was.
  std::string Text(StrRef (*fn)(StrRef), const std::string& arg) {
    const uint16_t mark = StrAreaMark();
    const std::string shown = Show(fn(StrView(arg)));
    StrAreaRelease(mark);
    return shown;
  }
  std::string Detail() { return ToString(DetailText()); }

  TempFolder dir_{true};
  FakeProcessEnv env_;
  HeadlessHost host_;
};

}  // namespace engine::testing
