// Opening, checking, reopening and closing record files; control records; record input and
// output.
#include "engine/data/record_file.h"

#include <algorithm>
#include <array>

#include "engine/core/diagnostics.h"
#include "engine/core/error_latch.h"
#include "engine/core/string_area.h"
#include "engine/core/text_ops.h"
#include "engine/core/value_tables.h"
#include "engine/data/file_paths.h"
#include "engine/data/record_buffer.h"
#include "engine/data/record_keys.h"
#include "engine/data/record_lists.h"
#include "engine/lang/variables.h"

namespace engine {

namespace {

constexpr size_t kReadChunk = size_t{1} << 20;
constexpr uint8_t kStepTop = 0x24;

std::array<DataFileCtrl, kMaxFiles + 1> g_ctrl;
std::array<std::unique_ptr<OpenRecordFile>, kMaxFiles + 1> g_open;

bool ValidNumber(uint8_t file) { return file >= 1 && file <= kMaxFiles; }

// Reads the whole data file (`size` bytes) into `bytes`.
Status ReadWhole(File* file, uint64_t size, std::vector<char>* bytes) {
  bytes->resize(size);
  uint64_t offset = 0;
  while (offset < size) {
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(kReadChunk, size - offset));
    size_t got = 0;
    const Status status = file->Read(offset, {bytes->data() + offset, chunk}, &got);
    if (!status.ok() || got < chunk) return kDiskReadError;
    offset += chunk;
  }
  return kOk;
}

void WriteLogLine(const std::string& text) { (void)WriteReport(StrView(text), StrLit("")); }

// Loads the index of an open file and checks it against the data file; when they disagree the
// index is rebuilt from the data (and saved unless the file is read-only).
Status LoadCheckedIndex(OpenRecordFile* of) {
  FileSystem& fs = CurrentFileSystem();
  const bool read_only = of->mode & kModeReadOnly;
  // Appends take the exclusive lock, so the data cannot change while it is looked at.
  (void)of->data->Lock(false, true);
  struct Unlock {
    File* file;
    ~Unlock() { file->Unlock(); }
  } unlock{of->data.get()};

  uint64_t size = 0;
  if (!of->data->Size(&size).ok()) return DataReport(kFileIO, of->data_path);
  if (size % of->record_length != 0) {
    return DataReport(kFileIO, of->data_path + ": " + std::to_string(size) +
                                   " bytes are no whole number of " +
                                   std::to_string(of->record_length) + "-byte records");
  }
  const uint64_t count = size / of->record_length;
  if (count >= kNoRecord) return DataReport(kFileIO, of->data_path);

  std::unique_ptr<File> index_file;
  const uint32_t flags = read_only ? kOpenRead : (kOpenRead | kOpenWrite | kOpenCreate);
  Status status = fs.Open(of->index_path, flags, &index_file);
  if (!status.ok() && !(read_only && status == kFileNotFound)) {
    return DataReport(kDiskIO, of->index_path);
  }
  const uint16_t key_count = static_cast<uint16_t>(of->keys.size());
  bool well_formed = true;
  if (index_file) {
    status = IndexLoad(index_file.get(), key_count, count, &of->index, &well_formed);
  } else {
    status = IndexAllocate(&of->index, key_count, 0, 0);
  }
  index_file.reset();
  if (!status.ok()) return DataReport(status, of->index_path);

  std::vector<char> bytes;
  if (!ReadWhole(of->data.get(), size, &bytes).ok())
    return DataReport(kDiskReadError, of->data_path);
  const IndexedData data{bytes, of->record_length, &of->keys};
  std::string reason = "the index file is cut short or does not fit the data file";
  if (well_formed && IndexMatchesData(of->index, data, &reason)) return kOk;

  status = IndexRebuild(&of->index, data);
  if (!status.ok()) return DataReport(status, of->index_path);
  std::string line = "Index rebuilt from its data file: " + of->index_path + " (" + reason + ")";
  if (!read_only) {
    if (IndexSave(StrView(of->index_path), of->index).ok()) {
      of->index.changed = false;
    } else {
      line += "; it could not be saved yet";
    }
  } else {
    line += "; kept in memory (read-only)";
  }
  WriteLogLine(line);
  return kOk;
}

Status OpenDataFile(OpenRecordFile* of) {
  FileSystem& fs = CurrentFileSystem();
  if (of->mode & kModeReadOnly) {
    Status status = fs.Open(of->data_path, kOpenRead, &of->data);
    if (!status.ok()) {
      std::unique_ptr<File> created;
      if (fs.Open(of->data_path, kOpenRead | kOpenWrite | kOpenCreate, &created).ok()) {
        created.reset();
        status = fs.Open(of->data_path, kOpenRead, &of->data);
      }
    }
    return status;
  }
  return fs.Open(of->data_path, kOpenRead | kOpenWrite | kOpenCreate, &of->data);
}

std::vector<KeySegments> EffectiveKeys(uint8_t file) {
  std::vector<KeySegments> keys;
  for (uint16_t k = 1; k <= KeyCount(file); ++k) keys.push_back(KeySegmentsOf(file, k));
  if (keys.empty()) keys.push_back(DefaultKey(file));
  return keys;
}

// Makes the records written durable, then saves a changed index (never before its records):
// 137 when the data could not be synced, 130 when the index could not be saved.
Status SaveChanges(OpenRecordFile* of) {
  Status status = kOk;
  if (of->written && of->data) {
    if (of->data->Sync().ok()) {
      of->written = false;
    } else {
      status = DataReport(kDiskWriteError, of->data_path);
    }
  }
  if (of->indexed && of->index.changed && !(of->mode & kModeReadOnly)) {
    if (IndexSave(StrView(of->index_path), of->index).ok()) {
      of->index.changed = false;
    } else if (status.ok()) {
      status = DataReport(kDiskIO, of->index_path);
    }
  }
  return status;
}

// Closes what an open made; the status of saving the changes.
Status CloseOpen(uint8_t file) {
  OpenRecordFile* of = g_open[file].get();
  RecListReleaseFile(file);
  const Status status = SaveChanges(of);
  of->data.reset();
  IndexRelease(&of->index);
  if (!of->marker_path.empty()) (void)CurrentFileSystem().Remove(of->marker_path);
  BufferRelease(file);
  g_open[file].reset();
  g_ctrl[file] = DataFileCtrl{};
  return status;
}

// Undoes a failed open: the marker it made, the buffer, the control record.
Status AbandonOpen(uint8_t file, Status status) {
  OpenRecordFile* of = g_open[file].get();
  RecListReleaseFile(file);
  if (of) {
    of->data.reset();
    IndexRelease(&of->index);
    if (!of->marker_path.empty()) (void)CurrentFileSystem().Remove(of->marker_path);
    g_open[file].reset();
  }
  BufferRelease(file);
  g_ctrl[file] = DataFileCtrl{};
  return status;
}

// Paths of kind 7 are new files each time they are asked for.
Status TakePath(uint8_t file, uint16_t kind, std::string* path) {
  StrAreaScope scope;
  const StrRef p = FilePath(file, kind);
  if (p.IsStatus()) return StrCheck(p);
  *path = ToString(p);
  return kOk;
}

}  // namespace

