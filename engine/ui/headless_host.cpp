// The headless WindowHost.
#include "engine/ui/headless_host.h"

#include "engine/core/file_system.h"
#include "engine/ui/cp1252.h"

namespace engine {

namespace {

constexpr const char* kButtonNames[] = {"OK", "Cancel", "Yes", "No", "Retry", "Abort", "Ignore"};

}  // namespace

void HeadlessHost::Echo(const MessageBoxRecord& box, const BoxStyle& style) {
  std::string line;
  AppendUtf8(&line, box.title);
  line += ": ";
  std::string text;
  AppendUtf8(&text, box.text);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') continue;
    line += text[i];
  }
  if (style.button_count > 1) {
    line += " [";
    line += kButtonNames[static_cast<int>(box.answer)];
    line += ']';
  }
  line += '\n';
  // An echo that cannot be written changes nothing for the program.
  (void)echo_->Write(0, std::span<const char>(line.data(), line.size()));
}

BoxButton HeadlessHost::MessageBox(StrRef text, StrRef title, int kind) {
  const BoxStyle style = MessageBoxStyle(kind);
  BoxButton answer = style.default_button();
  if (!answers_.empty()) {
    if (style.Has(answers_.front())) answer = answers_.front();
    answers_.pop_front();
  }
  boxes_.push_back(MessageBoxRecord{ToString(title), ToString(text), kind, answer});
  if (echo_) Echo(boxes_.back(), style);
  return answer;
}

}  // namespace engine
