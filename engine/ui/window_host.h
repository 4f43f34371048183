// WindowHost: the one interface through which the engine reaches the windowing system. A host
// is chosen at start-up (the headless host for tests and batch runs); the rest of the engine
// talks to the current host only.
//
// The message box is its first operation; windows, controls and keys join it later.
#pragma once

#include <array>
#include <cstdint>

#include "engine/core/str_ref.h"

namespace engine {

// Message box kinds: the icon and buttons a box shows. Any other number is a box without an
// icon and with an OK button.
inline constexpr int kBoxInformation = 0;  // information icon, OK
inline constexpr int kBoxWarning = 1;      // warning icon, OK
inline constexpr int kBoxOkCancel = 2;     // information icon, OK and Cancel
inline constexpr int kBoxError = 3;        // error icon, OK
inline constexpr int kBoxRetryCancel = 4;  // error icon, Retry and Cancel
inline constexpr int kBoxYesNo = 5;        // information icon, Yes and No
inline constexpr int kBoxYesNoCancel = 6;  // information icon, Yes, No and Cancel

enum class BoxButton : uint8_t { kOk, kCancel, kYes, kNo, kRetry, kAbort, kIgnore };
enum class BoxIcon : uint8_t { kNone, kInformation, kWarning, kError };

// What a box of one kind shows. The first button is the default one.
struct BoxStyle {
  BoxIcon icon = BoxIcon::kNone;
  uint8_t button_count = 1;
  std::array<BoxButton, 3> buttons{BoxButton::kOk, BoxButton::kOk, BoxButton::kOk};

  BoxButton default_button() const { return buttons[0]; }
  bool Has(BoxButton button) const;
};
BoxStyle MessageBoxStyle(int kind);

class WindowHost {
 public:
  virtual ~WindowHost() = default;

  // Shows a modal message box with the text, the title, and the icon and buttons of `kind`;
  // answers the button the user chose (always one of the kind's buttons).
  virtual BoxButton MessageBox(StrRef text, StrRef title, int kind) = 0;
};

// The current host: the one set with SetWindowHost, else a process-wide headless host.
WindowHost& CurrentWindowHost();
// Sets the current host; null restores the default. The caller keeps ownership.
void SetWindowHost(WindowHost* host);

}  // namespace engine
