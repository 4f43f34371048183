// The language texts that formatting uses: the decimal and thousands characters, the characters
// a typed number may hold, the logical input characters and display texts, the month names and
// the long-date template, and the language's order of day and month.
//
// The locale text lives in StringSlots item (0, 0): message 0019, a NUL, message 0117, a NUL and
// one blank. Message 0019 is the two separator characters followed by a comma list of three
// quoted items (number characters, logical input characters, logical display texts); message
// 0117 is a comma list of two quoted items (the twelve month names, the long-date template).
// Stored forms never use the language: they use the engine's own English copy of 0019.
#pragma once

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// The engine's built-in copy of the English number and logical texts (message 0019).
inline constexpr StrRef kStoredFormatTexts = StrLit(".,'0123456789.-D',' NY','  ,NO,YES'");

// The languages that write and read dates day first.
inline constexpr StrRef kDayFirstLanguages = StrLit("ES,FR,IT");

// Views of the parts of the locale text. They point into a temporary pushed by
// LoadFormatParams (or into constant text) and stay valid until the caller releases its mark.
struct FormatParams {
  char decimal = '.';
  char thousands = ',';
  StrRef number_chars;     // the characters a typed number may hold
  StrRef logical_input;    // the characters typed for blank, no, yes
  StrRef logical_text[3];  // what a logical value shows for blank, no, yes
  StrRef month_names;      // comma list of twelve names (empty in the stored-form copy)
  StrRef long_date;        // template with [D], [M], [Y]
};

// The language's parameters: from item (0, 0), or, while it is empty, from messages 0019 and
// 0117 of the catalogue. Pushes the text it reads; the caller releases.
[[nodiscard]] Status LoadFormatParams(FormatParams* params);
// The parameters of stored forms (kStoredFormatTexts); pushes nothing.
FormatParams StoredFormatParams();

// The text item (0, 0) holds: message 0019, NUL, message 0117, NUL, blank. Pushed.
StrRef LocaleText();

// Whether the language (item (0, 4)) writes dates day first.
bool DayFirstLanguage();

}  // namespace engine
