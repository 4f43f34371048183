// FILESCAN passes and virtual files.
#include "engine/data/file_scan.h"

#include <string>

#include "engine/core/error_latch.h"
#include "engine/core/file_system.h"
#include "engine/core/list_string.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/dictionary.h"
#include "engine/data/file_paths.h"
#include "engine/data/pass_progress.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_file.h"
#include "engine/data/record_keys.h"
#include "engine/data/relations.h"
#include "engine/data/scans.h"
#include "engine/lang/expression.h"
#include "engine/lang/function_seams.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

enum FileScanWord : uint16_t { kAcum = 1, kExpSet, kClose };

constexpr uint16_t kVirtualNoFillIn = 1;
constexpr int16_t kVirtualOpen = 2;

Status Holds(StrRef condition, bool* truth) {
  const Status status = EvalCondition(condition, truth);
  return IsEvalFailure(status) ? status : Status(kOk);
}

// Restores a system word's bits when a pass ends, whichever way it ends.
class BitsGuard {
 public:
  BitsGuard(uint16_t word, uint16_t bits) : word_(word), bits_(bits) {
    was_ = SysWordTest(word, bits);
  }
  ~BitsGuard() {
    if (armed_) (void)SysWordSetBits(word_, bits_, was_);
  }
  BitsGuard(const BitsGuard&) = delete;
  BitsGuard& operator=(const BitsGuard&) = delete;
  void Keep() { armed_ = false; }

 private:
  uint16_t word_;
  uint16_t bits_;
  bool was_ = false;
  bool armed_ = true;
};

// The progress window of a pass: open only when counted.
class PassWindow {
 public:
  explicit PassWindow(bool shown) : shown_(shown) {}
  ~PassWindow() {
    if (open_) CurrentPassProgress().Close();
  }
  PassWindow(const PassWindow&) = delete;
  PassWindow& operator=(const PassWindow&) = delete;
  Status Open(uint32_t total) {
    if (!shown_) return kOk;
    open_ = true;
    return CurrentPassProgress().Open(total);
  }
  Status Step() { return open_ ? CurrentPassProgress().Step() : Status(kOk); }
  Status Check() { return CurrentPassProgress().Check(); }

 private:
  bool shown_;
  bool open_ = false;
};

// Pushes copies of the texts of a pass, which may live in the string registers.
Status KeepTexts(std::initializer_list<StrRef*> texts) {
  for (StrRef* text : texts) {
    if (text->IsStatus()) return StrCheck(*text);
    const Status status = StrAreaPushCopy(*text);
    if (!status.ok()) return status;
    *text = StrAreaTop();
  }
  return kOk;
}

// One source record accumulated into the target.
Status AccumulateRecord(const AccumulateParams& params) {
  bool truth = false;
  Status status = Holds(params.pre, &truth);
  if (!status.ok() || !truth) return status;
  BufferClear(params.target, 1);
  if (StrTrim(params.assign, kTrimBoth).empty()) return kOk;
  status = Holds(params.assign, &truth);
  if (!status.ok() || !truth) return status;
  StrAreaScope scope;
  const StrRef value = KeyValue(params.target, 1, BufferHalf(params.target, kHalfCurrent));
  if (value.IsStatus()) return StrCheck(value);
  status = KeyFind(params.target, 1, value, 0);
  if (IsEvalFailure(status)) return status;
  if (status != kFound) {
    status = RecordInsert(params.target);
    return status == kRepeatedKey ? Status(kOk) : status;
  }
  status = Holds(params.assign, &truth);
  return status.ok() ? RecordUpdate(params.target) : status;
}

struct ScanOptions {
  uint8_t source = 0;
  uint16_t key = kCurrentKey;
  uint16_t mode = 0;
  int16_t virtual_option = 0;
  bool virtual_given = false;
  StrRef from{"", 0};
  StrRef to{"", 0};
};

