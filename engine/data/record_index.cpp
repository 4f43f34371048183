// The index's blocks, its file format, and its check and rebuild against the data file.
#include "engine/data/record_index.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <numeric>

#include "engine/core/block_pool.h"
#include "engine/core/string_area.h"
#include "engine/data/file_paths.h"

namespace engine {

namespace {

constexpr uint64_t kHeaderSize = 8;
constexpr size_t kNumberSize = 4;

uint32_t* AllocateNumbers(uint32_t count) {
  const uint64_t bytes = uint64_t{count} * kNumberSize;
  if (bytes > UINT32_MAX) return nullptr;
  return static_cast<uint32_t*>(BlockAllocZero(kTagKeyArraysAlt, static_cast<uint32_t>(bytes)));
}

void FreeNumbers(uint32_t* block) {
  if (block) (void)BlockFree(kTagKeyArraysAlt, block);
}

void DecodeNumbers(const char* bytes, uint32_t* out, size_t count) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, bytes, count * kNumberSize);
  } else {
    for (size_t i = 0; i < count; ++i) {
      const auto* b = reinterpret_cast<const uint8_t*>(bytes + i * kNumberSize);
      out[i] = uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
    }
  }
}

void EncodeNumbers(const uint32_t* numbers, char* out, size_t count) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, numbers, count * kNumberSize);
  } else {
    for (size_t i = 0; i < count; ++i) {
      for (size_t b = 0; b < kNumberSize; ++b) {
        out[i * kNumberSize + b] = static_cast<char>(numbers[i] >> (8 * b));
      }
    }
  }
}

// Reads `count` numbers at `offset` in chunks; false when fewer bytes were there.
Status ReadNumbers(File* file, uint64_t offset, uint32_t* out, uint32_t count, bool* complete) {
  std::array<char, kIndexChunk * kNumberSize> buffer;
  while (count > 0) {
    const uint32_t chunk = std::min(count, kIndexChunk);
    size_t got = 0;
    const Status status = file->Read(offset, {buffer.data(), chunk * kNumberSize}, &got);
    if (!status.ok()) return kDiskIO;
    if (got < chunk * kNumberSize) {
      *complete = false;
      return kOk;
    }
    DecodeNumbers(buffer.data(), out, chunk);
    out += chunk;
    count -= chunk;
    offset += uint64_t{chunk} * kNumberSize;
  }
  return kOk;
}

// Writes numbers at *offset in chunks and advances it.
Status WriteNumbers(File* file, uint64_t* offset, const uint32_t* numbers, uint32_t count) {
  std::array<char, kIndexChunk * kNumberSize> buffer;
  while (count > 0) {
    const uint32_t chunk = std::min(count, kIndexChunk);
    EncodeNumbers(numbers, buffer.data(), chunk);
    const Status status = file->Write(*offset, {buffer.data(), chunk * kNumberSize});
    if (!status.ok()) return status;
    numbers += chunk;
    count -= chunk;
    *offset += uint64_t{chunk} * kNumberSize;
  }
  return kOk;
}

// Replaces one block by a larger one holding the same first `keep` numbers of each of `arrays`
// arrays of `old_room` numbers.
Status Regrow(uint32_t** block, uint16_t arrays, uint32_t old_room, uint32_t keep,
              uint32_t new_room) {
  uint32_t* grown = AllocateNumbers(uint32_t{arrays} * new_room);
  if (!grown) return kOutOfMemory;
  for (uint16_t a = 0; a < arrays; ++a) {
    std::memcpy(grown + size_t{a} * new_room, *block + size_t{a} * old_room, keep * kNumberSize);
  }
  FreeNumbers(*block);
  *block = grown;
  return kOk;
}

}  // namespace

