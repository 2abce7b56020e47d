#include "host/history/wall_clock.h"

#include <atomic>
#include <cstdint>

namespace rotaryn::host {

WallClock wallClockNow() {
  static std::atomic<int64_t> zoneReadAt{-1};  // s since the epoch
  WallClock now{};
  ::clock_gettime(CLOCK_REALTIME, &now.at);
  const int64_t readAt = zoneReadAt.load(std::memory_order_relaxed);
  if (readAt < 0 || now.at.tv_sec < readAt || now.at.tv_sec - readAt >= 60) {
    ::tzset();
    zoneReadAt.store(now.at.tv_sec, std::memory_order_relaxed);
  }
  ::localtime_r(&now.at.tv_sec, &now.local);
  return now;
}

formats::CivilTime civilTimeOf(const std::tm& t) {
  return formats::CivilTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                            t.tm_hour,        t.tm_min,     t.tm_sec < 60 ? t.tm_sec : 59};
}

}  // namespace rotaryn::host