Status OpenRecordFile::WriteData(uint64_t offset, std::span<const char> bytes) {
  written = true;
  return data->Write(offset, bytes);
}

DataFileCtrl& FileCtrl(uint8_t file) {
  static DataFileCtrl scratch;
  if (!ValidNumber(file)) {
    scratch = DataFileCtrl{};
    return scratch;
  }
  return g_ctrl[file];
}

OpenRecordFile* OpenRecord(uint8_t file) {
  return ValidNumber(file) ? g_open[file].get() : nullptr;
}

Status ResolveOpenFile(uint8_t* file) {
  *file = ResolveFile(*file);
  const Status status = CheckFileField(*file, kAnyField);
  if (status.IsError()) LatchRecord(kLatchFirst, kSiteDataFile, status);
  return status;
}

bool FileIsOpen(uint8_t file) { return OpenRecord(ResolveFile(file)) != nullptr; }

uint8_t FileMode(uint8_t file) {
  file = ResolveFile(file);
  return ValidNumber(file) ? g_ctrl[file].mode : 0;
}

StrRef OpenDataPath(uint8_t file) {
  const OpenRecordFile* of = OpenRecord(ResolveFile(file));
  return StrAreaReturn(StrAreaMark(), of ? StrView(of->data_path) : StrLit(""));
}

