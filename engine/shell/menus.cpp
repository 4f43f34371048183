// Menu files, their conversion, the building of the menu bar and running a chosen option.
#include "engine/shell/menus.h"

#include <vector>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/message_box.h"
#include "engine/core/streams.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/lang/variables.h"
#include "engine/shell/definitions.h"
#include "engine/shell/task_line.h"
#include "engine/ui/window_layer.h"

namespace engine {

namespace {

constexpr uint16_t kCompatRecordMenus = 16;  // _COMPAT: the older parameter names count
constexpr size_t kTemporariesPerEntry = 12;
constexpr uint16_t kParamMenu = 2;    // MENU$
constexpr uint16_t kParamCaller = 3;  // CALLER$
constexpr uint16_t kParamSubmenu = 4;
constexpr uint16_t kParamLoad = 5;
constexpr uint16_t kParamExec = 6;
constexpr StrRef kModulesName = StrLit("MODULOS$");
constexpr StrRef kModuleName = StrLit("MODULO$");
constexpr StrRef kOptionsName = StrLit("OPTIONS$");

// ---- Reading ---------------------------------------------------------------------------

bool ReadCurrent(MenuLineReader* r) {
  if (r->left == 0 || SlotCount(r->group) == 0) {
    r->left = 0;
    return false;
  }
  const uint16_t mark = StrAreaMark();
  const StrRef line = StrAreaReturn(mark, SlotLast(r->group));
  if (line.IsStatus()) return false;
  // Only the TABs at the start count: one left at the end of a line by an editor must not
  // move the entry down a level or cut its caption.
  uint16_t level = 0;
  while (level < line.len && line[level] == '\t') ++level;
  r->level = level;
  r->text = StrTrim(StrSub(line, r->level, -1), kTrimRight);
  r->change = static_cast<int16_t>(r->level - r->previous_level);
  r->previous_level = r->level;
  r->option = ListCount(r->text, ',') > 1;
  return true;
}

// Splits a file's text into lines (CR LF or LF) and queues them.
Status QueueLines(StrRef text, uint16_t group) {
  uint16_t pos = 0;
  while (pos < text.len) {
    uint16_t end = StrFindChar(text, pos, '\n', true);
    const uint16_t next = end == kNothing ? text.len : static_cast<uint16_t>(end + 1);
    if (end == kNothing) end = text.len;
    StrRef line = StrSub(text, pos, end - pos);
    if (line.len > 0 && line[line.len - 1] == '\r') --line.len;
    if (const Status pushed = SlotPush(group, line); pushed != kOk) return pushed;
    pos = next;
  }
  return kOk;
}

// ---- Record-format conversion ----------------------------------------------------------

bool CompatNames() { return SysWordTest(kSysCompat, kCompatRecordMenus); }

StrRef CallerParam() {
  StrAreaScope scope;
  StrRef callers = DefinitionParam(kParamCaller);
  if (!callers.IsStatus() && callers.empty() && CompatNames()) {
    callers = DefinitionValue(kModulesName);
  }
  return scope.Return(callers);
}

StrRef MenuParam() {
  StrAreaScope scope;
  StrRef menu = DefinitionParam(kParamMenu);
  if (!menu.IsStatus() && menu.empty() && CompatNames()) {
    menu = DefinitionParam(kParamSubmenu);
    if (!menu.IsStatus() && menu.empty()) {
      menu = StrJoin(DefinitionValue(kModuleName), ',', DefinitionValue(kOptionsName));
    }
  }
  return scope.Return(menu);
}

// A field of a list, trimmed and unquoted (a view).
StrRef CleanField(StrRef list, uint16_t n) {
  return StrUnquote(StrTrim(ListField(list, ',', n), kTrimBoth));
}

Status WriteLine(uint16_t level, StrRef text) {
  StrAreaScope scope;
  return SlotPush(kMenuLinesPpn,
                  StrFormat(kMaxStrLen, StrLit("%s%s"), {StrRepeat(StrLit("\t"), level), text}));
}

// Records calling records (CALLER$) or inserting them (LOAD$) deeper than this call themselves,
// directly or round about.
constexpr uint16_t kMaxRecordNesting = 32;
constexpr StrRef kRecordDetail = StrLit("%s, record %i");

class RecordConverter {
 public:
  explicit RecordConverter(StrRef file, uint16_t depth = 0) : file_(file), depth_(depth) {}

  Status Convert(uint16_t record, uint16_t level, StrRef caption, StrRef base);

 private:
  Status Options(uint16_t level, StrRef base_command, int32_t number_base, StrRef menu, StrRef exec,
                 StrRef load);

