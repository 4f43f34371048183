// FileSystem: the one boundary between the engine and the platform's files.
//
// Every file the engine touches (plain streams, record files, indexes, logs, lock markers) is
// reached through the process-wide current FileSystem, so that a test can put a fault-injecting
// one in its place (file_system_faults.h). Names are given as the engine writes them, possibly
// in Windows form ("C:\APPS\DICC.DAT"); an implementation turns them into its own form.
//
// Offsets and sizes are 64-bit. Every operation answers a Status: 0, or one of
//   164 kFileNotFound      the file (or a folder on its path) does not exist
//   165 kFileExist         kOpenExclusive and the file exists
//   166 kFileOpening       the platform refused the open for another reason
//   175 kPermissionDenied  the platform denied access
//   163 kBadInputData      a name the platform cannot take (one holding a NUL byte)
//   136 kDiskReadError, 137 kDiskWriteError, 131 kFileIO  a read, write or other I/O failure
// No operation here latches or reports; the callers decide.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>

#include "engine/core/status.h"

namespace engine {

// Open flags (combine with |).
inline constexpr uint32_t kOpenRead = 1;
inline constexpr uint32_t kOpenWrite = 2;
// Create the file when it does not exist; an existing file is opened as it is. Creation and
// the open are one step, so a file that exists is never replaced by an empty one.
inline constexpr uint32_t kOpenCreate = 4;
// Empty the file once it is open. A failed open never truncates.
inline constexpr uint32_t kOpenTruncate = 8;
// Every write goes to the end of the file, whatever offset it names (logs shared by several
// processes stay whole).
inline constexpr uint32_t kOpenAppend = 16;
// With kOpenCreate: fail with 165 when the file already exists (lock markers).
inline constexpr uint32_t kOpenExclusive = 32;

// An open file. Destroying it closes it.
class File {
 public:
  virtual ~File() = default;

  // Reads up to buffer.size() bytes at `offset`; *got receives the number read, fewer only at
  // the end of the file (0 at or past the end). Standard input ignores the offset.
  [[nodiscard]] virtual Status Read(uint64_t offset, std::span<char> buffer, size_t* got) = 0;
  // Writes all of `data` at `offset` (at the end in append mode); anything less is 137.
  [[nodiscard]] virtual Status Write(uint64_t offset, std::span<const char> data) = 0;
  // The size in bytes; 131 for a stream that has none (the standard streams).
  [[nodiscard]] virtual Status Size(uint64_t* size) = 0;
  // Makes what was written durable.
  [[nodiscard]] virtual Status Sync() = 0;
  // Advisory lock of the whole file, shared with other processes and with other opens of the
  // same file: exclusive or shared. Without `wait`, 166 when someone else holds a conflicting
  // lock. Closing the file releases it. Files that cannot be locked (standard streams) answer 0.
  [[nodiscard]] virtual Status Lock(bool exclusive, bool wait) {
    (void)exclusive;
    (void)wait;
    return kOk;
  }
  virtual void Unlock() {}
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens `name` with kOpen* flags. On failure *file stays empty and nothing on disk changed.
  [[nodiscard]] virtual Status Open(std::string_view name, uint32_t flags,
                                    std::unique_ptr<File>* file) = 0;
  virtual bool Exists(std::string_view name) = 0;
  [[nodiscard]] virtual Status Remove(std::string_view name) = 0;
  // Renames `from` to `to`, replacing `to` when it exists.
  [[nodiscard]] virtual Status Rename(std::string_view from, std::string_view to) = 0;
  // Calls `each` with the name of every entry of the folder (not "." or ".."), in the
  // platform's order, until it answers false. 164 when the folder does not exist.
  [[nodiscard]] virtual Status ListFolder(
      std::string_view folder, const std::function<bool(std::string_view name)>& each) = 0;
  // The process's standard input (0), output (1) or error (2) stream, owned by the file
  // system; null for any other number.
  virtual File* StandardStream(int n) = 0;
  // The time of the file's last change, in nanoseconds since the epoch, as precisely as the
  // platform keeps it. 164 when the file does not exist; 131 when the file system keeps no times.
  [[nodiscard]] virtual Status ModifiedTime(std::string_view name, int64_t* nanoseconds) {
    (void)name;
    *nanoseconds = 0;
    return kFileIO;
  }
};

// The current file system: the platform's unless a test set another one.
FileSystem& CurrentFileSystem();
// Sets the current file system; null restores the platform's. The caller keeps ownership.
void SetFileSystem(FileSystem* fs);
// The platform's file system (file_system_posix.cpp).
FileSystem& PlatformFileSystem();

}  // namespace engine
