// Configuration files: texts of statements of the expression language, one a line, evaluated as
// one statement list each, in the order of a list; later files override what earlier ones set.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// The programs' configuration files, in order; ";1" marks the one that must exist.
inline constexpr StrRef kConfigFiles = StrLit(
    "%APPPATH_DATA%\\%APNAME%CLCUSR.%DATABASE_HOST%.%DATABASE_DBNAME%.DAT,%APNAME%CLCUSR.DAT,"
    "%APPPATH_DATA%\\%APNAME%PARINI.DAT,%APNAME%CLCFIX.DAT;1,QNCLCUSR.DAT,"
    "%APPPATH_DATA%\\QNCLCUSR.DAT");

// Loads each comma field of `list` (name;required) in order, stopping at the first non-zero
// result; when all loaded, applies the language-variables file (LoadLangVars).
[[nodiscard]] Status LoadConfigFiles(StrRef list);
// Expands the name's variables and looks the file up (a name without a folder in the current
// folder and then along the search path of item (0, 5)); its lines joined with ';' are
// evaluated as one statement list, whose status of 128 or more is the result, the detail text
// then naming the file too. A missing or empty file is skipped unless it is required: 164 with
// the expanded name as detail text. A file that exists but cannot be read gives its status with
// the name as detail text.
[[nodiscard]] Status LoadConfigFile(StrRef name, bool required);

}  // namespace engine