Status ReadOptions(StrRef options, ScanOptions* out) {
  const StrRef file = ParamValue(options, StrLit("FILE"), kParamUnquoted);
  out->source = file.empty() ? ResolveFile(0) : FileByName(file);
  if (out->source == 0 || out->source > FileCount()) {
    return ReportStatus(kFileOpening, file);
  }
  const StrRef index = ParamValue(options, StrLit("INDEX"), kParamUnquoted);
  if (!index.empty()) out->key = static_cast<uint16_t>(StrToInt(index));
  out->mode = static_cast<uint16_t>(StrToInt(ParamValue(options, StrLit("MODE"), kParamUnquoted)));
  const ParamSpan span = ParamFind(options, StrLit("VIRTUAL"), ParamForm::kText);
  out->virtual_given = span.found();
  if (span.found()) {
    out->virtual_option = static_cast<int16_t>(StrToInt(StrSub(options, span.offset, span.length)));
  }
  for (auto [name, target] :
       {std::pair{StrLit("FROM"), &out->from}, std::pair{StrLit("TO"), &out->to}}) {
    const StrRef text = ParamValue(options, name, kParamRaw);
    if (StrTrim(text, kTrimBoth).empty()) continue;
    const StrRef value = EvalText(text);
    if (value.IsStatus()) return StrCheck(value);
    *target = value;
  }
  return kOk;
}

Status ExpSetPass(const ScanOptions& options, StrRef condition, StrRef expressions) {
  StrAreaScope scope;
  const StrRef snapshot = FileSnapshot(options.source);
  if (snapshot.IsStatus()) return StrCheck(snapshot);
  StrRef last = LastCondition();
  Status status = KeepTexts({&last, &condition, &expressions});
  if (!status.ok()) return status;
  PassWindow window(options.mode & kFileScanModeCount);
  if (options.mode & kFileScanModeCount) {
    uint32_t total = 0;
    status = RecordCount(options.source, options.key, options.from, options.to, condition, &total);
    if (status.ok()) status = window.Open(total);
  }
  if (status.ok()) {
    status =
        ScanStart(options.source, options.key, options.from, options.to, condition, ScanProgress());
  }
  while (status == kFound) {
    status = EvalStatus(expressions);
    if (status.ok()) status = window.Step();
    if (status.ok()) {
      status = ScanNextMatching(options.source, options.key, condition, options.to, ScanProgress());
    }
  }
  const Status restored = FileRestore(options.source, snapshot);
  const Status kept = SetLastCondition(last);
  if (IsEvalFailure(status)) return status;
  return restored.ok() ? kept : restored;
}

}  // namespace

bool IsVirtual(uint8_t file) {
  const OpenRecordFile* of = OpenRecord(ResolveFile(file));
  return of && of->temporary;
}

Status VirtualOpen(uint8_t file) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  if (IsVirtual(file)) return kOk;
  if (FileIsOpen(file)) {
    status = FileClose(file);
    if (!status.ok()) return status;
  }
  BitsGuard temporary(kSysUpStat, kUpStatTemporary);
  (void)SysWordSetBits(kSysUpStat, kUpStatTemporary, true);
  return FileOpen(file, kModeLocked);
}

Status VirtualClose(uint8_t file) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  const OpenRecordFile* of = OpenRecord(file);
  if (!of || !of->temporary) return kOk;
  const std::string data = of->data_path;
  const std::string index = of->index_path;
  status = FileClose(file);
  FileSystem& fs = CurrentFileSystem();
  for (const std::string& path : {data, index}) {
    if (path.empty()) continue;
    (void)fs.Remove(path);
    ForgetTemporaryFile(StrView(path));
  }
  return status;
}

