#include "host/keyed_timers.h"

#include <algorithm>

namespace rotaryn::host {

void KeyedTimers::start(const std::string& name, int index, int intervalMs, Tick tick,
                        int64_t nowMs, int msIntoMinute) {
  TimerPtr& timer = timers_[{name, index}];
  if (!timer) {
    timer = std::make_shared<Timer>();
    timer->name = name;
    timer->index = index;
    timer->sequence = nextSequence_++;
  }
  timer->intervalMs = intervalMs;
  timer->armed = intervalMs > 0;
  timer->dueMs = intervalMs == kMinuteMs && msIntoMinute >= 0 ? nextMinuteDue(nowMs, msIntoMinute)
                                                              : nowMs + intervalMs;
  timer->tick = std::move(tick);
}

void KeyedTimers::stop(const std::string& name, int index) {
  auto found = timers_.find({name, index});
  if (found == timers_.end()) return;
  // Disarmed for anyone holding it from dueBy; forgotten here.
  found->second->armed = false;
  timers_.erase(found);
}

void KeyedTimers::stopAll() {
  for (auto& [key, timer] : timers_) timer->armed = false;
  timers_.clear();
}

KeyedTimers::TimerPtr KeyedTimers::nextDue() const {
  TimerPtr best;
  for (const auto& [key, timer] : timers_) {
    if (!timer->armed) continue;
    if (!best || timer->dueMs < best->dueMs ||
        (timer->dueMs == best->dueMs && timer->sequence < best->sequence)) {
      best = timer;
    }
  }
  return best;
}

std::vector<KeyedTimers::TimerPtr> KeyedTimers::dueBy(int64_t nowMs) const {
  std::vector<TimerPtr> due;
  for (const auto& [key, timer] : timers_) {
    if (timer->armed && timer->dueMs <= nowMs) due.push_back(timer);
  }
  std::sort(due.begin(), due.end(), [](const TimerPtr& a, const TimerPtr& b) {
    return a->dueMs != b->dueMs ? a->dueMs < b->dueMs : a->sequence < b->sequence;
  });
  return due;
}

bool KeyedTimers::stillDue(const TimerPtr& timer, int64_t nowMs) {
  return timer->armed && timer->dueMs <= nowMs;
}

int64_t KeyedTimers::nextMinuteDue(int64_t nowMs, int msIntoMinute) {
  return nowMs + (kMinuteMs - msIntoMinute % kMinuteMs) + kMinuteMarginMs;
}

void KeyedTimers::fire(const TimerPtr& timer, int64_t nowMs, int msIntoMinute) {
  int64_t next = timer->dueMs + timer->intervalMs;
  if (timer->intervalMs == kMinuteMs && msIntoMinute >= 0) {
    next = nextMinuteDue(nowMs, msIntoMinute);
  } else if (next <= nowMs) {
    next += ((nowMs - next) / timer->intervalMs + 1) * timer->intervalMs;
  }
  timer->dueMs = next;
  // A copy: the tick may re-arm or stop its own timer, replacing the function that runs.
  Tick tick = timer->tick;
  if (tick) tick();
}

std::vector<KeyedTimers::TimerPtr> KeyedTimers::all() const {
  std::vector<TimerPtr> out;
  for (const auto& [key, timer] : timers_) out.push_back(timer);
  return out;
}

}  // namespace rotaryn::host
