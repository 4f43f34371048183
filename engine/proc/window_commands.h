// The procedure commands carried out through the window layer: message boxes (MESSAGE), waiting
// (WAIT), the selection window (WINMENU) and the progress window (WINOPEN, WINPROG and WINCLOSE
// given "PROGRESS"). The procedure windows themselves (WINOPEN with a size, WINCLOSE of such a
// window, PRINT, ACCEPT, READ ...) belong to the forms: those forms of the commands are declined
// here and go on along the command-handler chain.
#pragma once

namespace engine {

// Registers the operations above with the engine's command slots (engine_commands.h).
void WindowCommandsInstall();

}  // namespace engine
