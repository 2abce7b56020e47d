#include "platform/adapters/timer_table.h"

#include "platform/vb_error.h"

namespace rotaryn {

void TimerTable::create(const std::string& name, int index, Timers::Tick tick) {
  if (!timers_.add(name, index, std::move(tick))) raiseVbError(vberr::kObjectAlreadyLoaded);
}

bool TimerTable::exists(const std::string& name, int index) const {
  return timers_.find(name, index) != nullptr;
}

formats::KeyedTimers::Timer& TimerTable::find(const std::string& name, int index) const {
  TimerPtr timer = timers_.find(name, index);
  if (!timer) raiseVbError(vberr::kControlArrayElementMissing);
  return *timer;
}

void TimerTable::setInterval(const std::string& name, int index, int intervalMs, int64_t nowMs,
                             int msIntoMinute) {
  formats::KeyedTimers::Timer& timer = find(name, index);
  if (intervalMs < 0) raiseVbError(vberr::kInvalidPropertyValue);
  timer.intervalMs = intervalMs;
  if (timer.running) formats::KeyedTimers::arm(timer, nowMs, msIntoMinute);
}

void TimerTable::start(const std::string& name, int index, int64_t nowMs, int msIntoMinute) {
  formats::KeyedTimers::Timer& timer = find(name, index);
  if (timer.running) return;
  formats::KeyedTimers::arm(timer, nowMs, msIntoMinute);
}

void TimerTable::stop(const std::string& name, int index) {
  find(name, index).running = false;
}

int TimerTable::interval(const std::string& name, int index) const {
  return find(name, index).intervalMs;
}

bool TimerTable::isRunning(const std::string& name, int index) const {
  return find(name, index).running;
}

void TimerTable::destroy(const std::string& name, int index) {
  timers_.remove(name, index);
}

void TimerTable::destroyAll() {
  timers_.clear();
}

std::vector<std::pair<std::string, int>> TimerTable::keys() const {
  std::vector<std::pair<std::string, int>> out;
  for (const auto& timer : timers_.all()) out.emplace_back(timer->name, timer->index);
  return out;
}

}  // namespace rotaryn
