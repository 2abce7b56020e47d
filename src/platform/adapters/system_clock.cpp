#include "platform/adapters/system_clock.h"

#include <chrono>
#include <ctime>

namespace rotaryn {

DateTime SystemClock::now() const {
  std::time_t seconds = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  if (!localtime_r(&seconds, &local)) return DateTime{};
  return DateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour,        local.tm_min,     local.tm_sec};
}

int64_t SystemClock::monotonicMs() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

}  // namespace rotaryn