StrRef OpenIndexPath(uint8_t file) {
  const OpenRecordFile* of = OpenRecord(ResolveFile(file));
  return StrAreaReturn(StrAreaMark(), of ? StrView(of->index_path) : StrLit(""));
}

Status FileOpen(uint8_t file, uint8_t mode) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  if (mode & kModeCurrent) SysWordSet(kSysCurFil, file);
  if (g_open[file] && g_ctrl[file].mode == mode) return kOk;

  const bool temporary = SysWordTest(kSysUpStat, kUpStatTemporary);
  const bool locked = (mode & kModeLocked) && !temporary;
  FileSystem& fs = CurrentFileSystem();
  std::string marker;
  if (locked) {
    StrAreaScope scope;
    marker = ToString(LockMarkerPath(file));
    if (fs.Exists(marker)) return DataReport(kPermissionDenied, marker);
  }
  if (g_open[file]) (void)FileClose(file);
  g_ctrl[file] = DataFileCtrl{};

  const uint16_t record_length = RecordLength(file);
  if (record_length == 0) return DataReport(kBadInputData, ToString(FileBaseName(file)));
  status = BufferAllocate(file, record_length);
  if (!status.ok()) return AbandonOpen(file, status);

  auto of = std::make_unique<OpenRecordFile>();
  of->record_length = record_length;
  of->mode = mode;
  of->indexed = !(mode & kModeNoIndex);
  of->temporary = temporary;
  of->keys = EffectiveKeys(file);
  of->index.key_count = static_cast<uint16_t>(of->keys.size());
  of->scratch.assign(record_length, ' ');
  OpenRecordFile* open = of.get();
  g_open[file] = std::move(of);

  if (locked) {
    std::unique_ptr<File> created;
    status = fs.Open(marker, kOpenWrite | kOpenCreate | kOpenExclusive, &created);
    if (status == kFileExist) return AbandonOpen(file, DataReport(kPermissionDenied, marker));
    if (!status.ok()) return AbandonOpen(file, DataReport(status, marker));
    open->marker_path = marker;
    status = created->Write(0, {" ", 1});
    created.reset();
    if (!status.ok()) return AbandonOpen(file, DataReport(status, marker));
  }

  status = TakePath(file, temporary ? kPathTemporary : kPathData, &open->data_path);
  if (status.ok()) status = OpenDataFile(open);
  if (!status.ok()) {
    (void)ReportStatus(status, StrView(open->data_path));
    return AbandonOpen(file, kNothing);
  }
  if (open->indexed) {
    status = TakePath(file, temporary ? kPathTemporary : kPathIndex, &open->index_path);
    if (!status.ok()) return AbandonOpen(file, DataReport(kDiskIO, open->index_path));
    status = LoadCheckedIndex(open);
    if (!status.ok()) return AbandonOpen(file, status);
  }
  g_ctrl[file].mode = mode;
  g_ctrl[file].data_handle = file;
  if (!open->indexed) return kOk;
  status = KeyStep(file, kStepTop);
  return status.IsError() ? AbandonOpen(file, status) : Status(kOk);
}

Status FileClose(uint8_t file) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  if (!g_open[file]) {
    g_ctrl[file] = DataFileCtrl{};
    return kOk;
  }
  return CloseOpen(file);
}

Status FileCloseAll() {
  Status first = kOk;
  for (uint8_t f = 1; f <= kMaxFiles; ++f) {
    if (!g_open[f]) continue;
    const Status status = CloseOpen(f);
    if (first.ok()) first = status;
  }
  return first;
}

void CloseFilesAbove(uint8_t count) {
  for (uint8_t f = static_cast<uint8_t>(count + 1); f <= kMaxFiles; ++f) {
    if (g_open[f]) (void)CloseOpen(f);
  }
}

