// Rebuilding a data file and its index from its reorganisation copy, and the start-up recovery.
#include "engine/data/reorganize.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/core/file_system.h"
#include "engine/core/string_area.h"
#include "engine/data/dictionary.h"
#include "engine/data/file_paths.h"
#include "engine/data/record_file.h"
#include "engine/data/record_index.h"

namespace engine {

namespace {

constexpr size_t kChunkRecords = 4096;

struct ReorgPaths {
  std::string data;
  std::string copy;
  std::string index;
  std::string marker;
};

std::string PathOf(uint8_t file, uint16_t kind) {
  StrAreaScope scope;
  return ToString(FilePath(file, kind));
}

// The whole content of a file; false when it cannot be read.
bool ReadFile(const std::string& path, std::vector<char>* bytes) {
  std::unique_ptr<File> file;
  uint64_t size = 0;
  if (!CurrentFileSystem().Open(path, kOpenRead, &file).ok() || !file->Size(&size).ok()) {
    return false;
  }
  bytes->resize(size);
  size_t got = 0;
  return size == 0 || (file->Read(0, *bytes, &got).ok() && got == size);
}

// Whether every live record of the data file is also a record of the copy: the data file is then
// the unfinished result of a reorganisation of that copy.
bool DataWithinCopy(const ReorgPaths& paths, uint16_t length) {
  std::vector<char> data;
  std::vector<char> copy;
  if (!ReadFile(paths.data, &data) || !ReadFile(paths.copy, &copy)) return false;
  if (data.size() % length != 0) return false;
  std::unordered_map<std::string, uint32_t> records;
  for (size_t at = 0; at + length <= copy.size(); at += length) {
    ++records[std::string(copy.data() + at, length)];
  }
  for (size_t at = 0; at < data.size(); at += length) {
    if (static_cast<uint8_t>(data[at]) == kDeletedMark) continue;
    auto found = records.find(std::string(data.data() + at, length));
    if (found == records.end() || found->second == 0) return false;
    --found->second;
  }
  return true;
}

// Puts the copy back as the data file after a failed rebuild.
void PutBack(uint8_t file, const ReorgPaths& paths) {
  FileSystem& fs = CurrentFileSystem();
  (void)FileClose(file);
  (void)fs.Remove(paths.data);
  (void)fs.Remove(paths.index);
  (void)fs.Rename(paths.copy, paths.data);
}

// Reads the copy, hands each record to the progress callback and writes the live ones to the
// open (new, empty) data file; then builds the index from them.
Status Rebuild(uint8_t file, const ReorgPaths& paths, const ReorgProgress& progress, bool* torn) {
  OpenRecordFile* of = OpenRecord(file);
  std::unique_ptr<File> copy;
  uint64_t size = 0;
  if (!CurrentFileSystem().Open(paths.copy, kOpenRead, &copy).ok() || !copy->Size(&size).ok()) {
    return DataReport(kFileIO, paths.copy);
  }
  const uint16_t length = of->record_length;
  const uint64_t total = size / length;
  *torn = size % length != 0;
  std::vector<char> live;
  std::vector<char> chunk(kChunkRecords * length);
  std::string key;
  for (uint64_t first = 0; first < total; first += kChunkRecords) {
    const uint64_t count = std::min<uint64_t>(kChunkRecords, total - first);
    size_t got = 0;
    const Status status = copy->Read(first * length, {chunk.data(), count * length}, &got);
    if (!status.ok() || got < count * length) return DataReport(kFileIO, paths.copy);
    for (uint64_t i = 0; i < count; ++i) {
      const char* record = chunk.data() + i * length;
      if (progress) {
        ExtractKey(of->keys[0], record, length, &key);
        const Status answer = progress(StrView(key), static_cast<uint32_t>(total));
        if (!answer.ok()) return answer;
      }
      if (static_cast<uint8_t>(record[0]) != kDeletedMark)
        live.insert(live.end(), record, record + length);
    }
  }
  (void)of->data->Lock(true, true);
  Status status = live.empty() ? Status(kOk) : of->WriteData(0, live);
  of->data->Unlock();
  if (!status.ok()) return DataReport(kDiskWriteError, paths.data);
  const IndexedData data{live, length, &of->keys};
  status = IndexRebuild(&of->index, data);
  return status.ok() ? status : DataReport(status, paths.index);
}

}  // namespace

Status FileReorganize(uint8_t file, const ReorgProgress& progress) {
  Status status = ResolveOpenFile(&file);
  if (!status.ok()) return status;
  if (RecordLength(file) == 0) return DataReport(kBadInputData, ToString(FileBaseName(file)));
  if (FileIsOpen(file)) (void)FileClose(file);
  FileSystem& fs = CurrentFileSystem();
  const ReorgPaths paths{PathOf(file, kPathData), PathOf(file, kPathReorgCopy),
                         PathOf(file, kPathIndex), [&] {
                           StrAreaScope scope;
                           return ToString(LockMarkerPath(file));
                         }()};
  if (fs.Exists(paths.marker)) (void)fs.Remove(paths.marker);

  const bool has_copy = fs.Exists(paths.copy);
  const bool has_data = fs.Exists(paths.data);
  if (has_data) {
    // A data file that cannot be read (a folder in its place, no permission) is left as it is,
    // with its index, and named.
    std::unique_ptr<File> probe;
    status = fs.Open(paths.data, kOpenRead, &probe);
    if (!status.ok()) return DataReport(status, paths.data);
  }
  if (has_copy && has_data) {
    if (!DataWithinCopy(paths, RecordLength(file))) {
      return DataReport(kFileExist, paths.copy +
                                        ": a reorganisation copy lies beside a data file that "
                                        "holds other records; both are kept");
    }
    if (!fs.Remove(paths.data).ok()) return DataReport(kFileIO, paths.data);
  } else if (has_data) {
    if (!fs.Rename(paths.data, paths.copy).ok()) return DataReport(kFileIO, paths.data);
  } else if (!has_copy) {
    status = FileOpen(file, kModeLocked);
    return status.ok() ? FileClose(file) : status;
  }
  (void)fs.Remove(paths.index);

  status = FileOpen(file, kModeLocked);
  if (!status.ok()) {
    PutBack(file, paths);
    return status;
  }
  bool torn = false;
  status = Rebuild(file, paths, progress, &torn);
  if (!status.ok()) {
    PutBack(file, paths);
    return status;
  }
  status = FileClose(file);
  if (!status.ok()) return status;
  if (torn) {
    return DataReport(kFileIO, paths.copy + ": its last record is incomplete; the copy is kept");
  }
  (void)fs.Remove(paths.copy);
  return kOk;
}

Status RecoverDataFiles(const ReorgProgress& progress) {
  FileSystem& fs = CurrentFileSystem();
  Status first = kOk;
  for (uint8_t f = 1; f <= FileCount(); ++f) {
    if (!fs.Exists(PathOf(f, kPathData)) && !fs.Exists(PathOf(f, kPathReorgCopy))) continue;
    const Status status = FileReorganize(f, progress);
    if (first.ok() && !status.ok()) first = status;
  }
  return first;
}

}  // namespace engine
