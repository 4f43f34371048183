// The command line: its normalized form (StringSlots item (0, 1)), the list of options the engine
// knows, and the look-up of an option's value. Options are written /NAME:value, -NAME:value,
// --NAME:value or NAME=value; a value holding ':' '/' '&' or blanks is enclosed in quotes.
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Option n is field n of this list.
inline constexpr StrRef kOptionNames = StrLit(
    "?;HELP,APNAME,APSTART,DPATH,SCRWID,SCRHIG,INPUT,OUTPUT,FILE,INDEX,DEVICE,RUN,MODE,TRACE,"
    "CONFIG,HOST,DATABASE,USER,PASSW");
inline constexpr uint16_t kOptHelp = 1;
inline constexpr uint16_t kOptApName = 2;
inline constexpr uint16_t kOptApStart = 3;
inline constexpr uint16_t kOptDPath = 4;
inline constexpr uint16_t kOptScrWid = 5;
inline constexpr uint16_t kOptScrHig = 6;
inline constexpr uint16_t kOptInput = 7;
inline constexpr uint16_t kOptOutput = 8;
inline constexpr uint16_t kOptFile = 9;
inline constexpr uint16_t kOptIndex = 10;
inline constexpr uint16_t kOptDevice = 11;
inline constexpr uint16_t kOptRun = 12;
inline constexpr uint16_t kOptMode = 13;
inline constexpr uint16_t kOptTrace = 14;
inline constexpr uint16_t kOptConfig = 15;
inline constexpr uint16_t kOptHost = 16;
inline constexpr uint16_t kOptDatabase = 17;
inline constexpr uint16_t kOptUser = 18;
inline constexpr uint16_t kOptPassw = 19;

// The process's command line as a Windows program receives it: the program name as it was
// invoked (quoted when it holds a blank), then the arguments, joined with single blanks. An
// argument is taken as it stands, so a value carries its own quotes inside the argument.
std::string JoinCommandLine(int argc, const char* const* argv);

// The command line trimmed, every double blank reduced to one until none is left, then every
// " --" and after that every " -" outside quotes written " /". 158 (BADCOMMANDLINE) with the
// command line as detail text when a quote is never closed.
StrRef NormalizeCommandLine(StrRef line);

// Field n of kOptionNames (a view); the empty string for 0 or beyond the list.
StrRef OptionName(uint16_t n);
// The value of option n in the command line of item (0, 1), trimmed and unquoted (an unquoted
// value in upper case); looked up as written, then once more with the name in lower case. The
// empty string when the option is absent. Pushes one temporary.
StrRef OptionValue(uint16_t n);
// The number of the comma field of `list` equal to the option's value; 0 when none.
uint16_t OptionIn(uint16_t n, StrRef list);

}  // namespace engine
