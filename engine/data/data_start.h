// The start and stop of the data files: the dictionary loaded, each file's number given to a
// variable named after it, field references connected to the evaluator; and at the end every
// file closed, the dictionary and the open sets forgotten, the temporary copies deleted.
#pragma once

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// DictLoad(folders, prefix, default folder), then AssignFileVariables, InstallFieldAccess and
// InstallDataFunctions (also after a failed load, for the files read before the failing line).
// The load's status.
[[nodiscard]] Status DataStart(StrRef folders, StrRef prefix, StrRef default_folder);
// Assigns to each file's base name in lower case, as an integer variable, the file's number. The
// first failure is the result; every file is tried.
[[nodiscard]] Status AssignFileVariables();
// Closes every open file (the first failure is the result) with its record lists, empties the
// open sets, the relational-update texts, the last condition and the distinct-value list, clears
// the dictionary, deletes the temporary copies and disconnects the field references and
// functions.
[[nodiscard]] Status DataStop();

}  // namespace engine
