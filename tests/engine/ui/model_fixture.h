// A fixture for the window model driven directly through a host: the engine's memory, a
// registered window class, and helpers that create windows and controls and drain the events
// they cause.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "engine/ui/window_host.h"
#include "support/core_fixture.h"

namespace engine::testing {

template <class Host>
class ModelFixture : public CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    ASSERT_EQ(host_.RegisterWindowClass(StrLit("Test")), kOk);
  }

  WinHandle Window(FrameStyle frame = FrameStyle::kModalPopup, Rect rect = {120, 48, 480, 240},
                   StrRef title = StrLit("Dialog")) {
    WindowDesc desc;
    desc.class_name = StrLit("Test");
    desc.title = title;
    desc.frame = frame;
    desc.rect = rect;
    return host_.CreateTopWindow(desc, nullptr);
  }
  WinHandle Control(WinHandle window, ControlKind kind, uint16_t id, Rect rect,
                    StrRef text = StrLit(""), uint32_t style = kCtlVisible | kCtlTabStop) {
    ControlDesc desc;
    desc.kind = kind;
    desc.style = style;
    desc.parent = window;
    desc.id = id;
    desc.rect = rect;
    desc.text = text;
    return host_.CreateControl(desc, nullptr);
  }
  // Every event up to the first that needs input, each given its default treatment.
  std::vector<HostEvent> Drain() {
    std::vector<HostEvent> seen;
    HostEvent e;
    while (host_.GetEvent(&e, ReadMode::kPoll)) {
      seen.push_back(e);
      host_.DefaultEvent(e);
    }
    return seen;
  }

  Host host_;
};

}  // namespace engine::testing
