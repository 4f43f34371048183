// The command-handler chain: 16 slots through which the subsystems (and the application module)
// carry out the command statements of procedures (the keywords from ACCEPT on). A command goes
// to the first filled slot from 0 upward; a handler that does not know it answers
// kCommandNotHandled and the command goes on to the next filled slot.
//
// The engine fills slots 0 to 5 at start-up (engine_commands.h); registering a handler into a
// slot replaces the slot's handler.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr uint16_t kCommandSlots = 16;
inline constexpr uint16_t kMaxCommandArgs = 16;
// What a handler answers for a command it does not carry out.
inline constexpr uint16_t kCommandNotHandled = kNothing;
// Bit of CommandArgs::kinds: the argument is a string.
inline constexpr uint16_t kCommandArgString = 1;

// The evaluated arguments of a command statement, numbered from 1. Each is there twice: as a
// 16-bit integer (a number rounded; 0 for a string) and as a text (a string, or the canonical
// text of a number). Arguments beyond the count read as 0 and the empty text. The texts live on
// the StringArea until the executor releases its mark after the command.
struct CommandArgs {
  uint16_t count = 0;
  uint16_t kinds[kMaxCommandArgs] = {};
  int16_t integers[kMaxCommandArgs] = {};
  StrRef texts[kMaxCommandArgs];

  int16_t Integer(uint16_t n) const { return n >= 1 && n <= count ? integers[n - 1] : 0; }
  StrRef Text(uint16_t n) const { return n >= 1 && n <= count ? texts[n - 1] : StrLit(""); }
  bool IsString(uint16_t n) const {
    return n >= 1 && n <= count && (kinds[n - 1] & kCommandArgString) != 0;
  }
};

// Cuts a (bracket-expanded) statement text at its commas into at most 16 argument expressions
// and evaluates each; a blank one is omitted (0 and the empty text). The first argument that
// fails is the result; 147 reported with the text for more than 16. The values stay on the
// StringArea above the caller's mark.
[[nodiscard]] Status CommandArgsEvaluate(StrRef text, CommandArgs* args);

using CommandHandler = Status (*)(uint16_t keyword, const CommandArgs& args);

// Fills a slot (null empties it); a slot above 15 is ignored.
void CommandHandlerSet(uint16_t slot, CommandHandler handler);
CommandHandler CommandHandlerAt(uint16_t slot);
// Empties every slot.
void CommandHandlersClear();

// Gives the command to the chain: the first handler that carries it out answers. 148
// (FEATUREREMOVED) when the chain has no handler at all; 147 reported with the keyword when no
// handler carries it out.
[[nodiscard]] Status CommandDispatch(uint16_t keyword, const CommandArgs& args);
// Offers the command to the filled slots from `first` upward, as a handler that does not carry a
// command out itself passes it on; kCommandNotHandled when none carries it out.
[[nodiscard]] Status CommandOffer(uint16_t first, uint16_t keyword, const CommandArgs& args);

}  // namespace engine
