// ShowMessage, AskYes and ShowStatus over the current WindowHost.
#include "engine/core/message_box.h"

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/ui/window_host.h"

namespace engine {

namespace {

constexpr uint16_t kAnswerLettersMessage = 11;
constexpr uint16_t kWarningTitleMessage = 12;
constexpr uint16_t kErrorTitleMessage = 13;
constexpr uint16_t kRequestTitleMessage = 14;

// The first byte of field n of message 0011, or `fallback` when the field is empty.
char AnswerLetter(uint16_t field, char fallback) {
  StrAreaScope scope;
  const StrRef letters = ListField(Message(kAnswerLettersMessage), ',', field);
  return letters.empty() ? fallback : letters[0];
}

uint16_t DefaultTitle(int kind) {
  switch (kind) {
    case kBoxError:
      return kErrorTitleMessage;
    case kBoxWarning:
    case kBoxRetryCancel:
      return kWarningTitleMessage;
    default:
      return kRequestTitleMessage;
  }
}

}  // namespace

char PositiveAnswer() { return AnswerLetter(1, 'Y'); }
char NegativeAnswer() { return AnswerLetter(2, 'N'); }

char ShowMessage(StrRef text, StrRef title, int kind) {
  StrAreaScope scope;
  if (text.IsStatus()) text = StrLit("");
  if (title.IsStatus() || title.empty()) title = Message(DefaultTitle(kind));
  switch (CurrentWindowHost().MessageBox(text, title, kind)) {
    case BoxButton::kOk:
    case BoxButton::kRetry:
    case BoxButton::kYes:
      return PositiveAnswer();
    case BoxButton::kNo:
      return NegativeAnswer();
    case BoxButton::kCancel:
    case BoxButton::kAbort:
    case BoxButton::kIgnore:
      break;
  }
  return kAnswerCancel;
}

bool AskYes(StrRef text) { return ShowMessage(text, StrLit(""), kBoxYesNo) == PositiveAnswer(); }

Status ShowStatus(Status code) {
  if (code == kNothing && LatchedCode() == 0) return kOk;
  StrAreaScope scope;
  const uint16_t shown = code == kNothing ? LatchedCode() : code.code();
  const bool error = Status(shown).IsError();
  (void)ShowMessage(ErrorReportText(shown),
                    Message(error ? kErrorTitleMessage : kWarningTitleMessage),
                    error ? kBoxError : kBoxWarning);
  DetailClear();
  return kOk;
}

}  // namespace engine
