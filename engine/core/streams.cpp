// The handle table, the opening rule, positioned reads and writes, the line reader and the
// whole-file helpers.
#include "engine/core/streams.h"

#include <algorithm>
#include <array>
#include <memory>

#include "engine/core/error_latch.h"
#include "engine/core/file_system.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/string_slots.h"
#include "engine/core/text_ops.h"

namespace engine {

namespace {

constexpr size_t kChunk = 512;
constexpr char kCtrlZ = 0x1A;
constexpr uint16_t kConsoleModeMask = 0x1F;
constexpr StrRef kConsoleName = StrLit("CON");
constexpr StrRef kReplaceSuffix = StrLit("~");

struct Stream {
  std::unique_ptr<File> file;
  uint64_t position = 0;
  bool append = false;
  // Standard input only: the last line ended with a CR, so an LF that follows belongs to it.
  bool skip_lf = false;
};

std::array<Stream, kStreamHandles> g_streams;

bool IsStandard(uint16_t handle) { return handle < kStreamFirstFile; }

File* FileOf(uint16_t handle) {
  if (handle >= kStreamHandles) return nullptr;
  if (IsStandard(handle)) return CurrentFileSystem().StandardStream(handle);
  return g_streams[handle].file.get();
}

Status Fail(Status status) {
  LatchRecord(kLatchFirst, kSiteStreams, status);
  return status;
}

// Reports a failure about the named file: the name joins the detail text, the code the latch.
Status FailWith(Status status, StrRef name) {
  (void)ReportStatus(status, name, true);
  return Fail(status);
}

uint32_t FileFlags(uint16_t flags) {
  const bool read_only = flags & kStreamReadOnly;
  if (flags & kStreamWrite) {
    return kOpenWrite | kOpenCreate | kOpenTruncate | (read_only ? 0 : kOpenRead);
  }
  if (flags & kStreamAppend) return kOpenAppend | kOpenCreate | (read_only ? 0 : kOpenRead);
  return kOpenRead | (read_only ? 0 : kOpenWrite | kOpenCreate);
}

Status OpenEntry(StrRef name, uint16_t flags, uint16_t* handle) {
  if (name.IsStatus() || name.empty() || name.len >= kStreamNameLimit) return kBadInputData;
  uint16_t free = kStreamFirstFile;
  while (free < kStreamHandles && g_streams[free].file) ++free;
  if (free == kStreamHandles) return kDataOutBound;
  if (name.view() == kConsoleName.view()) {
    *handle = (flags & kConsoleModeMask) == kStreamWrite ? kStdOut : kStdIn;
    return kOk;
  }
  std::unique_ptr<File> file;
  const Status status = CurrentFileSystem().Open(name.view(), FileFlags(flags), &file);
  if (!status.ok()) return status;
  g_streams[free] =
      Stream{std::move(file), 0, (flags & kStreamWrite) == 0 && (flags & kStreamAppend) != 0};
  *handle = free;
  return kOk;
}

// Opens without reporting a missing file, which the whole-file helpers answer as 164 and
// leave to their callers; any other failure is reported as usual.
Status OpenQuietly(StrRef name, uint16_t flags, uint16_t* handle) {
  const Status status = StreamOpen(name, flags | kStreamSilent, handle);
  if (status.IsError() && status != kFileNotFound) return FailWith(status, name);
  return status;
}

// Standard input: one byte at a time, as a terminal or pipe delivers it.
Status ReadStandard(uint16_t handle, File& file, size_t count, std::span<char> dest, size_t* got) {
  if (handle != kStdIn) return Fail(kDiskReadError);
  Stream& stream = g_streams[handle];
  const bool line = count == kReadLine;
  const size_t limit = line ? dest.size() : std::min(count, dest.size());
  size_t filled = 0;
  while (filled < limit) {
    char c;
    size_t n = 0;
    const Status status = file.Read(0, {&c, 1}, &n);
    if (!status.ok()) return Fail(status);
    if (n == 0) break;
    if (line) {
      const bool after_cr = stream.skip_lf;
      stream.skip_lf = false;
      if (c == '\n' && after_cr) continue;
      if (c == '\n' || c == '\r') {
        stream.skip_lf = c == '\r';
        *got = filled;
        return kOk;
      }
      if (c == kCtrlZ) break;
    }
    dest[filled++] = c;
  }
  *got = filled;
  return filled > 0 ? Status(kOk) : Status(kNothing);
}

Status ReadLine(Stream& stream, uint64_t start, uint64_t size, std::span<char> dest, size_t* got) {
  File& file = *stream.file;
  size_t filled = 0;
  size_t scanned = 0;
  uint64_t next = start;
  for (;;) {
    for (; scanned < filled; ++scanned) {
      const char c = dest[scanned];
      if (c != '\r' && c != '\n') continue;
      size_t end_length = 1;
      if (c == '\r') {
        if (scanned + 1 < filled) {
          end_length = dest[scanned + 1] == '\n' ? 2 : 1;
        } else if (next < size) {
          // The CR ends what was read so far; an LF at the start of the rest belongs to it.
          char peek = 0;
          size_t n = 0;
          const Status status = file.Read(next, {&peek, 1}, &n);
          if (!status.ok()) return Fail(status);
          end_length = n == 1 && peek == '\n' ? 2 : 1;
        }
      }
      *got = scanned;
      stream.position = start + scanned + end_length;
      return kOk;
    }
    if (filled == dest.size()) break;
    if (next >= size) break;
    const size_t chunk =
        static_cast<size_t>(std::min<uint64_t>({kChunk, dest.size() - filled, size - next}));
    size_t n = 0;
    const Status status = file.Read(next, dest.subspan(filled, chunk), &n);
    if (!status.ok()) return Fail(status);
    if (n == 0) break;
    filled += n;
    next += n;
  }
  stream.position = next;
  if (filled > 0 && next == size && dest[filled - 1] == kCtrlZ) --filled;
  *got = filled;
  if (filled == 0 && !dest.empty()) return kNothing;
  return kOk;
}

bool HasFolder(StrRef name) { return StrFindAny(name, 0, StrLit("\\/:"), true) != kNothing; }

// `name` (which may hold '*') in `folder` (empty: the current folder); pushed, or 164.
StrRef FindInFolder(StrRef folder, StrRef name) {
  StrAreaScope scope;
  if (StrFindChar(name, 0, '*', true) == kNothing) {
    StrRef full = JoinFolder(folder, name);
    if (full.IsStatus()) return scope.Return(full);
    return scope.Return(FileExists(full) ? full : StrError(kFileNotFound));
  }
  const char* listed = folder.empty() ? "." : StrToC(folder);
  std::array<char, kStreamNameLimit> found{};
  size_t found_len = 0;
  (void)CurrentFileSystem().ListFolder(listed, [&](std::string_view entry) {
    if (entry.size() < found.size() && GlobMatch(name.view(), entry) &&
        (found_len == 0 || entry < std::string_view(found.data(), found_len))) {
      std::copy(entry.begin(), entry.end(), found.begin());
      found_len = entry.size();
    }
    return true;
  });
  if (found_len == 0) return scope.Return(StrError(kFileNotFound));
  return scope.Return(JoinFolder(folder, StrMake(found.data(), found_len)));
}

}  // namespace

StrRef JoinFolder(StrRef folder, StrRef name) {
  const uint16_t mark = StrAreaMark();
  if (folder.empty()) return StrAreaReturn(mark, name);
  const char last = folder[folder.len - 1];
  if (last != '\\' && last != '/' && last != ':') return StrJoin(folder, '\\', name);
  const Status status = StrConcat(folder, name);
  return status.ok() ? StrAreaTop() : StrError(status);
}

bool GlobMatch(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && AsciiUpper(pattern[p]) == AsciiUpper(name[n])) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

Status StreamOpen(StrRef name, uint16_t flags, uint16_t* handle) {
  *handle = kNoHandle;
  const Status status = OpenEntry(name, flags, handle);
  if (status.IsError() && !(flags & kStreamSilent)) return FailWith(status, name);
  return status;
}

void StreamClose(uint16_t handle) {
  if (handle < kStreamFirstFile || handle >= kStreamHandles) return;
  g_streams[handle] = Stream{};
}

void StreamCloseAll() {
  for (uint16_t h = kStreamFirstFile; h < kStreamHandles; ++h) StreamClose(h);
}

uint64_t StreamSize(uint16_t handle) {
  if (IsStandard(handle)) return kUnknownSize;
  File* file = FileOf(handle);
  uint64_t size = 0;
  if (!file || !file->Size(&size).ok()) return kUnknownSize;
  return size;
}

uint64_t StreamTell(uint16_t handle) {
  if (IsStandard(handle) || handle >= kStreamHandles) return 0;
  return g_streams[handle].position;
}

Status StreamSeek(uint16_t handle, uint64_t position) {
  if (IsStandard(handle) || !FileOf(handle) || position == kPosCurrent) return Fail(kDiskIO);
  g_streams[handle].position = position;
  return kOk;
}

bool StreamAtEnd(uint16_t handle) {
  const uint64_t size = StreamSize(handle);
  return size != kUnknownSize && StreamTell(handle) >= size;
}

Status StreamRead(uint16_t handle, uint64_t position, size_t count, std::span<char> dest,
                  size_t* got) {
  *got = 0;
  File* file = FileOf(handle);
  if (!file) return Fail(kBadFileNumber);
  if (IsStandard(handle)) return ReadStandard(handle, *file, count, dest, got);
  Stream& stream = g_streams[handle];
  uint64_t size = 0;
  if (!file->Size(&size).ok()) return Fail(kDiskReadError);
  const uint64_t start = position == kPosCurrent ? stream.position : position;
  if (count == kReadLine) return ReadLine(stream, start, size, dest, got);
  const size_t wanted = std::min(count, dest.size());
  stream.position = start;
  if (wanted == 0) return kOk;
  if (start >= size) return kNothing;
  const size_t chunk = static_cast<size_t>(std::min<uint64_t>(wanted, size - start));
  const Status status = file->Read(start, dest.first(chunk), got);
  if (!status.ok()) return Fail(status);
  stream.position = start + *got;
  return *got > 0 ? Status(kOk) : Status(kNothing);
}

StrRef StreamReadLine(uint16_t handle, uint64_t position, size_t count) {
  StrAreaScope scope;
  const StrRef scratch = StrAreaScratch();
  size_t got = 0;
  const Status status =
      StreamRead(handle, position, count, {StrWritable(scratch), scratch.len}, &got);
  if (!status.ok()) return scope.Return(StrError(status));
  return scope.Return(StrMake(scratch.ptr, got));
}

Status StreamWrite(uint16_t handle, uint64_t position, std::span<const char> data) {
  File* file = FileOf(handle);
  if (!file) return Fail(kBadFileNumber);
  if (data.data() == nullptr) return kNothing;
  if (IsStandard(handle)) {
    const Status status = file->Write(0, data);
    return status.ok() ? status : Fail(status);
  }
  Stream& stream = g_streams[handle];
  uint64_t at = position;
  if (position == kPosEnd || stream.append) {
    if (!file->Size(&at).ok()) return Fail(kDiskIO);
  }
  const Status status = file->Write(at, data);
  if (!status.ok()) return Fail(status);
  stream.position = at + data.size();
  return kOk;
}

Status StreamWriteText(uint16_t handle, uint64_t position, StrRef s) {
  if (s.IsStatus()) return StrCheck(s);
  return StreamWrite(handle, position, {s.ptr, s.len});
}

namespace {

Status WriteAndClose(uint16_t handle, uint64_t position, StrRef data, bool sync) {
  Status status = StreamWriteText(handle, position, data);
  if (status.ok() && sync) {
    status = g_streams[handle].file->Sync();
    if (!status.ok()) (void)Fail(status);
  }
  StreamClose(handle);
  return status;
}

// Writes the new content next to the file and then gives it the file's name, so that the old
// content stays whole until the new one is complete.
Status ReplaceFile(StrRef name, StrRef data) {
  StrAreaScope scope;
  if (name.IsStatus()) return StrCheck(name);
  Status status = StrConcat(name, kReplaceSuffix);
  if (!status.ok()) return FailWith(status, name);
  const StrRef fresh = StrAreaTop();
  uint16_t handle = kNoHandle;
  status = StreamOpen(fresh, kStreamWrite, &handle);
  if (!status.ok()) return status;
  status = WriteAndClose(handle, 0, data, true);
  if (status.ok()) status = FileRename(fresh, name);
  if (!status.ok()) {
    (void)FileDelete(fresh);
    return FailWith(status, name);
  }
  return kOk;
}

}  // namespace

Status FileWriteAt(StrRef name, uint64_t position, StrRef data) {
  if (data.IsStatus()) return StrCheck(data);
  if (position == kPosReplace) return ReplaceFile(name, data);
  if (data.empty()) return kNothing;
  uint16_t handle = kNoHandle;
  Status status = StreamOpen(name, 0, &handle);
  if (!status.ok()) return status;
  status = WriteAndClose(handle, position, data, false);
  if (!status.ok()) (void)ReportStatus(status, name, true);
  return status;
}

Status FileWriteAll(StrRef name, uint64_t position, StrRef data) {
  const Status status = FileWriteAt(name, position, data);
  if (status.ok() || (status == kNothing && !data.IsStatus())) return kOk;
  return Fail(kFileIO);
}

Status FileReadAt(StrRef name, uint64_t position, size_t count, std::span<char> dest, size_t* got) {
  *got = 0;
  uint16_t handle = kNoHandle;
  Status status = OpenQuietly(name, kStreamReadOnly, &handle);
  if (!status.ok()) return status;
  status = StreamRead(handle, position, count, dest, got);
  StreamClose(handle);
  return status;
}

StrRef FileReadAll(StrRef name, uint64_t position, size_t count) {
  StrAreaScope scope;
  uint16_t handle = kNoHandle;
  Status status = OpenQuietly(name, kStreamReadOnly, &handle);
  if (!status.ok()) return scope.Return(StrError(status));
  const uint64_t size = StreamSize(handle);
  const uint64_t available = size != kUnknownSize && position < size ? size - position : 0;
  const uint64_t wanted = count == kReadToEnd ? available : std::min<uint64_t>(count, available);
  const StrRef scratch = StrAreaScratch();
  if (size == kUnknownSize) {
    status = FailWith(kDiskReadError, name);
  } else if (wanted > kMaxStrLen) {
    status = FailWith(kStringTooLong, name);
  } else if (wanted > scratch.len) {
    status = FailWith(kOutOfMemory, name);
  } else if (wanted > 0) {
    size_t got = 0;
    status = StreamRead(handle, position, wanted, {StrWritable(scratch), scratch.len}, &got);
    if (status.ok() && got != wanted) status = FailWith(kDiskReadError, name);
  }
  StreamClose(handle);
  if (!status.ok()) return scope.Return(StrError(status));
  return scope.Return(StrMake(scratch.ptr, static_cast<size_t>(wanted)));
}

StrRef FileReadJoined(StrRef name, StrRef separator) {
  StrAreaScope scope;
  const StrRef all = FileReadAll(name, 0, kReadToEnd);
  const StrRef joined = StrReplace(all, StrLit("\r\n"), separator, true);
  return scope.Return(StrReplace(joined, StrLit("\n"), separator, true));
}

uint64_t FileSizeByName(StrRef name) {
  uint16_t handle = kNoHandle;
  if (!StreamOpen(name, kStreamReadOnly | kStreamSilent, &handle).ok()) return 0;
  const uint64_t size = StreamSize(handle);
  StreamClose(handle);
  return size == kUnknownSize ? 0 : size;
}

Status FileRename(StrRef from, StrRef to) {
  if (from.IsStatus()) return StrCheck(from);
  if (to.IsStatus()) return StrCheck(to);
  return CurrentFileSystem().Rename(from.view(), to.view());
}

Status FileDelete(StrRef name) {
  if (name.IsStatus()) return StrCheck(name);
  return CurrentFileSystem().Remove(name.view());
}

bool FileExists(StrRef name) {
  return !name.IsStatus() && !name.empty() && CurrentFileSystem().Exists(name.view());
}

StrRef FileFindOnPath(StrRef name) {
  if (name.IsStatus()) return name;
  StrAreaScope scope;
  if (HasFolder(name)) {
    const uint16_t cut = StrFindLast(name, StrLit("\\/:"), FindKind::kAnyOf);
    return scope.Return(FindInFolder(StrSub(name, 0, cut + 1), StrSub(name, cut + 1, -1)));
  }
  StrRef found = FindInFolder(StrLit(""), name);
  if (!found.IsStatus()) return scope.Return(found);
  const StrRef path = SlotGet(kGroupEnvironment, kEnvSearchPath);
  const uint16_t folders = ListCount(path, ',');
  for (uint16_t n = 1; n <= folders; ++n) {
    const StrRef folder = StrUnquote(StrTrim(ListField(path, ',', n), kTrimBoth));
    if (folder.empty()) continue;
    found = FindInFolder(folder, name);
    if (!found.IsStatus()) return scope.Return(found);
  }
  return scope.Return(StrError(kFileNotFound));
}

bool HasExtension(StrRef path) {
  const std::string_view v = path.view();
  const size_t slash = v.find_last_of("\\/");
  const size_t dot = v.find_last_of('.');
  return dot != std::string_view::npos && (slash == std::string_view::npos || dot > slash);
}

}  // namespace engine
