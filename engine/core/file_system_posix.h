// The POSIX file system and the path rules it applies at the boundary: Windows names become
// native ones (PathNative), and a name that does not exist as written is matched without regard
// to case in its folder (PathMatchCase). New files are created with the name as written.
#pragma once

#include <string>
#include <string_view>

namespace engine {

// Every '\' becomes '/', and a leading drive letter ("C:") is dropped: "C:\APPS" is "/APPS".
std::string PathNative(std::string_view name);

// The existing path that `native` names: the path itself when it exists; otherwise, folder by
// folder, the entry whose name equals the written one without regard to ASCII case (the first
// in byte order when several do). A part that matches nothing is kept as written, and so is
// everything after it, so that a new file gets the name as written inside existing folders.
std::string PathMatchCase(std::string native);

}  // namespace engine
