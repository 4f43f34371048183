// A fixture for procedures: the engine's memory, the expression language with its functions, the
// procedure subsystem started (runner and engine command handlers), a headless window host with
// the window layer, and a fresh current folder for procedure files. Every seam goes back to its
// default afterwards.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/data/data_start.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/lang_start.h"
#include "engine/lang/variables.h"
#include "engine/proc/procedure_compiler.h"
#include "engine/proc/procedure_run.h"
#include "engine/proc/run_resources.h"
#include "engine/proc/system_services.h"
#include "engine/shell/hooks.h"
#include "engine/ui/fonts.h"
#include "engine/ui/headless_host.h"
#include "engine/ui/progress_window.h"
#include "engine/ui/screen_extent.h"
#include "engine/ui/screen_geometry.h"
#include "engine/ui/window_host.h"
#include "engine/ui/window_layer.h"
#include "support/core_fixture.h"
#include "support/temp_folder.h"

namespace engine::testing {

inline constexpr StrRef kTestProcedure = StrLit("TEST.PRC");

class ProcFixture : public CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    ASSERT_EQ(LangStart(), kOk);
    ProceduresStart();
    SetWindowHost(&host_);
    WinLayerReset();
    ScreenGeometryReset();
    FontsClear();
    SetDefaultScreen(80, 24, 0, 0, 0);
  }
  void TearDown() override {
    EXPECT_EQ(DataStop(), kOk);
    ProceduresStop();
    SetEventPump(nullptr);
    for (RunResourceKind kind : {RunResourceKind::kFileSets, RunResourceKind::kStructures,
                                 RunResourceKind::kDevices, RunResourceKind::kWindows}) {
      SetRunResource(kind, {});
    }
    SetSystemServices(nullptr);
    SetDataFileFunctions(nullptr);
    SetPathExpander(nullptr);
    ProgressClose();
    WinLayerReset();
    SetWindowHost(nullptr);
    ScreenGeometryReset();
    SetDefaultScreen(80, 25, 0, 0, 0);
    FontsClear();
    HooksClear();
    StreamCloseAll();
    LangStop();
    CoreFixture::TearDown();
  }

  void Write(const std::string& name, const std::string& text) { dir_.Write(name, text); }

  // Compiles and runs the whole of TEST.PRC holding `text`; variables stay (no local run).
  Status RunText(const std::string& text, uint16_t flags = 0) {
    Write(ToString(kTestProcedure), text);
    LatchClear();
    DetailClear();
    return ProcedureRun(StrLit(""), kTestProcedure, flags);
  }

  // The result of an expression as text ("<status N>" on failure).
  std::string Eval(const std::string& text) {
    const uint16_t mark = StrAreaMark();
    const std::string shown = Show(EvalText(StrView(text)));
    StrAreaRelease(mark);
    return shown;
  }

  static std::string Detail() { return Show(DetailText()); }
  static bool VariableExists(const char* name) { return VarFind(StrFromC(name)).found(); }

  TempFolder dir_{true};
  HeadlessHost host_;
};

}  // namespace engine::testing
