#include "platform/adapters/virtual_scheduler.h"

#include <algorithm>

namespace rotaryn {

VirtualScheduler::VirtualScheduler(DateTime wallClock) : wallClock_(wallClock) {}

DateTime VirtualScheduler::now() const {
  int64_t elapsedMs = nowMs_ - wallClockSetAtMs_;
  return vb::AddSeconds(wallClock_, elapsedMs / 1000);
}

int64_t VirtualScheduler::monotonicMs() const {
  return nowMs_;
}

void VirtualScheduler::create(const std::string& name, int index, Tick tick) {
  timers_.create(name, index, std::move(tick));
}
bool VirtualScheduler::exists(const std::string& name, int index) const {
  return timers_.exists(name, index);
}
void VirtualScheduler::setInterval(const std::string& name, int index, int intervalMs) {
  timers_.setInterval(name, index, intervalMs, nowMs_);
}
void VirtualScheduler::start(const std::string& name, int index) {
  timers_.start(name, index, nowMs_);
}
void VirtualScheduler::stop(const std::string& name, int index) {
  timers_.stop(name, index);
}
int VirtualScheduler::interval(const std::string& name, int index) const {
  return timers_.interval(name, index);
}
bool VirtualScheduler::isRunning(const std::string& name, int index) const {
  return timers_.isRunning(name, index);
}
void VirtualScheduler::destroy(const std::string& name, int index) {
  timers_.destroy(name, index);
}
void VirtualScheduler::destroyAll() {
  timers_.destroyAll();
}

void VirtualScheduler::doEvents() {
  for (const auto& timer : timers_.dueBy(nowMs_)) {
    if (TimerTable::stillDue(timer, nowMs_)) TimerTable::fire(timer, nowMs_);
  }
}

void VirtualScheduler::sleep(int milliseconds) {
  if (milliseconds <= 0) return;
  nowMs_ += milliseconds;
  sleptMs_ += milliseconds;
}

void VirtualScheduler::advance(int64_t milliseconds) {
  const int64_t targetMs = nowMs_ + std::max<int64_t>(milliseconds, 0);
  while (auto timer = timers_.nextDue()) {
    if (timer->dueMs > targetMs) break;
    // A tick that slept may have carried time past a due timer: it then fires late, at once.
    nowMs_ = std::max(nowMs_, timer->dueMs);
    TimerTable::fire(timer, nowMs_);
  }
  // A tick may have moved time beyond the target (a sleep or a nested advance); never go back.
  nowMs_ = std::max(nowMs_, targetMs);
}

void VirtualScheduler::setWallClock(const DateTime& wallClock) {
  wallClock_ = wallClock;
  wallClockSetAtMs_ = nowMs_;
}

std::optional<int64_t> VirtualScheduler::untilNextTickMs() const {
  auto timer = timers_.nextDue();
  if (!timer) return std::nullopt;
  return std::max<int64_t>(timer->dueMs - nowMs_, 0);
}

}  // namespace rotaryn
