// FaultFileSystem: a FileSystem that passes every call to another one and fails the calls a
// test chooses: the nth open, read or write from now, or everything that would change the disk
// once a given number of writes has gone through (a crash). With it a test proves that a
// failure is reported and that what was on disk before is still there.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "engine/core/file_system.h"

namespace engine {

class FaultFileSystem : public FileSystem {
 public:
  // `base` must outlive this file system, and this file system every file it opened.
  explicit FaultFileSystem(FileSystem& base) : base_(base) {}

  // The nth open, read or write counted from now (1: the next one) fails with `status` and
  // does nothing. n of 0 switches the fault off.
  void FailOpen(uint32_t n, Status status = kPermissionDenied);
  void FailRead(uint32_t n, Status status = kDiskReadError);
  void FailWrite(uint32_t n, Status status = kDiskWriteError);
  // Once n more writes have gone through, the process counts as crashed: every later write,
  // sync, rename, remove and every open that could create or truncate fails with 137 and
  // reaches nothing. Reads go on, so a test can look at what the crash left.
  void CrashAfterWrites(uint32_t n);
  bool crashed() const { return crash_armed_ && writes_ >= crash_after_; }
  // Switches every fault off and forgets the crash.
  void Reset();

  // Calls that reached this file system (failed ones included).
  uint32_t opens() const { return opens_; }
  uint32_t reads() const { return reads_; }
  uint32_t writes() const { return writes_; }

  Status Open(std::string_view name, uint32_t flags, std::unique_ptr<File>* file) override;
  bool Exists(std::string_view name) override { return base_.Exists(name); }
  Status Remove(std::string_view name) override;
  Status Rename(std::string_view from, std::string_view to) override;
  Status ListFolder(std::string_view folder,
                    const std::function<bool(std::string_view name)>& each) override {
    return base_.ListFolder(folder, each);
  }
  File* StandardStream(int n) override { return base_.StandardStream(n); }
  Status ModifiedTime(std::string_view name, int64_t* nanoseconds) override {
    return base_.ModifiedTime(name, nanoseconds);
  }

 private:
  friend class FaultFile;

  struct Fault {
    uint32_t at = 0;  // the call number that fails; 0 for none
    Status status;
  };
  // Counts one call and answers the status it must fail with, or 0.
  static Status Take(uint32_t* counter, Fault* fault);
  Status BeforeRead();
  Status BeforeWrite();
  Status BeforeChange() const { return crashed() ? kDiskWriteError : kOk; }

  FileSystem& base_;
  uint32_t opens_ = 0;
  uint32_t reads_ = 0;
  uint32_t writes_ = 0;
  Fault open_fault_;
  Fault read_fault_;
  Fault write_fault_;
  uint32_t crash_after_ = 0;  // the write count at which the crash happens; 0 for none
  bool crash_armed_ = false;
};

}  // namespace engine
