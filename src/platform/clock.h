#pragma once

#include <cstdint>

#include "platform/vb_date.h"

namespace rotaryn {

// The outside world's time. Called on the UI thread only.
class Clock {
 public:
  Clock() = default;
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;
  virtual ~Clock() = default;

  // Local wall-clock date and time; never fails.
  virtual DateTime now() const = 0;
  // Milliseconds from an arbitrary start, never going back; never fails.
  virtual int64_t monotonicMs() const = 0;
};

}  // namespace rotaryn
