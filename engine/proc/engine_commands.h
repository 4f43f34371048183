// The engine's command handlers: slots 0 to 5 of the command-handler chain, each carrying out a
// fixed group of commands (one table says which command belongs to which slot). The work of a
// command belongs to the subsystem that owns it, which registers the command's operation here; a
// command whose operation is not registered (or declines the form it was given, answering
// kCommandNotHandled) goes on along the chain, and answers 148 (FEATUREREMOVED) reported with its
// name when no later handler carries it out.
// CONNECT, SHELL, REMOTE and RC_UPDATE always answer 148.
//
// The operations the procedure subsystem carries out itself are registered by
// EngineCommandsInstall: KILL, SYSTEM, FILESELECT with a file set, FILESTRUCT, FILESCAN,
// RC_DELETE, RC_INSERT and RC_WRITE (through the data files' operations), and the commands of
// window_commands.h.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/proc/command_chain.h"

namespace engine {

inline constexpr uint16_t kEngineCommandSlots = 6;

using CommandOperation = Status (*)(const CommandArgs& args);

// Registers the operation that carries out `keyword` (null: none); a keyword that is no command
// of the engine's slots is ignored.
void CommandOperationSet(uint16_t keyword, CommandOperation operation);
CommandOperation CommandOperationAt(uint16_t keyword);

// Stores a command's result in _STAT (its low 16 bits).
void SetCommandStat(int32_t value);

// Fills slots 0 to 5 of the chain with the engine's handlers and registers the operations above.
void EngineCommandsInstall();

// The command line that SYSTEM hands to the command interpreter: the text with every %NAME%
// replaced by its value (path and environment variables, see ExpandPath) made one word of the
// interpreter's (SystemServices::CommandWord), so that no value can end its word or start
// another command. A '%' that does not open a name (letters, digits and '_' closed by '%') stays
// as written. Pushed.
StrRef SystemCommandLine(StrRef text);

}  // namespace engine
