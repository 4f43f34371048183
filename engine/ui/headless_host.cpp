// The headless WindowHost: the script of keys and answers, the close-when-done rule, the
// record of message boxes and the screen log.
#include "engine/ui/headless_host.h"

#include <memory>

#include "engine/core/file_system.h"
#include "engine/core/text_ops.h"
#include "engine/ui/cp1252.h"
#include "engine/ui/screen_render.h"

namespace engine {

namespace {

struct KeyName {
  std::string_view name;
  uint16_t vk;
  uint16_t mods;
  char ch;
};

constexpr KeyName kKeyNames[] = {
    {"Enter", kVkReturn, 0, '\r'},
    {"Esc", kVkEscape, 0, 27},
    {"Tab", kVkTab, 0, '\t'},
    {"Shift+Tab", kVkTab, kModShift, '\t'},
    {"Space", kVkSpace, 0, ' '},
    {"Backspace", kVkBack, 0, 8},
    {"Del", kVkDelete, 0, 0},
    {"Up", kVkUp, 0, 0},
    {"Down", kVkDown, 0, 0},
    {"Left", kVkLeft, 0, 0},
    {"Right", kVkRight, 0, 0},
    {"PgUp", kVkPrior, 0, 0},
    {"PgDn", kVkNext, 0, 0},
    {"Home", kVkHome, 0, 0},
    {"End", kVkEnd, 0, 0},
    {"Ctrl+End", kVkEnd, kModCtrl, 0},
    {"Ctrl+]", kVkCloseBracket, kModCtrl, 29},
};
constexpr uint16_t kFunctionKeys = 12;

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualNoCase(text.substr(0, prefix.size()), prefix);
}

bool IsAlnumByte(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

std::string_view TrimLine(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  return line;
}

}  // namespace

HeadlessHost::HeadlessHost() = default;
HeadlessHost::~HeadlessHost() = default;

// ---- The script ------------------------------------------------------------------------

void HeadlessHost::QueueAnswer(BoxButton answer) {
  Entry e;
  e.kind = Entry::Kind::kAnswer;
  e.answer = answer;
  script_.push_back(e);
}

void HeadlessHost::QueueKey(const KeyInput& key) {
  Entry e;
  e.key = key;
  script_.push_back(e);
}

void HeadlessHost::QueueText(std::string_view text) {
  Entry e;
  e.kind = Entry::Kind::kText;
  e.text = text;
  script_.push_back(e);
}

void HeadlessHost::QueueClick(uint16_t id) {
  Entry e;
  e.kind = Entry::Kind::kClick;
  e.id = id;
  script_.push_back(e);
}

bool HeadlessHost::ParseLine(std::string_view raw, Entry* entry, bool* skip) {
  *skip = false;
  if (StartsNoCase(raw, "text:")) {
    std::string_view text = raw.substr(5);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    entry->kind = Entry::Kind::kText;
    return Cp1252FromUtf8(text, &entry->text);
  }
  const std::string_view line = TrimLine(raw);
  if (line.empty() || line.front() == '#') {
    *skip = true;
    return true;
  }
  if (StartsNoCase(line, "click:")) {
    const std::string_view digits = line.substr(6);
    if (digits.empty() || digits.size() > 5) return false;
    uint32_t id = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      id = id * 10 + static_cast<uint32_t>(c - '0');
    }
    if (id > 0xFFFF) return false;
    entry->kind = Entry::Kind::kClick;
    entry->id = static_cast<uint16_t>(id);
    return true;
  }
  entry->kind = Entry::Kind::kKey;
  for (const KeyName& k : kKeyNames) {
    if (EqualNoCase(line, k.name)) {
      entry->key = KeyInput{k.vk, k.mods, k.ch};
      return true;
    }
  }
  if (line.size() >= 2 && AsciiUpper(line[0]) == 'F' && line.size() <= 3) {
    uint16_t n = 0;
    for (char c : line.substr(1)) {
      if (c < '0' || c > '9') return false;
      n = static_cast<uint16_t>(n * 10 + (c - '0'));
    }
    if (n < 1 || n > kFunctionKeys) return false;
    entry->key = KeyInput{static_cast<uint16_t>(kVkF1 + n - 1), 0, 0};
    return true;
  }
  if (line.size() == 5 && StartsNoCase(line, "Alt+") && IsAlnumByte(line[4])) {
    entry->key = KeyInput{static_cast<uint16_t>(AsciiUpper(line[4])), kModAlt, 0};
    return true;
  }
  return false;
}

bool HeadlessHost::QueueLine(std::string_view line) {
  Entry entry;
  bool skip = false;
  if (!ParseLine(line, &entry, &skip)) return false;
  if (!skip) script_.push_back(entry);
  return true;
}

Status HeadlessHost::QueueScript(std::string_view script, size_t* bad_line) {
  std::vector<Entry> entries;
  size_t number = 0;
  size_t start = 0;
  while (start < script.size()) {
    size_t end = script.find('\n', start);
    if (end == std::string_view::npos) end = script.size();
    ++number;
    Entry entry;
    bool skip = false;
    if (!ParseLine(script.substr(start, end - start), &entry, &skip)) {
      if (bad_line) *bad_line = number;
      return kBadInputData;
    }
    if (!skip) entries.push_back(entry);
    start = end + 1;
  }
  script_.insert(script_.end(), entries.begin(), entries.end());
  return kOk;
}

