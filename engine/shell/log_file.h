// The trace log: the file named in StringSlots item (9, 10), else the application prefix
// followed by "log.txt" (LogFileName of diagnostics.h), written one line at a time when _TRACE
// holds the line's category.
#pragma once

#include <cstdint>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

// Makes `name` the log file (item (9, 10)) and deletes any existing file of that name.
[[nodiscard]] Status SetLogFile(StrRef name);
// When _TRACE has any bit of `category`, appends the text and CR LF to the log file; a status
// value is written as "Error #" and its number. The status of the write; 0 when nothing was due.
Status LogLine(StrRef text, uint16_t category);

}  // namespace engine
