// The headless WindowHost.
#include "engine/ui/headless_host.h"

namespace engine {

BoxButton HeadlessHost::MessageBox(StrRef text, StrRef title, int kind) {
  const BoxStyle style = MessageBoxStyle(kind);
  BoxButton answer = style.default_button();
  if (!answers_.empty()) {
    if (style.Has(answers_.front())) answer = answers_.front();
    answers_.pop_front();
  }
  boxes_.push_back(MessageBoxRecord{ToString(title), ToString(text), kind, answer});
  return answer;
}

}  // namespace engine
