// The expression evaluator. An expression text is interpreted each time it is evaluated: a cursor
// walks it from left to right, evaluates every operand as soon as it is read, and combines the
// operands by operator priority (operators.h). There is no syntax tree; every value lives on the
// StringArea, and an evaluation allocates no heap memory except for new variables and arrays.
//
// Items separated by ';', ',' or ':' are evaluated one after the other; the value of the last is
// the result. A statement list (a configuration file, the lines of an expression file) is one
// such text.
//
// Statuses: 0 success; 123 the text (or its last item) is empty, the result being the number 0;
// 124..127 warnings that end nothing; 122 (User Canceled) and 128 and above are failures, which
// stop the evaluation, are reported with the operand's and the item's text (the detail text of
// error_latch.h) and, from 128, latched.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/lang/eval_hooks.h"
#include "engine/lang/variables.h"

namespace engine {

// Whether an evaluation status is a failure: 122, or 128 and above.
constexpr bool IsEvalFailure(Status status) {
  return status == kUserCanceled || status >= kTypeMismatch;
}

// Evaluates `text`. Unless it fails, the result is left as the newest temporary and *kind says
// whether it is a string or a number; a failure leaves the StringArea as it was found.
[[nodiscard]] Status Evaluate(StrRef text, ValueKind* kind);

// Evaluates a condition: *truth is set when the result is a non-zero number (a string is
// false). An empty or blank text is true without being evaluated. A failure is returned as the
// status, with *truth false: a condition that could not be evaluated never holds.
[[nodiscard]] Status EvalCondition(StrRef text, bool* truth);

// The result as a 16-bit integer (rounded, low 16 bits) or as the scaled 64-bit number; a string
// result is read as a number. On failure 0, with the status in *status when given.
int16_t EvalInteger(StrRef text, Status* status = nullptr);
int64_t EvalNumber(StrRef text, Status* status = nullptr);

// The result as text: a string as it is, a number as its canonical text; a failure as a status
// value.
StrRef EvalText(StrRef text);

// Evaluates for the effects only: the status when it is 128 or above, else 0 (a cancel stops
// the evaluation without being an error here).
[[nodiscard]] Status EvalStatus(StrRef text);

// Evaluates a statement list (items separated by ';', as a configuration file joined into one
// text), as EvalStatus does.
[[nodiscard]] Status EvalStatements(StrRef list);

// Evaluates an expression file: the file, looked up as given and then along the definition search
// path, has its lines joined with ';' and evaluated as one statement list (as EvalStatus). 164
// (File Not Found) reported with the name for a file that is missing or empty.
[[nodiscard]] Status EvalExpressionFile(StrRef name);

// Evaluates one assignment such as NAME=<value>: the text must hold exactly one item, and that
// item must assign (147 otherwise, with nothing evaluated). The status when it is 128 or above,
// else 0. Shaped to be handed to whoever reads assignments from a file.
[[nodiscard]] Status EvalAssignment(StrRef statement);

// ---- The evaluator's side of a function call -------------------------------------------

// Evaluates up to `limit` (never more than kMaxArguments) arguments from args->pos, pushing each
// on StringSlots group 35 (a number as its 8 bytes, an omitted argument as the byte 0x1B) and
// recording its kind; args->pos moves past the last argument evaluated. The first failure stops
// it. The StringArea is left as it was found.
[[nodiscard]] Status EvalArguments(ArgList* args, uint16_t limit, ArgKinds* kinds);

// Evaluates the next argument and leaves its value as the newest temporary (123 with the number
// 0 for an empty one).
[[nodiscard]] Status EvalNextArgument(ArgList* args, ValueKind* kind);

// The text of the next argument, unevaluated (a view), moving past it.
StrRef NextArgumentText(ArgList* args);

}  // namespace engine
