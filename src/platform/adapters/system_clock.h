#pragma once

#include "platform/clock.h"

namespace rotaryn {

// The machine's clock: local time from the C library's time zone, monotonic time from
// std::chrono::steady_clock.
class SystemClock final : public Clock {
 public:
  DateTime now() const override;
  int64_t monotonicMs() const override;
};

}  // namespace rotaryn
