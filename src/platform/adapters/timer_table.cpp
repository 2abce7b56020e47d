#include "platform/adapters/timer_table.h"

#include <algorithm>

#include "platform/vb_error.h"

namespace rotaryn {

void TimerTable::create(const std::string& name, int index, Timers::Tick tick) {
  Key key{name, index};
  if (timers_.count(key)) raiseVbError(vberr::kObjectAlreadyLoaded);
  auto timer = std::make_shared<Timer>();
  timer->tick = std::move(tick);
  timer->sequence = nextSequence_++;
  timers_.emplace(std::move(key), std::move(timer));
}

bool TimerTable::exists(const std::string& name, int index) const {
  return timers_.count(Key{name, index}) != 0;
}

TimerTable::Timer& TimerTable::find(const std::string& name, int index) const {
  auto it = timers_.find(Key{name, index});
  if (it == timers_.end()) raiseVbError(vberr::kControlArrayElementMissing);
  return *it->second;
}

void TimerTable::setInterval(const std::string& name, int index, int intervalMs, int64_t nowMs) {
  Timer& timer = find(name, index);
  if (intervalMs < 0) raiseVbError(vberr::kInvalidPropertyValue);
  timer.intervalMs = intervalMs;
  if (timer.running) timer.dueMs = nowMs + intervalMs;
}

void TimerTable::start(const std::string& name, int index, int64_t nowMs) {
  Timer& timer = find(name, index);
  if (timer.running) return;
  timer.running = true;
  timer.dueMs = nowMs + timer.intervalMs;
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
  auto it = timers_.find(Key{name, index});
  if (it == timers_.end()) return;
  it->second->destroyed = true;
  timers_.erase(it);
}

void TimerTable::destroyAll() {
  // Moved out first: a timer's destructor (its tick's captures) must not see a half-cleared map.
  auto doomed = std::move(timers_);
  timers_.clear();
  for (auto& [key, timer] : doomed) timer->destroyed = true;
}

TimerTable::TimerPtr TimerTable::timer(const std::string& name, int index) const {
  auto it = timers_.find(Key{name, index});
  return it == timers_.end() ? nullptr : it->second;
}

std::vector<std::pair<std::string, int>> TimerTable::keys() const {
  std::vector<std::pair<std::string, int>> out;
  for (const auto& [key, timer] : timers_) out.push_back(key);
  return out;
}

TimerTable::TimerPtr TimerTable::nextDue() const {
  TimerPtr best;
  for (const auto& [key, timer] : timers_) {
    if (!armed(*timer)) continue;
    if (!best || timer->dueMs < best->dueMs ||
        (timer->dueMs == best->dueMs && timer->sequence < best->sequence)) {
      best = timer;
    }
  }
  return best;
}

std::vector<TimerTable::TimerPtr> TimerTable::dueBy(int64_t nowMs) const {
  std::vector<TimerPtr> due;
  for (const auto& [key, timer] : timers_) {
    if (armed(*timer) && timer->dueMs <= nowMs) due.push_back(timer);
  }
  std::sort(due.begin(), due.end(), [](const TimerPtr& a, const TimerPtr& b) {
    return a->dueMs != b->dueMs ? a->dueMs < b->dueMs : a->sequence < b->sequence;
  });
  return due;
}

bool TimerTable::stillDue(const TimerPtr& timer, int64_t nowMs) {
  return !timer->destroyed && armed(*timer) && timer->dueMs <= nowMs;
}

void TimerTable::fire(const TimerPtr& timer, int64_t nowMs) {
  int64_t next = timer->dueMs + timer->intervalMs;
  if (next <= nowMs) next += ((nowMs - next) / timer->intervalMs + 1) * timer->intervalMs;
  timer->dueMs = next;
  // The shared pointer keeps the tick alive even when the tick destroys its own timer.
  TimerPtr keep = timer;
  if (keep->tick) keep->tick();
}

}  // namespace rotaryn