Status AccumulatePass(const AccumulateParams& given) {
  AccumulateParams params = given;
  Status status = ResolveOpenFile(&params.source);
  if (status.ok()) status = ResolveOpenFile(&params.target);
  if (!status.ok()) return status;
  for (uint8_t f : {params.source, params.target}) {
    if (!FileIsOpen(f)) return DataReport(kFileNotInit, FileBaseName(f));
  }
  StrAreaScope scope;
  status = KeepTexts(
      {&params.from, &params.to, &params.condition, &params.assign, &params.pre, &params.check});
  if (!status.ok()) return status;
  BitsGuard in_pass(kSysUpStat, kUpStatInPass);
  (void)SysWordSetBits(kSysUpStat, kUpStatInPass, true);
  SysWordSet(kSysSgn, 1);
  PassWindow window(params.counted);
  if (params.counted) {
    uint32_t total = 0;
    status =
        RecordCount(params.source, params.key, params.from, params.to, params.condition, &total);
    if (status.ok()) status = window.Open(total);
  }
  if (status.ok()) {
    status = ScanStart(params.source, params.key, params.from, params.to, params.condition,
                       ScanProgress());
  }
  while (status == kFound) {
    status = AccumulateRecord(params);
    if (!status.ok()) break;
    if (!StrTrim(params.check, kTrimBoth).empty()) {
      bool truth = false;
      status = Holds(params.check, &truth);
      if (status.ok() && !truth) status = window.Check();
      if (!status.ok()) break;
    }
    status =
        ScanNextMatching(params.source, params.key, params.condition, params.to, ScanProgress());
    if (status == kFound) status = window.Step();
  }
  SysWordSet(kSysSgn, 0);
  if (IsEvalFailure(status)) return status;
  const Status top = KeyStep(params.target, kStepFirst);
  if (IsEvalFailure(top)) return top;
  return top == kFound ? Status(kOk) : Status(kOutOfData);
}

Status FileScan(StrRef options, StrRef second, StrRef third, StrRef fourth, StrRef fifth) {
  if (options.IsStatus()) return StrCheck(options);
  StrAreaScope scope;
  Status status = KeepTexts({&options, &second, &third, &fourth, &fifth});
  if (!status.ok()) return status;
  const StrRef first_word = StrUpper(ListField(StrTrim(options, kTrimBoth), ' ', 1));
  const uint16_t word = ListFind(kFileScanWords, ',', first_word);
  ScanOptions scan;
  if (word != kClose) {
    status = ReadOptions(options, &scan);
    if (!status.ok()) return status;
  }
  BitsGuard no_fill_in(kSysUpStat, kUpStatNoFillIn);
  if (scan.virtual_option & kVirtualNoFillIn)
    (void)SysWordSetBits(kSysUpStat, kUpStatNoFillIn, true);
  const uint8_t target = ResolveFile(0);
  Status opened = kOk;
  if (scan.virtual_option >= kVirtualOpen) opened = VirtualOpen(target);
  switch (word) {
    case kAcum:
      status = opened;
      if (status.ok()) {
        AccumulateParams params;
        params.source = scan.source;
        params.target = target;
        params.key = scan.key;
        params.from = scan.from;
        params.to = scan.to;
        params.condition = second;
        params.assign = third;
        params.pre = fourth;
        params.check = fifth;
        params.counted = scan.mode & kFileScanModeCount;
        status = AccumulatePass(params);
      }
      // A virtual target stays in the pass state for the steps that read it, until CLOSE.
      if (scan.virtual_option >= kVirtualOpen && opened.ok()) {
        (void)SysWordSetBits(kSysUpStat, kUpStatInPass, true);
      }
      break;
    case kExpSet:
      status = opened.ok() ? ExpSetPass(scan, second, fifth) : opened;
      break;
    case kClose:
      status = VirtualClose(target);
      (void)SysWordSetBits(kSysUpStat, kUpStatInPass, false);
      break;
    default:
      status = scan.virtual_given ? opened : ReportStatus(kBadInputData, options);
      break;
  }
  SysWordSet(kSysStat, static_cast<int16_t>(status.code()));
  return status == kOutOfData ? Status(kOk) : status;
}

}  // namespace engine
