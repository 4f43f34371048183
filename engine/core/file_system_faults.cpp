// The fault-injecting FileSystem and the files it hands out.
#include "engine/core/file_system_faults.h"

namespace engine {

class FaultFile : public File {
 public:
  FaultFile(FaultFileSystem& fs, std::unique_ptr<File> base) : fs_(fs), base_(std::move(base)) {}

  Status Read(uint64_t offset, std::span<char> buffer, size_t* got) override {
    *got = 0;
    const Status fault = fs_.BeforeRead();
    if (!fault.ok()) return fault;
    return base_->Read(offset, buffer, got);
  }
  Status Write(uint64_t offset, std::span<const char> data) override {
    const Status fault = fs_.BeforeWrite();
    if (!fault.ok()) return fault;
    return base_->Write(offset, data);
  }
  Status Size(uint64_t* size) override { return base_->Size(size); }
  Status Sync() override {
    const Status fault = fs_.BeforeChange();
    if (!fault.ok()) return fault;
    return base_->Sync();
  }
  Status Lock(bool exclusive, bool wait) override { return base_->Lock(exclusive, wait); }
  void Unlock() override { base_->Unlock(); }

 private:
  FaultFileSystem& fs_;
  std::unique_ptr<File> base_;
};

void FaultFileSystem::FailOpen(uint32_t n, Status status) {
  open_fault_ = Fault{n ? opens_ + n : 0, status};
}

void FaultFileSystem::FailRead(uint32_t n, Status status) {
  read_fault_ = Fault{n ? reads_ + n : 0, status};
}

void FaultFileSystem::FailWrite(uint32_t n, Status status) {
  write_fault_ = Fault{n ? writes_ + n : 0, status};
}

void FaultFileSystem::CrashAfterWrites(uint32_t n) {
  crash_after_ = writes_ + n;
  crash_armed_ = true;
}

void FaultFileSystem::Reset() {
  open_fault_ = read_fault_ = write_fault_ = Fault{};
  crash_armed_ = false;
}

Status FaultFileSystem::Take(uint32_t* counter, Fault* fault) {
  ++*counter;
  if (fault->at != 0 && *counter == fault->at) {
    fault->at = 0;
    return fault->status;
  }
  return kOk;
}

Status FaultFileSystem::BeforeRead() { return Take(&reads_, &read_fault_); }

Status FaultFileSystem::BeforeWrite() {
  if (crashed()) {
    ++writes_;
    return kDiskWriteError;
  }
  return Take(&writes_, &write_fault_);
}

Status FaultFileSystem::Open(std::string_view name, uint32_t flags, std::unique_ptr<File>* file) {
  file->reset();
  const Status fault = Take(&opens_, &open_fault_);
  if (!fault.ok()) return fault;
  if (flags & (kOpenCreate | kOpenTruncate)) {
    const Status crash = BeforeChange();
    if (!crash.ok()) return crash;
  }
  std::unique_ptr<File> base;
  const Status status = base_.Open(name, flags, &base);
  if (!status.ok()) return status;
  *file = std::make_unique<FaultFile>(*this, std::move(base));
  return kOk;
}

Status FaultFileSystem::Remove(std::string_view name) {
  const Status crash = BeforeChange();
  return crash.ok() ? base_.Remove(name) : crash;
}

Status FaultFileSystem::Rename(std::string_view from, std::string_view to) {
  const Status crash = BeforeChange();
  return crash.ok() ? base_.Rename(from, to) : crash;
}

}  // namespace engine