Status FileReopenData(uint8_t file, Status status) {
  Status result = ResolveOpenFile(&file);
  OpenRecordFile* of = result.ok() ? g_open[file].get() : nullptr;
  if (!of) {
    if (result.ok()) result = DataReport(kFileIO, ToString(FileBaseName(file)));
    return status.ok() ? result : status;
  }
  IndexState& index = of->index;
  const uint32_t record = of->indexed ? CurrentRecordNumber(file) : kNoRecord;
  const Status saved = SaveChanges(of);
  if (result.ok()) result = saved;
  std::unique_ptr<File> previous = std::move(of->data);
  if (!OpenDataFile(of).ok()) {
    of->data = std::move(previous);
    return status.ok() ? DataReport(kFileIO, of->data_path) : status;
  }
  previous.reset();
  if (of->indexed) {
    const uint32_t cursor = index.cursor;
    IndexRelease(&index);
    const Status loaded = LoadCheckedIndex(of);
    if (!loaded.ok()) {
      // Without an index the file cannot be used; it is closed so that nothing acts on it.
      (void)AbandonOpen(file, loaded);
      return status.ok() ? loaded : status;
    }
    index.cursor = std::min(cursor, index.n);
    if (record != kNoRecord) (void)KeyLocateRecord(file, record);
  }
  return status.ok() ? result : status;
}

Status RecordRead(uint8_t file, uint32_t record, uint16_t half) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  OpenRecordFile* of = g_open[file].get();
  const StrRef current = BufferHalf(file, kHalfCurrent);
  if (!of || current.IsStatus()) return DataReport(kFileNotInit, ToString(FileBaseName(file)));
  size_t got = 0;
  status = of->data->Read(uint64_t{record} * of->record_length,
                          {StrWritable(current), of->record_length}, &got);
  if (!status.ok() || got < of->record_length) {
    return DataReport(kDiskReadError, of->data_path + " #" + std::to_string(record));
  }
  if (half == kHalfBoth) BufferCopy(file, 1);
  return kOk;
}

Status RecordWrite(uint8_t file, uint32_t record) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  OpenRecordFile* of = g_open[file].get();
  const StrRef current = BufferHalf(file, kHalfCurrent);
  if (!of || current.IsStatus()) return DataReport(kFileNotInit, ToString(FileBaseName(file)));
  status = of->WriteData(uint64_t{record} * of->record_length, {current.ptr, current.len});
  if (!status.ok())
    return DataReport(kDiskWriteError, of->data_path + " #" + std::to_string(record));
  return kOk;
}

uint32_t FileRecordCount(uint8_t file) {
  file = ResolveFile(file);
  if (const OpenRecordFile* of = OpenRecord(file)) {
    if (of->indexed) return of->index.n;
    uint64_t size = 0;
    if (!of->data->Size(&size).ok()) return 0;
    return static_cast<uint32_t>(size / of->record_length);
  }
  const uint16_t length = RecordLength(file);
  if (length == 0) return 0;
  StrAreaScope scope;
  std::unique_ptr<File> data;
  const StrRef path = FilePath(file, kPathData);
  if (path.IsStatus() || !CurrentFileSystem().Open(path.view(), kOpenRead, &data).ok()) return 0;
  uint64_t size = 0;
  if (!data->Size(&size).ok()) return 0;
  const uint64_t records = size / length;
  const uint64_t chunk_records = std::max<uint64_t>(1, kReadChunk / length);
  std::vector<char> chunk(chunk_records * length);
  uint32_t live = 0;
  for (uint64_t first = 0; first < records; first += chunk_records) {
    const uint64_t count = std::min(chunk_records, records - first);
    size_t got = 0;
    if (!data->Read(first * length, {chunk.data(), count * length}, &got).ok()) break;
    for (uint64_t i = 0; i < count && (i + 1) * length <= got; ++i) {
      if (static_cast<uint8_t>(chunk[i * length]) != kDeletedMark) ++live;
    }
  }
  return live;
}

bool DataFileLength(StrRef name, int64_t* count) {
  if (name.IsStatus() || name.empty() || name.byte(0) <= 64) return false;
  const uint8_t file = FileByName(name);
  if (file == 0) return false;
  *count = FileRecordCount(file);
  return true;
}

}  // namespace engine
