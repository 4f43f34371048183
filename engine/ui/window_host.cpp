// The message-box styles and the process-wide current WindowHost.
#include "engine/ui/window_host.h"

#include "engine/ui/headless_host.h"

namespace engine {

bool BoxStyle::Has(BoxButton button) const {
  for (uint8_t i = 0; i < button_count; ++i) {
    if (buttons[i] == button) return true;
  }
  return false;
}

BoxStyle MessageBoxStyle(int kind) {
  using B = BoxButton;
  switch (kind) {
    case kBoxInformation:
      return {BoxIcon::kInformation, 1, {B::kOk}};
    case kBoxWarning:
      return {BoxIcon::kWarning, 1, {B::kOk}};
    case kBoxOkCancel:
      return {BoxIcon::kInformation, 2, {B::kOk, B::kCancel}};
    case kBoxError:
      return {BoxIcon::kError, 1, {B::kOk}};
    case kBoxRetryCancel:
      return {BoxIcon::kError, 2, {B::kRetry, B::kCancel}};
    case kBoxYesNo:
      return {BoxIcon::kInformation, 2, {B::kYes, B::kNo}};
    case kBoxYesNoCancel:
      return {BoxIcon::kInformation, 3, {B::kYes, B::kNo, B::kCancel}};
    default:
      return {BoxIcon::kNone, 1, {B::kOk}};
  }
}

StrRef BoxButtonCaption(BoxButton button) {
  switch (button) {
    case BoxButton::kOk:
      return StrLit("OK");
    case BoxButton::kCancel:
      return StrLit("Cancel");
    case BoxButton::kYes:
      return StrLit("Yes");
    case BoxButton::kNo:
      return StrLit("No");
    case BoxButton::kRetry:
      return StrLit("Retry");
    case BoxButton::kAbort:
      return StrLit("Abort");
    case BoxButton::kIgnore:
      return StrLit("Ignore");
  }
  return StrLit("");
}

namespace {
WindowHost* g_host = nullptr;
}  // namespace

WindowHost& CurrentWindowHost() {
  if (g_host) return *g_host;
  static HeadlessHost default_host;
  return default_host;
}

void SetWindowHost(WindowHost* host) { g_host = host; }

}  // namespace engine
