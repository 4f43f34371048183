// The command line and its options.
#include "engine/shell/command_line.h"

#include <string_view>

#include "engine/core/error_latch.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"

namespace engine {

std::string JoinCommandLine(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    if (i > 0) line += ' ';
    if (i == 0 && arg.find(' ') != std::string_view::npos) {
      line += '"';
      line += arg;
      line += '"';
    } else {
      line += arg;
    }
  }
  return line;
}

namespace {

// The position of a quote that is never closed; kNothing when every quote is.
uint16_t UnclosedQuote(StrRef s) {
  for (uint16_t i = 0; i < s.len; ++i) {
    if (!IsQuoteChar(s[i])) continue;
    const uint16_t close = StrFindChar(s, i + 1u, s[i], true);
    if (close == kNothing) return i;
    i = close;
  }
  return kNothing;
}

}  // namespace

StrRef NormalizeCommandLine(StrRef line) {
  if (line.IsStatus()) return line;
  StrAreaScope scope;
  if (UnclosedQuote(line) != kNothing) {
    return scope.Return(StrError(ReportStatus(kBadCommandLine, StrTrim(line, kTrimBoth))));
  }
  StrRef s = StrTrim(line, kTrimBoth);
  while (StrFindText(s, StrLit("  "), true) != kNothing) {
    s = StrReplace(s, StrLit("  "), StrLit(" "), true);
  }
  s = StrReplace(s, StrLit(" --"), StrLit(" /"), false);
  s = StrReplace(s, StrLit(" -"), StrLit(" /"), false);
  return scope.Return(s);
}

StrRef OptionName(uint16_t n) { return ListField(kOptionNames, ',', n); }

StrRef OptionValue(uint16_t n) {
  StrAreaScope scope;
  const StrRef name = OptionName(n);
  if (name.empty()) return scope.Return(StrLit(""));
  const StrRef line = SlotGet(kGroupEnvironment, kEnvCommandLine);
  if (ParamFind(line, name, ParamForm::kText).found()) {
    return scope.Return(ParamValue(line, name, kParamFieldValue));
  }
  const bool upper_first = name[0] >= 'A' && name[0] <= 'Z';
  const StrRef other = upper_first ? StrLower(name) : StrUpper(name);
  if (ParamFind(line, other, ParamForm::kText).found()) {
    return scope.Return(ParamValue(line, other, kParamFieldValue));
  }
  return scope.Return(StrLit(""));
}

uint16_t OptionIn(uint16_t n, StrRef list) {
  StrAreaScope scope;
  const StrRef value = OptionValue(n);
  if (value.IsStatus()) return 0;
  return ListFind(list, ',', value);
}

}  // namespace engine
