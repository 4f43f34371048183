// The slots of the command-handler chain, the dispatch along them and the evaluation of a
// command's arguments.
#include "engine/proc/command_chain.h"

#include <algorithm>
#include <array>

#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/lang/expression.h"
#include "engine/lang/number.h"
#include "engine/proc/procedure_compiler.h"

namespace engine {

namespace {

std::array<CommandHandler, kCommandSlots> g_handlers{};

constexpr char kArgumentSeparator = ',';

// The end of the argument that starts at `from`: the next comma outside quotes and parentheses
// (a comma inside a function's argument list belongs to that call), or the end of the text.
uint16_t ArgumentEnd(StrRef text, uint16_t from) {
  int depth = 0;
  for (uint16_t i = from; i < text.len; ++i) {
    const char c = text[i];
    if (IsQuoteChar(c)) {
      const uint16_t close = StrFindChar(text, i + 1u, c, true);
      if (close == kNothing) return text.len;
      i = close;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      --depth;
    } else if (c == kArgumentSeparator && depth <= 0) {
      return i;
    }
  }
  return text.len;
}

Status EvaluateOne(StrRef expression, uint16_t n, CommandArgs* args) {
  args->integers[n] = 0;
  args->kinds[n] = 0;
  args->texts[n] = StrLit("");
  if (StrTrim(expression, kTrimBoth).empty()) return kOk;
  ValueKind kind;
  const Status status = Evaluate(expression, &kind);
  if (IsEvalFailure(status)) return status;
  if (kind == ValueKind::kString) {
    args->kinds[n] = kCommandArgString;
    args->texts[n] = StrAreaTop();
    return kOk;
  }
  const int64_t number = NumberAt(StrAreaTop());
  args->integers[n] = NumberToInteger(number);
  const StrRef text = NumberToText(number);
  if (text.IsStatus()) return StrCheck(text);
  args->texts[n] = text;
  return kOk;
}

}  // namespace

Status CommandArgsEvaluate(StrRef text, CommandArgs* args) {
  *args = CommandArgs{};
  if (text.IsStatus()) return StrCheck(text);
  if (StrTrim(text, kTrimBoth).empty()) return kOk;
  uint16_t from = 0;
  while (true) {
    const uint16_t end = ArgumentEnd(text, from);
    if (args->count == kMaxCommandArgs) return ReportStatus(kSyntaxError, text);
    const Status status = EvaluateOne(StrMake(text.ptr + from, end - from), args->count, args);
    if (!status.ok()) return status;
    ++args->count;
    if (end >= text.len) return kOk;
    from = end + 1;
  }
}

void CommandHandlerSet(uint16_t slot, CommandHandler handler) {
  if (slot < kCommandSlots) g_handlers[slot] = handler;
}

CommandHandler CommandHandlerAt(uint16_t slot) {
  return slot < kCommandSlots ? g_handlers[slot] : nullptr;
}

void CommandHandlersClear() { g_handlers.fill(nullptr); }

Status CommandOffer(uint16_t first, uint16_t keyword, const CommandArgs& args) {
  for (uint16_t slot = first; slot < kCommandSlots; ++slot) {
    if (!g_handlers[slot]) continue;
    const Status status = g_handlers[slot](keyword, args);
    if (status != kCommandNotHandled) return status;
  }
  return kCommandNotHandled;
}

Status CommandDispatch(uint16_t keyword, const CommandArgs& args) {
  const bool any = std::any_of(g_handlers.begin(), g_handlers.end(),
                               [](CommandHandler handler) { return handler != nullptr; });
  const Status status = any ? CommandOffer(0, keyword, args) : Status(kCommandNotHandled);
  if (status != kCommandNotHandled) return status;
  return ReportStatus(any ? kSyntaxError : kFeatureRemoved, KeywordName(keyword));
}

}  // namespace engine
