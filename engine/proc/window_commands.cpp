// MESSAGE, WAIT, WINMENU and the progress window of procedures.
#include "engine/proc/window_commands.h"

#include <algorithm>
#include <cstdint>

#include "engine/core/message_box.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/proc/engine_commands.h"
#include "engine/proc/procedure_compiler.h"
#include "engine/proc/system_services.h"
#include "engine/ui/progress_window.h"
#include "engine/ui/select_window.h"
#include "engine/ui/window_host.h"
#include "engine/ui/window_layer.h"

namespace engine {

namespace {

constexpr StrRef kWaitForKey = StrLit("KEY");
constexpr StrRef kProgress = StrLit("PROGRESS");

bool IsWord(StrRef text, StrRef word) { return StrTrim(text, kTrimBoth).view() == word.view(); }

// MESSAGE text: a box; MESSAGE text,any: a Yes/No question, the answer letter in _STAT.
Status Message(const CommandArgs& args) {
  if (args.count >= 2) {
    SetCommandStat(ShowMessage(args.Text(1), StrLit(""), kBoxYesNo));
  } else {
    (void)ShowMessage(args.Text(1), StrLit(""), kBoxInformation);
  }
  return kOk;
}

// WAIT 'KEY': the next key press in _LASTKEY; WAIT n: n milliseconds, no events handled.
Status Wait(const CommandArgs& args) {
  if (IsWord(args.Text(1), kWaitForKey)) {
    SysWordSet(kSysLastKey, static_cast<int16_t>(WinWaitKey()));
    return kOk;
  }
  const int16_t milliseconds = args.Integer(1);
  if (milliseconds > 0) CurrentSystemServices().Pause(static_cast<uint32_t>(milliseconds));
  return kOk;
}

// WINMENU title,list: the picked entry in _STAT (0 when cancelled); a pick leaves the popup open
// for the caller to close.
Status WinMenu(const CommandArgs& args) {
  const uint16_t picked = WinSelect(args.Text(1), args.Text(2), kSelectPopup);
  if (picked != 0 && WinKind(WinTop()) == kKindPopup) WinDestroy(WinTop());
  SetCommandStat(picked);
  return kOk;
}

// WINOPEN width,total,'PROGRESS' prepares the progress window, which opens at the first WINPROG.
Status WinOpenProgress(const CommandArgs& args) {
  if (!IsWord(args.Text(3), kProgress)) return kCommandNotHandled;
  const int64_t total = std::clamp<int64_t>(StrToInt64(args.Text(2)), 0, UINT32_MAX);
  ProgressPrepare(args.Integer(1), static_cast<uint32_t>(total), false);
  return kOk;
}

Status WinCloseProgress(const CommandArgs& args) {
  if (!IsWord(args.Text(1), kProgress)) return kCommandNotHandled;
  ProgressClose();
  return kOk;
}

// WINPROG text: the text in the progress window; WINPROG '',n: n units on. _STAT gets 122 once
// the user cancelled; the run then stops before its next statement.
Status WinProg(const CommandArgs& args) {
  const StrRef text = args.Text(1);
  const int16_t units = args.Integer(2);
  const Status status = text.empty() ? ProgressStep(units > 0 ? static_cast<uint32_t>(units) : 0)
                                     : ProgressText(text);
  SetCommandStat(status.code());
  return status.IsError() ? status : Status(kOk);
}

}  // namespace

void WindowCommandsInstall() {
  CommandOperationSet(kKwMessage, Message);
  CommandOperationSet(kKwWait, Wait);
  CommandOperationSet(kKwWinMenu, WinMenu);
  CommandOperationSet(kKwWinOpen, WinOpenProgress);
  CommandOperationSet(kKwWinClose, WinCloseProgress);
  CommandOperationSet(kKwWinProg, WinProg);
}

}  // namespace engine
