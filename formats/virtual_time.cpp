#include "formats/virtual_time.h"

#include <algorithm>

namespace rotaryn::formats {

VirtualTime::VirtualTime(CivilTime wallClock) : wallClock_(wallClock) {}

CivilTime VirtualTime::now() const {
  return addSeconds(wallClock_, (nowMs_ - wallClockSetAtMs_) / 1000);
}

int VirtualTime::msIntoMinute() const {
  return static_cast<int>((wallClock_.second * int64_t{1000} + nowMs_ - wallClockSetAtMs_) %
                          KeyedTimers::kMinuteMs);
}

void VirtualTime::doEvents() {
  for (const auto& timer : timers_.dueBy(nowMs_)) {
    if (KeyedTimers::stillDue(timer, nowMs_)) KeyedTimers::fire(timer, nowMs_, msIntoMinute());
  }
}

void VirtualTime::sleep(int milliseconds) {
  if (milliseconds <= 0) return;
  nowMs_ += milliseconds;
  sleptMs_ += milliseconds;
}

void VirtualTime::advance(int64_t milliseconds) {
  const int64_t targetMs = nowMs_ + std::max<int64_t>(milliseconds, 0);
  while (auto timer = timers_.nextDue()) {
    if (timer->dueMs > targetMs) break;
    // A tick that slept may have carried time past a due timer: it then fires late, at once.
    nowMs_ = std::max(nowMs_, timer->dueMs);
    KeyedTimers::fire(timer, nowMs_, msIntoMinute());
  }
  // A tick may have moved time beyond the target (a sleep or a nested advance); never go back.
  nowMs_ = std::max(nowMs_, targetMs);
}

void VirtualTime::setWallClock(const CivilTime& wallClock) {
  wallClock_ = wallClock;
  wallClockSetAtMs_ = nowMs_;
}

std::optional<int64_t> VirtualTime::untilNextTickMs() const {
  auto timer = timers_.nextDue();
  if (!timer) return std::nullopt;
  return std::max<int64_t>(timer->dueMs - nowMs_, 0);
}

}  // namespace rotaryn::formats
