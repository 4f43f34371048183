// The platform's local clock on POSIX.
#include <sys/time.h>

#include <ctime>

#include "engine/core/clock.h"

namespace engine {

namespace {

class PosixClock : public Clock {
 public:
  LocalDateTime Now() override {
    timeval tv{};
    ::gettimeofday(&tv, nullptr);
    const time_t seconds = tv.tv_sec;
    tm local{};
    ::localtime_r(&seconds, &local);
    LocalDateTime now;
    now.year = static_cast<int16_t>(local.tm_year + 1900);
    now.month = static_cast<uint8_t>(local.tm_mon + 1);
    now.day = static_cast<uint8_t>(local.tm_mday);
    now.hour = static_cast<uint8_t>(local.tm_hour);
    now.minute = static_cast<uint8_t>(local.tm_min);
    now.second = static_cast<uint8_t>(local.tm_sec);
    now.millisecond = static_cast<uint16_t>(tv.tv_usec / 1000);
    return now;
  }
};

}  // namespace

Clock& PlatformClock() {
  static PosixClock clock;
  return clock;
}

}  // namespace engine
