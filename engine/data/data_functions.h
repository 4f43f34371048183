// The data-file side of the built-in functions (function_seams.h): the keyed search of FILEFIND,
// the navigation commands of FILELOCATE, the relations of FILEREL, FN#FLEN's record count, the
// file sets of FILESEL, the stored bytes of FN$FLDS, the key text of KEY$ and the last status of
// IER, answered from the dictionary and the record files.
#pragma once

namespace engine {

// Makes the record files answer the built-in functions; Remove restores the default.
void InstallDataFunctions();
void RemoveDataFunctions();

}  // namespace engine
