// Clock: the one way the engine reads the current local date and time, so that tests (and the
// dated reports and date functions they check) can run at a fixed moment.
#pragma once

#include <cstdint>

namespace engine {

struct LocalDateTime {
  int16_t year = 0;
  uint8_t month = 0;   // 1..12
  uint8_t day = 0;     // 1..31
  uint8_t hour = 0;    // 0..23
  uint8_t minute = 0;  // 0..59
  uint8_t second = 0;  // 0..59 (60 in a leap second)
  uint16_t millisecond = 0;
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalDateTime Now() = 0;
};

// A clock that always answers the moment it was given.
class FixedClock : public Clock {
 public:
  explicit FixedClock(const LocalDateTime& now) : now_(now) {}
  void Set(const LocalDateTime& now) { now_ = now; }
  LocalDateTime Now() override { return now_; }

 private:
  LocalDateTime now_;
};

// The current clock: the platform's unless a test set another one.
Clock& CurrentClock();
// Sets the current clock; null restores the platform's. The caller keeps ownership.
void SetClock(Clock* clock);
// The platform's local clock (clock_posix.cpp).
Clock& PlatformClock();

}  // namespace engine
