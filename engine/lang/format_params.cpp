// The language texts that formatting uses, read from the locale text.
#include "engine/lang/format_params.h"

#include <cstring>

#include "engine/core/list_string.h"
#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"

namespace engine {

namespace {

constexpr uint16_t kNumberTextsMessage = 19;
constexpr uint16_t kDateTextsMessage = 117;
constexpr char kLocaleSeparator = '\0';

void ReadNumberTexts(StrRef text, FormatParams* params) {
  if (text.len >= 2) {
    params->decimal = text[0];
    params->thousands = text[1];
  }
  const StrRef rest = StrSub(text, 2, -1);
  params->number_chars = StrUnquote(ListField(rest, ',', 1));
  params->logical_input = StrUnquote(ListField(rest, ',', 2));
  const StrRef shown = StrUnquote(ListField(rest, ',', 3));
  for (uint16_t i = 0; i < 3; ++i) params->logical_text[i] = ListField(shown, ',', i + 1);
}

void ReadDateTexts(StrRef text, FormatParams* params) {
  params->month_names = StrUnquote(ListField(text, ',', 1));
  params->long_date = StrUnquote(ListField(text, ',', 2));
}

}  // namespace

Status LoadFormatParams(FormatParams* params) {
  *params = FormatParams{};
  const StrRef item = SlotGet(kGroupEnvironment, kEnvLocale);
  const StrRef text = item.empty() ? LocaleText() : StrAreaReturn(StrAreaMark(), item);
  if (text.IsStatus()) return StrCheck(text);
  ReadNumberTexts(ListField(text, kLocaleSeparator, 1), params);
  ReadDateTexts(ListField(text, kLocaleSeparator, 2), params);
  return kOk;
}

FormatParams StoredFormatParams() {
  FormatParams params;
  ReadNumberTexts(kStoredFormatTexts, &params);
  return params;
}

StrRef LocaleText() {
  StrAreaScope scope;
  const StrRef numbers = Message(kNumberTextsMessage);
  const StrRef dates = Message(kDateTextsMessage);
  if (numbers.IsStatus()) return scope.Return(numbers);
  if (dates.IsStatus()) return scope.Return(dates);
  const size_t length = numbers.len + dates.len + 3u;
  if (length > kMaxStrLen) return scope.Return(StrError(kStringTooLong));
  Status status = StrAreaAlloc(length);
  if (!status.ok()) return scope.Return(StrError(status));
  char* out = StrWritable(StrAreaTop());
  std::memcpy(out, numbers.ptr, numbers.len);
  out[numbers.len] = kLocaleSeparator;
  std::memcpy(out + numbers.len + 1, dates.ptr, dates.len);
  out[length - 2] = kLocaleSeparator;
  out[length - 1] = ' ';
  return scope.Return(StrAreaTop());
}

bool DayFirstLanguage() {
  const StrRef language = SlotGet(kGroupEnvironment, kEnvLanguage);
  return !language.empty() && ListFind(kDayFirstLanguages, ',', language) != 0;
}

}  // namespace engine