Status IndexAllocate(IndexState* state, uint16_t key_count, uint32_t n, uint32_t f) {
  IndexRelease(state);
  state->key_count = std::max<uint16_t>(key_count, 1);
  state->key_room = IndexRoomFor(n);
  state->free_room = IndexRoomFor(f);
  const uint64_t key_numbers = uint64_t{state->key_count} * state->key_room;
  if (key_numbers > UINT32_MAX / kNumberSize) return kOutOfMemory;
  state->keys = AllocateNumbers(static_cast<uint32_t>(key_numbers));
  state->free = AllocateNumbers(state->free_room);
  if (!state->keys || !state->free) {
    IndexRelease(state);
    return kOutOfMemory;
  }
  return kOk;
}

void IndexRelease(IndexState* state) {
  FreeNumbers(state->keys);
  FreeNumbers(state->free);
  const uint16_t key_count = state->key_count;
  *state = IndexState{};
  state->key_count = key_count;
}

Status IndexGrowKeys(IndexState* state) {
  const uint32_t room = IndexRoomFor(state->n);
  if (room <= state->key_room) return kOk;
  if (uint64_t{state->key_count} * room > UINT32_MAX / kNumberSize) return kOutOfMemory;
  Status status = Regrow(&state->keys, state->key_count, state->key_room, state->n, room);
  if (status.ok()) state->key_room = room;
  return status;
}

Status IndexGrowFree(IndexState* state) {
  const uint32_t room = IndexRoomFor(state->f);
  if (room <= state->free_room) return kOk;
  Status status = Regrow(&state->free, 1, state->free_room, state->f, room);
  if (status.ok()) state->free_room = room;
  return status;
}

Status IndexLoad(File* file, uint16_t key_count, uint64_t record_count, IndexState* state,
                 bool* well_formed) {
  *well_formed = true;
  key_count = std::max<uint16_t>(key_count, 1);
  uint64_t size = 0;
  if (!file->Size(&size).ok()) return kDiskIO;
  uint32_t header[2] = {0, 0};
  if (size > 0) {
    char bytes[kHeaderSize];
    size_t got = 0;
    if (!file->Read(0, bytes, &got).ok()) return kDiskIO;
    if (got < kHeaderSize) {
      *well_formed = false;
    } else {
      DecodeNumbers(bytes, header, 2);
    }
  }
  const uint64_t f = header[0];
  const uint64_t n = header[1];
  if (*well_formed && size > 0 &&
      (f + n > record_count || kHeaderSize + (f + n * key_count) * kNumberSize > size)) {
    *well_formed = false;
  }
  if (!*well_formed) {
    Status status = IndexAllocate(state, key_count, 0, 0);
    return status;
  }
  Status status =
      IndexAllocate(state, key_count, static_cast<uint32_t>(n), static_cast<uint32_t>(f));
  if (!status.ok()) return status;
  uint64_t offset = kHeaderSize;
  status = ReadNumbers(file, offset, state->free, static_cast<uint32_t>(f), well_formed);
  offset += f * kNumberSize;
  for (uint16_t k = 1; status.ok() && *well_formed && k <= key_count; ++k) {
    status = ReadNumbers(file, offset, state->Array(k), static_cast<uint32_t>(n), well_formed);
    offset += n * kNumberSize;
  }
  if (!status.ok() || !*well_formed) {
    IndexRelease(state);
    const Status again = IndexAllocate(state, key_count, 0, 0);
    return status.ok() ? again : status;
  }
  state->f = static_cast<uint32_t>(f);
  state->n = static_cast<uint32_t>(n);
  state->changed = false;
  return kOk;
}

Status IndexSave(StrRef path, const IndexState& state) {
  FileSystem& fs = CurrentFileSystem();
  std::string temporary;
  std::unique_ptr<File> file;
  Status status = kFileExist;
  for (int attempt = 0; attempt < 16 && status == kFileExist; ++attempt) {
    temporary = std::string(path.view()) + "~" + UniqueToken();
    status = fs.Open(temporary, kOpenWrite | kOpenCreate | kOpenExclusive, &file);
  }
  if (!status.ok()) return kDiskIO;
  const uint32_t header[2] = {state.f, state.n};
  uint64_t offset = 0;
  status = WriteNumbers(file.get(), &offset, header, 2);
  if (status.ok()) status = WriteNumbers(file.get(), &offset, state.free, state.f);
  for (uint16_t k = 1; status.ok() && k <= state.key_count; ++k) {
    status = WriteNumbers(file.get(), &offset, state.Array(k), state.n);
  }
  if (status.ok()) status = file->Sync();
  file.reset();
  if (status.ok()) status = fs.Rename(temporary, path.view());
  if (!status.ok()) {
    (void)fs.Remove(temporary);
    return kDiskIO;
  }
  return kOk;
}

