// The Reorg task over the reorganisation of the data files.
#include "engine/shell/reorg_task.h"

#include "engine/core/message_box.h"
#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/data/file_paths.h"
#include "engine/data/reorganize.h"
#include "engine/ui/progress_window.h"
#include "engine/ui/select_window.h"
#include "engine/ui/window_layer.h"

namespace engine {

namespace {

constexpr uint16_t kTableSelectionMessage = 85;

}  // namespace

Status ReorgTask() {
  StrAreaScope scope;
  const StrRef names = FileNameList(kPathBaseName);
  if (names.IsStatus()) return StrCheck(names);
  const uint16_t picked =
      WinSelect(Message(kTableSelectionMessage), names, kSelectPopup | kSelectListBox);
  if (picked == 0) return kUserCanceled;
  WinDestroy(WinTop());  // a pick leaves the list open for us to close
  Status status = ProgressOpen(kProgressDefaultWidth, 0, false);
  if (status.IsError() && status != kCommonCtlError) return status;
  bool ranged = false;
  status = FileReorganize(static_cast<uint8_t>(picked), [&](StrRef, uint32_t total) {
    if (!ranged) {
      ranged = true;
      (void)ProgressOpen(kProgressDefaultWidth, total, false);
    }
    return ProgressStep(1);
  });
  ProgressClose();
  if (status == kOk) (void)ShowStatus(kOk);
  return status;
}

}  // namespace engine
