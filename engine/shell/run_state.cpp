// The run state file.
#include "engine/shell/run_state.h"

#include <memory>
#include <span>
#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/file_system.h"
#include "engine/core/message_box.h"
#include "engine/core/messages.h"
#include "engine/core/string_area.h"
#include "engine/shell/paths.h"
#include "engine/shell/start_dictionary.h"

namespace engine {

namespace {

constexpr uint16_t kRecoveryMessage = 115;

struct RunStateFile {
  std::unique_ptr<File> file;
  std::string name;
  int64_t written = 0;  // modification time after our own last write
};

RunStateFile& State() {
  static RunStateFile state;
  return state;
}

Status Fail(Status status, std::string name) {
  RunStateRelease();
  return ReportStatus(status, StrView(name));
}

// Writes the state digit at offset 0 and remembers the new modification time.
Status WriteDigit(char digit) {
  RunStateFile& rs = State();
  const char byte[1] = {digit};
  Status status = rs.file->Write(0, byte);
  if (status.ok()) status = CurrentFileSystem().ModifiedTime(rs.name, &rs.written);
  return status;
}

Status Start() {
  RunStateRelease();
  RunStateFile& rs = State();
  {
    StrAreaScope scope;
    const StrRef name = ExpandPathVars(kRunStateFile);
    if (name.IsStatus()) return StrCheck(name);
    rs.name = ToString(name);
  }
  Status status = CurrentFileSystem().Open(rs.name, kOpenRead | kOpenWrite | kOpenCreate, &rs.file);
  if (!status.ok()) return Fail(status, rs.name);
  // Alone when the exclusive lock is free; otherwise another copy holds its lock for its run.
  const bool alone = rs.file->Lock(true, false).ok();
  char digit = '0';
  size_t got = 0;
  status = rs.file->Read(0, std::span<char>(&digit, 1), &got);
  if (!status.ok()) return Fail(status, rs.name);
  if (alone && got == 1 && digit == '1') {
    StrAreaScope scope;
    if (!AskYes(Message(kRecoveryMessage))) {
      RunStateRelease();
      return kUserCanceled;
    }
    status = RecoverAfterAbnormalEnd();
    if (!status.ok()) {
      RunStateRelease();
      return status;
    }
  }
  // Shared from here on: later copies see a running copy, and ours sees them at its end. A
  // copy that found another running waits here while that one finishes its own start, and
  // holds its share before it writes, so that the other copy's end cannot clear the "1" after
  // it was written.
  if (!alone) {
    status = rs.file->Lock(false, true);
    if (!status.ok()) return Fail(status, rs.name);
  }
  status = WriteDigit('1');
  if (!status.ok()) return Fail(status, rs.name);
  if (alone) {
    // The change to shared lets go of the exclusive lock for an instant; a copy that takes it
    // then is waited for, so that whatever it does with the files (even a recovery, seeing our
    // "1") is done before this copy opens any.
    status = rs.file->Lock(false, true);
    if (!status.ok()) return Fail(status, rs.name);
  }
  return kOk;
}

Status Check() {
  RunStateFile& rs = State();
  if (!rs.file) return kOk;
  int64_t now = 0;
  const Status status = CurrentFileSystem().ModifiedTime(rs.name, &now);
  if (!status.ok() || now != rs.written) return ReportStatus(kNetAccessError, StrView(rs.name));
  return kOk;
}

Status End() {
  RunStateFile& rs = State();
  if (!rs.file) {
    StrAreaScope scope;
    const StrRef name = ExpandPathVars(kRunStateFile);
    if (name.IsStatus()) return StrCheck(name);
    rs.name = ToString(name);
    const Status status =
        CurrentFileSystem().Open(rs.name, kOpenRead | kOpenWrite | kOpenCreate, &rs.file);
    if (!status.ok()) return Fail(status, rs.name);
  }
  Status status = kOk;
  // Another copy still running keeps the "1" its own end will clear.
  if (rs.file->Lock(true, false).ok()) status = WriteDigit('0');
  const std::string name = rs.name;
  RunStateRelease();
  return status.ok() ? status : ReportStatus(status, StrView(name));
}

}  // namespace

Status RunState(uint16_t state) {
  switch (state) {
    case kRunStarting:
      return Start();
    case kRunCheck:
      return Check();
    case kRunEnded:
      return End();
    default:
      return kBadInputData;
  }
}

void RunStateRelease() {
  RunStateFile& rs = State();
  rs.file.reset();
  rs.name.clear();
  rs.written = 0;
}

}  // namespace engine
