// The navigation vocabulary of the data files: the eighteen command names with their 16-bit
// command words (the low byte the step flags of KeyStep, the high byte the save options that the
// save routine with relational update interprets), the three long aliases, and the keyed search
// and move operations behind FILELOCATE and FILEFIND.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr uint16_t kNavCommandCount = 18;
// The word of a name that is no command: clear the buffers, no save options.
inline constexpr uint16_t kNavUnknownWord = 0x00FF;

// Command numbers (positions in the command table).
inline constexpr uint16_t kNavNew = 1;
inline constexpr uint16_t kNavTop = 2;
inline constexpr uint16_t kNavPrevious = 3;
inline constexpr uint16_t kNavReload = 4;
inline constexpr uint16_t kNavNext = 5;
inline constexpr uint16_t kNavBottom = 6;
inline constexpr uint16_t kNavFind = 7;
inline constexpr uint16_t kNavSave = 8;
inline constexpr uint16_t kNavInsert = 9;
inline constexpr uint16_t kNavDelete = 10;

// The number (1..18) of a command: the name is first looked up exactly as written among the
// aliases (NEXT, PREVIOUS, BOTTOM), then among the command names regardless of letter case. 0
// when it is neither.
uint16_t NavCommandNumber(StrRef command);
// The command word of a number (kNavUnknownWord for 0 and numbers above 18), and of a name.
uint16_t NavCommandWordOf(uint16_t number);
uint16_t NavCommandWord(StrRef command);
// The command's name ("NXT"); the empty text for a number that is no command.
StrRef NavCommandName(uint16_t number);

// FILELOCATE: DEL deletes the current record (RecordDelete with no flags); every other command
// steps with the low byte of its word (KeyStep). The status of that operation.
[[nodiscard]] Status FileLocate(StrRef command, uint8_t file);

// FILEFIND mode bits.
inline constexpr uint16_t kFindModePrefill = 1;  // on a miss clear and set the key fields
inline constexpr uint16_t kFindModeGreater = 2;  // on status 1 read the next greater record
inline constexpr uint16_t kFindModeInsert = 4;   // past the last key insert the sought record
inline constexpr uint16_t kFindModeSecond = 8;   // ignore the text: the second record

// FILEFIND: with kFindModeSecond, the first record of the key and then the next one; otherwise
// KeyFind by `key` (kCurrentKey: the current one) with the low mode bits, and when that ends past
// the last key (status 2) under kFindModeInsert with a non-empty text, the key fields are set
// from the text in the current record and it is inserted. The status of the last operation.
[[nodiscard]] Status FileFind(StrRef text, uint8_t file, uint16_t key, uint16_t mode);

}  // namespace engine
