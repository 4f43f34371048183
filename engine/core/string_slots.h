// StringSlots: the engine's string registers. 39 groups of numbered items share 2,048 slots
// and one 65,535-byte block: 39 item counts, then 2,048 slot lengths (16 bits each), then
// the data of all slots packed in slot order. Reads return views into the block, which stay
// valid only until the next write to any slot.
#pragma once

#include <cstdint>

#include "engine/core/str_ref.h"

namespace engine {

inline constexpr uint16_t kSlotGroups = 39;
inline constexpr uint16_t kSlotCount = 2048;
inline constexpr uint32_t kSlotBlockSize = 65535;
inline constexpr uint32_t kSlotDataSize = kSlotBlockSize - (kSlotGroups + kSlotCount) * 2;

// Groups shared by several subsystems.
inline constexpr uint16_t kGroupEnvironment = 0;
inline constexpr uint16_t kGroupDictNames = 1;
inline constexpr uint16_t kGroupDictFolders = 2;
inline constexpr uint16_t kGroupDictFields = 3;
inline constexpr uint16_t kGroupDictOptions = 4;
inline constexpr uint16_t kGroupMenuTasks = 5;
inline constexpr uint16_t kGroupRecordBuffers = 6;
inline constexpr uint16_t kGroupRelUpdates = 7;
inline constexpr uint16_t kGroupPrintLines = 8;
inline constexpr uint16_t kGroupDiagnostics = 9;
inline constexpr uint16_t kGroupTransfer = 10;
inline constexpr uint16_t kGroupVarNames = 12;
inline constexpr uint16_t kGroupVarStrings = 13;
inline constexpr uint16_t kGroupReturnValues = 30;
inline constexpr uint16_t kGroupDefinitionStack = 31;
inline constexpr uint16_t kGroupReadQueue = 32;
inline constexpr uint16_t kGroupOpenFileSets = 33;
inline constexpr uint16_t kGroupWindowStack = 34;
inline constexpr uint16_t kGroupArguments = 35;
inline constexpr uint16_t kGroupInvoicingRun = 36;
inline constexpr uint16_t kGroupQueueA = 37;  // receives the lines of a file read whole
inline constexpr uint16_t kGroupQueueB = 38;

// Items of the environment group (0) and the diagnostics group (9) used across the engine.
inline constexpr uint16_t kEnvLocale = 0;
inline constexpr uint16_t kEnvCommandLine = 1;
inline constexpr uint16_t kEnvAppName = 2;
inline constexpr uint16_t kEnvAppDescription = 3;
inline constexpr uint16_t kEnvLanguage = 4;
inline constexpr uint16_t kEnvSearchPath = 5;
inline constexpr uint16_t kEnvDocsFolder = 6;
inline constexpr uint16_t kEnvHelpFolder = 7;
inline constexpr uint16_t kEnvButtonLabels = 9;
inline constexpr uint16_t kEnvMaskParams = 10;
inline constexpr uint16_t kEnvDatabase = 11;
inline constexpr uint16_t kDiagCondition = 1;
inline constexpr uint16_t kDiagContextNames = 8;
inline constexpr uint16_t kDiagLanguageTexts = 2;
inline constexpr uint16_t kDiagDetailText = 9;
inline constexpr uint16_t kDiagLogFile = 10;

// Allocates the cleared block (tag 1). 159 if the layout does not fit the block.
[[nodiscard]] Status StringSlotsStart();
// Frees the block (the memory stop calls it in its order).
void StringSlotsStop();

// A view of the item; the empty string (data start, length 0) for a group of 39 or more, an
// absolute slot of 2,048 or more, or an item at or above the group's count.
StrRef SlotGet(uint16_t group, uint16_t item);
// Stores a copy of s as the item, creating empty items up to it. 159 for a bad group or slot
// number or a full store (the ErrorLatch then records 156 at site 2); a status value is
// returned unchanged.
[[nodiscard]] Status SlotSet(uint16_t group, uint16_t item, StrRef s);
[[nodiscard]] Status SlotPush(uint16_t group, StrRef s);
// The newest item for groups 0..36 (stacks); the oldest for 37 and 38 (queues).
StrRef SlotLast(uint16_t group);
[[nodiscard]] Status SlotPop(uint16_t group);
// Removes the item (later slots of every group move down by one).
[[nodiscard]] Status SlotDelete(uint16_t group, uint16_t item);
// Pops while the group holds more than n items.
[[nodiscard]] Status SlotTruncate(uint16_t group, uint16_t n);
// Deletes the items from the last to the first, stopping at the first failure.
[[nodiscard]] Status SlotClearGroup(uint16_t group);
uint16_t SlotCount(uint16_t group);

struct SlotStats {
  uint16_t slots_used = 0;
  uint16_t bytes_used = 0;
};
SlotStats SlotGetStats();

}  // namespace engine
