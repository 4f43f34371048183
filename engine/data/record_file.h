// Record files: a data file of fixed-length records ("FD") and its index, opened per file
// number of the dictionary, with a control record and a two-half record buffer each.
//
// Opening checks the index against the data file and rebuilds it when they disagree (a crash, a
// kill, a lost index or another process's writes can leave it behind): the rebuilt index is saved
// at once, or kept in memory only for a read-only open, and a line goes to the log. A file opened
// locked (mode bit 2) holds a lock marker, created atomically and removed by the close or by any
// failure of the open.
//
// Every operation takes a file number; 0, a number above the file count and kAlwaysCurrentFile mean
// the current file (_CURFIL). Failures of 128 and more carry the file's path as detail text and
// are latched with the data-file site.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/core/file_system.h"
#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/data/dictionary.h"
#include "engine/data/record_index.h"

namespace engine {

// Open modes (bits of the mode byte).
inline constexpr uint8_t kModeReadOnly = 1;
inline constexpr uint8_t kModeLocked = 2;
inline constexpr uint8_t kModeCurrent = 8;
inline constexpr uint8_t kModeNoIndex = 16;

// Bit of _UPSTAT: data and index are new temporary copies (kind 7), no lock marker.
inline constexpr uint16_t kUpStatTemporary = 2;

// Positioning statuses (message 0023 entry n is the text of status n).
inline constexpr uint16_t kFound = 0;
inline constexpr uint16_t kKeyNotFound = 1;
inline constexpr uint16_t kEndOfFile = 2;
inline constexpr uint16_t kCleared = 3;
inline constexpr uint16_t kBadKey = 5;
inline constexpr uint16_t kRepeatedKey = 6;

// The control record of a file number (32 bytes).
struct DataFileCtrl {
  uint16_t key = 1;
  uint16_t last_status = kEndOfFile;
  int16_t data_handle = -1;
  int16_t reserved = -1;
  int16_t relup_count = -1;  // group-7 items of the loaded relational-update texts
  int16_t relup_base = -1;
  uint16_t move_status = 0;
  uint16_t move_status2 = 0;
  uint32_t move_record = 0;
  uint32_t move_word = 0;
  uint16_t list_slot = 0;
  uint16_t saved_list_slot = 0;
  uint16_t list_nesting = 0;
  uint8_t mode = 0;
  uint8_t spare = 0;
};
static_assert(sizeof(DataFileCtrl) == 32, "the control record is 32 bytes");

// The control record of a file (1..kMaxFiles; others give a scratch record).
DataFileCtrl& FileCtrl(uint8_t file);

// ---- Opening and closing -----------------------------------------------------------------

// Opens the file with `mode` (see the mode bits). An open file with exactly this mode is left as
// it is (0). 175 when opening locked and the marker exists; 0xFFFF when the data file cannot be
// opened or created; 131 when the data file's size is not a whole number of records; 130 when
// the index cannot be read; 145 when its blocks cannot be had. Ends on the first record of the
// current key.
[[nodiscard]] Status FileOpen(uint8_t file, uint8_t mode);
// Writes the index back when it changed (after making the data durable), closes both files,
// removes the lock marker of a locked open, frees the buffer and the file's record lists and
// resets the control record. 130
// when the index could not be saved (the data is whole; the next open rebuilds the index).
[[nodiscard]] Status FileClose(uint8_t file);
// Closes every open file; the first failure is the result.
[[nodiscard]] Status FileCloseAll();
// Closes the open files numbered above `count` (the dictionary removes them).
void CloseFilesAbove(uint8_t count);
// Saves a changed index, reopens the data file with the same access and reloads (and checks)
// the index, keeping the cursor on the same record where it still exists. 131 when the file is
// not open or its data file cannot be reopened. Answers `status` when it is non-zero.
[[nodiscard]] Status FileReopenData(uint8_t file, Status status);

bool FileIsOpen(uint8_t file);
uint8_t FileMode(uint8_t file);
// The paths the open file uses (pushed); the empty text when it is not open.
StrRef OpenDataPath(uint8_t file);
StrRef OpenIndexPath(uint8_t file);

// ---- Records -----------------------------------------------------------------------------

// Reads record n into half 1, or into both halves with half 3. 136 when fewer than a record's
// bytes could be read.
[[nodiscard]] Status RecordRead(uint8_t file, uint32_t record, uint16_t half);
// Writes half 1 as record n. 137 when it could not be written whole.
[[nodiscard]] Status RecordWrite(uint8_t file, uint32_t record);

// The number of live records: N of an indexed open file, the data file's size divided by the
// record length for one opened without index. Not open: the live records counted in the data
// file (0 when it does not exist).
uint32_t FileRecordCount(uint8_t file);
// FN#FLEN's file part: true with the record count when `name` designates a data file.
bool DataFileLength(StrRef name, int64_t* count);

// ---- The state of an open file, for the operations on it -----------------------------------

struct OpenRecordFile {
  std::unique_ptr<File> data;
  IndexState index;
  std::vector<KeySegments> keys;  // the dictionary's keys, or the default key for none
  uint16_t record_length = 0;
  uint8_t mode = 0;
  bool indexed = false;
  bool temporary = false;
  std::string data_path;
  std::string index_path;
  std::string marker_path;           // empty unless opened locked
  std::string scratch;               // a record read for a comparison
  std::string key_value;             // its key value
  uint32_t scan_record = kNoRecord;  // the record the last physical-order scan reached
  bool written = false;  // records were written since the data file was last made durable

  // Writes bytes at `offset` of the data file; the platform's status.
  [[nodiscard]] Status WriteData(uint64_t offset, std::span<const char> bytes);
};

// The open file, or null.
OpenRecordFile* OpenRecord(uint8_t file);
// The file to act on (ResolveFile), validated (168 reported when undefined).
[[nodiscard]] Status ResolveOpenFile(uint8_t* file);

}  // namespace engine
