// The data-file side of the built-in functions (function_seams.h): FN#FLEN's record count, the
// file sets of FILESEL, the stored bytes of FN$FLDS, the key text of KEY$ and the last status of
// IER, answered from the dictionary and the record files. FILEFIND, FILELOCATE and FILEREL belong
// to navigation and relations; until those are connected they answer as the engine without them
// (148, reported with the function's name).
#pragma once

namespace engine {

// Makes the record files answer the built-in functions; Remove restores the default.
void InstallDataFunctions();
void RemoveDataFunctions();

}  // namespace engine
