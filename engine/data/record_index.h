// The index of a record file: its disk format, its in-memory form, and the check and rebuild
// that keep it in step with its data file.
//
// Disk format (all integers 32-bit little-endian): F (free record numbers), N (live records),
// the F free numbers (a stack: the last is reused first), then for each key 1..K the N live
// record numbers in ascending order of that key's value. K is the key count, at least 1. Bytes
// after the last array are ignored. The file is replaced whole when saved: written to a new file
// beside it, flushed to the disk and renamed over the old one, so a crash leaves the old index or
// the new one, never a mixture.
//
// In memory the K arrays share one tracked block (owner tag 13), each with room for N + key slack
// numbers; the free list has a block of its own. A block for n entries has room for
// (n div 64 + 1) x 64, so there is always at least one spare place after a load.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "engine/core/file_system.h"
#include "engine/core/status.h"
#include "engine/core/str_ref.h"
#include "engine/data/dictionary.h"

namespace engine {

inline constexpr uint32_t kIndexGrowth = 64;
inline constexpr uint32_t kIndexChunk = 8192;  // numbers per read or write
inline constexpr uint8_t kDeletedMark = 27;    // first byte of a deleted record
inline constexpr uint32_t kNoRecord = 0xFFFFFFFF;

struct IndexState {
  uint32_t* keys = nullptr;  // key_count arrays of key_room numbers
  uint32_t* free = nullptr;  // free_room numbers
  uint32_t n = 0;
  uint32_t f = 0;
  uint32_t cursor = 0;
  uint32_t key_room = 0;
  uint32_t free_room = 0;
  uint16_t key_count = 1;
  bool changed = false;

  uint32_t* Array(uint16_t key) const { return keys + size_t{key - 1u} * key_room; }
  uint32_t KeySlack() const { return key_room - n; }
  uint32_t FreeSlack() const { return free_room - f; }
};

// Room for n entries as a block is sized: (n div 64 + 1) x 64.
constexpr uint32_t IndexRoomFor(uint32_t n) { return (n / kIndexGrowth + 1) * kIndexGrowth; }

// Allocates empty blocks for key_count arrays and the free list with the room for n and f
// entries (145 when memory is refused); the state keeps n = f = 0.
[[nodiscard]] Status IndexAllocate(IndexState* state, uint16_t key_count, uint32_t n, uint32_t f);
// Frees both blocks; the state becomes empty.
void IndexRelease(IndexState* state);
// Gives the key arrays (or the free list) the room a fresh load would give them, keeping their
// content. 145 when memory is refused (the old blocks are then kept).
[[nodiscard]] Status IndexGrowKeys(IndexState* state);
[[nodiscard]] Status IndexGrowFree(IndexState* state);

// Reads an index file's content into a fresh state. A file that is empty reads as F = N = 0.
// When the content cannot be an index for `key_count` keys (shorter than its header says, a
// header that cannot be right for a data file of `record_count` records) *well_formed is false
// and the state is empty. 130 for a read failure, 145 when memory is refused.
[[nodiscard]] Status IndexLoad(File* file, uint16_t key_count, uint64_t record_count,
                               IndexState* state, bool* well_formed);
// Replaces the index file `path` with the state's content (see above). 130 on any failure, the
// old file then being left as it was.
[[nodiscard]] Status IndexSave(StrRef path, const IndexState& state);

// A data file's content and the keys it is indexed by, for the check and the rebuild.
struct IndexedData {
  std::span<const char> bytes;  // whole records
  uint16_t record_length = 0;
  const std::vector<KeySegments>* keys = nullptr;

  uint32_t RecordCount() const { return static_cast<uint32_t>(bytes.size() / record_length); }
  const char* Record(uint32_t r) const { return bytes.data() + size_t{r} * record_length; }
  bool Deleted(uint32_t r) const { return static_cast<uint8_t>(Record(r)[0]) == kDeletedMark; }
};

// Whether the index describes the data exactly: F + N is the record count, the free list holds
// every deleted record once, each key array holds every live record once and is sorted by its
// key. When not, *reason says what was found first.
bool IndexMatchesData(const IndexState& state, const IndexedData& data, std::string* reason);
// Rebuilds the state from the data: the deleted records on the free list (the lowest reused
// first), the live ones in each key array sorted by the key and, among equal keys, by record
// number. Marks the state changed. 145 when memory is refused.
[[nodiscard]] Status IndexRebuild(IndexState* state, const IndexedData& data);

// The bytes of a key's value in a record image, into `out` (which is resized).
void ExtractKey(const KeySegments& key, const char* record, uint16_t record_length,
                std::string* out);

}  // namespace engine
