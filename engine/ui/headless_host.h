// HeadlessHost: the WindowHost without a display. Every message box is recorded (title, text,
// kind and the answer given) for a test or a batch run to read, and answered from a queue of
// scripted answers; with the queue empty, a box takes its default button. In a batch run the
// boxes are also echoed to a stream (standard error), so that what the program said reaches the
// user.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "engine/ui/window_host.h"

namespace engine {

class File;

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
  // Echoes every box from now on to `stream` as "title: text" (the answer in brackets when the
  // box offers a choice), in UTF-8; null stops the echo. The caller keeps ownership.
  void EchoTo(File* stream) { echo_ = stream; }

 private:
  void Echo(const MessageBoxRecord& box, const BoxStyle& style);

  std::deque<BoxButton> answers_;
  std::vector<MessageBoxRecord> boxes_;
  File* echo_ = nullptr;
};

}  // namespace engine
