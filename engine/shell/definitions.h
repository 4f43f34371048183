// Definition files and task parameters: the definition-file types and their extensions, the
// definition stack (StringSlots group 31) onto which definition files are read, and the numbered
// parameter names that tasks read from their parameter text, with the context prefix.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Definition-file type n is field n of this list.
inline constexpr StrRef kDefinitionTypes =
    StrLit("PPN,PAN,STP,DAT,DAT,PDC,PRX,QNA,PMT,PDF,TXT,PDI,HLP,CFG");
inline constexpr uint16_t kDefPpn = 1;
inline constexpr uint16_t kDefPan = 2;
inline constexpr uint16_t kDefStp = 3;
inline constexpr uint16_t kDefDat = 4;
inline constexpr uint16_t kDefPdc = 6;
inline constexpr uint16_t kDefPmt = 9;

// The name with "." and the extension of the type appended. Pushes one temporary.
StrRef DefFileName(StrRef name, uint16_t type);

// The record type of a line of a definition file of `type`: the decimal number, blanks read as
// zeros, in the columns the type keeps it in; 0 for types without record types.
uint16_t LineRecordType(uint16_t type, StrRef line);
// The text of a line without its record type (a view).
StrRef LineRecordText(uint16_t type, StrRef line);

// Every record.
inline constexpr uint16_t kAllRecords = 0xFFFF;

// Reads the definition file `name` along the definition search path: all its lines, or with a
// record type the texts of the lines of that record type (read as a file of `type`), joined with
// `separator`, and pushes the result on the definition stack. 164 with the name as detail text
// when the file does not exist; 164 too when no line has that record type.
[[nodiscard]] Status ReadDefinition(StrRef name, uint16_t record, uint16_t type, char separator);
// ParamValue(top of the definition stack, key, 3); pushes one temporary.
StrRef DefinitionValue(StrRef key);
// Pops the definition stack.
[[nodiscard]] Status DropDefinition();

// The name of task parameter n, with the context prefix ("LINE.DOCNAME$") when _AUX is not 0;
// the empty string for a number without a name. Pushes one temporary.
StrRef TaskParamName(uint16_t n);
// The value of task parameter n for the current task window: looked up in the window's
// parameter text, then without the context prefix, then as the variable of that name with every
// '%' removed. A field other than 0 or 0xFFFF selects that comma field of the value. Pushes one
// temporary.
StrRef TaskParam(uint16_t n, uint16_t field);
// DefinitionValue(TaskParamName(n)).
StrRef DefinitionParam(uint16_t n);

// Parameter numbers the shell reads.
inline constexpr uint16_t kParamCond = 74;
inline constexpr uint16_t kParamTitle = 80;
inline constexpr uint16_t kParamSteps = 98;
inline constexpr uint16_t kParamParmFile = 104;
inline constexpr uint16_t kParamParmFileWrite = 105;

}  // namespace engine
