// StringArea: the process-wide stack of temporary strings.
//
// Every string an operation creates is pushed here. A caller takes a mark (StrAreaMark), lets
// the operations it calls push, and releases back to the mark when done. An operation that
// returns a string ends with StrAreaReturn(mark, result): it releases to the mark it took on
// entry and pushes one copy of the result, so exactly one new temporary survives above the
// caller's mark. An operation that returns only a Status releases to its mark before it
// returns (StrAreaScope does that on every path).
//
// This is a 64-bit build: the entry table holds one StrRef (16 bytes) per entry, and every
// temporary is rounded up to kAreaAlign (8) bytes so that it can hold StrRef arrays and 64-bit
// numbers. No temporary is longer than kMaxStrLen bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "engine/core/block_pool.h"
#include "engine/core/str_ref.h"

namespace engine {

inline constexpr size_t kAreaAlign = alignof(StrRef);
static_assert(kAreaAlign == 8, "temporaries are laid out for 8-byte alignment");

// Start and stop of the area (called by the pool's start and the memory stop). The data
// block is `kb` KB and the entry table holds `kb` entries.
[[nodiscard]] Status StringAreaStart(uint16_t kb);
void StringAreaStop();
bool StringAreaStarted();

uint16_t StrAreaMark();
// Releases to `mark`; a mark at or above the capacity (0xFFFF), or above the current top,
// changes nothing. Returns the top after the call.
uint16_t StrAreaRelease(uint16_t mark);
// Reserves a new temporary of `length` bytes as the new top, filled with `fill` unless it is
// kNoFill (255). 145 when the data block or the entry table is full; 146 when length exceeds
// kMaxStrLen. A failed reservation changes nothing.
[[nodiscard]] Status StrAreaAlloc(size_t length, uint8_t fill = kNoFill);
// Pushes a copy of s (overlap-safe); a status value is returned unchanged.
[[nodiscard]] Status StrAreaPushCopy(StrRef s);
StrRef StrAreaTop();
// Releases to `mark`, then pushes a copy of s: the new top, or StrError on failure.
StrRef StrAreaReturn(uint16_t mark, StrRef s);
// Keeps the strings held by several variables across a release to `mark`; each variable is
// updated to its surviving copy, and the copies lie in order directly after entry `mark`.
[[nodiscard]] Status StrAreaKeep(uint16_t mark, std::initializer_list<StrRef*> vars);
// The free space as a writable view, never longer than kMaxStrLen and always small enough to
// be pushed back whole with StrAreaReturn.
StrRef StrAreaScratch();
// 145 when fewer than n more pushes can succeed (the top can reach only capacity - 1).
[[nodiscard]] Status StrAreaCanPush(size_t n);

// Pushes a followed by b (statuses of a or b are returned unchanged; 146 when too long).
[[nodiscard]] Status StrConcat(StrRef a, StrRef b);
// Pushes s followed by a NUL and returns its address. A status value, or a string that cannot
// be pushed, yields a constant empty text; `status` (when given) receives the reason.
const char* StrToC(StrRef s, Status* status = nullptr);

// Write access to the bytes of a temporary the caller reserved (the top, a scratch view).
inline char* StrWritable(StrRef s) { return const_cast<char*>(s.ptr); }

// Diagnostics of the area.
struct StrAreaStats {
  uint16_t capacity = 0;
  uint16_t top = 0;
  uint16_t highest_top = 0;
  uint32_t bytes_used = 0;
  uint32_t highest_bytes = 0;
  uint32_t total_bytes = 0;
};
StrAreaStats StrAreaGetStats();

// Holds a mark for one scope and releases to it when the scope ends, unless the scope hands
// back a result with Return (which releases and pushes the copy) or is told to Keep.
class StrAreaScope {
 public:
  StrAreaScope() : mark_(StrAreaMark()) {}
  ~StrAreaScope() {
    if (armed_) StrAreaRelease(mark_);
  }
  StrAreaScope(const StrAreaScope&) = delete;
  StrAreaScope& operator=(const StrAreaScope&) = delete;

  uint16_t mark() const { return mark_; }
  StrRef Return(StrRef s) {
    armed_ = false;
    return StrAreaReturn(mark_, s);
  }
  // Leaves everything pushed since the mark in place.
  void Keep() { armed_ = false; }

 private:
  uint16_t mark_;
  bool armed_ = true;
};

}  // namespace engine
