// A fixture for the window layer: the engine's memory with the system variables, a headless
// host as the current host, and the layer, fonts and screen geometry back at their defaults
// after each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/ui/floating_text.h"
#include "engine/ui/fonts.h"
#include "engine/ui/headless_host.h"
#include "engine/ui/progress_window.h"
#include "engine/ui/screen_extent.h"
#include "engine/ui/screen_geometry.h"
#include "engine/ui/window_layer.h"
#include "support/core_fixture.h"
#include "support/temp_folder.h"

namespace engine::testing {

class UiFixture : public CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    ASSERT_EQ(SystemVariablesInit(), kOk);
    SetWindowHost(&host_);
    WinLayerReset();
    ScreenGeometryReset();
    FontsClear();
    SetDefaultScreen(80, 24, 0, 0, 0);
  }
  void TearDown() override {
    ProgressClose();
    FloatingTextClose();
    WinLayerReset();
    SetFormFieldOps(nullptr);
    SetWindowHost(nullptr);
    ScreenGeometryReset();
    SetDefaultScreen(80, 25, 0, 0, 0);
    FontsClear();
    VariablesStop();
    CoreFixture::TearDown();
  }

  // Opens a form-like dialog of `columns` x `rows` cells and shows it.
  WinHandle OpenDialog(uint16_t columns, uint16_t rows, StrRef title = StrLit("Dialog")) {
    SetExtentOverride(ScreenExtent{columns, rows, 0, 0, 0, 0});
    const WinHandle window = WinOpen(kKindDialog, 0, title, kNoWindow, -1, -1, nullptr);
    ResetExtentOverride();
    if (window != kNoWindow) WinShow(window);
    return window;
  }

  // A main window under the test's windows, so that closing them does not end the loop.
  WinHandle OpenMain() {
    SetExtentOverride(ScreenExtent{80, 22, 0, 0, 0, 0});
    const WinHandle window = WinOpen(kKindMain, 0, StrLit("Main"), kNoWindow, -1, -1, nullptr);
    ResetExtentOverride();
    if (window != kNoWindow) WinShow(window);
    return window;
  }

  int16_t LastKey() const { return SysWord(kSysLastKey); }

  HeadlessHost host_;
};

}  // namespace engine::testing
