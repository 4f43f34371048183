// Paths and the %NAME% variables of file names: joining and resolving folders, the path
// variables (AppPath), the process environment variables the engine names, and the
// configuration variables taken from the environment strings (StringSlots group 0).
//
// Folders are written with '\' as the engine writes them; '/' is taken as a separator too, so
// that the program and current folders of a POSIX system join the same way.
#pragma once

#include <cstdint>

#include "engine/core/str_ref.h"

namespace engine {

// Path variable n is field n of this list; AppPath(n) is its value.
inline constexpr StrRef kPathVariables = StrLit(
    "APPPATH_RUNPATH,APPPATH_DEFAULT,APPPATH_DATA,APPPATH_DOCS,APPPATH_HELP,APPPATH_BACKUP,"
    "APPPATH_BACKREL");
inline constexpr uint16_t kPathRun = 1;
inline constexpr uint16_t kPathDefault = 2;
inline constexpr uint16_t kPathData = 3;
inline constexpr uint16_t kPathDocs = 4;
inline constexpr uint16_t kPathHelp = 5;
inline constexpr uint16_t kPathBackup = 6;
inline constexpr uint16_t kPathBackRel = 7;

// Environment variables a file name may hold, matched exactly or else without regard to case.
inline constexpr StrRef kEnvironmentVariables = StrLit(
    "ALLUSERSPROFILE,APPDATA,CommonProgramFiles,HOMEDRIVE,HOMEPATH,ProgramFiles,SYSTEMDRIVE,"
    "SystemRoot,TEMP,USERPROFILE");

// Configuration variables, expanded from the environment strings.
inline constexpr StrRef kConfigVariables = StrLit(
    "COMMANDLINE,APNAME,APDESCRIP,LANGMODULE,DOCPATH,DATAPATH,HELPPATH,DATABASE_HOST,"
    "DATABASE_DBNAME,DATABASE_USER,DATABASE_PASSW");

// folder, '\' and name; no separator is added when the folder ends with one (or ':') or the
// name begins with one; an empty folder gives the name alone, an empty name the folder. Pushes
// one temporary.
StrRef PathJoin(StrRef folder, StrRef name);
// Each leading ".." of `relative` removes the last folder of `base`; the rest is joined to what
// is left and every "\.\" becomes "\". A ".." that finds no folder left to remove stays in the
// result. Pushes one temporary.
StrRef PathResolve(StrRef base, StrRef relative);

// The path of path variable n (kPath*); the empty string for another n. Pushes one temporary.
StrRef AppPath(uint16_t n);

// The text with every %NAME% replaced by its value: a path variable, an environment variable,
// or a configuration variable; any other name by the empty string. The text is read once from
// left to right and each value is expanded the same way, except that a variable met inside its
// own value is left as written, so that expansion always ends. A '%' without a partner stays.
// Pushes one temporary.
StrRef ExpandPathVars(StrRef text);

// The process environment's value of the variable `name` (derived where the platform does not
// set it, see ProcessEnv); the empty string when it has none. Pushes one temporary.
StrRef EnvironmentVariable(StrRef name);

}  // namespace engine