  StrRef file_;
  uint16_t depth_;
};

Status RecordConverter::Convert(uint16_t record, uint16_t level, StrRef caption, StrRef base) {
  StrAreaScope scope;
  if (depth_ >= kMaxRecordNesting) {
    return ReportStatus(kBadInputData, StrFormat(kMaxStrLen, kRecordDetail, {file_, record}));
  }
  ++depth_;
  struct Leave {
    uint16_t* depth;
    ~Leave() { --*depth; }
  } leave{&depth_};
  Status status = ReadDefinition(file_, record, kDefPpn, ':');
  if (status != kOk) {
    if (status == kFileNotFound) (void)ReportStatus(kFileNotFound, file_, true);
    return status;
  }
  const StrRef menu = MenuParam();
  const StrRef callers = CallerParam();
  const StrRef exec = DefinitionParam(kParamExec);
  const StrRef load = DefinitionParam(kParamLoad);
  for (StrRef s : {menu, callers, exec, load}) {
    if (s.IsStatus()) {
      (void)DropDefinition();
      return StrCheck(s);
    }
  }
  const StrRef title = caption.empty() ? CleanField(menu, 1) : caption;
  if (!menu.empty() || !callers.empty()) {
    status = WriteLine(level, title);
    if (status == kOk && callers.empty()) {
      const StrRef base_command = StrJoin(StrTrim(ListField(base, ',', 1), kTrimBoth), ' ',
                                          StrTrim(ListField(base, ',', 2), kTrimBoth));
      status = Options(static_cast<uint16_t>(level + 1), base_command,
                       StrToInt(ListField(base, ',', 3)), menu, exec, load);
    } else {
      const uint16_t count = ListCount(callers, ',');
      for (uint16_t i = 1; status == kOk && i <= count; ++i) {
        const int32_t sub = StrToInt(ListField(callers, ',', i));
        if (sub == 0) continue;
        status = Convert(static_cast<uint16_t>(sub), static_cast<uint16_t>(level + 1),
                         CleanField(menu, static_cast<uint16_t>(i + 1)), StrLit(""));
      }
    }
  } else {
    const StrRef command = base.empty() ? CleanField(exec, 1) : base;
    status = WriteLine(level, StrFormat(kMaxStrLen, StrLit("%s,%s"), {title, command}));
  }
  const Status dropped = DropDefinition();
  return status != kOk ? status : dropped;
}

Status RecordConverter::Options(uint16_t level, StrRef base_command, int32_t number_base,
                                StrRef menu, StrRef exec, StrRef load) {
  const uint16_t title_fields = base_command.empty() ? 1 : 0;
  const uint16_t count = ListCount(menu, ',');
  for (uint16_t i = 1; i + title_fields <= count; ++i) {
    StrAreaScope scope;
    const StrRef caption = CleanField(menu, static_cast<uint16_t>(i + title_fields));
    StrRef command = CleanField(exec, i);
    if (command.empty()) {
      command = StrJoin(base_command, ',', IntToStr(static_cast<int16_t>(number_base + i)));
    }
    const StrRef inserted = CleanField(load, i);
    Status status = kOk;
    if (!inserted.empty()) {
      const char sep = StrFindChar(inserted, 0, ',', false) != kNothing ? ',' : ';';
      StrRef other = StrTrim(ListField(inserted, sep, 1), kTrimBoth);
      if (StrFindChar(other, 0, '.', true) == kNothing) other = DefFileName(other, kDefPpn);
      const int32_t record = StrToInt(ListField(inserted, sep, 2));
      status = RecordConverter(other, depth_)
                   .Convert(static_cast<uint16_t>(record), level, caption, command);
    } else {
      status = WriteLine(level, StrFormat(kMaxStrLen, StrLit("%s,%s"), {caption, command}));
    }
    if (status != kOk) return status;
  }
  return kOk;
}

// ---- Building --------------------------------------------------------------------------

struct OpenPopup {
  MenuHandle popup;
  StrRef caption;
  uint16_t mark;  // the string area as it was before this popup's caption
};

}  // namespace

bool MenuLineFirst(MenuLineReader* reader, uint16_t group) {
  *reader = MenuLineReader{};
  reader->group = group;
  reader->left = SlotCount(group);
  return ReadCurrent(reader);
}

bool MenuLineNext(MenuLineReader* reader) {
  if (reader->left == 0) return false;
  (void)SlotPop(reader->group);
  --reader->left;
  return ReadCurrent(reader);
}

Status ReadMenuLines(StrRef file) {
  StrAreaScope scope;
  if (const Status cleared = SlotClearGroup(kMenuLinesPmt); cleared != kOk) return cleared;
  const StrRef found = FileFindOnPath(file);
  if (found.IsStatus()) return ReportStatus(kFileNotFound, file);
  const StrRef text = FileReadAll(found, 0, kReadToEnd);
  if (text.IsStatus()) return ReportStatus(StrCheck(text), found);
  return QueueLines(text, kMenuLinesPmt);
}

Status ConvertRecordMenu(StrRef file) {
  StrAreaScope scope;
  if (const Status cleared = SlotClearGroup(kMenuLinesPpn); cleared != kOk) return cleared;
  const int16_t compat = SysWord(kSysCompat);
  SysWordSetBits(kSysCompat, kCompatRecordMenus, true);
  Status status = ReadDefinition(file, 1, kDefPpn, ':');
  if (status == kOk) {
    const StrRef callers = CallerParam();
    status = StrCheck(callers);
    const uint16_t count = callers.IsStatus() ? 0 : ListCount(callers, ',');
    RecordConverter converter(file);
    for (uint16_t i = 1; status == kOk && i <= count; ++i) {
      const int32_t record = StrToInt(ListField(callers, ',', i));
      if (record == 0) continue;
      status = converter.Convert(static_cast<uint16_t>(record), 0, StrLit(""), StrLit(""));
    }
    const Status dropped = DropDefinition();
    if (status == kOk) status = dropped;
  }
  SysWordSet(kSysCompat, compat);
  return status;
}

Status BuildMenu(uint16_t group, StrRef file, MenuHandle* menu) {
  *menu = kNoMenu;
  WindowHost& host = CurrentWindowHost();
  const uint16_t start = StrAreaMark();
  Status status = SlotClearGroup(kGroupMenuTasks);
  const MenuHandle bar = host.CreateMenuBar();
  std::vector<OpenPopup> open;
  bool any_popup = false;
  uint16_t next = kMenuFirstCommand;
  // Closes the popups deeper than `depth`; the current entry's text survives the release of
  // their captions, and *mark follows it down.
  auto close_deeper = [&](size_t depth, StrRef* text, uint16_t* mark) {
    while (open.size() > depth) {
      const OpenPopup top = open.back();
      open.pop_back();
      const MenuHandle parent = open.empty() ? bar : open.back().popup;
      (void)host.AppendSubMenu(parent, top.popup, top.caption);
      if (text) {
        (void)StrAreaKeep(top.mark, {text});
        *mark = top.mark;
      } else {
        StrAreaRelease(top.mark);
      }
    }
  };
  MenuLineReader reader;
  // Each line is read above the mark of its entry, so that an option leaves nothing behind
  // and a title keeps its text and caption until its popup is closed.
  uint16_t entry_mark = StrAreaMark();
  bool more = status == kOk && MenuLineFirst(&reader, group);
  while (more) {
    if (reader.text.empty() && !reader.option) {
      StrAreaRelease(entry_mark);  // a blank line is no entry
    } else {
      close_deeper(reader.level, &reader.text, &entry_mark);
      if (reader.option) {
        const StrRef caption = WinText(StrTrim(ListField(reader.text, ',', 1), kTrimBoth));
        const MenuHandle target = open.empty() ? bar : open.back().popup;
        (void)host.AppendMenuItem(target, next, caption);
        if (next < kMenuFirstCommand + kMenuOptionLimit) {
          const uint16_t comma = StrFindChar(reader.text, 0, ',', false);
          status = SlotSet(kGroupMenuTasks, static_cast<uint16_t>(next - kMenuFirstCommand),
                           StrSub(reader.text, comma + 1, -1));
        }
        ++next;
        StrAreaRelease(entry_mark);
      } else {
        open.push_back(OpenPopup{host.CreatePopupMenu(), WinText(reader.text), entry_mark});
        any_popup = true;
      }
    }
    if (status == kOk) status = StrAreaCanPush(kTemporariesPerEntry);
    if (status != kOk) break;
    entry_mark = StrAreaMark();
    more = MenuLineNext(&reader);
  }
  if (status == kOk && !any_popup) status = ReportStatus(kBadInputData, file);
  if (status != kOk) {
    while (!open.empty()) {
      host.DestroyMenu(open.back().popup);
      open.pop_back();
    }
    host.DestroyMenu(bar);
    StrAreaRelease(start);
    if (status == kOutOfMemory) (void)ReportStatus(kOutOfMemory, file, true);
    return status;
  }
  close_deeper(0, nullptr, nullptr);
  StrAreaRelease(start);
  *menu = bar;
  return kOk;
}

MenuHandle LoadMenu(StrRef name, Status* status) {
  if (status) *status = kOk;
  StrAreaScope scope;
  const StrRef base = StrTrim(ListField(name, ',', 1), kTrimBoth);
  StrRef file = DefFileName(base, kDefPmt);
  Status result = kOk;
  uint16_t group = kMenuLinesPmt;
  if (!FileFindOnPath(file).IsStatus()) {
    result = ReadMenuLines(file);
  } else {
    file = DefFileName(base, kDefPpn);
    if (FileFindOnPath(file).IsStatus()) return kNoMenu;
    group = kMenuLinesPpn;
    result = ConvertRecordMenu(file);
  }
  MenuHandle menu = kNoMenu;
  if (result == kOk) result = BuildMenu(group, file, &menu);
  (void)SlotClearGroup(group);
  if (result != kOk) {
    (void)ShowStatus(result);
    if (status) *status = result;
  }
  return menu;
}

Status RunMenuOption(uint16_t k) {
  if (k >= kMenuOptionLimit || k >= SlotCount(kGroupMenuTasks)) return kOk;
  StrAreaScope scope;
  const uint16_t mark = StrAreaMark();
  const StrRef line = StrAreaReturn(mark, SlotGet(kGroupMenuTasks, k));
  if (line.IsStatus()) return StrCheck(line);
  return RunTaskLine(line, DefaultDispatch);
}

}  // namespace engine
