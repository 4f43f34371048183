// The platform's FileSystem on POSIX: files as descriptors with positioned reads and writes,
// and the path rules of the boundary (PathNative, PathMatchCase).
#include "engine/core/file_system_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/core/file_system.h"
#include "engine/core/text_ops.h"

namespace engine {

std::string PathNative(std::string_view name) {
  if (name.size() >= 2 && name[1] == ':' &&
      ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z'))) {
    name.remove_prefix(2);
  }
  std::string native(name);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

namespace {

bool PathExists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

std::string JoinPath(const std::string& base, std::string_view part) {
  if (base.empty()) return std::string(part);
  std::string joined = base;
  if (joined.back() != '/') joined += '/';
  joined += part;
  return joined;
}

// The entry of `folder` whose name equals `part` without regard to case; empty when none.
std::string FindIgnoringCase(const std::string& folder, std::string_view part) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::string best;
  while (const dirent* entry = ::readdir(dir)) {
    std::string_view name(entry->d_name);
    if (SameIgnoringCase(name, part) && (best.empty() || name < best)) best = name;
  }
  ::closedir(dir);
  return best;
}

}  // namespace

std::string PathMatchCase(std::string native) {
  if (native.empty() || PathExists(native)) return native;
  std::string resolved = native.front() == '/' ? "/" : "";
  size_t pos = 0;
  while (pos < native.size()) {
    size_t end = native.find('/', pos);
    if (end == std::string::npos) end = native.size();
    std::string_view part = std::string_view(native).substr(pos, end - pos);
    pos = end + 1;
    if (part.empty()) continue;
    std::string exact = JoinPath(resolved, part);
    if (PathExists(exact) || part == "." || part == "..") {
      resolved = std::move(exact);
      continue;
    }
    std::string match = FindIgnoringCase(resolved, part);
    if (match.empty()) {
      // Nothing further can exist: keep the rest as written.
      resolved = std::move(exact);
      if (pos < native.size()) resolved = JoinPath(resolved, std::string_view(native).substr(pos));
      return resolved;
    }
    resolved = JoinPath(resolved, match);
  }
  return resolved;
}

namespace {

Status OpenErrorStatus(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return kFileNotFound;
    case EEXIST:
      return kFileExist;
    case EACCES:
    case EPERM:
    case EROFS:
      return kPermissionDenied;
    default:
      return kFileOpening;
  }
}

Status FileErrorStatus(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return kFileNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kPermissionDenied;
    default:
      return kFileIO;
  }
}

Status ReadLoop(int fd, bool positioned, uint64_t offset, std::span<char> buffer, size_t* got) {
  size_t done = 0;
  while (done < buffer.size()) {
    const ssize_t n = positioned ? ::pread(fd, buffer.data() + done, buffer.size() - done,
                                           static_cast<off_t>(offset + done))
                                 : ::read(fd, buffer.data() + done, buffer.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      *got = done;
      return kDiskReadError;
    }
    if (n == 0) break;
    done += static_cast<size_t>(n);
    // A terminal or pipe answers what it has; do not wait for more.
    if (!positioned) break;
  }
  *got = done;
  return kOk;
}

Status WriteLoop(int fd, bool positioned, uint64_t offset, std::span<const char> data) {
  size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = positioned ? ::pwrite(fd, data.data() + done, data.size() - done,
                                            static_cast<off_t>(offset + done))
                                 : ::write(fd, data.data() + done, data.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return kDiskWriteError;
    }
    if (n == 0) return kDiskWriteError;
    done += static_cast<size_t>(n);
  }
  return kOk;
}

class PosixFile : public File {
 public:
  PosixFile(int fd, bool append) : fd_(fd), append_(append) {}
  ~PosixFile() override { ::close(fd_); }
  PosixFile(const PosixFile&) = delete;
  PosixFile& operator=(const PosixFile&) = delete;

