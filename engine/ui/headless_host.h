// HeadlessHost: the WindowHost without a display. Every message box is recorded (title, text,
// kind and the answer given) for a test or a batch run to read, and answered from a queue of
// scripted answers; with the queue empty, a box takes its default button.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "engine/ui/window_host.h"

namespace engine {

struct MessageBoxRecord {
  std::string title;
  std::string text;
  int kind = 0;
  BoxButton answer = BoxButton::kOk;
};

class HeadlessHost : public WindowHost {
 public:
  // Takes the next scripted answer; one that the box does not show gives its default button.
  BoxButton MessageBox(StrRef text, StrRef title, int kind) override;

  // Queues the answer for a coming message box (the first queued answers the first box).
  void QueueAnswer(BoxButton answer) { answers_.push_back(answer); }
  size_t queued_answers() const { return answers_.size(); }
  const std::vector<MessageBoxRecord>& boxes() const { return boxes_; }
  void Clear() {
    answers_.clear();
    boxes_.clear();
  }

 private:
  std::deque<BoxButton> answers_;
  std::vector<MessageBoxRecord> boxes_;
};

}  // namespace engine
