// Words for statuses and every user-visible text: the error and site names, the message
// catalogue (the engine's codes 0001..0999 built in, the application's 1000 and above
// registered by its module), the language file that replaces catalogue texts, the status and
// error-report texts, and the LANGVARS file that assigns message texts to variables.
//
// Every operation here that answers a string pushes one temporary (StrAreaReturn), except
// ErrorName and SiteName, which answer views of constant text.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// ---- Names -----------------------------------------------------------------------------

// The engine's name of a status code ("OUTOFMEMORY", "User Canceled"); "Undefined" for 121
// and every code that has no name.
StrRef ErrorName(uint16_t code);
// The name of an ErrorLatch site ("Streams"); the empty string for 0 and unknown sites.
StrRef SiteName(uint16_t site);

// ---- Catalogue -------------------------------------------------------------------------

// Registers the application's catalogue: one block of entries "NNNN text" separated by TABs
// (a TAB inside a quoted part of a text does not end it), codes 1000 and above. The block
// must stay valid for the rest of the run (static text). An empty block removes it.
void SetAppCatalogue(StrRef block);

// Whether the text starts with a message code: four decimal digits, not 0000, and either
// nothing more or a byte after them that is neither a letter nor a digit. "0031", "0031 Text"
// are codes; "12.5", " 100", "00312" and "Text" are not.
bool IsMessageCode(StrRef text);

// The text of the message whose code starts `code_text`, which may carry a default text after
// one separator ("0031 Process not defined"). In order: the loaded language file's text when
// the file covers the code (a code it skipped has the empty text); the default text when one
// is given; the built-in catalogue's text; else the empty string. A text that is not a message
// code is answered as it stands. The language file is loaded on the first call.
StrRef Message(StrRef code_text);
// Message of the code written with four digits.
StrRef Message(uint16_t code);

// The words for a status: 0xFFFF stands for the latched code when there is one; 0 gives
// message 0005; 1..120 message 0008; 121 and 126 the detail text when there is one, else the
// error name; every other code its error name.
StrRef StatusText(Status code);
// StatusText; for an error (128 or more) message 0009 in front, the latched site's name in
// parentheses after the name when the latch holds a site, and ": " with the detail text when
// there is one: "Error STRINGTOOLONG(FormatStrings): A.DAT".
StrRef ErrorReportText(Status code);

// ---- Languages -------------------------------------------------------------------------

inline constexpr StrRef kLanguageCodes = StrLit("EN,ES,FR,DE,IT");
inline constexpr StrRef kLanguageSuffixes = StrLit("_en,_es,_fr,_de,_it");

// The position (1..5) of the current language code (StringSlots item (0, 4)) in
// kLanguageCodes; 0 when it is not one of them.
uint16_t LanguageIndex();
// The name with the suffix of language `index` inserted before its extension (or appended when
// it has none): "HELP.HLP", 2 gives "HELP_es.HLP". Index -1 takes LanguageIndex(); 0 or an
// index without a suffix gives the name unchanged.
StrRef LanguageFileName(StrRef name, int index);

enum class LanguageState : uint8_t {
  kNotTried,  // nothing loaded yet; the next Message loads
  kBuiltIn,   // tried: no file, or it could not be read
  kLoaded,
};
LanguageState LanguageTableState();
// Loads "QN_LANG_" + language code + ".MSJ" now, from the current folder or else along the
// search path (item (0, 5)); with no language code set, the first file of any language. Lines
// are "NNNN text" (the text from the sixth byte; "\n" in it stands for CR LF); a line that
// does not start with a message code, or whose code is not above the previous line's, is
// skipped. At most kLanguageEntries codes are kept from the first one; codes after them and
// codes outside the file's range keep the built-in texts. Answers the state reached.
LanguageState LanguageLoad();
// Forgets the loaded texts: the next Message loads the file again.
void LanguageReset();
inline constexpr uint16_t kLanguageEntries = 256;

// The application prefix used in file names: the first two bytes of the application code
// (field 1, split on ':', of StringSlots item (0, 2)).
StrRef AppPrefix();

// ---- LANGVARS --------------------------------------------------------------------------

// Evaluates one assignment statement ("NAME=value") of the expression language; filled in by
// the expression evaluator.
using AssignFn = Status (*)(StrRef statement);
void SetLangVarsEvaluator(AssignFn fn);

// Reads the file AppPrefix() + "LANGVARS.DAT" from the current folder: each line NAME=NNNN
// assigns the text of message NNNN to the variable NAME (quoted when NAME ends in '$', a
// string variable). A missing file is 0. Every line is evaluated; the result is the status of
// the first assignment that failed with 128 or more, whose detail text is kept, else 0. A line
// that is not NAME=NNNN fails with 163; without an evaluator every assignment fails with 155.
[[nodiscard]] Status LoadLangVars();

}  // namespace engine
