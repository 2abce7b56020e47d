#include "host/virtual_time.h"

#include <QDateTime>
#include <algorithm>

namespace rotaryn::host {

VirtualTime::VirtualTime(LocalTime wallClock) : wallClock_(wallClock) {}

LocalTime VirtualTime::now() const {
  // Calendar arithmetic without a time zone: the wall clock is local time as it reads.
  QDateTime start(QDate(wallClock_.year, wallClock_.month, wallClock_.day),
                  QTime(wallClock_.hour, wallClock_.minute, wallClock_.second), Qt::UTC);
  QDateTime at = start.addSecs((nowMs_ - wallClockSetAtMs_) / 1000);
  return LocalTime{at.date().year(), at.date().month(),  at.date().day(),
                   at.time().hour(), at.time().minute(), at.time().second()};
}

int VirtualTime::msIntoMinute() const {
  return static_cast<int>((wallClock_.second * int64_t{1000} + nowMs_ - wallClockSetAtMs_) %
                          KeyedTimers::kMinuteMs);
}

void VirtualTime::start(const std::string& name, int index, int intervalMs, Tick tick) {
  timers_.start(name, index, intervalMs, std::move(tick), nowMs_, msIntoMinute());
}

void VirtualTime::stop(const std::string& name, int index) {
  timers_.stop(name, index);
}

void VirtualTime::doEvents() {
  for (const auto& timer : timers_.dueBy(nowMs_)) {
    if (KeyedTimers::stillDue(timer, nowMs_)) KeyedTimers::fire(timer, nowMs_, msIntoMinute());
  }
}

void VirtualTime::sleep(int milliseconds) {
  if (milliseconds > 0) nowMs_ += milliseconds;
}

void VirtualTime::advance(int64_t milliseconds) {
  const int64_t targetMs = nowMs_ + std::max<int64_t>(milliseconds, 0);
  while (auto timer = timers_.nextDue()) {
    if (timer->dueMs > targetMs) break;
    // A tick that slept may have carried time past a due timer: it then fires late, at once.
    nowMs_ = std::max(nowMs_, timer->dueMs);
    KeyedTimers::fire(timer, nowMs_, msIntoMinute());
  }
  // A tick may have moved time beyond the target; never go back.
  nowMs_ = std::max(nowMs_, targetMs);
}

void VirtualTime::setWallClock(const LocalTime& wallClock) {
  wallClock_ = wallClock;
  wallClockSetAtMs_ = nowMs_;
}

std::optional<int64_t> VirtualTime::untilNextTickMs() const {
  auto timer = timers_.nextDue();
  if (!timer) return std::nullopt;
  return std::max<int64_t>(timer->dueMs - nowMs_, 0);
}

}  // namespace rotaryn::host
