// StatMove: the expression function that walks the current file by its current key under a
// condition (NEW starts a scan, TOP starts it again, NXT goes on, BOT passes the group of the
// start text, RLD reads the reached record again, SVE updates a key group inside accumulate
// passes), keeping its result in the file's control record; and its registration, which also
// installs the engine's relation hook in hook slot 3.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr StrRef kStatMoveName = StrLit("StatMove");

// StatMove(command, from, to, condition) on the current file, `given` being the number of
// arguments written. With _UPSTAT bit 4 (inside passes) the moves step through the key (TOP takes
// the key named INDEX in `to` when more than one argument is given); without it they are scans
// with the last condition. 147 for a command other than NEW, TOP, RLD, NXT, BOT and SVE. A status
// below 128 becomes the file's last positioning status and is kept in the control record with the
// command and the record reached.
[[nodiscard]] Status StatMove(StrRef command, StrRef from, StrRef to, StrRef condition,
                              uint16_t given);

// Registers the function StatMove (a module function) and puts the engine's relation hook into
// hook slot 3; the applications call it at start-up.
[[nodiscard]] Status RegisterStatMove();

}  // namespace engine