void ExtractKey(const KeySegments& key, const char* record, uint16_t record_length,
                std::string* out) {
  out->clear();
  for (uint16_t s = 0; s < key.count; ++s) {
    const KeySegment& seg = key.segment[s];
    if (seg.start >= record_length) continue;
    out->append(record + seg.start, std::min<uint16_t>(seg.length, record_length - seg.start));
  }
}

bool IndexMatchesData(const IndexState& state, const IndexedData& data, std::string* reason) {
  const uint32_t count = data.RecordCount();
  if (uint64_t{state.f} + state.n != count) {
    *reason = "it counts " + std::to_string(uint64_t{state.f} + state.n) +
              " records, the data file " + std::to_string(count);
    return false;
  }
  std::vector<uint8_t> seen(count, 0);
  for (uint32_t i = 0; i < state.f; ++i) {
    const uint32_t r = state.free[i];
    if (r >= count || seen[r] || !data.Deleted(r)) {
      *reason = "free record " + std::to_string(r) + " is not a deleted record";
      return false;
    }
    seen[r] = 1;
  }
  std::string previous;
  std::string current;
  for (uint16_t k = 1; k <= state.key_count; ++k) {
    const KeySegments& key = (*data.keys)[k - 1u];
    const uint8_t mark = static_cast<uint8_t>(k + 1);
    const uint32_t* array = state.Array(k);
    for (uint32_t i = 0; i < state.n; ++i) {
      const uint32_t r = array[i];
      if (r >= count || seen[r] == mark || data.Deleted(r)) {
        *reason = "key " + std::to_string(k) + " lists record " + std::to_string(r) +
                  ", which is no live record or is listed twice";
        return false;
      }
      seen[r] = mark;
      ExtractKey(key, data.Record(r), data.record_length, &current);
      if (i > 0 && current < previous) {
        *reason = "key " + std::to_string(k) + " is out of order at record " + std::to_string(r);
        return false;
      }
      std::swap(previous, current);
    }
  }
  return true;
}

Status IndexRebuild(IndexState* state, const IndexedData& data) {
  const uint32_t count = data.RecordCount();
  std::vector<uint32_t> live;
  std::vector<uint32_t> deleted;
  for (uint32_t r = 0; r < count; ++r) (data.Deleted(r) ? deleted : live).push_back(r);
  const uint16_t key_count = static_cast<uint16_t>(std::max<size_t>(data.keys->size(), 1));
  Status status = IndexAllocate(state, key_count, static_cast<uint32_t>(live.size()),
                                static_cast<uint32_t>(deleted.size()));
  if (!status.ok()) return status;
  std::copy(deleted.rbegin(), deleted.rend(), state->free);
  std::vector<std::string> values(count);
  std::vector<uint32_t> order;
  for (uint16_t k = 1; k <= key_count; ++k) {
    const KeySegments& key = (*data.keys)[k - 1u];
    for (uint32_t r : live) ExtractKey(key, data.Record(r), data.record_length, &values[r]);
    order = live;
    std::stable_sort(order.begin(), order.end(),
                     [&](uint32_t a, uint32_t b) { return values[a] < values[b]; });
    std::copy(order.begin(), order.end(), state->Array(k));
  }
  state->n = static_cast<uint32_t>(live.size());
  state->f = static_cast<uint32_t>(deleted.size());
  state->cursor = 0;
  state->changed = true;
  return kOk;
}

}  // namespace engine
