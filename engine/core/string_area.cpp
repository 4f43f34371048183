// The StringArea: reservation, release, return and keep of temporaries.
#include "engine/core/string_area.h"

#include <cstring>

#include "engine/core/block_pool.h"

namespace engine {

namespace {

constexpr uint32_t kWorkBlockSize = 240;

struct Area {
  char* data = nullptr;       // data block, tag 9, not cleared
  StrRef* entries = nullptr;  // entry table, tag 9
  void* work = nullptr;       // 240-byte zeroed block kept with the area
  uint16_t capacity = 0;
  uint16_t top = 0;
  uint16_t highest_top = 0;
  uint32_t highest_bytes = 0;
  char* free_pos = nullptr;
  uint32_t total = 0;
} g_area;

constexpr size_t RoundUp(size_t n) { return (n + kAreaAlign - 1) & ~(kAreaAlign - 1); }

char* AreaEnd() { return g_area.data + g_area.total; }

uint32_t BytesUsed() { return static_cast<uint32_t>(g_area.free_pos - g_area.data); }

// The end of an entry's rounded length: where the next temporary begins.
char* EntryEnd(uint16_t index) {
  const StrRef& e = g_area.entries[index];
  return const_cast<char*>(e.ptr) + RoundUp(e.len);
}

}  // namespace

Status StringAreaStart(uint16_t kb) {
  if (g_area.data || kb < 2) return kOutOfMemory;
  g_area.work = BlockAllocZero(kTagStringArea, kWorkBlockSize);
  g_area.data = static_cast<char*>(BlockAddress(BlockAlloc(kTagStringArea, kb * 1024u, kNoFill)));
  g_area.entries = static_cast<StrRef*>(BlockAllocZero(kTagStringArea, kb * sizeof(StrRef)));
  if (!g_area.work || !g_area.data || !g_area.entries) {
    StringAreaStop();
    return kOutOfMemory;
  }
  g_area.capacity = kb;
  g_area.total = kb * 1024u;
  g_area.top = 0;
  g_area.highest_top = 0;
  g_area.highest_bytes = 0;
  g_area.entries[0] = StrRef{g_area.data, 0};
  g_area.free_pos = g_area.data;
  return kOk;
}

void StringAreaStop() {
  for (void* block :
       {static_cast<void*>(g_area.data), static_cast<void*>(g_area.entries), g_area.work}) {
    if (block) (void)BlockFree(kTagStringArea, block);
  }
  g_area = Area{};
}

bool StringAreaStarted() { return g_area.data != nullptr; }

uint16_t StrAreaMark() { return g_area.top; }

uint16_t StrAreaRelease(uint16_t mark) {
  if (mark >= g_area.capacity || mark > g_area.top) return g_area.top;
  char* end = EntryEnd(mark);
  if (end < g_area.data || end >= AreaEnd()) return g_area.top;
  g_area.free_pos = end;
  g_area.top = mark;
  return g_area.top;
}

Status StrAreaAlloc(size_t length, uint8_t fill) {
  if (length > kMaxStrLen) return kStringTooLong;
  // Both limits are checked before anything changes, so a failed push leaves no trace.
  if (g_area.top + 1 >= g_area.capacity) return kOutOfMemory;
  if (RoundUp(length) >= static_cast<size_t>(AreaEnd() - g_area.free_pos)) return kOutOfMemory;
  StrRef value{g_area.free_pos, static_cast<uint16_t>(length)};
  g_area.free_pos += RoundUp(length);
  g_area.entries[++g_area.top] = value;
  if (g_area.top > g_area.highest_top) g_area.highest_top = g_area.top;
  if (BytesUsed() > g_area.highest_bytes) g_area.highest_bytes = BytesUsed();
  if (fill != kNoFill) std::memset(StrWritable(value), fill, length);
  return kOk;
}

Status StrAreaPushCopy(StrRef s) {
  if (s.IsStatus()) return StrCheck(s);
  Status status = StrAreaAlloc(s.len);
  if (!status.ok()) return status;
  if (s.len) std::memmove(StrWritable(StrAreaTop()), s.ptr, s.len);
  return kOk;
}

StrRef StrAreaTop() { return g_area.entries[g_area.top]; }

StrRef StrAreaReturn(uint16_t mark, StrRef s) {
  StrAreaRelease(mark);
  Status status = StrAreaPushCopy(s);
  return status.ok() ? StrAreaTop() : StrError(status);
}

Status StrAreaKeep(uint16_t mark, std::initializer_list<StrRef*> vars) {
  const uint16_t top = g_area.top;
  auto copy_all = [&]() -> Status {
    for (StrRef* var : vars) {
      Status status = StrAreaPushCopy(*var);
      if (!status.ok()) return status;
      *var = StrAreaTop();
    }
    return kOk;
  };
  Status status = copy_all();
  if (!status.ok() || mark >= top) return status;
  // The first copies lie above every original; moving them down in order is now safe.
  StrAreaRelease(mark);
  return copy_all();
}

StrRef StrAreaScratch() {
  size_t room = static_cast<size_t>(AreaEnd() - g_area.free_pos);
  // Room for a whole-scratch push: its rounded length must stay below the end of the block.
  room = room > kAreaAlign ? room - kAreaAlign : 0;
  if (room > kMaxStrLen) room = kMaxStrLen;
  return StrRef{g_area.free_pos, static_cast<uint16_t>(room)};
}

Status StrAreaCanPush(size_t n) {
  return size_t{g_area.top} + n >= g_area.capacity ? kOutOfMemory : kOk;
}

Status StrConcat(StrRef a, StrRef b) {
  if (a.IsStatus()) return StrCheck(a);
  if (b.IsStatus()) return StrCheck(b);
  Status status = StrAreaAlloc(size_t{a.len} + b.len);
  if (!status.ok()) return status;
  char* out = StrWritable(StrAreaTop());
  // a or b may be a scratch view at the destination: move, never copy.
  std::memmove(out, a.ptr, a.len);
  std::memmove(out + a.len, b.ptr, b.len);
  return kOk;
}

const char* StrToC(StrRef s, Status* status) {
  Status result = s.IsStatus() ? StrCheck(s) : StrAreaAlloc(size_t{s.len} + 1);
  if (status) *status = result;
  if (!result.ok()) return "";
  char* out = StrWritable(StrAreaTop());
  std::memmove(out, s.ptr, s.len);
  out[s.len] = '\0';
  return out;
}

StrAreaStats StrAreaGetStats() {
  return StrAreaStats{g_area.capacity, g_area.top,           g_area.highest_top,
                      BytesUsed(),     g_area.highest_bytes, g_area.total};
}

}  // namespace engine
