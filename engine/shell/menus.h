// Menus: the main window's menu bar built from a menu file. Two formats exist: the indented
// format (PMT files), one entry a line with TABs giving the nesting, and the record format (PPN
// files), numbered records of modules, option captions and commands, which is first converted
// into indented lines. Options are numbered from command 1500 in reading order; the task line of
// option k is StringSlots item (5, k - 1500), and choosing it runs that line.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/ui/window_host.h"

namespace engine {

inline constexpr uint16_t kMenuFirstCommand = 1500;
inline constexpr uint16_t kMenuOptionLimit = 200;  // commands 1500..1699 run their task line
inline constexpr uint16_t kMenuLinesPmt = 37;      // StringSlots queue of a PMT file's lines
inline constexpr uint16_t kMenuLinesPpn = 38;      // ... and of a converted PPN file

// The line reader: one indented line at a time from a StringSlots queue.
struct MenuLineReader {
  uint16_t group = kMenuLinesPmt;
  uint16_t left = 0;  // lines not yet removed, the current one included
  uint16_t previous_level = 0;
  uint16_t level = 0;
  int16_t change = 0;  // level - previous level
  StrRef text;         // the entry text after the level TABs, right-trimmed (a temporary)
  bool option = false;
};

// Reads the queue's first line; false when the queue is empty.
bool MenuLineFirst(MenuLineReader* reader, uint16_t group);
// Removes the current line and reads the next one; false when no line is left.
bool MenuLineNext(MenuLineReader* reader);

// Reads the lines of an indented menu file (found along the search path) into queue 37.
[[nodiscard]] Status ReadMenuLines(StrRef file);
// Converts a record-format menu file into indented lines in queue 38. 164 with the file name in
// the detail text when a record it names is missing.
[[nodiscard]] Status ConvertRecordMenu(StrRef file);

// Builds the menu bar from the lines of a queue, storing the options' task lines in group 5.
// Before an entry is added, every open popup deeper than the entry's level is closed (appended
// to its parent under its caption). `file` names the menu file in the detail text of a failure.
// A menu without any popup is 163 with the file name as detail text; 145 when the string area
// runs short. *menu receives the bar, kNoMenu on failure.
[[nodiscard]] Status BuildMenu(uint16_t group, StrRef file, MenuHandle* menu);

// The menu of a menu name (its first comma field): the PMT file of that name along the search
// path, else the PPN file. kNoMenu when neither exists (*status 0) or when the menu could not be
// built (the failure is shown and left in *status).
MenuHandle LoadMenu(StrRef name, Status* status = nullptr);

// Runs the task line of option k (command 1500 + k) through the task dispatcher.
[[nodiscard]] Status RunMenuOption(uint16_t k);

}  // namespace engine
