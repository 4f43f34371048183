// The navigation commands as one table, and FILELOCATE and FILEFIND on the record files.
#include "engine/data/navigation.h"

#include "engine/core/text_ops.h"
#include "engine/data/dictionary.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/lang/function_seams.h"

namespace engine {

namespace {

struct NavCommand {
  StrRef name;
  StrRef alias;  // a longer name that means the same command, matched exactly
  uint16_t word;
};

// In command-number order. The low byte of a word is the KeyStep flags, the high byte the save
// options (0x08 key check, 0x07 insert / update / delete, 0x01 apply the record as saved, 0x02
// withdraw the record as it was).
constexpr NavCommand kNavCommands[kNavCommandCount] = {
    {StrLit("NEW"), StrLit(""), 0x0F01},         {StrLit("TOP"), StrLit(""), 0x0F24},
    {StrLit("PRV"), StrLit("PREVIOUS"), 0x0F16}, {StrLit("RLD"), StrLit(""), 0x0000},
    {StrLit("NXT"), StrLit("NEXT"), 0x0F12},     {StrLit("BOT"), StrLit("BOTTOM"), 0x0F20},
    {StrLit("FND"), StrLit(""), 0x0040},         {StrLit("SVE"), StrLit(""), 0x0F00},
    {StrLit("INS"), StrLit(""), 0x0D00},         {StrLit("DEL"), StrLit(""), 0x0642},
    {StrLit("LST"), StrLit(""), 0x0042},         {StrLit("NLS"), StrLit(""), 0x00FF},
    {StrLit("BLS"), StrLit(""), 0x0046},         {StrLit("IMP"), StrLit(""), 0x00FF},
    {StrLit("MDE"), StrLit(""), 0x00FF},         {StrLit("DDE"), StrLit(""), 0x00FF},
    {StrLit("PRN"), StrLit(""), 0x00FF},         {StrLit("TSL"), StrLit(""), 0x00FF},
};

bool SameIgnoringCase(StrRef a, StrRef b) {
  if (a.len != b.len) return false;
  for (uint16_t i = 0; i < a.len; ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

constexpr uint8_t kTopFlags = 0x24;
constexpr uint8_t kNextFlags = 0x10;

}  // namespace

uint16_t NavCommandNumber(StrRef command) {
  if (command.IsStatus() || command.empty()) return 0;
  for (uint16_t n = 0; n < kNavCommandCount; ++n) {
    if (!kNavCommands[n].alias.empty() && command.view() == kNavCommands[n].alias.view()) {
      return n + 1u;
    }
  }
  for (uint16_t n = 0; n < kNavCommandCount; ++n) {
    if (SameIgnoringCase(command, kNavCommands[n].name)) return n + 1u;
  }
  return 0;
}

uint16_t NavCommandWordOf(uint16_t number) {
  return number >= 1 && number <= kNavCommandCount ? kNavCommands[number - 1u].word
                                                   : kNavUnknownWord;
}

uint16_t NavCommandWord(StrRef command) { return NavCommandWordOf(NavCommandNumber(command)); }

StrRef NavCommandName(uint16_t number) {
  return number >= 1 && number <= kNavCommandCount ? kNavCommands[number - 1u].name : StrLit("");
}

Status FileLocate(StrRef command, uint8_t file) {
  if (command.IsStatus()) return StrCheck(command);
  const uint16_t number = NavCommandNumber(command);
  if (number == kNavDelete) return RecordDelete(file, 0);
  return KeyStep(file, static_cast<uint8_t>(NavCommandWordOf(number) & 0xFF));
}

Status FileFind(StrRef text, uint8_t file, uint16_t key, uint16_t mode) {
  if (text.IsStatus()) return StrCheck(text);
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  if (mode & kFindModeSecond) {
    if (key != kCurrentKey) {
      status = CheckFileKey(file, key);
      if (!status.ok()) return DataReport(status, FileBaseName(file));
      FileCtrl(file).key = key;
    }
    status = KeyStep(file, kTopFlags);
    return status.ok() ? KeyStep(file, kNextFlags) : status;
  }
  status =
      KeyFind(file, key, text, static_cast<uint8_t>(mode & (kFindModePrefill | kFindModeGreater)));
  if (status != kEndOfFile || !(mode & kFindModeInsert) || text.empty()) return status;
  status = KeyFieldsSet(file, FileCtrl(file).key, text);
  return status.ok() ? RecordInsert(file) : status;
}

}  // namespace engine
