// Streams: the engine's numbered file handles over the current FileSystem, with one opening
// rule, reads and writes at a position, a line reader for CR, LF and CR LF line ends, and
// whole-file helpers that read into the StringArea.
//
// There are 40 handles. 0, 1 and 2 are the standard input, output and error streams and are
// always there; opens take the lowest free handle from 3 on. Positions and sizes are 64-bit;
// the "current position" and "end of file" markers are values no real offset reaches.
//
// Failures of 128 or more are latched under the site "Streams" with the file name appended to
// the detail text, unless the open asked to be silent. The end of a file is not a failure: a
// read that finds nothing more answers kNothing and is never latched or reported.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

#include "engine/core/status.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr uint16_t kStreamHandles = 40;
inline constexpr uint16_t kStreamFirstFile = 3;
inline constexpr uint16_t kStdIn = 0;
inline constexpr uint16_t kStdOut = 1;
inline constexpr uint16_t kStdErr = 2;
inline constexpr uint16_t kNoHandle = 0xFFFF;

// Open flags. With neither kStreamWrite nor kStreamAppend an existing file is read.
inline constexpr uint16_t kStreamWrite = 2;      // create or empty the file
inline constexpr uint16_t kStreamAppend = 4;     // every write at the end; created when missing
inline constexpr uint16_t kStreamReadOnly = 8;   // without it: read and write, created if missing
inline constexpr uint16_t kStreamSilent = 0x80;  // a failure is neither latched nor reported
// Names of this length or longer are refused (163).
inline constexpr size_t kStreamNameLimit = 384;

// Position markers: where a read starts, where a write goes.
inline constexpr uint64_t kPosCurrent = std::numeric_limits<uint64_t>::max();
inline constexpr uint64_t kPosEnd = std::numeric_limits<uint64_t>::max();
// FileWriteAt: the file's content is replaced by the data.
inline constexpr uint64_t kPosReplace = std::numeric_limits<uint64_t>::max() - 1;
// Counts: one line (StreamRead, StreamReadLine), or everything to the end of the file
// (FileReadAt, FileReadAll).
inline constexpr size_t kReadLine = std::numeric_limits<size_t>::max();
inline constexpr size_t kReadToEnd = std::numeric_limits<size_t>::max() - 1;
// StreamSize of a stream without a size (the standard streams, an empty handle).
inline constexpr uint64_t kUnknownSize = std::numeric_limits<uint64_t>::max();

// Opens `name` and enters it under the lowest free handle:
// - kStreamWrite: read (unless kStreamReadOnly) and write, the file created or emptied;
// - kStreamAppend: the same, but the file is kept and every write goes to its end;
// - neither: an existing file is read (and written, without kStreamReadOnly); without
//   kStreamReadOnly a missing file is created empty. An open that fails for any other reason
//   than a missing file creates and empties nothing.
// The name "CON" opens no file: *handle is 1 when flags & 0x1F are exactly kStreamWrite, else 0.
// Failures: 163 for an empty name or one of kStreamNameLimit bytes or more; 168 when every
// handle is in use; 164 for a missing file that may not be created; the file system's status
// for any other refusal (175, 166). *handle is kNoHandle on failure.
[[nodiscard]] Status StreamOpen(StrRef name, uint16_t flags, uint16_t* handle);
// Closes the file and frees the handle; the standard streams are never closed.
void StreamClose(uint16_t handle);
// Closes every file handle.
void StreamCloseAll();

// The file's size; kUnknownSize for the standard streams and free handles.
uint64_t StreamSize(uint16_t handle);
// The current position (0 for the standard streams).
uint64_t StreamTell(uint16_t handle);
// Moves the current position. 130 for the standard streams and free handles.
[[nodiscard]] Status StreamSeek(uint16_t handle, uint64_t position);
// Whether the position is at or after the size.
bool StreamAtEnd(uint16_t handle);

// Reads into `dest` from `position` (kPosCurrent: the current position), never beyond the
// file's size, and leaves the position after what was taken. `count` bytes, or, with
// kReadLine, one line: the bytes before the first CR LF, CR or LF (a CR that ends one chunk
// read and an LF that starts the next are one line end), the position then after the line
// end; the end of the file ends the last line, and a 0x1A that is the file's last byte counts
// as the end of the file. A line longer than `dest` is answered in pieces of dest.size().
// *got receives the bytes placed in dest. Answers 0; kNothing when nothing was left to read
// (the end of the file, not an error); 130 when the position cannot be taken; 136 when the
// platform fails the read; 151 for a free handle.
[[nodiscard]] Status StreamRead(uint16_t handle, uint64_t position, size_t count,
                                std::span<char> dest, size_t* got);
// StreamRead into the free space of the StringArea; answers what was read as a new temporary,
// or the status of StreamRead as a status value (kNothing at the end of the file).
StrRef StreamReadLine(uint16_t handle, uint64_t position, size_t count);

// Writes all of `data` at `position` (kPosEnd: the end of the file). 137 when the platform
// takes less than all of it, 130 when the position cannot be taken, 151 for a free handle.
[[nodiscard]] Status StreamWrite(uint16_t handle, uint64_t position, std::span<const char> data);
// StreamWrite of a string; a status value is answered unchanged.
[[nodiscard]] Status StreamWriteText(uint16_t handle, uint64_t position, StrRef s);

// Opens (created when missing), writes `data` at `position` (kPosEnd: at the end) and closes.
// kPosReplace replaces the whole content: the data is written to a new file next to it, which
// then takes its name, so a failure leaves the old content in place. Empty data writes nothing
// and answers kNothing.
[[nodiscard]] Status FileWriteAt(StrRef name, uint64_t position, StrRef data);
// FileWriteAt, answering 131 when the data did not reach the file whole.
[[nodiscard]] Status FileWriteAll(StrRef name, uint64_t position, StrRef data);
// Opens read-only, reads `count` bytes (kReadToEnd: to the end) from `position`, closes.
// A missing file answers 164 without a report.
[[nodiscard]] Status FileReadAt(StrRef name, uint64_t position, size_t count, std::span<char> dest,
                                size_t* got);
// The bytes from `position` (count kReadToEnd: to the end) as a new temporary. 146 when they
// are more than a string can hold (65,535 bytes); 145 when the StringArea lacks the room; 164
// for a missing file (not reported).
StrRef FileReadAll(StrRef name, uint64_t position, size_t count);
// The whole file with every CR LF, and then every remaining LF, replaced by `separator`.
StrRef FileReadJoined(StrRef name, StrRef separator);
// The file's size; 0 when it cannot be opened.
uint64_t FileSizeByName(StrRef name);
[[nodiscard]] Status FileRename(StrRef from, StrRef to);
[[nodiscard]] Status FileDelete(StrRef name);
bool FileExists(StrRef name);

// folder, a '\' unless the folder is empty or already ends with '\', '/' or ':', and name.
// Pushes one temporary.
StrRef JoinFolder(StrRef folder, StrRef name);
// Whether `name` fits `pattern`, in which '*' stands for any run of bytes; case is ignored.
bool GlobMatch(std::string_view pattern, std::string_view name);

// Looks `name` up in the current folder and then in each folder of the definition search path
// (StringSlots item (0, 5), comma-separated); a name that holds a folder is taken as written.
// A '*' in the name matches any run of bytes, and case never matters; of several matches in a
// folder the first in byte order is taken. Answers the name found as a new temporary, or 164.
StrRef FileFindOnPath(StrRef name);
// Whether the last part of a path has an extension.
bool HasExtension(StrRef path);

}  // namespace engine
