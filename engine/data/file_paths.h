// The paths of a data file's disk files by kind, the lock marker's name, the folder and list of
// the engine's temporary copies, and the joining of a folder and a name in the engine's form.
//
// Kinds: 1 the base name alone, 2 the data file (".FD"), 3 the index (".DIR", ".NDX" under bit 2
// of _COMPAT), 4 the index with the alternative extension (".NDX"), 5 the reorganisation copy
// (".TMP"), 6 a text file (".TXT"), 7 a new temporary copy in the temporary folder.
#pragma once

#include <cstdint>
#include <string>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr uint16_t kPathBaseName = 1;
inline constexpr uint16_t kPathData = 2;
inline constexpr uint16_t kPathIndex = 3;
inline constexpr uint16_t kPathIndexAlt = 4;
inline constexpr uint16_t kPathReorgCopy = 5;
inline constexpr uint16_t kPathText = 6;
inline constexpr uint16_t kPathTemporary = 7;

// Field k of this list is the extension of kind k.
inline constexpr StrRef kPathExtensions = StrLit(",FD,DIR,NDX,TMP,TXT");
inline constexpr StrRef kLockExtension = StrLit("lock");

// folder + "\" + name, without the separator when the folder is empty or ends in one or the name
// begins with one; every "/" becomes "\". Pushed.
StrRef DataPathJoin(StrRef folder, StrRef name);

// The path of `kind` for a file (pushed); the empty text for an undefined file or kind. Kind 7
// creates a new empty file of a unique name in the temporary folder and records it (see
// TemporaryFiles); the status value of the failure when it cannot be created.
StrRef FilePath(uint8_t file, uint16_t kind);
// The comma list of the paths of `kind` of every file, in file order (pushed).
StrRef FileNameList(uint16_t kind);
// The lock marker's name: the base name, "." and "lock", with no folder (pushed).
StrRef LockMarkerPath(uint8_t file);

// The folder in which kind 7 copies are made: the one set here, else the platform's temporary
// folder (TEMP, else TMPDIR, else /tmp).
void SetTemporaryFolder(StrRef folder);
std::string TemporaryFolder();
std::string PlatformTemporaryFolder();
// The number of kind 7 files made and not yet deleted, and their deletion (engine end). A file
// that is already gone counts as deleted.
uint16_t TemporaryFileCount();
void DeleteTemporaryFiles();
// Forgets a kind 7 file that its user deleted itself.
void ForgetTemporaryFile(StrRef path);

// Ten random hexadecimal digits for names that must not collide with another process's.
std::string UniqueToken();

}  // namespace engine