Status HeadlessHost::LoadScriptFile(std::string_view path, size_t* bad_line) {
  std::unique_ptr<File> file;
  if (CurrentFileSystem().Open(path, kOpenRead, &file) != kOk) return kFileNotFound;
  std::string text;
  char buffer[4096];
  uint64_t offset = 0;
  for (;;) {
    size_t got = 0;
    if (file->Read(offset, buffer, &got) != kOk) return kFileNotFound;
    if (got == 0) break;
    text.append(buffer, got);
    offset += got;
  }
  return QueueScript(text, bad_line);
}

void HeadlessHost::Feed(const Entry& entry) {
  switch (entry.kind) {
    case Entry::Kind::kKey:
      Input(entry.key);
      break;
    case Entry::Kind::kText:
      for (char c : entry.text) Input(CharKey(c));
      break;
    case Entry::Kind::kClick: {
      const WinHandle window = TopLevelOf(KeyTarget());
      const WinHandle control = FindControl(window, entry.id);
      if (control != kNoWindow) Click(control);
      break;
    }
    case Entry::Kind::kAnswer:
      break;  // never fed: an answer waits for its box
  }
}

bool HeadlessHost::PullInput(InputWait wait) {
  // An answer waits for its message box: to the event loop it is no input.
  if (!script_.empty() && script_.front().kind != Entry::Kind::kAnswer) {
    if (wait != InputWait::kPoll) LogScreen();
    const Entry entry = script_.front();
    script_.pop_front();
    last_closed_ = kNoWindow;
    Feed(entry);
    return true;
  }
  if (wait != InputWait::kForEvent) return false;
  LogScreen();
  CancelMenu();  // closing the window leaves the menu first
  const WinHandle active = TopLevelOf(KeyTarget());
  if (active == kNoWindow || active == last_closed_) {
    PostEvent(HostEvent{EventKind::kQuit, kNoWindow, 0, 0, 0, 0});
    return true;
  }
  last_closed_ = active;
  PostEvent(HostEvent{EventKind::kClose, active, 0, 0, 0, 0});
  return true;
}

// ---- Message boxes ---------------------------------------------------------------------

BoxButton HeadlessHost::MessageBox(StrRef text, StrRef title, int kind) {
  const BoxStyle style = MessageBoxStyle(kind);
  BoxShow(text, title, kind);
  LogScreen();
  BoxButton answer = style.default_button();
  bool answered = false;
  while (!answered && !script_.empty()) {
    const Entry entry = script_.front();
    script_.pop_front();
    last_closed_ = kNoWindow;  // the user did something: a close may be refused once more
    switch (entry.kind) {
      case Entry::Kind::kAnswer:
        if (style.Has(entry.answer)) answer = entry.answer;
        answered = true;
        break;
      case Entry::Kind::kText:
        for (char c : entry.text) {
          if (BoxKey(CharKey(c), &answer)) {
            answered = true;
            break;
          }
        }
        break;
      case Entry::Kind::kKey: {
        const int focused = box().focused;
        answered = BoxKey(entry.key, &answer);
        if (!answered && box().focused != focused) LogScreen();
        break;
      }
      case Entry::Kind::kClick:
        break;
    }
  }
  boxes_.push_back(MessageBoxRecord{box().title, box().text, kind, answer});
  BoxHide();
  if (echo_) Echo(boxes_.back(), style);
  return answer;
}

void HeadlessHost::Echo(const MessageBoxRecord& box, const BoxStyle& style) {
  std::string line;
  AppendUtf8(&line, box.title);
  line += ": ";
  std::string text;
  AppendUtf8(&text, box.text);
  for (char c : text) {
    if (c != '\r') line += c;
  }
  if (style.button_count > 1) {
    line += " [";
    line += BoxButtonCaption(box.answer).view();
    line += ']';
  }
  line += '\n';
  // An echo that cannot be written changes nothing for the program.
  (void)echo_->Write(0, std::span<const char>(line.data(), line.size()));
}

// ---- Time, screen and reset ------------------------------------------------------------

uint32_t HeadlessHost::TickCount() { return manual_ticks_ ? ticks_ : WindowModel::TickCount(); }

std::string HeadlessHost::Dump() const {
  ScreenGrid grid;
  RenderScreen(*this, &grid);
  return ScreenText(grid);
}

void HeadlessHost::LogScreen() {
  if (screen_log_.empty()) return;
  std::string text;
  AppendUtf8(&text, "--- screen " + std::to_string(++screens_logged_) + "\n" + Dump());
  std::string crlf;
  crlf.reserve(text.size() + 32);
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  std::unique_ptr<File> file;
  if (CurrentFileSystem().Open(screen_log_, kOpenWrite | kOpenCreate | kOpenAppend, &file) != kOk) {
    return;
  }
  (void)file->Write(0, crlf);
}

void HeadlessHost::Clear() {
  script_.clear();
  boxes_.clear();
  last_closed_ = kNoWindow;
}

}  // namespace engine
