// The text of the status line.
#include "engine/ui/status_line.h"

#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/lang/dates.h"
#include "engine/shell/process_env.h"

namespace engine {

namespace {

constexpr size_t kStatusLineLimit = 384;

// The last part of a folder path ('/' or '\' separated).
StrRef FolderName(StrRef folder) {
  while (folder.len > 1 && (folder[folder.len - 1] == '/' || folder[folder.len - 1] == '\\')) {
    --folder.len;
  }
  const uint16_t slash = StrFindLast(folder, StrLit("/\\"), FindKind::kAnyOf);
  return slash == kNothing ? folder : StrSub(folder, slash + 1, -1);
}

}  // namespace

StrRef StatusLineText(StrRef first) {
  if (first.IsStatus()) return first;
  StrAreaScope scope;
  if (first.empty()) first = SlotGet(kGroupEnvironment, kEnvAppDescription);
  const StrRef date = FormatDate(StrLit(""), kDateShort);
  const StrRef database =
      StrTrim(ListField(SlotGet(kGroupEnvironment, kEnvDatabase), ',', 2), kTrimBoth);
  const std::string folder = CurrentProcessEnv().CurrentFolder();
  const StrRef folder_name = FolderName(StrView(folder));
  return scope.Return(StrFormat(kStatusLineLimit, kStatusLineFormat,
                                {first, date, database, folder_name, kStatusLineTrailer}));
}

}  // namespace engine
