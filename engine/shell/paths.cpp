// Paths and %NAME% variables.
#include "engine/shell/paths.h"

#include <string>

#include "engine/core/list_string.h"
#include "engine/core/messages.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/shell/process_env.h"

namespace engine {

namespace {

constexpr bool IsSeparator(char c) { return c == '\\' || c == '/'; }

StrRef PushText(const std::string& text) {
  StrAreaScope scope;
  return scope.Return(StrView(text));
}

StrRef EnvItem(uint16_t item) { return SlotGet(kGroupEnvironment, item); }

}  // namespace

StrRef PathJoin(StrRef folder, StrRef name) {
  if (folder.IsStatus()) return folder;
  if (name.IsStatus()) return name;
  StrAreaScope scope;
  if (name.empty()) return scope.Return(folder);
  if (!folder.empty() && IsSeparator(name[0])) {
    const Status status = StrConcat(folder, name);
    return scope.Return(status.ok() ? StrAreaTop() : StrError(status));
  }
  return scope.Return(JoinFolder(folder, name));
}

StrRef PathResolve(StrRef base, StrRef relative) {
  if (base.IsStatus()) return base;
  if (relative.IsStatus()) return relative;
  StrAreaScope scope;
  StrRef up = StrLit("");  // the ".." components that found no folder to remove
  while (relative.len >= 2 && relative[0] == '.' && relative[1] == '.' &&
         (relative.len == 2 || IsSeparator(relative[2]))) {
    relative = StrSub(relative, relative.len == 2 ? 2 : 3, -1);
    const uint16_t cut = StrFindLast(base, StrLit("\\/"), FindKind::kAnyOf);
    if (cut == kNothing && base.empty()) {
      up = PathJoin(up, StrLit(".."));
    } else if (cut == kNothing) {
      base = StrLit("");
    } else {
      // A root folder keeps its separator.
      base = StrSub(base, 0, cut == 0 ? 1 : cut);
    }
  }
  StrRef joined = PathJoin(PathJoin(up, base), relative);
  while (StrFindText(joined, StrLit("\\.\\"), true) != kNothing) {
    joined = StrReplace(joined, StrLit("\\.\\"), StrLit("\\"), true);
  }
  return scope.Return(joined);
}

StrRef AppPath(uint16_t n) {
  StrAreaScope scope;
  ProcessEnv& env = CurrentProcessEnv();
  switch (n) {
    case kPathRun:
      return scope.Return(PushText(env.ProgramFolder()));
    case kPathDefault:
      return scope.Return(EnvItem(kEnvSearchPath));
    case kPathData:
      // The program folder's drive letter has no meaning here: the data folder lies beside the
      // documents folder.
      return scope.Return(PathResolve(AppPath(kPathDocs), StrLit("..\\data")));
    case kPathDocs: {
      const StrRef docs = EnvItem(kEnvDocsFolder);
      if (!docs.empty()) return scope.Return(docs);
      return scope.Return(PushText(env.CurrentFolder()));
    }
    case kPathHelp: {
      const StrRef help = EnvItem(kEnvHelpFolder);
      if (!help.empty()) return scope.Return(help);
      return scope.Return(PathJoin(EnvItem(kEnvSearchPath), StrLit("Help")));
    }
    case kPathBackup:
      return scope.Return(PathJoin(EnvItem(kEnvDocsFolder), StrLit("Backups")));
    case kPathBackRel: {
      const StrRef backups = PathJoin(PushText(env.CurrentFolder()), StrLit("Backups"));
      const StrRef host = ListFieldValue(ListField(EnvItem(kEnvDatabase), ',', 1));
      const StrRef name = ListFieldValue(ListField(EnvItem(kEnvDatabase), ',', 2));
      return scope.Return(PathJoin(PathJoin(backups, host), name));
    }
    default:
      return scope.Return(StrLit(""));
  }
}

namespace {

// Every variable has one index: path variables first, then environment, then configuration.
constexpr int kEnvFirst = 7;
constexpr int kConfigFirst = 17;
constexpr int kNoVariable = -1;

bool SameIgnoringCase(StrRef a, StrRef b) {
  if (a.len != b.len) return false;
  for (uint16_t i = 0; i < a.len; ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

int VariableIndex(StrRef name) {
  if (name.empty()) return kNoVariable;
  if (const uint16_t n = ListFind(kPathVariables, ',', name)) return n - 1;
  if (const uint16_t n = ListFind(kEnvironmentVariables, ',', name)) return kEnvFirst + n - 1;
  const uint16_t env_count = ListCount(kEnvironmentVariables, ',');
  for (uint16_t n = 1; n <= env_count; ++n) {
    if (SameIgnoringCase(ListField(kEnvironmentVariables, ',', n), name)) {
      return kEnvFirst + n - 1;
    }
  }
  if (const uint16_t n = ListFind(kConfigVariables, ',', name)) return kConfigFirst + n - 1;
  return kNoVariable;
}

StrRef ConfigValue(int n) {
  StrAreaScope scope;
  constexpr uint16_t kItems[] = {
      kEnvCommandLine, 0, kEnvAppDescription, kEnvLanguage, kEnvSearchPath, kEnvDocsFolder,
      kEnvHelpFolder};
  if (n == 2) return scope.Return(AppPrefix());
  if (n <= 7) return scope.Return(EnvItem(kItems[n - 1]));
  // DATABASE_HOST .. DATABASE_PASSW: the fields of the connection list.
  return scope.Return(ListFieldValue(ListField(EnvItem(kEnvDatabase), ',', n - 7)));
}

StrRef VariableValue(int index) {
  StrAreaScope scope;
  if (index < kEnvFirst) return scope.Return(AppPath(static_cast<uint16_t>(index + 1)));
  if (index < kConfigFirst) {
    return scope.Return(EnvironmentVariable(
        ListField(kEnvironmentVariables, ',', static_cast<uint16_t>(index - kEnvFirst + 1))));
  }
  return scope.Return(ConfigValue(index - kConfigFirst + 1));
}

// One left-to-right pass over `text`; `blocked` holds the variables whose value is being
// expanded, which stay as written.
StrRef Expand(StrRef text, uint32_t blocked) {
  StrAreaScope scope;
  StrRef out = StrLit("");
  uint16_t pos = 0;
  while (true) {
    const uint16_t open = StrFindChar(text, pos, '%', true);
    if (open == kNothing) break;
    const uint16_t close = StrFindChar(text, open + 1u, '%', true);
    if (close == kNothing) break;
    const int index = VariableIndex(StrSub(text, open + 1, close - open - 1));
    StrRef value = StrLit("");
    if (index != kNoVariable && (blocked & (1u << index))) {
      value = StrSub(text, open, close - open + 1);
    } else if (index != kNoVariable) {
      value = Expand(VariableValue(index), blocked | (1u << index));
    }
    if (value.IsStatus()) return scope.Return(value);
    Status status = StrConcat(out, StrSub(text, pos, open - pos));
    if (status.ok()) status = StrConcat(StrAreaTop(), value);
    if (!status.ok()) return scope.Return(StrError(status));
    out = StrAreaReturn(scope.mark(), StrAreaTop());
    if (out.IsStatus()) return scope.Return(out);
    pos = close + 1;
  }
  const Status status = StrConcat(out, StrSub(text, pos, -1));
  if (!status.ok()) return scope.Return(StrError(status));
  return scope.Return(StrAreaTop());
}

}  // namespace

StrRef EnvironmentVariable(StrRef name) {
  if (name.IsStatus()) return name;
  std::string value;
  if (!CurrentProcessEnv().Variable(name.view(), &value)) value.clear();
  return PushText(value);
}

StrRef ExpandPathVars(StrRef text) {
  if (text.IsStatus()) return text;
  return Expand(text, 0);
}

}  // namespace engine
