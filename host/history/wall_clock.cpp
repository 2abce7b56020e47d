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

}  // namespace rotaryn::host