  Status Read(uint64_t offset, std::span<char> buffer, size_t* got) override {
    return ReadLoop(fd_, true, offset, buffer, got);
  }
  Status Write(uint64_t offset, std::span<const char> data) override {
    // pwrite on an O_APPEND descriptor appends anyway; write says so plainly.
    return WriteLoop(fd_, !append_, offset, data);
  }
  Status Size(uint64_t* size) override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return kFileIO;
    *size = static_cast<uint64_t>(st.st_size);
    return kOk;
  }
  Status Sync() override { return ::fsync(fd_) == 0 ? kOk : kDiskWriteError; }
  Status Lock(bool exclusive, bool wait) override {
    const int op = (exclusive ? LOCK_EX : LOCK_SH) | (wait ? 0 : LOCK_NB);
    int rc;
    do {
      rc = ::flock(fd_, op);
    } while (rc != 0 && errno == EINTR);
    if (rc == 0) return kOk;
    return errno == EWOULDBLOCK ? kFileOpening : kFileIO;
  }
  void Unlock() override { (void)::flock(fd_, LOCK_UN); }

 private:
  int fd_;
  bool append_;
};

// One of the process's standard streams; never closed, sequential only.
class StandardFile : public File {
 public:
  explicit StandardFile(int fd) : fd_(fd) {}

  Status Read(uint64_t, std::span<char> buffer, size_t* got) override {
    return ReadLoop(fd_, false, 0, buffer, got);
  }
  Status Write(uint64_t, std::span<const char> data) override {
    return WriteLoop(fd_, false, 0, data);
  }
  Status Size(uint64_t*) override { return kFileIO; }
  Status Sync() override { return kOk; }

 private:
  int fd_;
};

// The native path of an engine name; false for a name the platform cannot take (one holding a
// NUL byte would name a different file).
bool Resolve(std::string_view name, std::string* path) {
  if (name.find('\0') != std::string_view::npos) return false;
  *path = PathMatchCase(PathNative(name));
  return true;
}

class PosixFileSystem : public FileSystem {
 public:
  Status Open(std::string_view name, uint32_t flags, std::unique_ptr<File>* file) override {
    file->reset();
    std::string path;
    if (!Resolve(name, &path)) return kBadInputData;
    int oflags = O_CLOEXEC;
    const bool read = flags & kOpenRead;
    const bool write = flags & (kOpenWrite | kOpenAppend);
    oflags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    if (flags & kOpenCreate) oflags |= O_CREAT;
    if (flags & kOpenExclusive) oflags |= O_EXCL;
    if (flags & kOpenTruncate) oflags |= O_TRUNC;
    if (flags & kOpenAppend) oflags |= O_APPEND;
    int fd;
    do {
      fd = ::open(path.c_str(), oflags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return OpenErrorStatus(errno);
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      ::close(fd);
      return kFileOpening;
    }
    *file = std::make_unique<PosixFile>(fd, (flags & kOpenAppend) != 0);
    return kOk;
  }

  bool Exists(std::string_view name) override {
    std::string path;
    struct stat st;
    return Resolve(name, &path) && ::stat(path.c_str(), &st) == 0;
  }

  Status Remove(std::string_view name) override {
    std::string path;
    if (!Resolve(name, &path)) return kBadInputData;
    return ::unlink(path.c_str()) == 0 ? Status(kOk) : FileErrorStatus(errno);
  }

  Status Rename(std::string_view from, std::string_view to) override {
    std::string source;
    std::string target;
    if (!Resolve(from, &source) || !Resolve(to, &target)) return kBadInputData;
    return ::rename(source.c_str(), target.c_str()) == 0 ? Status(kOk) : FileErrorStatus(errno);
  }

  Status ListFolder(std::string_view folder,
                    const std::function<bool(std::string_view name)>& each) override {
    std::string path;
    if (!Resolve(folder, &path)) return kBadInputData;
    DIR* dir = ::opendir(path.empty() ? "." : path.c_str());
    if (!dir) return FileErrorStatus(errno);
    while (const dirent* entry = ::readdir(dir)) {
      std::string_view name(entry->d_name);
      if (name == "." || name == "..") continue;
      if (!each(name)) break;
    }
    ::closedir(dir);
    return kOk;
  }

  File* StandardStream(int n) override {
    if (n < 0 || n > 2) return nullptr;
    return &standard_[n];
  }

  Status ModifiedTime(std::string_view name, int64_t* nanoseconds) override {
    *nanoseconds = 0;
    std::string path;
    if (!Resolve(name, &path)) return kBadInputData;
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return FileErrorStatus(errno);
    *nanoseconds = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return kOk;
  }

 private:
  StandardFile standard_[3] = {StandardFile(0), StandardFile(1), StandardFile(2)};
};

}  // namespace

FileSystem& PlatformFileSystem() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace engine
