// The dictionary text format: loading an application's prefix + "DICC.DAT" and prefix +
// "REL.DAT" (with their includes) into the dictionary tables.
//
// Each line's first two characters are a code: 0..30 a file line (holding '*'), an include line
// (a file line whose folder part holds '$') or a field line; 31..60 a key line, 61..90 an option
// line; 91 and above are ignored. A line that cannot be read as its kind fails the load with 163
// (BADINPUTDATA) and the line as detail text; the definitions read before it stay in place.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/data/dictionary.h"

namespace engine {

// The dictionary file names: entry 1 the dictionary, entry 2 the relations; 3 and 4 the
// relational-update texts, 5 the menu file.
inline constexpr StrRef kDictFileNames = StrLit("DICC.DAT,REL.DAT,RELUP.DAT,RELUPSQL.DAT,MENU.PPN");
inline constexpr uint16_t kDictLineLimit = 512;

// Loads prefix + "DICC.DAT" and then prefix + "REL.DAT", each from the first folder of the comma
// list `folders` that holds it. A file line with an empty folder takes `default_folder`. A
// missing DICC file is 164, reported with "[" + folders + "]" + file name; a missing REL file is
// no error. 163 for a bad line and for an include that would include itself again.
[[nodiscard]] Status DictLoad(StrRef folders, StrRef prefix, StrRef default_folder);

// Loads the dictionary text at `path` as a run-time structure on top of the dictionary: pushes
// the structure stack (168 when it is full), defines the files, fields, keys and options of its
// lines (key and option codes count from its own first file; includes are looked for along
// `folders`) and makes its last file the current file. A text that defines no file is 163; on
// any failure the stack is popped again, so nothing of the text stays defined.
[[nodiscard]] Status LoadStructure(StrRef path, StrRef folders);

// Reads the groups of a key line: after the first '<' (or from the start when there is none),
// groups of 4 digits (1-based start) and 3 digits (length), read while a group starts before the
// line's last character, at most kMaxKeySegments. 163 when no group is found or a group is not
// digits.
[[nodiscard]] Status ParseKeyGroups(StrRef line, KeySegments* segments);

// Where `name` is found along the comma list of folders: the joined path (pushed), or the status
// value 164 when no folder holds it.
StrRef FindAlongFolders(StrRef folders, StrRef name);

}  // namespace engine
