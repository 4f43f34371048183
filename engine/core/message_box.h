// The standard message boxes of the engine, shown through the current WindowHost, and their
// answer letters (message 0011: the first byte of its first field is the positive answer, of
// its second field the negative one).
#pragma once

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr char kAnswerCancel = 3;

// The positive and negative answer letters of the current language.
char PositiveAnswer();
char NegativeAnswer();

// Shows a modal box of `kind` (engine/ui/window_host.h) with the text and the title, or the
// kind's own title when `title` is empty (message 0013 for errors, 0012 for warnings and
// retries, 0014 otherwise). Answers the positive letter for OK, Retry and Yes, the negative
// letter for No, and kAnswerCancel for Cancel, Abort and Ignore.
char ShowMessage(StrRef text, StrRef title, int kind);
// Whether the answer to a Yes/No box with the text is the positive letter.
bool AskYes(StrRef text);
// Shows ErrorReportText(code): an error box titled with message 0013 for a code of 128 or
// more, else a warning box titled with message 0012; then clears the detail text. A code of
// 0xFFFF with nothing latched shows nothing. Answers 0.
Status ShowStatus(Status code);

}  // namespace engine
